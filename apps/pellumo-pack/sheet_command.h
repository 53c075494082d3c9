#pragma once

#include <string>

namespace pellumo {

struct TSheetRequest {
    int progress = 50;
    std::string size = "240x150";  // picture area of one cell, "WIDTHxHEIGHT", 64x40 to 480x300
    std::string output;
};

// Writes a 24-bit BMP contact sheet of the 128 transition styles at one progress: 8 cells a
// row in style order, each a frame between two pictures drawn for the purpose above a light
// strip labelled "NUMBER Name", on a dark background. Everything is checked before the file is
// touched, and the file is replaced only once the whole sheet is written.
void RunSheet(const TSheetRequest& request);

}  // namespace pellumo
