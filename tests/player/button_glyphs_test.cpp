#include "player/button_glyphs.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "platform/panel.h"
#include "platform/speed_button.h"
#include "raster/pixels.h"

namespace pellumo {
namespace {

using probe::PixelAt;
using probe::Rgb;

TEST(ButtonGlyphs, HaveTheirSizesFormatsAndTransparentCorners) {
    for (TBitmap (*make)() : {PlayGlyph, PauseGlyph, PreviousGlyph, NextGlyph, QuitGlyph}) {
        const TBitmap glyph = make();
        EXPECT_EQ(glyph.Width(), 18);
        EXPECT_EQ(glyph.Height(), 18);
        EXPECT_EQ(glyph.PixelFormat(), pf24bit);
        EXPECT_EQ(PixelAt(glyph, 0, 17), (Rgb{192, 192, 192}));
        EXPECT_NE(PixelAt(glyph, 9, 2), (Rgb{192, 192, 192}));  // the disc
        int white = 0;
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 18; ++x) white += PixelAt(glyph, x, y) == Rgb{255, 255, 255};
        EXPECT_GT(white, 20);  // the sign
    }
    const TBitmap sound = SoundGlyph();
    EXPECT_EQ(sound.Width(), 16);
    EXPECT_EQ(sound.PixelFormat(), pf8bit);
    EXPECT_EQ(PixelAt(sound, 0, 15), (Rgb{196, 196, 196}));
    EXPECT_EQ(PixelAt(sound, 1, 15), (Rgb{190, 190, 190}));
}

// The glyph's transparent colour shows the face; everything else is drawn as it is.
TEST(ButtonGlyphs, ASpeedButtonShowsItsFaceThroughTheTransparentColour) {
    TPanel panel(nullptr);
    panel.SetBounds(0, 0, 40, 30);
    panel.SetColor(RGB(10, 200, 10));
    TSpeedButton button(&panel);
    button.SetBounds(0, 0, 23, 22);
    button.SetFlat(true);
    button.SetGlyph(QuitGlyph());
    const QImage shown = button.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int left = (23 - 18) / 2, top = (22 - 18) / 2;
    EXPECT_EQ(shown.pixel(left, top + 17), qRgb(10, 200, 10));
    EXPECT_EQ(shown.pixel(left + 9, top + 3), qRgb(200, 0, 0));
    EXPECT_EQ(shown.pixel(left + 9, top + 9), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace pellumo
