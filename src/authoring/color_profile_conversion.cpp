#include "authoring/color_profile_conversion.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/parallel_parts.h"

namespace pellumo {
namespace {

struct TProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using TProfile = std::unique_ptr<void, TProfileCloser>;

struct TTransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using TTransform = std::unique_ptr<void, TTransformDeleter>;

// Within this many 8-bit levels of the identity, a profile counts as sRGB.
constexpr int kSrgbTolerance = 1;
// The grid an RGB profile is compared with sRGB on: every 17th level of each channel.
constexpr int kGridStep = 17;

TProfile OpenProfile(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kMaxColorProfileBytes) return nullptr;
    return TProfile(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

// The profile, when pixels of that kind can be read through it.
TProfile OpenFitting(std::span<const std::uint8_t> bytes, bool grayPixels) {
    TProfile profile = OpenProfile(bytes);
    if (profile == nullptr) return nullptr;
    const cmsColorSpaceSignature space = cmsGetColorSpace(profile.get());
    if (space == cmsSigRgbData || (grayPixels && space == cmsSigGrayData)) return profile;
    return nullptr;
}

bool IsGrayProfile(const TProfile& profile) { return cmsGetColorSpace(profile.get()) == cmsSigGrayData; }

// What gray pixels become in sRGB: gray levels under sRGB's tone curve, so that a gray
// picture stays gray.
TProfile SrgbGrayProfile() {
    // IEC 61966-2-1: Y = ((X + 0.055) / 1.055)^2.4 above 0.04045, X / 12.92 below.
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, parameters);
    if (curve == nullptr) return nullptr;
    TProfile gray(cmsCreateGrayProfile(cmsD50_xyY(), curve));
    cmsFreeToneCurve(curve);
    return gray;
}

// A transform from the profile to sRGB (sRGB gray for a gray profile), both sides in `format`
// with the colour model swapped to the target's for gray.
TTransform SrgbTransform(const TProfile& source, cmsUInt32Number format, cmsUInt32Number intent,
                         cmsUInt32Number flags) {
    const bool gray = IsGrayProfile(source);
    const TProfile target(gray ? SrgbGrayProfile().release() : cmsCreate_sRGBProfile());
    if (target == nullptr) return nullptr;
    const cmsUInt32Number input = gray ? TYPE_GRAY_8 : format;
    const cmsUInt32Number output = gray ? TYPE_GRAY_8 : format;
    return TTransform(cmsCreateTransform(source.get(), input, target.get(), output, intent, flags));
}

// Whether the profile's colours are sRGB's: see NeedsSrgbConversion.
bool IsSrgb(const TProfile& profile) {
    std::vector<std::uint8_t> samples;
    if (IsGrayProfile(profile)) {
        for (int level = 0; level < 256; ++level) samples.push_back(static_cast<std::uint8_t>(level));
    } else {
        for (int r = 0; r < 256; r += kGridStep)
            for (int g = 0; g < 256; g += kGridStep)
                for (int b = 0; b < 256; b += kGridStep)
                    samples.insert(samples.end(), {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                                                   static_cast<std::uint8_t>(b)});
    }
    const TTransform transform = SrgbTransform(profile, TYPE_RGB_8, INTENT_RELATIVE_COLORIMETRIC, 0);
    // A transform Little CMS cannot build makes the profile unusable, which is no reason to convert.
    if (transform == nullptr) return true;
    std::vector<std::uint8_t> converted(samples.size());
    const std::size_t channels = IsGrayProfile(profile) ? 1 : 3;
    cmsDoTransform(transform.get(), samples.data(), converted.data(), static_cast<cmsUInt32Number>(samples.size() / channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (std::abs(int{converted[i]} - int{samples[i]}) > kSrgbTolerance) return false;
    return true;
}

// Every palette entry gray: the pixels are gray levels, whatever their depth.
bool HasGrayPixels(const TBitmap& bitmap) {
    if (!IsIndexed(bitmap.PixelFormat())) return false;
    const TPalette& palette = EffectivePalette(bitmap.Palette(), BitsPerPixel(bitmap.PixelFormat()));
    return std::all_of(palette.begin(), palette.end(),
                       [](const TPaletteEntry& e) { return e.peRed == e.peGreen && e.peGreen == e.peBlue; });
}

static_assert(sizeof(TPaletteEntry) == 4, "palette entries are converted as RGBA pixels");

// Indexed pixels keep their indices; their colours change in the palette.
bool ConvertPalette(TBitmap& bitmap, const TProfile& profile) {
    TPalette palette = EffectivePalette(bitmap.Palette(), BitsPerPixel(bitmap.PixelFormat()));
    const TTransform transform = SrgbTransform(profile, TYPE_RGBA_8, INTENT_PERCEPTUAL, cmsFLAGS_COPY_ALPHA);
    if (transform == nullptr) return false;
    if (IsGrayProfile(profile)) {
        std::vector<std::uint8_t> levels;
        for (const TPaletteEntry& e : palette) levels.push_back(e.peRed);
        cmsDoTransform(transform.get(), levels.data(), levels.data(), static_cast<cmsUInt32Number>(levels.size()));
        for (std::size_t i = 0; i < palette.size(); ++i)
            palette[i].peRed = palette[i].peGreen = palette[i].peBlue = levels[i];
    } else {
        cmsDoTransform(transform.get(), palette.data(), palette.data(), static_cast<cmsUInt32Number>(palette.size()));
    }
    bitmap.SetPalette(std::move(palette));
    return true;
}

// Rows converted in place, on several cores for a large picture: without the transform's
// one-pixel cache, threads may share it.
bool ConvertPixels(TBitmap& bitmap, const TProfile& profile) {
    const bool alpha = BitsPerPixel(bitmap.PixelFormat()) == 32;
    const TTransform transform = SrgbTransform(profile, alpha ? TYPE_BGRA_8 : TYPE_BGR_8, INTENT_PERCEPTUAL,
                                               cmsFLAGS_NOCACHE | (alpha ? cmsFLAGS_COPY_ALPHA : 0));
    if (transform == nullptr) return false;
    if (!alpha) bitmap.SetPixelFormat(pf24bit);  // 15- and 16-bit pixels; 24-bit ones stay as they are
    const int height = bitmap.Height();
    const auto width = static_cast<cmsUInt32Number>(bitmap.Width());
    std::vector<std::uint8_t*> rows;
    for (int y = 0; y < height; ++y) rows.push_back(bitmap.ScanLine(y));
    const std::size_t parts = PartsFor(std::uint64_t{width} * static_cast<std::uint64_t>(height), kSmallestSharedPicture);
    RunParts(parts, [&](std::size_t part) {
        for (std::size_t y = rows.size() * part / parts; y < rows.size() * (part + 1) / parts; ++y)
            cmsDoTransform(transform.get(), rows[y], rows[y], width);
    });
    return true;
}

}  // namespace

bool NeedsSrgbConversion(std::span<const std::uint8_t> profile, bool grayPixels) {
    const TProfile opened = OpenFitting(profile, grayPixels);
    return opened != nullptr && !IsSrgb(opened);
}

bool ConvertToSrgb(TBitmap& bitmap) {
    const bool gray = HasGrayPixels(bitmap);
    if (bitmap.Empty() || !NeedsSrgbConversion(bitmap.ColorProfile(), gray)) return false;
    const TProfile profile = OpenFitting(bitmap.ColorProfile(), gray);
    const bool converted =
        IsIndexed(bitmap.PixelFormat()) ? ConvertPalette(bitmap, profile) : ConvertPixels(bitmap, profile);
    if (converted) bitmap.SetColorProfile({});
    return converted;
}

std::optional<std::string> ColorProfileDescription(std::span<const std::uint8_t> profile) {
    const TProfile opened = OpenProfile(profile);
    if (opened == nullptr) return std::nullopt;
    std::array<char, 256> text{};
    cmsGetProfileInfoASCII(opened.get(), cmsInfoDescription, "en", "US", text.data(),
                           static_cast<cmsUInt32Number>(text.size()));
    std::string description;
    for (const char c : text) {
        if (c == '\0') break;
        if (c >= 0x20 && c < 0x7F) description += c;
    }
    return description;
}

}  // namespace pellumo
