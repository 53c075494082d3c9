#include "picture_loading.h"

#include "base/exceptions.h"
#include "raster/picture.h"

namespace pellumo {

TBitmap LoadPictureBitmap(const std::string& fileName) {
    TPicture picture;
    picture.LoadFromFile(fileName);
    TBitmap bitmap;
    bitmap.Assign(*picture.Graphic());
    if (bitmap.Empty()) throw EConvertError(fileName + " : image vide");
    return bitmap;
}

}  // namespace pellumo
