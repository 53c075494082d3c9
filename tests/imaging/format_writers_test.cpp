// What the registry promises about writing: a class that says it writes saves its own format,
// never another under its extensions' name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "raster/bitmap.h"
#include "raster/jpeg_image.h"
#include "raster/picture.h"
#include "raster/pixel_rows.h"

namespace pellumo {
namespace {

std::vector<std::uint8_t> Colours(const TBitmap& bitmap) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(bitmap.Width()) * 4 * static_cast<std::size_t>(bitmap.Height()));
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.Width()) * 4;
        UnpackRow(bitmap.ScanLine(y), bitmap.PixelFormat(), bitmap.Palette(), bitmap.Width(), row);
        for (int x = 0; x < bitmap.Width(); ++x) row[4 * x + 3] = 0;  // the unused byte
    }
    return out;
}

// What a class saves loads back through that same class, with the pixels it was given (the
// size only, for JPEG). A reader that saved the bitmap format it is built on would fail here.
TEST(FormatWriters, EveryClassThatWritesSavesItsOwnFormat) {
    TBitmap truecolour;
    truecolour.SetPixelFormat(pf24bit);
    truecolour.SetSize(13, 7);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 39; ++x) truecolour.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 6 + y * 30);
    TBitmap indexed;
    indexed.Assign(truecolour);
    indexed.SetPixelFormat(pf8bit);

    std::string writing;
    for (const TFileFormat& format : TPicture::FileFormats()) {
        if (!format.GraphicClass->Writes) continue;
        writing += (writing.empty() ? "" : " ") + format.Extension;
        for (const TBitmap* picture : {&truecolour, &indexed}) {
            SCOPED_TRACE(format.Extension + (picture == &indexed ? " from 8 bits" : " from 24 bits"));
            std::unique_ptr<TGraphic> graphic = format.GraphicClass->Create();
            graphic->Assign(*picture);
            TMemoryStream bytes;
            graphic->SaveToStream(bytes);
            std::unique_ptr<TGraphic> back = format.GraphicClass->Create();
            bytes.SetPosition(0);
            ASSERT_NO_THROW(back->LoadFromStream(bytes));
            TBitmap loaded;
            loaded.Assign(*back);
            ASSERT_EQ(loaded.Width(), 13);
            ASSERT_EQ(loaded.Height(), 7);
            if (format.GraphicClass != TJPEGImage::StaticClass()) {
                EXPECT_EQ(Colours(loaded), Colours(*picture));
            }
        }
    }
    // What pellumo-pack can write to; the other registered formats are read only.
    EXPECT_EQ(writing, "bmp ico jpg jpeg rle dib win vst vda tga icb png");
}

// Targa keeps 16-bit pixels as 5-5-5: a 5-6-5 bitmap is narrowed, not stored with its green
// read as red; and its 16-bit header sizes refuse what they cannot hold rather than cut it.
TEST(FormatWriters, TargaNarrowsSixteenBitPixelsAndRefusesWhatItsHeaderCannotHold) {
    TBitmap pure;
    pure.SetPixelFormat(pf24bit);
    pure.SetSize(4, 1);
    const std::uint8_t bgr[12] = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};
    std::copy(bgr, bgr + 12, pure.ScanLine(0));
    TBitmap sixteen;
    sixteen.Assign(pure);
    sixteen.SetPixelFormat(pf16bit);
    const TGraphicClass targa = TPicture::FindGraphicClass("tga");
    ASSERT_NE(targa, nullptr);
    std::unique_ptr<TGraphic> graphic = targa->Create();
    graphic->Assign(sixteen);
    TMemoryStream bytes;
    graphic->SaveToStream(bytes);
    bytes.SetPosition(0);
    std::unique_ptr<TGraphic> back = targa->Create();
    back->LoadFromStream(bytes);
    TBitmap loaded;
    loaded.Assign(*back);
    EXPECT_EQ(Colours(loaded), Colours(pure));

    TBitmap wide;
    wide.SetPixelFormat(pf1bit);
    wide.SetSize(70000, 1);
    std::unique_ptr<TGraphic> tooWide = targa->Create();
    tooWide->Assign(wide);
    TMemoryStream refused;
    EXPECT_THROW(tooWide->SaveToStream(refused), EInvalidGraphic);
}

}  // namespace
}  // namespace pellumo
