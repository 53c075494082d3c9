#include "resample_command.h"

#include <array>
#include <string_view>

#include "authoring/option_values.h"
#include "authoring/picture_loading.h"
#include "base/exceptions.h"
#include "imaging/resample/resample.h"
#include "picture_output.h"
#include "raster/bitmap.h"

namespace pellumo {
namespace {

constexpr std::array<std::string_view, kResampleFilterCount> kFilterNames = {
    "box", "triangle", "hermite", "bell", "spline", "lanczos3", "mitchell"};

TResampleFilter ParseFilter(std::string_view text) {
    for (std::size_t i = 0; i < kFilterNames.size(); ++i)
        if (text == kFilterNames[i]) return static_cast<TResampleFilter>(i);
    throw EOptionError("--filter : un filtre parmi " + ResampleFilterNames() + " est attendu");
}

}  // namespace

std::string ResampleFilterNames() {
    std::string names;
    for (const std::string_view name : kFilterNames) {
        if (!names.empty()) names += '|';
        names += name;
    }
    return names;
}

void RunResample(const TResampleRequest& request) {
    const TResampleFilter filter = ParseFilter(request.filter);
    const TSize size = ParseSize(request.size, "--size");
    if (!(request.radius >= 0.0f && request.radius <= kMaxFilterRadius))
        throw EOptionError("--radius : une valeur de 0 à 256 est attendue");
    CheckPictureOutput(request.output, {request.input}, request.force);

    TBitmap source = LoadPictureBitmap(request.input);
    TBitmap target;
    ResampleBitmap(size.Width, size.Height, filter, request.radius, source, target);
    SavePictureFile(target, request.output);
}

}  // namespace pellumo
