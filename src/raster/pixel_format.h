#pragma once

namespace pellumo {

// pfDevice is the device-dependent form: 32-bit blue-green-red-unused, what the display
// takes without conversion. pfCustom marks a layout no other member describes; a bitmap
// cannot be set to it.
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

enum THandleType { bmDIB, bmDDB };

// Bits of storage per pixel (15-bit pixels take 16); 0 for pfCustom.
constexpr int BitsPerPixel(TPixelFormat format) {
    switch (format) {
        case pf1bit: return 1;
        case pf4bit: return 4;
        case pf8bit: return 8;
        case pf15bit:
        case pf16bit: return 16;
        case pf24bit: return 24;
        case pf32bit:
        case pfDevice: return 32;
        case pfCustom: return 0;
    }
    return 0;
}

constexpr bool IsIndexed(TPixelFormat format) { return format == pf1bit || format == pf4bit || format == pf8bit; }

}  // namespace pellumo
