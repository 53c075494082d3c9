#include "player/button_glyphs.h"

#include <cmath>
#include <functional>

namespace pellumo {
namespace {

struct TRgb {
    std::uint8_t r, g, b;
};

constexpr int kSize = 18;
constexpr TRgb kSilver{192, 192, 192};
constexpr TRgb kWhite{255, 255, 255};
constexpr TRgb kGreen{0, 150, 0};
constexpr TRgb kBlue{0, 60, 200};
constexpr TRgb kRed{200, 0, 0};

// A glyph on silver: the disc in its colour, the sign (tested at pixel centres) in white.
TBitmap DiscGlyph(TRgb disc, const std::function<bool(double x, double y)>& sign) {
    TBitmap glyph;
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(kSize, kSize);
    const double centre = kSize / 2.0;
    for (int y = 0; y < kSize; ++y) {
        std::uint8_t* row = glyph.ScanLine(y);
        for (int x = 0; x < kSize; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const bool inDisc = std::hypot(px - centre, py - centre) <= 8.0;
            const TRgb c = !inDisc ? kSilver : sign(px, py) ? kWhite : disc;
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    return glyph;
}

// Inside the triangle whose point is at tipX and whose flat side stands at baseX, centred on
// the glyph's middle row with the given half height.
bool InTriangle(double x, double y, double baseX, double tipX, double halfHeight) {
    const double along = (x - baseX) / (tipX - baseX);  // 0 at the base, 1 at the tip
    return along >= 0.0 && along <= 1.0 && std::abs(y - kSize / 2.0) <= halfHeight * (1.0 - along);
}

bool InBar(double x, double y, double left, double right) {
    return x >= left && x <= right && std::abs(y - kSize / 2.0) <= 4.5;
}

}  // namespace

TBitmap PlayGlyph() {
    return DiscGlyph(kGreen, [](double x, double y) { return InTriangle(x, y, 6.5, 13.5, 4.5); });
}

TBitmap PauseGlyph() {
    return DiscGlyph(kBlue, [](double x, double y) { return InBar(x, y, 5.0, 8.0) || InBar(x, y, 10.0, 13.0); });
}

TBitmap PreviousGlyph() {
    return DiscGlyph(kBlue,
                     [](double x, double y) { return InBar(x, y, 4.0, 6.0) || InTriangle(x, y, 13.5, 6.5, 4.5); });
}

TBitmap NextGlyph() {
    return DiscGlyph(kBlue,
                     [](double x, double y) { return InTriangle(x, y, 4.5, 11.5, 4.5) || InBar(x, y, 12.0, 14.0); });
}

TBitmap QuitGlyph() {
    return DiscGlyph(kRed, [](double x, double y) {
        const double dx = x - kSize / 2.0, dy = y - kSize / 2.0;
        return std::abs(dx) <= 4.5 && std::abs(dy) <= 4.5 && (std::abs(dx - dy) <= 1.3 || std::abs(dx + dy) <= 1.3);
    });
}

namespace {

TBitmap NoteGlyph(bool crossedOut) {
    constexpr int kSoundSize = 16;
    TBitmap glyph;
    glyph.SetPixelFormat(pf8bit);
    glyph.SetSize(kSoundSize, kSoundSize);
    glyph.SetPalette({{196, 196, 196, 0}, {190, 190, 190, 0}, {0, 0, 0, 0}, {kRed.r, kRed.g, kRed.b, 0}});
    for (int y = 0; y < kSoundSize; ++y) {
        std::uint8_t* row = glyph.ScanLine(y);
        for (int x = 0; x < kSoundSize; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const bool head = std::hypot((px - 6.0) / 3.0, (py - 12.0) / 2.2) <= 1.0;
            const bool stem = x == 8 && y >= 2 && y <= 12;
            const bool flag = x >= 9 && x <= 11 && y >= 2 + (x - 9) && y <= 4 + (x - 9) * 2;
            // A stroke from the top-right to the bottom-left corner, two pixels wide.
            const bool stroke = crossedOut && x >= 1 && x <= 14 && std::abs((x + y) - 15) <= 1;
            // The checker puts the transparent colour in the bottom-left corner.
            const std::uint8_t background = (x + (kSoundSize - 1 - y)) % 2 == 0 ? 0 : 1;
            row[x] = stroke ? 3 : head || stem || flag ? 2 : background;
        }
    }
    return glyph;
}

}  // namespace

TBitmap SoundGlyph() { return NoteGlyph(false); }

TBitmap SoundOffGlyph() { return NoteGlyph(true); }

}  // namespace pellumo
