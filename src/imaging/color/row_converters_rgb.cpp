// RGB-type data in either order, with or without alpha, 8 or 16 bits a sample.
#include "imaging/color/row_converters.h"

namespace pellumo {
namespace {

using namespace color_rows;

struct TRgbRow {
    TChannels in;
    std::size_t targetSamples;   // 3, or 4 when the target has alpha
    std::size_t redAt, blueAt;   // target sample of source channels 0 and 2
};

template <unsigned InBytes, unsigned OutBytes, bool CopyAlpha, class Color, class Alpha>
void RgbRow(const TRowJob& job, const TRgbRow& row, Color color, Alpha alpha) {
    const std::size_t red = row.redAt * OutBytes, green = OutBytes, blue = row.blueAt * OutBytes;
    ForSelectedPixels(job.count, job.mask, job.target, row.targetSamples * OutBytes,
                      [&](std::size_t k, std::uint8_t* out) {
                          Write<OutBytes>(out + red, color(Read<InBytes>(row.in.At(0, k))));
                          Write<OutBytes>(out + green, color(Read<InBytes>(row.in.At(1, k))));
                          Write<OutBytes>(out + blue, color(Read<InBytes>(row.in.At(2, k))));
                          if constexpr (CopyAlpha)
                              Write<OutBytes>(out + 3 * OutBytes, alpha(Read<InBytes>(row.in.At(3, k))));
                      });
}

template <unsigned InBytes, unsigned OutBytes, class Color, class Alpha>
void RgbRow(const TRowJob& job, const TRgbRow& row, bool copyAlpha, Color color, Alpha alpha) {
    if (copyAlpha)
        RgbRow<InBytes, OutBytes, true>(job, row, color, alpha);
    else
        RgbRow<InBytes, OutBytes, false>(job, row, color, alpha);
}

void ConvertRgbFamily(const TColorManager& manager, const TRowJob& job, bool exchange) {
    const unsigned sourceBits = manager.SourceBitsPerSample(), targetBits = manager.TargetBitsPerSample();
    if ((sourceBits != 8 && sourceBits != 16) || (targetBits != 8 && targetBits != 16)) return;

    const bool sourceAlpha = manager.SourceOptions().Contains(soAlpha);
    const bool targetAlpha = manager.TargetOptions().Contains(soAlpha);
    const bool copyAlpha = sourceAlpha && targetAlpha;
    const std::size_t inBytes = sourceBits / 8;
    TRgbRow row;
    row.in = job.source.size() == 1 ? Interleaved(job.source[0], sourceAlpha ? 4 : 3, inBytes)
                                    : Planar(job.source, copyAlpha ? 4 : 3, inBytes);
    row.targetSamples = targetAlpha ? 4 : 3;
    row.redAt = exchange ? 2 : 0;
    row.blueAt = exchange ? 0 : 2;

    // The commonest row of all (8-bit RGB to a 24-bit bitmap, every pixel): a plain loop the
    // compiler turns into shuffles.
    if (sourceBits == 8 && targetBits == 8 && exchange && !sourceAlpha && !targetAlpha && job.mask == 0xFF &&
        job.source.size() == 1 && !manager.TargetOptions().Contains(soApplyGamma)) {
        const std::uint8_t* in = job.source[0];
        std::uint8_t* out = job.target;
        for (std::size_t k = 0; k < job.count; ++k) {
            out[3 * k] = in[3 * k + 2];
            out[3 * k + 1] = in[3 * k + 1];
            out[3 * k + 2] = in[3 * k];
        }
        return;
    }
    WithGamma(manager, [&](auto gamma) {
        WithSwap(manager, [&](auto swap) {
            if (sourceBits == 8 && targetBits == 8)
                RgbRow<1, 1>(job, row, copyAlpha, gamma, TNoGamma{});
            else if (sourceBits == 8)
                RgbRow<1, 2>(job, row, copyAlpha, [&](unsigned v) { return swap(Widen(gamma(v))); },
                             [&](unsigned v) { return swap(Widen(v)); });
            else if (targetBits == 8)
                RgbRow<2, 1>(job, row, copyAlpha, [&](unsigned v) { return gamma(Narrow(swap(v))); },
                             [&](unsigned v) { return Narrow(swap(v)); });
            else
                RgbRow<2, 2>(job, row, copyAlpha, swap, swap);
        });
    });
}

}  // namespace

void ConvertRgbKeepOrder(const TColorManager& manager, const TRowJob& job) {
    ConvertRgbFamily(manager, job, false);
}

void ConvertRgbExchangeOrder(const TColorManager& manager, const TRowJob& job) {
    ConvertRgbFamily(manager, job, true);
}

}  // namespace pellumo
