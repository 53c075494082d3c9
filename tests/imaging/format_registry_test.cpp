#include "imaging/formats/format_registry.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <tuple>

#include "imaging/formats/rla_graphic.h"
#include "imaging/formats/sgi_graphic.h"
#include "imaging/formats/targa_graphic.h"
#include "raster/bitmap.h"
#include "raster/icon.h"
#include "raster/jpeg_image.h"
#include "raster/picture.h"

namespace pellumo {
namespace {

// Classes of the tests' own, so that the picture registry's real entries stay as they are.
const TGraphicClassInfo kFirstClass{"TFirst", [] { return std::unique_ptr<TGraphic>(new TBitmap); }};
const TGraphicClassInfo kSecondClass{"TSecond", [] { return std::unique_ptr<TGraphic>(new TBitmap); }};

std::string DescriptionOf(std::string_view extension) {
    for (const TFileFormat& format : TPicture::FileFormats())
        if (format.Extension == extension) return format.Description;
    return "(none)";
}

TEST(FormatRegistry, StartsWithTheTableInOrderAndFindsExtensionsInAnyCase) {
    const TFileFormatList& registry = FormatRegistry();
    const std::vector<std::string> expected = {
        "bmp", "ico", "wmf", "emf", "jpg", "jpeg", "rle", "dib", "win", "vst", "vda", "tga", "icb",
        "tiff", "tif", "fax", "pcx", "pcc", "scr", "rpf", "rla", "sgi", "rgba", "rgb", "bw", "psd", "pdd",
        "ppm", "pgm", "pbm", "cel", "pic", "pcd", "gif", "cut", "psp", "png",
        // the formats read through their field's libraries, after the whole table
        "heic", "heif", "avif", "webp", "jxl"};
    ASSERT_EQ(registry.ExtensionEntries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(registry.ExtensionEntries()[i]->Extension, expected[i]);
    EXPECT_EQ(registry.ClassEntries().size(), 21u);
    for (const char* sgi : {"sgi", "rgb", "rgba", "bw"}) EXPECT_EQ(TPicture::FindGraphicClass(sgi), TSGIGraphic::StaticClass());
    EXPECT_EQ(DescriptionOf("sgi"), "SGI true color images");
    EXPECT_EQ(DescriptionOf("rgba"), "SGI true color images with alpha");
    EXPECT_EQ(DescriptionOf("bw"), "SGI black/white images");
    EXPECT_EQ(DescriptionOf("pdd"), "Photoshop images");
    EXPECT_EQ(DescriptionOf("tiff"), "Macintosh TIFF images");
    EXPECT_EQ(DescriptionOf("heif"), "HEIF images");
    EXPECT_EQ(DescriptionOf("avif"), "AVIF images");
    EXPECT_EQ(DescriptionOf("webp"), "WebP images");
    EXPECT_EQ(DescriptionOf("jxl"), "JPEG XL images");
    EXPECT_EQ(registry.ExtensionEntries()[14]->FormatKinds, fkMultiImage | fkRaster);
    EXPECT_EQ(registry.ExtensionEntries()[35]->FormatKinds, fkRaster | fkVector);
    EXPECT_EQ(registry.IndexOfExtension("JpEg"), 5);
    EXPECT_EQ(registry.IndexOfExtension(""), -1);
    const TClassEntry& bitmaps = *registry.ClassEntries()[static_cast<std::size_t>(registry.IndexOfClass(TBitmap::StaticClass()))];
    EXPECT_EQ(bitmaps.ExtensionCount, 3);
    EXPECT_EQ(bitmaps.Description, "Windows bitmaps");
    EXPECT_EQ(DescriptionOf("emf"), "Windows enhanced meta files");
    EXPECT_EQ(DescriptionOf("wmf"), "Windows metafiles");
    EXPECT_EQ(DescriptionOf("dib"), "Device independant Windows bitmaps");
    EXPECT_EQ(TPicture::FindGraphicClass("ICO"), TIcon::StaticClass());
    EXPECT_EQ(TPicture::FindGraphicClass("jpeg"), TJPEGImage::StaticClass());

    const std::size_t registered = registry.ExtensionEntries().size();
    for (const char* again : {"tga", "BMP"}) {
        try {
            FormatRegistry().AddFormat(again, "", "", fkRaster, &kFirstClass);
            ADD_FAILURE() << "registered twice";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), std::string("Attempt to register ") + again + " files twice.");
        }
    }
    EXPECT_EQ(registry.ExtensionEntries().size(), registered);
    EXPECT_EQ(registry.IndexOfClass(&kFirstClass), -1);
    EXPECT_EQ(TPicture::FindGraphicClass("bmp"), TBitmap::StaticClass());
}

TEST(FormatRegistry, RemovingExtensionsAndWholeClassesKeepsTheCounts) {
    TFileFormatList list;
    list.AddFormat("", "ignored", "", fkRaster, &kFirstClass);  // nothing, not even a class
    EXPECT_TRUE(list.ClassEntries().empty());
    list.AddFormat("zq1", "First images", "", fkRaster, &kFirstClass);
    list.AddFormat("zq2", "", "Second kind of first images", fkRaster, &kFirstClass);
    list.AddFormat("zq3", "", "", fkLayered | fkRaster, &kSecondClass);
    list.AddFormat("zq4", "Renamed first images", "", fkRaster, &kFirstClass);
    EXPECT_EQ(list.ClassEntries().size(), 2u);
    EXPECT_EQ(list.ClassEntries()[0]->Description, "Renamed first images");
    EXPECT_EQ(DescriptionOf("zq1"), "First images");  // as it was when registered
    EXPECT_EQ(DescriptionOf("zq3"), "");

    // One extension of several: the picture registry still knows it while the class has others.
    list.RemoveFormat("ZQ1", &kFirstClass);
    EXPECT_EQ(list.IndexOfExtension("zq1"), -1);
    EXPECT_EQ(list.ClassEntries()[0]->ExtensionCount, 2);
    EXPECT_EQ(TPicture::FindGraphicClass("zq1"), &kFirstClass);
    list.RemoveFormat("nothing", &kFirstClass);

    // The whole class: every extension, the class entry, and the picture registry's entries.
    list.RemoveFormat("", &kFirstClass);
    EXPECT_EQ(list.IndexOfClass(&kFirstClass), -1);
    ASSERT_EQ(list.ExtensionEntries().size(), 1u);
    EXPECT_EQ(list.ExtensionEntries()[0]->Extension, "zq3");
    EXPECT_EQ(TPicture::FindGraphicClass("zq1"), nullptr);
    EXPECT_EQ(TPicture::FindGraphicClass("zq4"), nullptr);

    list.RemoveFormat("zq3", &kSecondClass);  // its last extension takes the class with it
    EXPECT_TRUE(list.ClassEntries().empty());
    EXPECT_EQ(TPicture::FindGraphicClass("zq3"), nullptr);
}

// The test program starts the formats once for every test; these tests stop them, and start
// them again whatever happens, for the tests that follow.
class ImageFormatsLifetime : public ::testing::Test {
protected:
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("pellumo-format-registry-" + std::to_string(::getpid()));

    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override {
        StopImageFormats();
        StartImageFormats();
        std::filesystem::remove_all(folder);
    }
    std::string File(const std::string& name) const { return (folder / name).string(); }

