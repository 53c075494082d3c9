#pragma once

namespace pellumo {

// The display's bits per pixel, sampled once when the program starts (the windowing layer
// sets it; 32 until then). Decoding and drawing choose palettes from it.
int DisplayBitsPerPixel();
void SetDisplayBitsPerPixel(int bitsPerPixel);

}  // namespace pellumo
