#pragma once

#include <string>

namespace pellumo {

struct TSheetRequest {
    int progress = 50;
    std::string size = "240x150";  // picture area of one cell, "WIDTHxHEIGHT"
    std::string output;
};

// The cell sizes the sheet accepts: small enough that a label still fits a few letters a line,
// large enough for detail, bounded so that the whole sheet stays a reasonable allocation.
constexpr int kMinSheetCellWidth = 64;
constexpr int kMaxSheetCellWidth = 480;
constexpr int kMinSheetCellHeight = 40;
constexpr int kMaxSheetCellHeight = 300;

// Writes a 24-bit BMP contact sheet of the 128 transition styles at one progress: 8 cells a
// row in style order, each a frame between two pictures drawn for the purpose above a light
// strip labelled "NUMBER Name", on a dark background. Everything is checked before the file is
// touched, and the file is replaced only once the whole sheet is written.
void RunSheet(const TSheetRequest& request);

}  // namespace pellumo
