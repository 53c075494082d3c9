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
        // Converting a picture near the size limit, which a few bytes of run-length data can
        // claim, costs the fuzzer seconds and finds nothing the small ones do not.
        if (static_cast<long long>(bitmap.Width()) * bitmap.Height() <= 4'000'000)
            bitmap.SetPixelFormat(pellumo::pf24bit);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
