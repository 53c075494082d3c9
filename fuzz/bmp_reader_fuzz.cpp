// The bitmap file reader on hostile files: any outcome but a clean error or a bitmap is a bug.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "raster/bitmap.h"
#include "raster/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    pellumo::TBitmap bitmap;
    try {
        pellumo::ReadBitmapFile(stream, bitmap);
        bitmap.SetPixelFormat(pellumo::pf24bit);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
