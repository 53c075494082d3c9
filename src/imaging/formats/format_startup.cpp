// The image library's formats: registered by StartImageFormats, removed by StopImageFormats.
#include <span>

#include "imaging/formats/autodesk_graphic.h"
#include "imaging/formats/cut_graphic.h"
#include "imaging/formats/format_registry.h"
#include "imaging/formats/gif_graphic.h"
#include "imaging/formats/heif_graphic.h"
#include "imaging/formats/jxl_graphic.h"
#include "imaging/formats/pcd_graphic.h"
#include "imaging/formats/pcx_graphic.h"
#include "imaging/formats/png_graphic.h"
#include "imaging/formats/ppm_graphic.h"
#include "imaging/formats/psd_graphic.h"
#include "imaging/formats/psp_graphic.h"
#include "imaging/formats/rla_graphic.h"
#include "imaging/formats/sgi_graphic.h"
#include "imaging/formats/targa_graphic.h"
#include "imaging/formats/tiff_graphic.h"
#include "imaging/formats/webp_graphic.h"
#include "raster/bitmap.h"
#include "raster/icon.h"
#include "raster/jpeg_image.h"
#include "raster/picture.h"

namespace pellumo {
namespace {

struct TStartupRow {
    std::string_view extension;
    TGraphicClass (*imageClass)();
    TFormatKinds kinds;
    std::string_view commonDescription;
    std::string_view ownDescription;
};

// In this order: the picture framework's descriptions follow from it.
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
    {"tiff", &TTIFFGraphic::StaticClass, fkMultiImage | fkRaster, "Tagged image file format images",
     "Macintosh TIFF images"},
    {"tif", &TTIFFGraphic::StaticClass, fkMultiImage | fkRaster, "", "PC TIF images"},
    {"fax", &TTIFFGraphic::StaticClass, fkMultiImage | fkRaster, "", "GFI fax images"},
    {"pcx", &TPCXGraphic::StaticClass, fkRaster, "ZSoft Paintbrush images", ""},
    {"pcc", &TPCXGraphic::StaticClass, fkRaster, "", ""},
    {"scr", &TPCXGraphic::StaticClass, fkRaster, "", "Word 5.x screen capture images"},
    {"rpf", &TRLAGraphic::StaticClass, fkRaster, "Alias/Wavefront images", ""},
    {"rla", &TRLAGraphic::StaticClass, fkRaster, "", ""},
    {"sgi", &TSGIGraphic::StaticClass, fkRaster, "SGI images", "SGI true color images"},
    {"rgba", &TSGIGraphic::StaticClass, fkRaster, "", "SGI true color images with alpha"},
    {"rgb", &TSGIGraphic::StaticClass, fkRaster, "", "SGI true color images"},
    {"bw", &TSGIGraphic::StaticClass, fkRaster, "", "SGI black/white images"},
    {"psd", &TPSDGraphic::StaticClass, fkLayered | fkRaster, "Photoshop images", ""},
    {"pdd", &TPSDGraphic::StaticClass, fkLayered | fkRaster, "", ""},
    {"ppm", &TPPMGraphic::StaticClass, fkRaster, "Portable map images", "Portable pixel map images"},
    {"pgm", &TPPMGraphic::StaticClass, fkRaster, "", "Portable gray map images"},
    {"pbm", &TPPMGraphic::StaticClass, fkRaster, "", "Portable bitmap images"},
    {"cel", &TAutodeskGraphic::StaticClass, fkRaster, "Autodesk images", ""},
    {"pic", &TAutodeskGraphic::StaticClass, fkRaster, "Autodesk images", ""},
    {"pcd", &TPCDGraphic::StaticClass, fkRaster, "Kodak Photo-CD images", ""},
    {"gif", &TGIFGraphic::StaticClass, fkAnimation | fkMultiImage | fkRaster, "CompuServe images", ""},
    {"cut", &TCUTGraphic::StaticClass, fkRaster, "Dr. Halo images", ""},
    {"psp", &TPSPGraphic::StaticClass, fkRaster | fkVector, "Paintshop Pro images", ""},
    {"png", &TPNGGraphic::StaticClass, fkRaster, "Portable network graphic images", ""},
};

// Today's photo formats, read through their field's libraries: registered after the whole
// start-up table, whose order stays as it is.
constexpr TStartupRow kLibraryTable[] = {
    {"heic", &THEIFGraphic::StaticClass, fkMultiImage | fkRaster, "HEIF images", ""},
    {"heif", &THEIFGraphic::StaticClass, fkMultiImage | fkRaster, "", ""},
    {"avif", &TAVIFGraphic::StaticClass, fkMultiImage | fkRaster, "AVIF images", ""},
    {"webp", &TWebPGraphic::StaticClass, fkAnimation | fkRaster, "WebP images", ""},
    {"jxl", &TJXLGraphic::StaticClass, fkAnimation | fkRaster, "JPEG XL images", ""},
};

// What StartImageFormats fills. It is made after the picture registry so that it is destroyed
// before it: a program that never stops its formats still unregisters them into a live picture
// registry at exit.
struct TStartedRegistry {
    TStartedRegistry() { TPicture::FileFormats(); }
    TStartedRegistry(const TStartedRegistry&) = delete;
    TStartedRegistry& operator=(const TStartedRegistry&) = delete;

    TFileFormatList list;
    bool started = false;
};

TStartedRegistry& StartedRegistry() {
    static TStartedRegistry registry;
    return registry;
}

}  // namespace

TFileFormatList& FormatRegistry() { return StartedRegistry().list; }

void StartImageFormats() {
    TStartedRegistry& registry = StartedRegistry();
    if (registry.started) return;
    using TTable = std::span<const TStartupRow>;
    for (const TTable table : {TTable(kStartupTable), TTable(kLibraryTable)})
        for (const TStartupRow& row : table)
            registry.list.AddFormat(row.extension, row.commonDescription, row.ownDescription, row.kinds,
                                    row.imageClass());
    registry.started = true;
}

void StopImageFormats() {
    TStartedRegistry& registry = StartedRegistry();
    TFileFormatList& list = registry.list;
    for (const TGraphicClass readerClass :
         {TPSPGraphic::StaticClass(), TPSDGraphic::StaticClass(), TTargaGraphic::StaticClass(),
          TTIFFGraphic::StaticClass(), TSGIGraphic::StaticClass(), TPCXGraphic::StaticClass(),
          TAutodeskGraphic::StaticClass(), TPCDGraphic::StaticClass(), TPPMGraphic::StaticClass(),
          TCUTGraphic::StaticClass(), TGIFGraphic::StaticClass(), TRLAGraphic::StaticClass()})
        list.RemoveFormat("", readerClass);
    // These only lower the bitmaps' count: "bmp" keeps the class registered until RemoveAll.
    list.RemoveFormat("rle", TBitmap::StaticClass());
    list.RemoveFormat("dib", TBitmap::StaticClass());
    list.RemoveFormat("", TPNGGraphic::StaticClass());
    // Bitmaps, icons, metafiles and JPEG images, and whatever else was registered meanwhile.
    list.RemoveAll();
    registry.started = false;
}

}  // namespace pellumo
