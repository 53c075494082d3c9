#include "raster/display.h"

#include <atomic>

namespace pellumo {
namespace {
std::atomic<int> displayBitsPerPixel{32};
}

int DisplayBitsPerPixel() { return displayBitsPerPixel.load(std::memory_order_relaxed); }

void SetDisplayBitsPerPixel(int bitsPerPixel) { displayBitsPerPixel.store(bitsPerPixel, std::memory_order_relaxed); }

}  // namespace pellumo
