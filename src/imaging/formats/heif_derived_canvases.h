#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pellumo {

// The size of the canvas a derived picture composes its pieces on.
struct THeifCanvasSize {
    std::uint32_t Width = 0, Height = 0;
};

// The canvas of every grid (`grid`) and overlay (`iovl`) item of a HEIF file, as the item's own
// data gives it. libheif allocates these canvases as it decodes, from that data alone, whatever
// the pictures' `ispe` boxes say, so they must be checked before anything is decoded. Every
// entry of the item locations is looked at, where libheif takes the first: a file may list more
// canvases than it will use, never fewer. What cannot be read (boxes cut short, data outside the
// file, a location kind libheif does not take) is left out, as libheif refuses it too.
std::vector<THeifCanvasSize> HeifDerivedCanvases(std::span<const std::uint8_t> file);

}  // namespace pellumo
