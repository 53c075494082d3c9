// Turning one slide's JPEG bytes into what the window shows.
#include "base/memory_stream.h"
#include "player/caption_line.h"
#include "player/fit_to_window.h"
#include "player/main_form.h"
#include "raster/canvas.h"
#include "raster/jpeg_image.h"

namespace pellumo {

void TMainForm::LoadSlidePicture(const TSlideEntry& entry) {
    // The bytes are read afresh for every display; nothing of a slide stays in memory.
    TMemoryStream data;
    data.CopyFrom(*catalogueStream_, entry.DataSize);
    data.SetPosition(0);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(data);
    workBitmap_->Assign(jpeg);
}

void TMainForm::ShowSlide() {
    if (ImageScreen.Busy()) ImageScreen.StopTransition();
    ImageScreen.SetStyle(SlideStyle(transitionStyle_));
    LabelComment.SetVisible(!LabelComment.Caption().empty());
    // Sized in the screen's own pixels, so that the picture is shown 1:1.
    const int availableWidth = ToPhysicalPixels(Width());
    const int availableHeight =
        ToPhysicalPixels(LabelComment.Visible() ? Height() - LabelComment.Height() - kCaptionLineGap : Height());
    FitToWindow(*workBitmap_, availableWidth, availableHeight, fineResize_);

    // A smaller picture would leave parts of the last one around it; style 0 always starts
    // from a clear screen.
    TPicture& picture = ImageScreen.Picture();
    const bool coversLastPicture =
        workBitmap_->Width() >= picture.Width() && workBitmap_->Height() >= picture.Height();
    if (!coversLastPicture || transitionStyle_ == 0) {
        ImageScreen.ClearScreen();
        ImageScreen.Update();
    }
    picture.Assign(*workBitmap_);
    if (framed_) {
        // Drawn into the picture itself, so the transition brings the frame with it.
        TCanvas& canvas = picture.Bitmap().Canvas();
        canvas.Brush.Color = frameColor_;
        canvas.FrameRect(TRect{0, 0, picture.Width(), picture.Height()});
    }
    ImageScreen.StartTransition();
}

}  // namespace pellumo
