#pragma once

#include <string>

namespace pellumo {

struct TSheetRequest {
    int progress = 50;
    std::string size = "240x150";  // picture area of one cell, "WIDTHxHEIGHT", 64x40 to 480x300
    std::string output;
    bool force = false;  // replace an existing output file
};

// Writes a contact sheet of the 128 transition styles at one progress (24-bit pixels, in the
// format of the output's extension): 8 cells a row in style order, each a frame between two
// pictures drawn for the purpose above a light strip labelled "NUMBER Name", on a dark
// background. The values and the output (see CheckPictureOutput) are checked before any work,
// and the file is written only once the whole sheet is encoded.
void RunSheet(const TSheetRequest& request);

}  // namespace pellumo
