#include "imaging/compression/run_length_decoders.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellumo {
namespace {

// Bounded cursors over the caller's buffers: reads past the end give nothing, writes past the
// end are dropped, and both report it so that a decoder stops.
class TReader {
public:
    explicit TReader(TPackedBytes bytes) : bytes_(bytes) {}
    bool AtEnd() const { return position_ >= bytes_.size(); }
    std::size_t Remaining() const { return bytes_.size() - position_; }
    std::size_t Position() const { return position_; }
    bool Next(std::uint8_t& value) {
        if (AtEnd()) return false;
        value = bytes_[position_++];
        return true;
    }
    // Up to `count` bytes from the current position; the position moves past them.
    TPackedBytes Take(std::size_t count) {
        const std::size_t taken = std::min(count, Remaining());
        const TPackedBytes part = bytes_.subspan(position_, taken);
        position_ += taken;
        return part;
    }
    void Skip(std::size_t count) { position_ += std::min(count, Remaining()); }

private:
    TPackedBytes bytes_;
    std::size_t position_ = 0;
};

class TWriter {
public:
    explicit TWriter(TUnpackedBytes bytes) : bytes_(bytes) {}
    bool Full() const { return position_ >= bytes_.size(); }
    std::size_t Position() const { return position_; }
    void Copy(TPackedBytes part) {
        const std::size_t count = std::min(part.size(), bytes_.size() - position_);
        if (count == 0) return;  // an empty span may have no memory behind it at all
        std::memcpy(bytes_.data() + position_, part.data(), count);
        position_ += count;
    }
    // A literal packet of at most 128 bytes: 16-byte blocks then the rest beat the string
    // instruction the compiler would otherwise pick for a copy it knows to be that small. Where
    // both buffers have room for the last block whole, it is copied whole: the bytes past the
    // packet are written again by what follows (or lie past the data), and it saves the tail's
    // call.
    void CopyPacket(TReader& in, std::size_t count) {
        const std::size_t blocks = (count + 15) / 16 * 16;
        if (in.Remaining() >= blocks && bytes_.size() - position_ >= blocks) {
            const std::uint8_t* from = in.Take(count).data();
            for (std::size_t done = 0; done < blocks; done += 16) std::memcpy(bytes_.data() + position_ + done, from + done, 16);
            position_ += count;
            return;
        }
        const TPackedBytes part = in.Take(count);
        count = std::min(part.size(), bytes_.size() - position_);
        std::size_t done = 0;
        for (; done + 16 <= count; done += 16) std::memcpy(bytes_.data() + position_ + done, part.data() + done, 16);
        position_ += done;
        Copy(part.subspan(done, count - done));
    }
    // Short runs, the common ones, likewise in whole 16-byte blocks where there is room.
    void Fill(std::size_t count, std::uint8_t value) {
        const std::size_t room = bytes_.size() - position_;
        if (count <= 32 && room >= 32) {
            std::memset(bytes_.data() + position_, value, 16);
            if (count > 16) std::memset(bytes_.data() + position_ + 16, value, 16);
            position_ += count;
            return;
        }
        count = std::min(count, room);
        if (count == 0) return;
        std::memset(bytes_.data() + position_, value, count);
        position_ += count;
    }
    // The pattern (one pixel or sample), `count` times.
    void Repeat(std::size_t count, TPackedBytes pattern) {
        for (std::size_t i = 0; i < count && !Full(); ++i) Copy(pattern);
    }

private:
    TUnpackedBytes bytes_;
    std::size_t position_ = 0;
};

// Targa pixels are whole units of this many bytes; 0 for depths the format does not have.
std::size_t TargaPixelSize(std::int32_t colorDepth) {
    switch (colorDepth) {
        case 8: return 1;
        case 15:
        case 16: return 2;
        case 24: return 3;
        case 32: return 4;
        default: return 0;
    }
}

}  // namespace

void TPackbitsRLEDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                      std::int32_t) {
    TReader in(source);
    TWriter out(dest);
    std::uint8_t control = 0;
    while (packedSize > 0 && !out.Full() && in.Next(control)) {
        const auto k = static_cast<std::int8_t>(control);
        if (k >= 0) {
            out.CopyPacket(in, static_cast<std::size_t>(k) + 1);
            packedSize -= k + 2;
        } else if (k == -128) {
            packedSize -= 1;
        } else {
            std::uint8_t value = 0;
            if (!in.Next(value)) break;
            out.Fill(static_cast<std::size_t>(1 - k), value);
            packedSize -= 2;
        }
    }
}

void TPCXRLEDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t,
                                 std::int32_t unpackedSize) {
    const auto wanted = static_cast<std::size_t>(std::max(unpackedSize, 0));
    TPCXLineDecoder(source).Decode(dest.first(std::min(wanted, dest.size())));
}

