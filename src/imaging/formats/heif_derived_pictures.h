#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pellumo {

// The size of the canvas a derived picture composes its pieces on.
struct THeifCanvasSize {
    std::uint32_t Width = 0, Height = 0;
};

// What decoding the derived pictures of a HEIF file (grids, overlays, identities) would make
// libheif do, found from the file's item boxes before it decodes anything.
struct THeifDerivedPictures {
    // The canvas of every grid (`grid`) and overlay (`iovl`), as the item's own data gives it.
    // libheif allocates these canvases from that data alone, whatever the pictures' `ispe` boxes
    // say.
    std::vector<THeifCanvasSize> Canvases;
    // Whether a derived picture is made from an item that is not a picture: libheif stops the
    // whole program on an assertion as it decodes one.
    bool MadeFromNonPicture = false;
};

// Every entry of the item boxes is looked at where libheif takes only the first, so that the
// file is judged by the worst libheif could see in it. What cannot be read (boxes cut short,
// data outside the file, a location kind libheif does not take) is left out, as libheif refuses
// it too.
THeifDerivedPictures ReadHeifDerivedPictures(std::span<const std::uint8_t> file);

}  // namespace pellumo
