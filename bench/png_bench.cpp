// A 4000 x 3000 RGB PNG decoded by the PNG reader and, in the same run, by libpng into the
// same layout (blue, green, red rows). The picture is a smooth gradient with noise, its rows
// filtered with every filter type in turn, deflated by zlib at its default level.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <vector>

#include "base/memory_stream.h"
#include "imaging/formats/png_graphic.h"

namespace {

using TBytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kWidth = 4000, kHeight = 3000;

void PutBE32(TBytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void AddChunk(TBytes& out, const char* type, const TBytes& data) {
    PutBE32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    PutBE32(out, static_cast<std::uint32_t>(crc));
}

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

const TBytes& TestFile() {
    static const TBytes file = [] {
        const std::size_t stride = kWidth * 3;
        std::mt19937 random(7);
        TBytes raw, previous(stride, 0), row(stride);
        raw.reserve((stride + 1) * kHeight);
        for (std::uint32_t y = 0; y < kHeight; ++y) {
            for (std::uint32_t x = 0; x < kWidth; ++x) {
                const int noise = static_cast<int>(random() % 9) - 4;
                row[x * 3] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(x * 255 / kWidth) + noise, 0, 255));
                row[x * 3 + 1] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(y * 255 / kHeight) + noise, 0, 255));
                row[x * 3 + 2] = static_cast<std::uint8_t>(std::clamp(static_cast<int>((x + y) % 256) + noise, 0, 255));
            }
            const std::uint8_t type = static_cast<std::uint8_t>(y % 5);
            raw.push_back(type);
            for (std::size_t i = 0; i < stride; ++i) {
                const int a = i >= 3 ? row[i - 3] : 0, b = previous[i], c = i >= 3 ? previous[i - 3] : 0;
                const int predicted = type == 1 ? a : type == 2 ? b : type == 3 ? (a + b) / 2 : type == 4 ? Paeth(a, b, c) : 0;
                raw.push_back(static_cast<std::uint8_t>(row[i] - predicted));
            }
            previous = row;
        }
        uLongf size = compressBound(static_cast<uLong>(raw.size()));
        TBytes packed(size);
        compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_DEFAULT_COMPRESSION);
        packed.resize(size);
        TBytes out = {137, 80, 78, 71, 13, 10, 26, 10};
        TBytes header;
        PutBE32(header, kWidth);
        PutBE32(header, kHeight);
        header.insert(header.end(), {8, 2, 0, 0, 0});
        AddChunk(out, "IHDR", header);
        for (std::size_t at = 0; at < packed.size(); at += 65536)  // chunks as encoders write them
            AddChunk(out, "IDAT", TBytes(packed.begin() + static_cast<std::ptrdiff_t>(at),
                                         packed.begin() + static_cast<std::ptrdiff_t>(std::min(packed.size(), at + 65536))));
        AddChunk(out, "IEND", {});
        return out;
    }();
    return file;
}

void BM_PngReader(benchmark::State& state) {
    const TBytes& file = TestFile();
    for (auto _ : state) {
        state.PauseTiming();  // libpng reads the file in place; the stream's copy is not decoding
        pellumo::TMemoryStream stream(file);
        state.ResumeTiming();
        pellumo::TPNGGraphic png;
        png.LoadFromStream(stream);
        benchmark::DoNotOptimize(png.ScanLine(0));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight * 3);
}
BENCHMARK(BM_PngReader)->Unit(benchmark::kMillisecond)->MinTime(3);

struct TMemoryReader {
    const TBytes* bytes;
    std::size_t at;
};

void BM_Libpng(benchmark::State& state) {
    const TBytes& file = TestFile();
    std::vector<std::uint8_t> pixels;
    for (auto _ : state) {
        TMemoryReader reader{&file, 0};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        if (setjmp(png_jmpbuf(png))) {
            state.SkipWithError("libpng failed");
            png_destroy_read_struct(&png, &info, nullptr);
            return;
        }
        png_set_read_fn(png, &reader, [](png_structp p, png_bytep data, png_size_t length) {
            auto* r = static_cast<TMemoryReader*>(png_get_io_ptr(p));
            std::memcpy(data, r->bytes->data() + r->at, length);
            r->at += length;
        });
        png_read_info(png, info);
        png_set_bgr(png);
        png_read_update_info(png, info);
        // The same rows a 24-bit bitmap holds: padded to 4 bytes, allocated per image.
        const std::size_t stride = (kWidth * 3 + 3) / 4 * 4;
        pixels.assign(stride * kHeight, 0);
        for (std::uint32_t y = 0; y < kHeight; ++y) png_read_row(png, pixels.data() + y * stride, nullptr);
        png_read_end(png, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight * 3);
}
BENCHMARK(BM_Libpng)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
