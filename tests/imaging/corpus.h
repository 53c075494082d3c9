#pragma once

// The image corpus beside the project (../shared/corpus): its manifest, and the reference
// decodes as pixels. Tests that need it skip, visibly, where it is absent.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>

#include "imaging/corpus_manifest.h"
#include "raster/bitmap.h"
#include "raster/pixel_rows.h"

namespace pellumo::corpus {

// The largest difference of a colour channel between the bitmap and the reference decode,
// compared premultiplied by the reference's alpha (where the bitmap has none, it is opaque);
// -1 when the sizes differ.
inline int LargestDifference(const TBitmap& bitmap, const QImage& reference) {
    if (bitmap.Width() != reference.width() || bitmap.Height() != reference.height()) return -1;
    const QImage ref = reference.convertToFormat(QImage::Format_ARGB32);
    const bool hasAlpha = bitmap.PixelFormat() == pf32bit;
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(bitmap.Width()) * 4);
    int largest = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        UnpackRow(bitmap.ScanLine(y), bitmap.PixelFormat(), bitmap.Palette(), bitmap.Width(), bgra.data());
        if (hasAlpha) std::copy_n(bitmap.ScanLine(y), bgra.size(), bgra.data());
        for (int x = 0; x < bitmap.Width(); ++x) {
            const QRgb want = ref.pixel(x, y);
            const std::uint8_t* got = &bgra[static_cast<std::size_t>(x) * 4];
            const int wantAlpha = qAlpha(want), gotAlpha = hasAlpha ? got[3] : 255;
            const int pairs[3][2] = {{got[2], qRed(want)}, {got[1], qGreen(want)}, {got[0], qBlue(want)}};
            for (const auto& [mine, theirs] : pairs)
                largest = std::max(largest, std::abs(mine * gotAlpha / 255 - theirs * wantAlpha / 255));
        }
    }
    return largest;
}

}  // namespace pellumo::corpus
