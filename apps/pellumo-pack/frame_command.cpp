#include "frame_command.h"

#include "base/exceptions.h"
#include "option_values.h"
#include "picture_loading.h"
#include "raster/bitmap.h"
#include "transition/render_frame.h"
#include "transition/style_names.h"

namespace pellumo {

void RunStyles(std::ostream& out) {
    for (std::size_t style = 0; style < kStyleCount; ++style)
        out << style << '\t' << StyleNameOf(static_cast<TShowStyle>(style)) << '\n';
}

void RunFrame(const TFrameRequest& request) {
    if (request.progress < 0 || request.progress > 100)
        throw EConvertError("--progress : une valeur de 0 à 100 est attendue");
    if (request.step < 1 || request.step > 100) throw EConvertError("--step : une valeur de 1 à 100 est attendue");
    const TShowStyle style = ParseStyle(request.style, "--style");

    TBitmap picture = LoadPictureBitmap(request.newPicture);
    const TBitmap oldPicture = LoadPictureBitmap(request.oldPicture);
    TBitmap old;
    old.SetSize(picture.Width(), picture.Height());
    old.Canvas().StretchDraw(TRect{0, 0, picture.Width(), picture.Height()}, oldPicture);

    // Fade and pivot take 32-bit rows; the other styles the display's own form.
    const TPixelFormat format = style >= 118 && style <= 122 ? pf32bit : pfDevice;
    picture.SetPixelFormat(format);
    old.SetPixelFormat(format);
    TBitmap screen;
    screen.SetPixelFormat(format);
    screen.SetSize(picture.Width(), picture.Height());
    RenderFrame(TFrame{picture, old, screen, style, request.step, request.progress, {}, {}, {}, {}});

    screen.SetPixelFormat(pf24bit);
    screen.SaveToFile(request.output);
}

}  // namespace pellumo
