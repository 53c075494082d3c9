// Turning one slide's JPEG bytes into what the window shows.
#include "base/memory_stream.h"
#include "player/main_form.h"
#include "raster/jpeg_image.h"

namespace pellumo {

void TMainForm::LoadSlidePicture() {
    // The bytes are read afresh for every display; nothing of a slide stays in memory.
    const TSlideEntry& entry = slides_[static_cast<std::size_t>(currentIndex_)];
    TMemoryStream data;
    data.CopyFrom(*catalogueStream_, entry.DataSize);
    data.SetPosition(0);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(data);
    workBitmap_->Assign(jpeg);
}

void TMainForm::ShowSlide() { LabelComment.SetVisible(!LabelComment.Caption().empty()); }

}  // namespace pellumo