    // Real pictures: a bitmap (the raster layer's own class) and a Targa file (a reader's).
    void WritePictures() const {
        TBitmap bitmap;
        bitmap.SetPixelFormat(pf24bit);
        bitmap.SetSize(3, 2);
        bitmap.SaveToFile(File("picture.bmp"));
        TTargaGraphic targa;
        targa.Assign(bitmap);
        targa.SaveToFile(File("picture.tga"));
    }
    void ExpectPicturesLoad() const {
        for (const char* name : {"picture.bmp", "picture.tga"}) {
            TPicture picture;
            EXPECT_NO_THROW(picture.LoadFromFile(File(name))) << name;
            EXPECT_EQ(picture.Width(), 3) << name;
        }
    }
};

using TRegistration = std::tuple<std::string, std::string, TFormatKinds, TGraphicClass, std::string, int>;

// Every extension entry with its class entry, in registration order.
std::vector<TRegistration> Registrations() {
    std::vector<TRegistration> rows;
    for (const auto& entry : FormatRegistry().ExtensionEntries())
        rows.emplace_back(entry->Extension, entry->Description, entry->FormatKinds, entry->ClassEntry->ImageClass,
                          entry->ClassEntry->Description, entry->ClassEntry->ExtensionCount);
    return rows;
}

std::map<std::string, std::pair<std::string, TGraphicClass>> PictureRegistry() {
    std::map<std::string, std::pair<std::string, TGraphicClass>> formats;
    for (const TFileFormat& format : TPicture::FileFormats())
        formats[format.Extension] = {format.Description, format.GraphicClass};
    return formats;
}

TEST_F(ImageFormatsLifetime, StoppingForgetsEveryClassAndStartingAgainRegistersTheSameRows) {
    WritePictures();
    ExpectPicturesLoad();
    const std::vector<TRegistration> started = Registrations();
    ASSERT_EQ(started.size(), 42u);
    std::vector<TGraphicClass> classOrder;
    for (const auto& entry : FormatRegistry().ClassEntries()) classOrder.push_back(entry->ImageClass);
    const auto pictureFormats = PictureRegistry();
    ASSERT_EQ(pictureFormats.size(), 42u);

    // A class already gone before the end, and one of a caller's own registered meanwhile: the
    // shut-down sequence passes over the first, and the second goes with the rest.
    FormatRegistry().RemoveFormat("", TRLAGraphic::StaticClass());
    FormatRegistry().AddFormat("zq9", "Caller's images", "", fkRaster, &kSecondClass);

    StopImageFormats();
    EXPECT_TRUE(FormatRegistry().ExtensionEntries().empty());
    EXPECT_TRUE(FormatRegistry().ClassEntries().empty());
    // The raster layer's own bmp, jpg and jpeg go too.
    EXPECT_TRUE(TPicture::FileFormats().empty());
    for (const TRegistration& row : started) {
        const std::string extension = std::get<0>(row);
        EXPECT_EQ(TPicture::FindGraphicClass(extension), nullptr) << extension;
        TPicture picture;
        try {
            picture.LoadFromFile(File("picture." + extension));
            ADD_FAILURE() << extension << " still loads";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "Extension de fichier image inconnue (." + extension + ")");
        }
    }
    EXPECT_EQ(TPicture::FindGraphicClass("zq9"), nullptr);
    EXPECT_NO_THROW(StopImageFormats());  // stopping what is stopped changes nothing

    StartImageFormats();
    EXPECT_EQ(Registrations(), started);
    std::vector<TGraphicClass> restartedClassOrder;
    for (const auto& entry : FormatRegistry().ClassEntries()) restartedClassOrder.push_back(entry->ImageClass);
    EXPECT_EQ(restartedClassOrder, classOrder);
    EXPECT_EQ(PictureRegistry(), pictureFormats);
    ExpectPicturesLoad();
}

TEST_F(ImageFormatsLifetime, StartingTwiceRegistersNothingTwice) {
    const std::vector<TRegistration> started = Registrations();
    const auto pictureFormats = PictureRegistry();
    EXPECT_NO_THROW(StartImageFormats());
    EXPECT_EQ(Registrations(), started);
    EXPECT_EQ(FormatRegistry().ClassEntries().size(), 21u);
    EXPECT_EQ(PictureRegistry(), pictureFormats);

    // Nor after a stop: the second start of a new run is as harmless as the first's.
    StopImageFormats();
    StartImageFormats();
    EXPECT_NO_THROW(StartImageFormats());
    EXPECT_EQ(Registrations(), started);
}

}  // namespace
}  // namespace pellumo
