// JPEG data through the JPEG graphic, as a slide is decoded, and once more in three bands of
// rows (each its own decoder skipping the rows before it), as large pictures are decoded.
#include <cstdint>
#include <vector>

#include "base/exceptions.h"
#include "base/memory_stream.h"
#include "raster/bitmap.h"
#include "raster/jpeg_codec.h"
#include "raster/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pellumo::TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        pellumo::TJPEGImage jpeg;
        jpeg.LoadFromStream(stream);
        // Pictures far beyond what the seeds hold only cost the fuzzer time.
        if (static_cast<long long>(jpeg.Width()) * jpeg.Height() > 4'000'000) return 0;
        pellumo::TBitmap bitmap;
        bitmap.Assign(jpeg);
    } catch (const pellumo::Exception&) {
    }
    try {
        const pellumo::JpegHeader header = pellumo::ReadJpegHeader({data, size});
        if (static_cast<long long>(header.width) * header.height > 4'000'000) return 0;
        pellumo::TBitmap banded;
        pellumo::DecodeJpeg({data, size}, false, banded, 3);
    } catch (const pellumo::Exception&) {
    }
    return 0;
}
