#include "authoring/show_reading.h"

#include "base/file_stream.h"
#include "base/format.h"

namespace pellumo {

TCatalogue ReadShowFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    try {
        return ReadCatalogue(stream);
    } catch (const EReadError&) {
        // Only a file shorter than a trailer fails this way: it cannot hold a show either.
        throw ECatalogueError(Format("%s : %s", {fileName, ECatalogueError().Message()}));
    } catch (const ECatalogueError& e) {
        throw ECatalogueError(Format("%s : %s", {fileName, e.Message()}));
    }
}

}  // namespace pellumo
