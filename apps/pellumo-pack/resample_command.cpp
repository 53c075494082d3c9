#include "resample_command.h"

#include <array>
#include <charconv>
#include <string_view>

#include "base/exceptions.h"
#include "imaging/formats/resample.h"
#include "option_values.h"
#include "picture_loading.h"
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

int ParseLength(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1) return -1;
    return value;
}

struct TSize {
    int Width;
    int Height;
};

TSize ParseSize(std::string_view text) {
    const std::size_t x = text.find('x');
    const TSize size = x == std::string_view::npos
                           ? TSize{-1, -1}
                           : TSize{ParseLength(text.substr(0, x)), ParseLength(text.substr(x + 1))};
    if (size.Width < 1 || size.Height < 1)
        throw EOptionError("--size : LARGEURxHAUTEUR attendu, deux entiers positifs (par exemple 1920x1080)");
    return size;
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
    const TSize size = ParseSize(request.size);
    if (!(request.radius >= 0.0f && request.radius <= kMaxFilterRadius))
        throw EOptionError("--radius : une valeur de 0 à 256 est attendue");

    TBitmap source = LoadPictureBitmap(request.input);
    TBitmap target;
    ResampleBitmap(size.Width, size.Height, filter, request.radius, source, target);
    target.SaveToFile(request.output);
}

}  // namespace pellumo
