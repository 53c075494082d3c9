#include "raster/palette.h"

#include "base/integer_math.h"

namespace pellumo {
namespace {

TPalette MakeSixteenColors() {
    constexpr std::uint8_t kRgb[16][3] = {
        {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
        {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
    };
    TPalette palette;
    for (const auto& c : kRgb) palette.push_back({c[0], c[1], c[2], 0});
    return palette;
}

TPalette MakeColorCube() {
    TPalette palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back({static_cast<std::uint8_t>(r * 51), static_cast<std::uint8_t>(g * 51),
                                   static_cast<std::uint8_t>(b * 51), 0});
    // The cube holds 6 grays; 40 more between them make gray pictures look smooth.
    for (int i = 1; i <= 40; ++i) {
        const auto level = static_cast<std::uint8_t>(Round(i * 255.0 / 41.0));
        palette.push_back({level, level, level, 0});
    }
    return palette;
}

}  // namespace

const TPalette& DefaultPalette(int bitsPerPixel) {
    static const TPalette kBlackWhite = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    static const TPalette kSixteen = MakeSixteenColors();
    static const TPalette kCube = MakeColorCube();
    if (bitsPerPixel <= 1) return kBlackWhite;
    if (bitsPerPixel <= 4) return kSixteen;
    return kCube;
}

TPalette GrayPalette() {
    TPalette palette(256);
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        palette[static_cast<std::size_t>(i)] = {level, level, level, 0};
    }
    return palette;
}

const TPalette& EffectivePalette(const TPalette& palette, int bitsPerPixel) {
    return palette.empty() ? DefaultPalette(bitsPerPixel) : palette;
}

TNearestColor::TNearestColor(const TPalette& palette) : palette_(palette) {}

std::uint8_t TNearestColor::IndexOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const std::uint32_t key = (std::uint32_t{red} << 16) | (std::uint32_t{green} << 8) | blue;
    Slot& slot = cache_[(key ^ (key >> 12) ^ (key >> 7)) & (cache_.size() - 1)];
    if (slot.key == key) return slot.index;
    int best = 0;
    int bestDistance = 1 << 30;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
        const int dr = palette_[i].peRed - red;
        const int dg = palette_[i].peGreen - green;
        const int db = palette_[i].peBlue - blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0) break;
        }
    }
    slot = {key, static_cast<std::uint8_t>(best)};
    return slot.index;
}

}  // namespace pellumo
