// The image library's formats, registered at its start and removed at its end.
#include "imaging/formats/format_registry.h"
#include "imaging/formats/gif_graphic.h"
#include "imaging/formats/pcx_graphic.h"
#include "imaging/formats/png_graphic.h"
#include "imaging/formats/targa_graphic.h"
#include "raster/bitmap.h"
#include "raster/icon.h"
#include "raster/jpeg_image.h"

namespace pellumo {
namespace {

struct TStartupRow {
    std::string_view extension;
    TGraphicClass (*imageClass)();
    TFormatKinds kinds;
    std::string_view commonDescription;
    std::string_view ownDescription;
};

// In this order; the readers' rows join as the readers arrive.
constexpr TStartupRow kStartupTable[] = {
    {"bmp", &TBitmap::StaticClass, fkRaster, "Windows bitmaps", ""},
    {"ico", &TIcon::StaticClass, fkRaster, "Windows icons", ""},
    {"wmf", &TMetafile::StaticClass, fkVector, "Windows metafiles", ""},
    {"emf", &TMetafile::StaticClass, fkVector, "Windows metafiles", "Windows enhanced meta files"},
    {"jpg", &TJPEGImage::StaticClass, fkRaster, "JPG images", ""},
    {"jpeg", &TJPEGImage::StaticClass, fkRaster, "", "JPEG images"},
    {"rle", &TBitmap::StaticClass, fkRaster, "Windows bitmaps", "Run length encoded Windows bitmaps"},
    {"dib", &TBitmap::StaticClass, fkRaster, "", "Device independant Windows bitmaps"},
    {"win", &TTargaGraphic::StaticClass, fkRaster, "Truevision images", ""},
    {"vst", &TTargaGraphic::StaticClass, fkRaster, "", ""},
    {"vda", &TTargaGraphic::StaticClass, fkRaster, "", ""},
    {"tga", &TTargaGraphic::StaticClass, fkRaster, "", ""},
    {"icb", &TTargaGraphic::StaticClass, fkRaster, "", ""},
    {"pcx", &TPCXGraphic::StaticClass, fkRaster, "ZSoft Paintbrush images", ""},
    {"pcc", &TPCXGraphic::StaticClass, fkRaster, "", ""},
    {"scr", &TPCXGraphic::StaticClass, fkRaster, "", "Word 5.x screen capture images"},
    {"gif", &TGIFGraphic::StaticClass, fkAnimation | fkMultiImage | fkRaster, "CompuServe images", ""},
    {"png", &TPNGGraphic::StaticClass, fkRaster, "Portable network graphic images", ""},
};

// Registered at start-up, removed in this order at shut-down; the rest goes with RemoveAll.
class TStartedRegistry {
public:
    TStartedRegistry() {
        for (const TStartupRow& row : kStartupTable)
            list.AddFormat(row.extension, row.commonDescription, row.ownDescription, row.kinds, row.imageClass());
    }
    ~TStartedRegistry() {
        for (const TGraphicClass readerClass :
             {TTargaGraphic::StaticClass(), TPCXGraphic::StaticClass(), TGIFGraphic::StaticClass()})
            list.RemoveFormat("", readerClass);
        list.RemoveFormat("rle", TBitmap::StaticClass());
        list.RemoveFormat("dib", TBitmap::StaticClass());
        list.RemoveFormat("", TPNGGraphic::StaticClass());
    }
    TStartedRegistry(const TStartedRegistry&) = delete;
    TStartedRegistry& operator=(const TStartedRegistry&) = delete;

    TFileFormatList list;
};

}  // namespace

TFileFormatList& FormatRegistry() {
    static TStartedRegistry registry;
    return registry.list;
}

}  // namespace pellumo
