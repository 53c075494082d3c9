#include "authoring/slide_screen.h"

#include <vector>

#include "base/memory_stream.h"
#include "player/caption_line.h"
#include "player/fit_to_window.h"
#include "raster/canvas.h"
#include "raster/jpeg_image.h"

namespace pellumo {

TSlideScreen PrepareSlideScreen(std::span<const std::uint8_t> jpeg, const TSlideEntry& slide, int width, int height,
                                bool fineResize) {
    TSlideScreen screen;
    TMemoryStream data(std::vector<std::uint8_t>(jpeg.begin(), jpeg.end()));
    TJPEGImage image;
    image.LoadFromStream(data);
    screen.picture.Assign(image);

    const bool captioned = slide.Caption.length > 0;
    const int controlHeight = captioned ? height - kCaptionLineHeight : height;
    screen.control = TRect{0, 0, width, controlHeight};
    if (captioned) screen.captionLine = TRect{0, controlHeight, width, height};
    FitToWindow(screen.picture, width, captioned ? controlHeight - kCaptionLineGap : height, fineResize);
    // Drawn into the picture itself, so that the transition brings the frame with it.
    if (slide.Framed) {
        TCanvas& canvas = screen.picture.Canvas();
        canvas.Brush.Color = slide.FrameColor;
        canvas.FrameRect(TRect{0, 0, screen.picture.Width(), screen.picture.Height()});
    }
    screen.picture.SetPixelFormat(pf32bit);
    const int left = (width - screen.picture.Width()) / 2;
    const int top = (controlHeight - screen.picture.Height()) / 2;
    screen.place = TRect{left, top, left + screen.picture.Width(), top + screen.picture.Height()};
    return screen;
}

}  // namespace pellumo
