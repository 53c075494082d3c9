#include "authoring/picture_loading.h"

#include "base/format.h"
#include "raster/picture.h"

namespace pellumo {

void RaisePictureError(const std::string& fileName, const std::string& reason) {
    throw EPictureError(Format("%s : image illisible (%s)", {fileName, reason}));
}

TBitmap LoadPictureBitmap(const std::string& fileName) {
    TBitmap bitmap;
    try {
        TPicture picture;
        picture.LoadFromFile(fileName);
        bitmap.Assign(*picture.Graphic());
    } catch (const Exception& e) {
        RaisePictureError(fileName, e.Message());
    }
    if (bitmap.Empty()) RaisePictureError(fileName, "aucun pixel");
    return bitmap;
}

}  // namespace pellumo
