// The player: a program that carries its own show and plays it full screen.
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>

#include "base/file_stream.h"
#include "base/large_buffers.h"
#include "imaging/formats/format_registry.h"
#include "pellumo_version.h"
#include "platform/application.h"
#include "player/catalogue.h"
#include "player/main_form.h"
#include "player/portable_sections.h"

namespace {

bool CarriesShow() {
    // A portable show's launcher names the show to the player it starts.
    if (std::getenv(pellumo::kShowFileVariable) != nullptr) return true;
    try {
        pellumo::TFileStream program("/proc/self/exe", pellumo::fmOpenRead | pellumo::fmShareDenyNone);
        pellumo::ReadCatalogue(program);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // A show reads no command line; only the bare player, which has nothing to play, answers
    // --version, and before any window or display is needed.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0 && !CarriesShow()) {
        std::cout << "pellumo " << pellumo::kPellumoVersion << '\n';
        return 0;
    }
    // The arguments only reach Qt (for instance -platform).
    pellumo::KeepLargeBuffersForReuse();  // every slide decodes at full size
    // The image library's formats join the picture registry before any window exists; declared
    // before the application, the guard removes them only once the window is gone.
    const pellumo::TImageFormatsGuard imageFormats;
    pellumo::TApplication application(argc, argv);
    application.SetTitle("Pellumo");
    const pellumo::TMainForm& form = application.CreateForm<pellumo::TMainForm>();
    // A program without a show has said so in an error box while its window was created: it
    // ends there, before any window shows.
    if (!form.HasShow()) return 1;
    application.Run();
    return 0;
}
