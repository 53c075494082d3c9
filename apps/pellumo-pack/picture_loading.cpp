#include "picture_loading.h"

#include "base/exceptions.h"
#include "imaging/formats/format_registry.h"
#include "raster/picture.h"

namespace pellumo {

TBitmap LoadPictureBitmap(const std::string& fileName) {
    FormatRegistry();  // the image library's formats join the picture registry
    TPicture picture;
    picture.LoadFromFile(fileName);
    TBitmap bitmap;
    bitmap.Assign(*picture.Graphic());
    if (bitmap.Empty()) throw EConvertError(fileName + " : image vide");
    return bitmap;
}

}  // namespace pellumo
