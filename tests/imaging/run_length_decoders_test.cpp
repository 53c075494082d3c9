#include "imaging/compression/run_length_decoders.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

namespace pellumo {
namespace {

using TBytes = std::vector<std::uint8_t>;

// Decodes the packed bytes into a buffer of `room` bytes; returns what was written (the rest
// of the buffer is 0xEE) and how many packed bytes the decoder said it consumed.
struct TDecoded {
    TBytes out;
    std::size_t consumed;
};

TDecoded Decode(TDecoder& decoder, const TBytes& packed, std::size_t room, std::int32_t packedSize,
                std::int32_t unpackedSize) {
    TBytes out(room, 0xEE);
    TPackedBytes source(packed);
    TUnpackedBytes dest(out);
    decoder.DecodeBlock(source, dest, packedSize, unpackedSize);
    EXPECT_EQ(dest.size(), out.size());  // no decoder hands the target back
    return {out, packed.size() - source.size()};
}

TEST(RunLengthDecoders, PackBitsLiteralsRunsAndTheNoOperation) {
    TPackbitsRLEDecoder packbits;
    const TBytes packed = {0x80, 0x00, 'a', 0xFF, 'b', 0x02, 'c', 'd', 'e', 0xFD, 'f'};
    const TDecoded d = Decode(packbits, packed, 10, static_cast<std::int32_t>(packed.size()), 0);
    EXPECT_EQ(d.out, (TBytes{'a', 'b', 'b', 'c', 'd', 'e', 'f', 'f', 'f', 'f'}));
    EXPECT_EQ(d.consumed, 0u);  // the source is not handed back
    // The remaining count is tested between packets only: a short count still ends the packet.
    EXPECT_EQ(Decode(packbits, {0x02, 'x', 'y', 'z', 0x00, 'w'}, 4, 1, 0).out, (TBytes{'x', 'y', 'z', 0xEE}));
}

TEST(RunLengthDecoders, PcxRunsAreCutToTheRemainingCount) {
    TPCXRLEDecoder pcx;
    // 0xC0 is a run of nothing, 0xBF a literal byte, 0xC5 a run cut from 5 to 3.
    const TDecoded d = Decode(pcx, {0xC0, 0x11, 0xBF, 0xC5, 0x22, 0x33}, 6, 0, 4);
    EXPECT_EQ(d.out, (TBytes{0xBF, 0x22, 0x22, 0x22, 0xEE, 0xEE}));
}

// Writers let a run go on past the end of a scan line: the rest of it starts the next line.
TEST(RunLengthDecoders, PcxLinesCarryARunOverIntoTheNextLine) {
    const TBytes packed = {0xC5, 7, 0x11, 0xC3};  // the last run has lost its value
    TPCXLineDecoder lines(packed);
    TBytes line(3, 0xEE);
    EXPECT_EQ(lines.Decode(line), 3u);
    EXPECT_EQ(line, (TBytes{7, 7, 7}));
    EXPECT_EQ(lines.Decode(line), 3u);
    EXPECT_EQ(line, (TBytes{7, 7, 0x11}));
    line.assign(3, 0xEE);
    EXPECT_EQ(lines.Decode(line), 0u);
    EXPECT_EQ(line, TBytes(3, 0xEE));
}

// Long lines take sixteen packed bytes at a time: any mix of literals, runs (of nothing, too)
// and line lengths gives the bytes a packet-by-packet reading gives.
TEST(RunLengthDecoders, PcxLinesOfAnyLengthDecodeAsThePacketsSay) {
    std::mt19937 random(3);
    for (int round = 0; round < 50; ++round) {
        TBytes packed, expected;
        while (packed.size() < 3000) {
            if (random() % 3 == 0) {
                const auto count = static_cast<std::uint8_t>(round % 2 == 0 ? random() % 64 : random() % 4);
                const auto value = static_cast<std::uint8_t>(random());
                packed.insert(packed.end(), {static_cast<std::uint8_t>(0xC0 | count), value});
                expected.insert(expected.end(), count, value);
            } else {
                const auto literal = static_cast<std::uint8_t>(random() % 0xC0);
                packed.push_back(literal);
                expected.push_back(literal);
            }
        }
        TPCXLineDecoder lines(packed);
        TBytes decoded;
        for (std::size_t written = 1; written > 0;) {
            TBytes line(1 + random() % 300);
            written = lines.Decode(line);
            decoded.insert(decoded.end(), line.begin(), line.begin() + static_cast<std::ptrdiff_t>(written));
        }
        ASSERT_EQ(decoded, expected) << "round " << round;
    }
}

TEST(RunLengthDecoders, PspAndRlaCountTheirPackedBytes) {
    TPSPRLEDecoder psp;
    EXPECT_EQ(Decode(psp, {0x80, 0x11, 0x00, 0x02, 'a', 'b', 0x83, 'c'}, 6, 8, 0).out,
              (TBytes{'a', 'b', 'c', 'c', 'c', 0xEE}));
    TRLADecoder rla;
    EXPECT_EQ(Decode(rla, {0x00, 'a', 0xFF, 'b', 0x02, 'c', 0xFE, 'd', 'e'}, 8, 9, 0).out,
              (TBytes{'a', 'b', 'c', 'c', 'c', 'd', 'e', 0xEE}));
}

TEST(RunLengthDecoders, SgiEndsAtACountOfZeroAndKeepsTwoByteSamplesAsStored) {
    TSGIRLEDecoder bytes(1);
    EXPECT_EQ(Decode(bytes, {0x82, 'a', 'b', 0x03, 'c', 0x80, 0x01, 'z'}, 8, 0, 0).out,
              (TBytes{'a', 'b', 'c', 'c', 'c', 0xEE, 0xEE, 0xEE}));
    TSGIRLEDecoder words(2);
    // Controls are big-endian words: bits 8..15 are ignored.
    EXPECT_EQ(Decode(words, {0xFF, 0x81, 0x12, 0x34, 0x00, 0x02, 0xAB, 0xCD, 0x00, 0x00, 0x00, 0x01}, 8, 0, 0).out,
              (TBytes{0x12, 0x34, 0xAB, 0xCD, 0xAB, 0xCD, 0xEE, 0xEE}));
}

TEST(RunLengthDecoders, CutSkipsTwoBytesAndHandsBackTheSourcePastItsEnd) {
    TCUTRLEDecoder cut;
    const TDecoded d = Decode(cut, {0x99, 0x99, 0x83, 'a', 0x02, 'b', 'c', 0x00, 0x77}, 6, 0, 0);
    EXPECT_EQ(d.out, (TBytes{'a', 'a', 'a', 'b', 'c', 0xEE}));
    EXPECT_EQ(d.consumed, 8u);
}

TEST(RunLengthDecoders, TargaCountsPixelsAndHandsBackTheSource) {
    TTargaRLEDecoder targa(24);
    const TBytes packed = {0x81, 1, 2, 3, 0x00, 4, 5, 6, 0x80, 7, 8, 9};
    const TDecoded d = Decode(targa, packed, 12, 0, 3);
    EXPECT_EQ(d.out, (TBytes{1, 2, 3, 1, 2, 3, 4, 5, 6, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(d.consumed, 8u);  // the third packet was not needed
    TTargaRLEDecoder odd(12);
    EXPECT_EQ(Decode(odd, packed, 3, 0, 3).out, (TBytes{0xEE, 0xEE, 0xEE}));
}

// Rows of any length, for every pixel size: packets that run across rows give the bytes a
// packet-by-packet reading gives, and the source is used up to the end of the last packet begun.
TEST(RunLengthDecoders, TargaRowsOfAnyLengthDecodeAsThePacketsSay) {
    std::mt19937 random(7);
    for (const std::int32_t depth : {8, 16, 24, 32}) {
        const std::size_t pixelSize = static_cast<std::size_t>(depth) / 8;
        for (int round = 0; round < 20; ++round) {
            TBytes packed, expected;
            while (packed.size() < 4000) {
                const std::size_t count = 1 + random() % (round % 2 == 0 ? 128 : 4);
                TBytes pixels(random() % 2 == 0 ? pixelSize : count * pixelSize);
                for (std::uint8_t& b : pixels) b = static_cast<std::uint8_t>(random());
                const bool run = pixels.size() == pixelSize && count > 1;
                packed.push_back(static_cast<std::uint8_t>((run ? 0x80 : 0) | (count - 1)));
                packed.insert(packed.end(), pixels.begin(), pixels.end());
                for (std::size_t k = 0; k < (run ? count : 1); ++k) expected.insert(expected.end(), pixels.begin(), pixels.end());
            }
            TTargaLineDecoder rows(packed, depth);
            TBytes decoded;
            for (std::size_t written = 1; written > 0;) {
                TBytes row(pixelSize * (1 + random() % 100));
                written = rows.Decode(row);
                decoded.insert(decoded.end(), row.begin(), row.begin() + static_cast<std::ptrdiff_t>(written));
            }
            ASSERT_EQ(decoded, expected) << depth << " bits, round " << round;
            EXPECT_EQ(rows.Consumed(), packed.size());
        }
    }
    // Two pixels of a literal packet of three: the whole packet counts as used.
    const TBytes literal = {0x02, 1, 2, 3, 4, 5, 6, 0x80};
    TTargaLineDecoder rows(literal, 8);
    TBytes row(2);
    EXPECT_EQ(rows.Decode(row), 2u);
    EXPECT_EQ(rows.Consumed(), 4u);
}

TEST(RunLengthDecoders, TargaEncodingPacksLiteralsAndRuns) {
    TTargaRLEDecoder targa(24);
    const auto encode = [&](const TBytes& pixels) {
        const auto count = static_cast<std::uint32_t>(pixels.size() / 3);
        TBytes out(targa.MaxEncodedSize(count));
        std::uint32_t stored = 0;
        targa.EncodeBlock(pixels, out, count, stored);
        out.resize(stored);
        return out;
    };
    EXPECT_EQ(encode({1, 1, 1, 2, 2, 2, 3, 3, 3}), (TBytes{0x02, 1, 1, 1, 2, 2, 2, 3, 3, 3}));
    EXPECT_EQ(encode({1, 1, 1, 1, 1, 1, 2, 2, 2}), (TBytes{0x81, 1, 1, 1, 0x00, 2, 2, 2}));
    TBytes same(200 * 3, 7);
    EXPECT_EQ(encode(same), (TBytes{0xFF, 7, 7, 7, 0xC7, 7, 7, 7}));

    // What it packs, the decoder gives back, whatever the pixels.
    std::mt19937 random(5);
    for (int round = 0; round < 200; ++round) {
        TBytes pixels(3 * (1 + random() % 400));
        for (std::uint8_t& b : pixels) b = static_cast<std::uint8_t>(random() % 3);
        const TBytes packed = encode(pixels);
        const auto count = static_cast<std::int32_t>(pixels.size() / 3);
        EXPECT_EQ(Decode(targa, packed, pixels.size(), 0, count).out, pixels);
    }
    // A target too small for the next packet ends the encoding there.
    TBytes small(5);
    std::uint32_t stored = 99;
    targa.EncodeBlock(TBytes{1, 1, 1, 2, 2, 2, 3, 3, 3}, small, 3, stored);
    EXPECT_EQ(stored, 0u);
}

// Garbage of every length through every decoder, with buffers sized exactly: the sanitizer
// build turns any read or write past them into a failure.
TEST(RunLengthDecoders, NoInputReadsOrWritesOutsideTheBuffers) {
    std::vector<std::unique_ptr<TDecoder>> decoders;
    decoders.push_back(std::make_unique<TPackbitsRLEDecoder>());
    decoders.push_back(std::make_unique<TPCXRLEDecoder>());
    decoders.push_back(std::make_unique<TPSPRLEDecoder>());
    decoders.push_back(std::make_unique<TRLADecoder>());
    decoders.push_back(std::make_unique<TSGIRLEDecoder>(1));
    decoders.push_back(std::make_unique<TSGIRLEDecoder>(2));
    decoders.push_back(std::make_unique<TCUTRLEDecoder>());
    for (const std::int32_t depth : {8, 16, 24, 32}) decoders.push_back(std::make_unique<TTargaRLEDecoder>(depth));
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        auto packed = std::make_unique<std::uint8_t[]>(round % 64);
        for (int i = 0; i < round % 64; ++i) packed[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(random());
        const std::size_t room = random() % 48;
        auto target = std::make_unique<std::uint8_t[]>(room);
        for (const auto& decoder : decoders) {
            TPackedBytes source(packed.get(), static_cast<std::size_t>(round % 64));
            TUnpackedBytes dest(target.get(), room);
            decoder->DecodeBlock(source, dest, 1000, 1000);  // sizes that promise far too much
            EXPECT_LE(source.size(), static_cast<std::size_t>(round % 64));
        }
    }
}

}  // namespace
}  // namespace pellumo