std::size_t TPCXLineDecoder::Decode(TUnpackedBytes line) {
    std::uint8_t* out = line.data();
    std::uint8_t* const end = out + line.size();
    const std::size_t carried = std::min(runLeft_, line.size());
    if (carried > 0) std::memset(out, runValue_, carried);
    out += carried;
    runLeft_ -= carried;
    const std::uint8_t* in = source_.data() + position_;
    const std::uint8_t* const inEnd = source_.data() + source_.size();
#if defined(__SSE2__)
    // Sixteen packed bytes are looked at together: the literals before the first run control
    // are copied in one store, and the run (at most 63 bytes) in whole 16-byte blocks. Only where
    // no block can reach past either buffer.
    const __m128i marker = _mm_set1_epi8(static_cast<char>(0xC0));
    while (end - out >= 16 + 64 && inEnd - in >= 17) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
        const auto controls =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(bytes, marker), marker)));
        if (controls == 0) {
            in += 16;
            out += 16;
            continue;
        }
        const auto literals = static_cast<unsigned>(std::countr_zero(controls));
        in += literals;
        out += literals;
        const std::size_t count = in[0] & 0x3Fu;
        const __m128i value = _mm_set1_epi8(static_cast<char>(in[1]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), value);
        if (count > 16)
            for (std::size_t block = 16; block < 64; block += 16)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + block), value);
        out += count;
        in += 2;
    }
#endif
    while (out < end && in < inEnd) {
        const std::uint8_t control = *in++;
        if ((control & 0xC0) != 0xC0) {
            *out++ = control;
            continue;
        }
        if (in == inEnd) break;  // a run without its value: the data ends here
        const std::uint8_t value = *in++;
        const std::size_t count = control & 0x3Fu;
        const std::size_t written = std::min(count, static_cast<std::size_t>(end - out));
        if (written > 0) std::memset(out, value, written);
        out += written;
        runLeft_ = count - written;
        runValue_ = value;
    }
    position_ = static_cast<std::size_t>(in - source_.data());
    return static_cast<std::size_t>(out - line.data());
}

void TPSPRLEDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                                 std::int32_t) {
    TReader in(source);
    TWriter out(dest);
    std::uint8_t control = 0;
    while (packedSize > 0 && !out.Full() && in.Next(control)) {
        if (control < 128) {
            out.Copy(in.Take(control));
            packedSize -= control + 1;
        } else {
            std::uint8_t value = 0;
            if (!in.Next(value)) break;
            out.Fill(control - 128u, value);
            packedSize -= 2;
        }
    }
}

void TRLADecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize, std::int32_t) {
    TReader in(source);
    TWriter out(dest);
    std::uint8_t control = 0;
    while (packedSize > 0 && !out.Full() && in.Next(control)) {
        const auto k = static_cast<std::int8_t>(control);
        if (k >= 0) {
            std::uint8_t value = 0;
            if (!in.Next(value)) break;
            out.Fill(static_cast<std::size_t>(k) + 1, value);
            packedSize -= 2;
        } else {
            out.Copy(in.Take(static_cast<std::size_t>(-k)));
            packedSize -= 1 - k;
        }
    }
}

void TSGIRLEDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t, std::int32_t) {
    TReader in(source);
    TWriter out(dest);
    const std::size_t sample = sampleSize_ == 2 ? 2 : 1;
    while (!out.Full()) {
        // The control is one sample wide; its low 7 bits count, bit 7 marks a literal.
        const TPackedBytes control = in.Take(sample);
        if (control.size() < sample) break;
        const std::uint8_t low = control[sample - 1];
        const std::size_t count = low & 0x7F;
        if (count == 0) break;
        if (low & 0x80) {
            out.Copy(in.Take(count * sample));
        } else {
            const TPackedBytes value = in.Take(sample);
            if (value.size() < sample) break;
            out.Repeat(count, value);
        }
    }
}

void TCUTRLEDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t, std::int32_t) {
    TReader in(source);
    TWriter out(dest);
    in.Skip(2);
    std::uint8_t control = 0;
    while (in.Next(control) && control != 0) {
        const std::size_t count = control & 0x7F;
        if (control & 0x80) {
            std::uint8_t value = 0;
            if (!in.Next(value)) break;
            out.Fill(count, value);
        } else {
            out.Copy(in.Take(count));
        }
    }
    source = source.subspan(in.Position());
}

void TTargaRLEDecoder::DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t,
                                   std::int32_t unpackedSize) {
    TTargaLineDecoder decoder(source, colorDepth_);
    const std::size_t wanted = static_cast<std::size_t>(std::max(unpackedSize, 0)) * TargaPixelSize(colorDepth_);
    decoder.Decode(dest.first(std::min(wanted, dest.size())));
    source = source.subspan(decoder.Consumed());
}

