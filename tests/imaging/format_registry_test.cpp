#include "imaging/formats/format_registry.h"

#include <gtest/gtest.h>

#include "imaging/formats/sgi_graphic.h"
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
        "ppm", "pgm", "pbm", "cel", "pic", "pcd", "gif", "cut", "psp", "png"};
    ASSERT_EQ(registry.ExtensionEntries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(registry.ExtensionEntries()[i]->Extension, expected[i]);
    EXPECT_EQ(registry.ClassEntries().size(), 17u);
    for (const char* sgi : {"sgi", "rgb", "rgba", "bw"}) EXPECT_EQ(TPicture::FindGraphicClass(sgi), TSGIGraphic::StaticClass());
    EXPECT_EQ(DescriptionOf("sgi"), "SGI true color images");
    EXPECT_EQ(DescriptionOf("rgba"), "SGI true color images with alpha");
    EXPECT_EQ(DescriptionOf("bw"), "SGI black/white images");
    EXPECT_EQ(DescriptionOf("pdd"), "Photoshop images");
    EXPECT_EQ(DescriptionOf("tiff"), "Macintosh TIFF images");
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

}  // namespace
}  // namespace pellumo
