#pragma once

#include <cstdint>
#include <span>

#include "player/catalogue.h"
#include "raster/bitmap.h"
#include "raster/rect.h"

namespace pellumo {

// What the player puts on a full screen of width x height for one slide, in screen pixels.
// The transition control fills the screen above the caption line, which is only there for a
// slide with a caption; the fitted picture lies centred in the control (an odd pixel to the
// right and down), and may reach past its sides when a portrait picture is wider than the
// screen.
struct TSlideScreen {
    TBitmap picture;  // decoded, fitted, framed; 32-bit
    TRect control;
    TRect captionLine;  // empty without a caption
    TRect place;        // the picture's rectangle
};

// The slide's JPEG decoded, fitted (fine or plain) and framed as the player does it, laid out
// on the screen. Raises when the bytes do not decode.
TSlideScreen PrepareSlideScreen(std::span<const std::uint8_t> jpeg, const TSlideEntry& slide, int width, int height,
                                bool fineResize);

}  // namespace pellumo
