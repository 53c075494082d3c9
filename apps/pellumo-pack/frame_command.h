#pragma once

#include <ostream>
#include <string>

namespace pellumo {

struct TFrameRequest {
    std::string style = "0";  // number or name
    int progress = 50;
    int step = 4;
    std::string oldPicture;
    std::string newPicture;
    std::string output;
    bool force = false;  // replace an existing output file
};

// Prints "NUMBER<TAB>NAME" for the 128 transition styles.
void RunStyles(std::ostream& out);

// Composes one frame as the transition control would: the old picture stretched to the new
// one's size as the old display, the new picture, the style at the progress. Writes it (24-bit
// pixels) in the format of the output's extension, which is checked before any picture is
// read (see CheckPictureOutput). The random styles draw from a generator that starts afresh
// in every run.
void RunFrame(const TFrameRequest& request);

}  // namespace pellumo
