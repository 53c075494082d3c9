#pragma once

#include <array>

#include "imaging/compression/decoder.h"

namespace pellumo {

// The run-length schemes of the formats. None of them checks its data for consistency: a
// malformed block gives whatever the packet rules make of it, within the buffers. Except where
// said, the spans come back as they were given.

// Apple PackBits (TIFF, Photoshop): runs while packed bytes remain, by `packedSize`.
class TPackbitsRLEDecoder : public TDecoder {
public:
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}
};

// PCX: runs until `unpackedSize` bytes are produced.
class TPCXRLEDecoder : public TDecoder {
public:
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}
};

// PCX packets one scan line at a time, so that a line is turned into pixels while it is still
// in the cache. Writers let a run go on from one line into the next: what a line has no room
// for starts the next one.
class TPCXLineDecoder {
public:
    explicit TPCXLineDecoder(TPackedBytes source) : source_(source) {}
    // Fills `line`, or as much of it as the packets give; returns the bytes written.
    std::size_t Decode(TUnpackedBytes line);

private:
    TPackedBytes source_;
    std::size_t position_ = 0;
    std::size_t runLeft_ = 0;
    std::uint8_t runValue_ = 0;
};

// Paint Shop Pro: runs while packed bytes remain, by `packedSize`.
class TPSPRLEDecoder : public TDecoder {
public:
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}
};

// Wavefront RLA: runs while packed bytes remain, by `packedSize`.
class TRLADecoder : public TDecoder {
public:
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}
};

// SGI: runs until a control with a count of 0; 2-byte samples stay in their stored (big-endian)
// byte order. Neither size is used.
class TSGIRLEDecoder : public TDecoder {
public:
    explicit TSGIRLEDecoder(std::uint8_t sampleSize) : sampleSize_(sampleSize) {}
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}

private:
    std::uint8_t sampleSize_;  // 1 or 2 bytes
};

// Dr. Halo CUT: skips two bytes, then runs until a control byte 0; `source` comes back just
// past that 0. Neither size is used.
class TCUTRLEDecoder : public TDecoder {
public:
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    void EncodeBlock(std::span<const std::uint8_t>, TUnpackedBytes, std::uint32_t, std::uint32_t&) override {}
};

// Targa: runs until `unpackedSize` pixels are produced; `source` comes back past the last
// packet read. Also the Targa writer's encoder.
class TTargaRLEDecoder : public TDecoder {
public:
    // Bits per pixel: 8, 15, 16, 24 or 32; any other depth decodes and encodes nothing.
    explicit TTargaRLEDecoder(std::int32_t colorDepth) : colorDepth_(colorDepth) {}
    void DecodeBlock(TPackedBytes& source, TUnpackedBytes& dest, std::int32_t packedSize,
                     std::int32_t unpackedSize) override;
    // `count` pixels; dest needs at most MaxEncodedSize(count) bytes, and encoding stops
    // before a packet that would not fit.
    void EncodeBlock(std::span<const std::uint8_t> source, TUnpackedBytes dest, std::uint32_t count,
                     std::uint32_t& bytesStored) override;
    std::size_t MaxEncodedSize(std::uint32_t count) const;

private:
    std::int32_t colorDepth_;
};

// Targa packets one row at a time, straight into the bitmap's rows. A packet may run across
// rows: what a row has no room for starts the next.
class TTargaLineDecoder {
public:
    // Bits per pixel as for TTargaRLEDecoder; any other depth decodes nothing.
    TTargaLineDecoder(TPackedBytes source, std::int32_t colorDepth);
    // Fills `line`, or as much of it as the packets give; returns the bytes written.
    std::size_t Decode(TUnpackedBytes line);
    // The packed bytes up to the end of the last packet begun.
    std::size_t Consumed() const;

private:
    template <std::size_t PixelSize>
    std::size_t DecodePixels(TUnpackedBytes line);

    TPackedBytes source_;
    std::size_t pixelSize_;
    std::size_t position_ = 0;
    std::size_t pending_ = 0;  // pixels of the current packet not yet written
    bool repeating_ = false;   // a run of `pixel_`, else literal pixels still in the source
    std::array<std::uint8_t, 4> pixel_{};
};

}  // namespace pellumo
