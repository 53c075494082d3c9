#pragma once

// ICC profiles made with Little CMS at test time, from the published definitions of the
// colour spaces: primaries, white point and tone curve.
#include <lcms2.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace pellumo::icc_profiles {

using TBytes = std::vector<std::uint8_t>;

// The profile's bytes, with the description given; closes the profile.
inline TBytes Saved(cmsHPROFILE profile, const char* description) {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    TBytes bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

inline constexpr cmsCIExyY kD65{0.3127, 0.3290, 1.0};

// Takes the curve.
inline TBytes Rgb(const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve, const char* description) {
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&kD65, &primaries, curves);
    cmsFreeToneCurve(curve);
    return Saved(profile, description);
}

// IEC 61966-2-1's curve, as Little CMS's parametric type 4.
inline cmsToneCurve* SrgbCurve() {
    const cmsFloat64Number parameters[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    return cmsBuildParametricToneCurve(nullptr, 4, parameters);
}

// Apple's Display P3: DCI-P3 primaries, D65, the sRGB curve.
inline TBytes DisplayP3() {
    return Rgb({{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}}, SrgbCurve(), "Display P3");
}

// Adobe RGB (1998): its primaries, D65, a gamma of 563/256.
inline TBytes AdobeRgb() {
    return Rgb({{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}}, cmsBuildGamma(nullptr, 563.0 / 256),
               "Adobe RGB (1998)");
}

inline constexpr cmsCIExyYTRIPLE kRec709{{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};

// sRGB as Little CMS makes it.
inline TBytes Srgb() { return Saved(cmsCreate_sRGBProfile(), "sRGB built-in"); }

// sRGB as cameras and editors embed it: a version 2 profile whose curve is a table of 1024
// entries, not Little CMS's own.
inline TBytes TabulatedSrgb() {
    std::vector<cmsUInt16Number> table(1024);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const double x = static_cast<double>(i) / (table.size() - 1);
        const double y = x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
        table[i] = static_cast<cmsUInt16Number>(std::lround(y * 65535));
    }
    cmsToneCurve* curve = cmsBuildTabulatedToneCurve16(nullptr, static_cast<cmsUInt32Number>(table.size()), table.data());
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&kD65, &kRec709, curves);
    cmsFreeToneCurve(curve);
    cmsSetProfileVersion(profile, 2.1);
    return Saved(profile, "sRGB IEC61966-2.1");
}

inline TBytes Gray(double gamma, const char* description) {
    cmsToneCurve* curve = cmsBuildGamma(nullptr, gamma);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsFreeToneCurve(curve);
    return Saved(profile, description);
}

// A profile of another colour space than any picture's pixels here.
inline TBytes Lab() { return Saved(cmsCreateLab4Profile(nullptr), "Lab"); }

}  // namespace pellumo::icc_profiles
