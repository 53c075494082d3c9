#include "raster/picture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "raster/bitmap.h"
#include "raster/jpeg_image.h"

namespace pellumo {
namespace {

// A graphic class of the test's own, to register and unregister without disturbing others.
class TTestGraphic : public TBitmap {
public:
    static TGraphicClass StaticClass() {
        static const TGraphicClassInfo info{"TTestGraphic",
                                            []() -> std::unique_ptr<TGraphic> { return std::make_unique<TTestGraphic>(); }};
        return &info;
    }
    TGraphicClass ClassType() const override { return StaticClass(); }
};

class PictureTest : public ::testing::Test {
protected:
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("pellumo-picture-" + std::to_string(::getpid()));
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override {
        TPicture::UnregisterGraphicClass(TTestGraphic::StaticClass());
        std::filesystem::remove_all(folder);
    }
    std::string File(const char* name) const { return (folder / name).string(); }
};

TEST_F(PictureTest, TheRegistryFindsExtensionsWhateverTheirCase) {
    EXPECT_EQ(TPicture::FindGraphicClass("bmp"), TBitmap::StaticClass());
    EXPECT_EQ(TPicture::FindGraphicClass("BMP"), TBitmap::StaticClass());
    EXPECT_EQ(TPicture::FindGraphicClass(".JpEg"), TJPEGImage::StaticClass());
    EXPECT_EQ(TPicture::FindGraphicClass("png"), nullptr);
    EXPECT_EQ(TPicture::FindGraphicClass(""), nullptr);

    TPicture::RegisterFileFormat("Tst", "Test pictures", TTestGraphic::StaticClass());
    TPicture::RegisterFileFormat("tst2", "Other test pictures", TTestGraphic::StaticClass());
    EXPECT_EQ(TPicture::FindGraphicClass("TST"), TTestGraphic::StaticClass());
    // A second registration of an extension replaces the first.
    TPicture::RegisterFileFormat("TST", "Test pictures again", TTestGraphic::StaticClass());
    int count = 0;
    for (const TFileFormat& f : TPicture::FileFormats())
        if (f.GraphicClass == TTestGraphic::StaticClass()) ++count;
    EXPECT_EQ(count, 2);

    EXPECT_EQ(TPicture::GraphicFilter(TTestGraphic::StaticClass()),
              "Tous (*.tst2;*.TST)|*.tst2;*.TST|Other test pictures (*.tst2)|*.tst2|"
              "Test pictures again (*.TST)|*.TST");
    EXPECT_NE(TPicture::GraphicFilter().find("Windows bitmaps (*.bmp)|*.bmp"), std::string::npos);

    TPicture::UnregisterGraphicClass(TTestGraphic::StaticClass());
    EXPECT_EQ(TPicture::FindGraphicClass("tst"), nullptr);
    EXPECT_EQ(TPicture::FindGraphicClass("tst2"), nullptr);
    EXPECT_EQ(TPicture::FindGraphicClass("bmp"), TBitmap::StaticClass());
}

TEST_F(PictureTest, LoadsByExtensionSavesInTheGraphicsOwnFormatAndNotifies) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(5, 3);
    bitmap.ScanLine(1)[3] = 0x7F;
    bitmap.SaveToFile(File("copy.DAT"));

    TPicture::RegisterFileFormat("dat", "Bitmaps under another name", TTestGraphic::StaticClass());
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TPicture&) { ++changes; };
    picture.LoadFromFile(File("copy.DAT"));
    EXPECT_EQ(changes, 1);
    ASSERT_NE(dynamic_cast<TTestGraphic*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Height(), 3);
    EXPECT_EQ(picture.Bitmap().ScanLine(1)[3], 0x7F);

    picture.Bitmap().SetSize(6, 3);  // changes of the held graphic reach the picture's owner
    EXPECT_EQ(changes, 2);

    picture.SaveToFile(File("again.bmp"));
    TBitmap reread;
    reread.LoadFromFile(File("again.bmp"));
    EXPECT_EQ(reread.Width(), 6);
    EXPECT_EQ(reread.ScanLine(1)[3], 0x7F);
}

TEST_F(PictureTest, FailedOrUnknownLoadsLeaveThePictureAsItWas) {
    TPicture picture;
    picture.Bitmap().SetSize(2, 2);
    try {
        picture.LoadFromFile(File("notes.txt"));
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Extension de fichier image inconnue (.txt)");
    }
    EXPECT_THROW(picture.LoadFromFile(File("absent.bmp")), EFOpenError);
    EXPECT_EQ(picture.Width(), 2);
}

TEST_F(PictureTest, EmptyPicturesHaveNoSizeAndWriteNoFile) {
    TPicture picture;
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
    EXPECT_EQ(picture.Height(), 0);
    picture.SaveToFile(File("nothing.bmp"));
    EXPECT_FALSE(std::filesystem::exists(File("nothing.bmp")));
}

TEST_F(PictureTest, AssignMakesAnIndependentCopyOfTheSameClass) {
    TTestGraphic original;
    original.SetPixelFormat(pf8bit);
    original.SetSize(4, 4);
    original.ScanLine(0)[0] = 9;
    TPicture picture;
    picture.Assign(original);
    ASSERT_NE(dynamic_cast<TTestGraphic*>(picture.Graphic()), nullptr);
    original.ScanLine(0)[0] = 1;
    EXPECT_EQ(picture.Bitmap().ScanLine(0)[0], 9);

    TPicture second;
    second.Assign(picture);
    EXPECT_EQ(second.Bitmap().PixelFormat(), pf8bit);
    second.Assign(TPicture());
    EXPECT_EQ(second.Graphic(), nullptr);
}

TEST_F(PictureTest, BitmapReplacesAGraphicThatIsNotOne) {
    TPicture picture;
    picture.SetGraphic(std::make_unique<TJPEGImage>());
    TBitmap& bitmap = picture.Bitmap();
    EXPECT_EQ(picture.Graphic(), &bitmap);
    EXPECT_TRUE(bitmap.Empty());
}

TEST(GraphicAssign, UnrelatedClassesRaise) {
    TJPEGImage jpeg;
    TTestGraphic bitmap;
    TJPEGImage other;
    EXPECT_NO_THROW(other.Assign(jpeg));
    struct TOpaque : TGraphic {
        static TGraphicClass StaticClass() {
            static const TGraphicClassInfo info{"TOpaque", nullptr};
            return &info;
        }
        TGraphicClass ClassType() const override { return StaticClass(); }
        int Width() const override { return 0; }
        int Height() const override { return 0; }
        void LoadFromStream(TStream&) override {}
        void SaveToStream(TStream&) const override {}
    } opaque;
    try {
        bitmap.Assign(opaque);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Impossible d'affecter un TOpaque à un TTestGraphic");
    }
}

}  // namespace
}  // namespace pellumo
