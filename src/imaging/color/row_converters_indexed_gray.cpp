// Palette indices and gray levels.
#include <array>
#include <cstring>

#include "imaging/color/row_converters.h"

namespace pellumo {
namespace {

using namespace color_rows;

bool IsNarrow(unsigned bits) { return bits == 1 || bits == 2 || bits == 4 || bits == 8; }

std::uint32_t MaxValue(unsigned bits) { return (1u << bits) - 1; }

// Packed values, most significant bits first, read one slot after another; the next byte is
// touched only when a value from it is read.
class TPackedReader {
public:
    TPackedReader(const std::uint8_t* row, unsigned bits) : byte_(row), bits_(bits), valueMask_(MaxValue(bits)) {}
    unsigned Next() {
        shift_ -= bits_;
        const unsigned value = (*byte_ >> shift_) & valueMask_;
        if (shift_ == 0) {
            ++byte_;
            shift_ = 8;
        }
        return value;
    }

private:
    const std::uint8_t* byte_;
    unsigned bits_;
    unsigned valueMask_;
    unsigned shift_ = 8;
};

// Packed slots of a target row, one per pixel position; writing a slot keeps the other bits
// of its byte.
class TPackedWriter {
public:
    TPackedWriter(std::uint8_t* row, unsigned bits)
        : byte_(row), bits_(bits), valueMask_(MaxValue(bits)), shift_(8 - bits) {}
    void Put(unsigned value) {
        *byte_ = static_cast<std::uint8_t>((*byte_ & ~(valueMask_ << shift_)) | (value << shift_));
    }
    void Advance() {
        if (shift_ == 0) {
            ++byte_;
            shift_ = 8 - bits_;
        } else {
            shift_ -= bits_;
        }
    }

private:
    std::uint8_t* byte_;
    unsigned bits_;
    unsigned valueMask_;
    unsigned shift_;
};

// Writes value(k) into the slot of every selected pixel, k counting the converted pixels.
template <class Value>
void ForSelectedSlots(const TRowJob& job, unsigned targetBits, Value&& value) {
    TPackedWriter out(job.target, targetBits);
    std::size_t converted = 0;
    unsigned bit = 0x80;
    for (std::uint32_t i = 0; i < job.count; ++i) {
        if ((job.mask & bit) != 0) out.Put(value(converted++));
        out.Advance();
        bit = bit == 1 ? 0x80 : bit >> 1;
    }
}

// One gray sample a pixel, from every `sourceStep` bytes of the source.
template <unsigned InBytes, unsigned OutBytes, class Map>
void GrayRow(const TRowJob& job, std::size_t sourceStep, Map map) {
    const std::uint8_t* in = job.source[0];
    ForSelectedPixels(job.count, job.mask, job.target, OutBytes, [&](std::size_t k, std::uint8_t* out) {
        const std::uint8_t* sample = in + k * sourceStep;
        const unsigned value = map(InBytes == 1 ? *sample : Load16(sample));
        if constexpr (OutBytes == 1)
            *out = static_cast<std::uint8_t>(value);
        else
            Store16(out, value);
    });
}

}  // namespace

void ConvertIndexedNarrowToNarrow(const TColorManager& manager, const TRowJob& job) {
    const unsigned sourceBits = manager.SourceBitsPerSample(), targetBits = manager.TargetBitsPerSample();
    if (!IsNarrow(sourceBits) || !IsNarrow(targetBits)) return;
    if (sourceBits == targetBits && job.mask == 0xFF) {
        // memmove: a caller may convert a row onto itself.
        std::memmove(job.target, job.source[0], (std::uint64_t{job.count} * sourceBits + 7) / 8);
        return;
    }
    std::array<std::uint8_t, 256> rescaled{};
    const std::uint32_t sourceMax = MaxValue(sourceBits), targetMax = MaxValue(targetBits);
    for (std::uint32_t v = 0; v <= sourceMax; ++v) rescaled[v] = static_cast<std::uint8_t>(v * targetMax / sourceMax);
    TPackedReader in(job.source[0], sourceBits);
    ForSelectedSlots(job, targetBits, [&](std::size_t) { return rescaled[in.Next()]; });
}

void ConvertIndexed16ToNarrow(const TColorManager& manager, const TRowJob& job) {
    const unsigned targetBits = manager.TargetBitsPerSample();
    if (manager.SourceBitsPerSample() != 16 || !IsNarrow(targetBits)) return;
    const std::uint32_t targetMax = MaxValue(targetBits);
    const std::uint8_t* in = job.source[0];
    WithSwap(manager, [&](auto swap) {
        ForSelectedSlots(job, targetBits, [&](std::size_t k) { return swap(Load16(in + 2 * k)) * targetMax / 65535; });
    });
}

void ConvertIndexedNarrowTo16(const TColorManager& manager, const TRowJob& job) {
    const unsigned sourceBits = manager.SourceBitsPerSample();
    if (!IsNarrow(sourceBits) || manager.TargetBitsPerSample() != 16) return;
    const std::uint32_t sourceMax = MaxValue(sourceBits);
    TPackedReader in(job.source[0], sourceBits);
    WithSwap(manager, [&](auto swap) {
        ForSelectedPixels(job.count, job.mask, job.target, 2, [&](std::size_t, std::uint8_t* out) {
            Store16(out, swap(in.Next() * 65535 / sourceMax));
        });
    });
}

void ConvertIndexed16To16(const TColorManager& manager, const TRowJob& job) {
    if (manager.SourceBitsPerSample() != 16 || manager.TargetBitsPerSample() != 16) return;
    const std::uint8_t* in = job.source[0];
    WithSwap(manager, [&](auto swap) {
        ForSelectedPixels(job.count, job.mask, job.target, 2,
                          [&](std::size_t k, std::uint8_t* out) { Store16(out, swap(Load16(in + 2 * k))); });
    });
}

void ConvertGray(const TColorManager& manager, const TRowJob& job) {
    const unsigned sourceBits = manager.SourceBitsPerSample(), targetBits = manager.TargetBitsPerSample();
    const std::size_t inBytes = sourceBits / 8;
    // The alpha sample after each gray one is stepped over.
    const std::size_t sourceStep = inBytes * (manager.SourceOptions().Contains(soAlpha) ? 2 : 1);
    WithGamma(manager, [&](auto gamma) {
        WithSwap(manager, [&](auto swap) {
            if (sourceBits == 8 && targetBits == 8)
                GrayRow<1, 1>(job, sourceStep, gamma);
            else if (sourceBits == 8 && targetBits == 16)
                GrayRow<1, 2>(job, sourceStep, [&](unsigned v) { return Widen(gamma(v)); });
            else if (sourceBits == 16 && targetBits == 8)
                GrayRow<2, 1>(job, sourceStep, [&](unsigned v) { return gamma(Narrow(swap(v))); });
            else if (sourceBits == 16 && targetBits == 16)
                GrayRow<2, 2>(job, sourceStep, swap);
        });
    });
}

}  // namespace pellumo
