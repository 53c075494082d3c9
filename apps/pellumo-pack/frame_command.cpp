#include "frame_command.h"

#include "authoring/option_values.h"
#include "authoring/picture_loading.h"
#include "picture_output.h"
#include "raster/bitmap.h"
#include "transition/style_names.h"
#include "transition/transition_frames.h"

namespace pellumo {

void RunStyles(std::ostream& out) {
    for (std::size_t style = 0; style < kStyleCount; ++style)
        out << style << '\t' << StyleNameOf(static_cast<TShowStyle>(style)) << '\n';
}

void RunFrame(const TFrameRequest& request) {
    CheckRange(request.progress, 0, 100, "--progress");
    CheckRange(request.step, 1, 100, "--step");
    const TShowStyle style = ParseStyle(request.style, "--style");
    CheckPictureOutput(request.output, {request.oldPicture, request.newPicture}, request.force);

    const TBitmap picture = LoadPictureBitmap(request.newPicture);
    const TBitmap oldPicture = LoadPictureBitmap(request.oldPicture);
    TBitmap old;
    old.SetSize(picture.Width(), picture.Height());
    old.Canvas().StretchDraw(TRect{0, 0, picture.Width(), picture.Height()}, oldPicture);
    TBitmap screen = ComposeFrame(picture, old, style, request.step, request.progress);
    SavePictureFile(screen, request.output);
}

}  // namespace pellumo
