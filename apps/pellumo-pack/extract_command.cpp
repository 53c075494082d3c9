#include "extract_command.h"

#include "authoring/show_extraction.h"
#include "base/format.h"

namespace pellumo {

void RunExtract(const std::string& showFile, const std::string& folder, std::ostream& notes) {
    const TExtractedShow show = ExtractShow(showFile, folder);
    for (const std::size_t slide : show.omittedSlides)
        notes << Format("diapositive %s sans image : omise\n", {std::to_string(slide)});
    WriteExtractedShow(show);
    if (!show.missingMusic.empty())
        notes << Format("musique « %s » absente à côté du diaporama : le manifeste la nomme, mettez-la à côté\n",
                        {show.missingMusic});
}

}  // namespace pellumo
