#pragma once

namespace pellumo {

// The player's caption line along the bottom of the screen, shown only for a slide with a
// caption: its height, and the height in pixels of its bold text, centred on it. The picture
// is fitted to the screen above it less one more pixel.
constexpr int kCaptionLineHeight = 29;
constexpr int kCaptionTextHeight = 13;
constexpr int kCaptionLineGap = 1;

}  // namespace pellumo