TTargaLineDecoder::TTargaLineDecoder(TPackedBytes source, std::int32_t colorDepth)
    : source_(source), pixelSize_(TargaPixelSize(colorDepth)) {}

std::size_t TTargaLineDecoder::Decode(TUnpackedBytes line) {
    switch (pixelSize_) {
        case 1: return DecodePixels<1>(line);
        case 2: return DecodePixels<2>(line);
        case 3: return DecodePixels<3>(line);
        case 4: return DecodePixels<4>(line);
        default: return 0;
    }
}

// Photographs come as short packets (runs of two pixels, a dozen literal ones): the pixel size
// is known to the compiler, and a short literal is copied in whole 16-byte blocks where both
// buffers have room for them.
template <std::size_t PixelSize>
std::size_t TTargaLineDecoder::DecodePixels(TUnpackedBytes line) {
    constexpr std::size_t kBlock = 16, kShort = 64;
    std::uint8_t* out = line.data();
    std::uint8_t* const end = out + line.size();
    while (out < end) {
        if (pending_ == 0) {
            if (position_ >= source_.size()) break;
            const std::uint8_t header = source_[position_++];
            pending_ = (header & 0x7Fu) + 1;
            repeating_ = (header & 0x80) != 0;
            if (repeating_) {
                if (source_.size() - position_ < PixelSize) {  // a run without its pixel: the data ends
                    pending_ = 0;
                    position_ = source_.size();
                    break;
                }
                std::memcpy(pixel_.data(), source_.data() + position_, PixelSize);
                position_ += PixelSize;
            }
        }
        const std::size_t room = static_cast<std::size_t>(end - out);
        const std::size_t pixels = std::min(pending_, room / PixelSize);
        if (pixels == 0) break;  // the row has no room for a whole pixel
        if (repeating_) {
            for (std::size_t k = 0; k < pixels; ++k) std::memcpy(out + k * PixelSize, pixel_.data(), PixelSize);
            out += pixels * PixelSize;
            pending_ -= pixels;
            continue;
        }
        const std::size_t available = source_.size() - position_;
        const std::size_t bytes = std::min(pixels * PixelSize, available);
        if (bytes == 0) break;  // the literal pixels are missing
        const std::uint8_t* from = source_.data() + position_;
        if (bytes <= kShort && room >= kShort && available >= kShort) {
            for (std::size_t done = 0; done < bytes; done += kBlock) std::memcpy(out + done, from + done, kBlock);
        } else {
            std::memcpy(out, from, bytes);
        }
        out += bytes;
        position_ += bytes;
        pending_ -= (bytes + PixelSize - 1) / PixelSize;
    }
    return static_cast<std::size_t>(out - line.data());
}

std::size_t TTargaLineDecoder::Consumed() const {
    const std::size_t unread = repeating_ ? 0 : pending_ * pixelSize_;
    return std::min(position_ + unread, source_.size());
}

std::size_t TTargaRLEDecoder::MaxEncodedSize(std::uint32_t count) const {
    // Worst case: literal packets of 128 pixels, one header byte each.
    return count * TargaPixelSize(colorDepth_) + (count + 127) / 128;
}

void TTargaRLEDecoder::EncodeBlock(std::span<const std::uint8_t> source, TUnpackedBytes dest, std::uint32_t count,
                                   std::uint32_t& bytesStored) {
    bytesStored = 0;
    const std::size_t pixelSize = TargaPixelSize(colorDepth_);
    if (pixelSize == 0) return;
    const std::size_t pixels = std::min<std::size_t>(count, source.size() / pixelSize);
    const auto same = [&](std::size_t a, std::size_t b) {
        return std::memcmp(&source[a * pixelSize], &source[b * pixelSize], pixelSize) == 0;
    };
    std::size_t at = 0;
    while (at < pixels) {
        // Pixels before the first pair of equal neighbours, else those equal to the first.
        std::size_t distinct = 0;
        while (at + distinct < pixels && distinct < 128 &&
               !(at + distinct + 1 < pixels && same(at + distinct, at + distinct + 1)))
            ++distinct;
        std::size_t packet = distinct, stored = distinct * pixelSize + 1;
        std::uint8_t header = static_cast<std::uint8_t>(distinct - 1);
        if (distinct == 0) {
            std::size_t run = 1;
            while (at + run < pixels && run < 128 && same(at, at + run)) ++run;
            packet = run;
            stored = pixelSize + 1;
            header = static_cast<std::uint8_t>((run - 1) | 0x80);
        }
        if (bytesStored + stored > dest.size()) return;
        dest[bytesStored] = header;
        std::memcpy(&dest[bytesStored + 1], &source[at * pixelSize], stored - 1);
        bytesStored += static_cast<std::uint32_t>(stored);
        at += packet;
    }
}

}  // namespace pellumo
