#include "raster/graphic.h"

#include "base/file_stream.h"
#include "base/format.h"
#include "raster/bitmap.h"
#include "raster/raster_messages.h"

namespace pellumo {

void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyNone);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TGraphic::Assign(const TGraphic& source) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(this); bitmap != nullptr && source.AssignTo(*bitmap)) {
        SetColorProfile(source.ColorProfile());
        return;
    }
    throw EConvertError(Format(raster_messages::kCannotAssign,
                               {std::string(source.ClassType()->Name), std::string(ClassType()->Name)}));
}

void TGraphic::Changed() {
    if (OnChange) OnChange(*this);
}

bool TGraphic::AssignTo(TBitmap&) const { return false; }

}  // namespace pellumo
