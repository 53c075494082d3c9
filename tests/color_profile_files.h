#pragma once

// Pictures that carry an ICC profile, assembled in tests: the profile's bytes put into a JPEG's
// APP2 markers, a PNG's iCCP chunk or a TIFF's tag 34675. The readers take any bytes; tests
// that need a real profile make one with Little CMS (icc_test_profiles.h).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "imaging/png_test_files.h"
#include "imaging/tiff_test_files.h"

namespace pellumo::profile_files {

using TBytes = std::vector<std::uint8_t>;

// The most profile bytes one APP2 marker holds.
constexpr std::size_t kLargestMarkerPart = 65519;

// One APP2 marker: "ICC_PROFILE", a zero, the part's number (from 1) and the count of parts,
// then the part.
inline TBytes IccMarker(const TBytes& part, int number, int count) {
    const std::size_t length = 2 + 12 + 2 + part.size();
    TBytes marker{0xFF, 0xE2, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                  'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0,
                  static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(count)};
    marker.insert(marker.end(), part.begin(), part.end());
    return marker;
}

// The profile cut into parts of at most `partBytes`.
inline std::vector<TBytes> ProfileParts(const TBytes& profile, std::size_t partBytes = kLargestMarkerPart) {
    std::vector<TBytes> parts;
    for (std::size_t at = 0; at < profile.size(); at += partBytes) {
        const auto end = profile.begin() + static_cast<std::ptrdiff_t>(std::min(profile.size(), at + partBytes));
        parts.emplace_back(profile.begin() + static_cast<std::ptrdiff_t>(at), end);
    }
    return parts;
}

// The JPEG with these markers right after its SOI marker.
inline TBytes WithMarkers(const TBytes& jpeg, const std::vector<TBytes>& markers) {
    TBytes out(jpeg.begin(), jpeg.begin() + 2);
    for (const TBytes& marker : markers) out.insert(out.end(), marker.begin(), marker.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// The JPEG carrying the profile, in as many markers as it takes.
inline TBytes WithJpegProfile(const TBytes& jpeg, const TBytes& profile) {
    const std::vector<TBytes> parts = ProfileParts(profile);
    std::vector<TBytes> markers;
    for (std::size_t i = 0; i < parts.size(); ++i)
        markers.push_back(IccMarker(parts[i], static_cast<int>(i + 1), static_cast<int>(parts.size())));
    return WithMarkers(jpeg, markers);
}

// An iCCP chunk's data: a name, a zero, compression method 0, the profile deflated.
inline TBytes IccpData(const TBytes& profile) {
    TBytes data{'I', 'C', 'C', 0, 0};
    const TBytes packed = png_files::Deflated(profile);
    data.insert(data.end(), packed.begin(), packed.end());
    return data;
}

// The PNG with these chunks right after its IHDR chunk.
inline TBytes WithPngChunks(const TBytes& png, const std::vector<TBytes>& chunks) {
    constexpr std::ptrdiff_t kAfterHeader = 8 + 12 + 13;  // signature, IHDR with its 13 bytes
    TBytes out(png.begin(), png.begin() + kAfterHeader);
    for (const TBytes& chunk : chunks) out.insert(out.end(), chunk.begin(), chunk.end());
    out.insert(out.end(), png.begin() + kAfterHeader, png.end());
    return out;
}

inline TBytes WithPngProfile(const TBytes& png, const TBytes& profile) {
    return WithPngChunks(png, {png_files::Chunk("iCCP", IccpData(profile))});
}

// An uncompressed RGB TIFF (8 bits a sample, one strip) of the RGB samples given, with the
// profile in tag 34675 when there is one.
inline TBytes RgbTiff(std::uint32_t width, std::uint32_t height, const TBytes& rgb, const TBytes& profile = {}) {
    tiff_files::TFile file = tiff_files::StripImage(false, width, height, 8, 3, 2, height);
    if (!profile.empty()) file.Add(34675, tiff_files::ttByte, std::vector<std::uint32_t>(profile.begin(), profile.end()));
    file.Strips = {rgb};
    return file.Build();
}

}  // namespace pellumo::profile_files
