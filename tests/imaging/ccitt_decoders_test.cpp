#include "imaging/compression/ccitt_decoders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/compression/ccitt_codes.h"

namespace pellumo {
namespace {

using TBytes = std::vector<std::uint8_t>;

// Packs a string of '0' and '1' (spaces ignored) most significant bit first, zero-padded.
TBytes Bits(const std::string& bits) {
    TBytes out;
    int used = 8;
    for (char c : bits) {
        if (c == ' ') continue;
        if (used == 8) {
            out.push_back(0);
            used = 0;
        }
        if (c == '1') out.back() |= static_cast<std::uint8_t>(0x80u >> used);
        ++used;
    }
    return out;
}

// Decodes into `rows` rows of `width` pixels; the target is followed by guard bytes that no
// decoder may touch.
template <class TDecoderClass>
TBytes Decode(const TBytes& packed, std::uint32_t width, std::size_t rows, bool swapBits = false) {
    const std::size_t size = (width + 7) / 8 * rows;
    TBytes out(size + 4, 0xEE);
    TDecoderClass decoder(0, swapBits, width);
    TPackedBytes source(packed);
    TUnpackedBytes dest(out.data(), size);
    decoder.DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), static_cast<std::int32_t>(size));
    EXPECT_EQ(TBytes(out.end() - 4, out.end()), TBytes(4, 0xEE)) << "wrote past the target";
    out.resize(size);
    return out;
}

// Every code of the tables leads from the root to a leaf of its own run length, so no code is
// a prefix of another and none was lost while the tree was built.
TEST(CCITTDecoders, EveryCodeOfTheTablesEndsAtItsOwnLeaf) {
    TCCITTFax3Decoder decoder(0, false, 8);
    auto check = [](const TStateArray& tree, ccitt_codes::TRunCode code, std::int32_t run) {
        std::size_t node = 0;
        for (int i = code.Length - 1; i >= 0; --i) {
            node = static_cast<std::size_t>(tree[node].Next[(code.Bits >> i) & 1u]);
            ASSERT_NE(node, 0u) << "run " << run;
        }
        EXPECT_EQ(tree[node].RunLength, run);
        EXPECT_EQ(tree[node].Next[0] | tree[node].Next[1], 0) << "run " << run << " is a prefix of another code";
    };
    for (std::int32_t run = 0; run < 64; ++run) {
        check(decoder.WhiteTree(), ccitt_codes::kWhiteTerminating[run], run);
        check(decoder.BlackTree(), ccitt_codes::kBlackTerminating[run], run);
    }
    for (std::int32_t k = 0; k < 27; ++k) {
        check(decoder.WhiteTree(), ccitt_codes::kWhiteMakeUp[k], 64 * (k + 1));
        check(decoder.BlackTree(), ccitt_codes::kBlackMakeUp[k], 64 * (k + 1));
    }
    for (std::int32_t k = 0; k < 13; ++k) {
        check(decoder.WhiteTree(), ccitt_codes::kExtendedMakeUp[k], 1792 + 64 * k);
        check(decoder.BlackTree(), ccitt_codes::kExtendedMakeUp[k], 1792 + 64 * k);
    }
}

TEST(CCITTDecoders, RunsBecomeBitsBlackFirstInTheByte) {
    // White 3, black 5; the last code of the data still counts.
    EXPECT_EQ(Decode<TCCITTMHDecoder>(Bits("1000 0011"), 8, 1), TBytes{0x1F});
    EXPECT_EQ(Decode<TCCITTFax3Decoder>(Bits("1000 0011"), 8, 1), TBytes{0x1F});
    // With the least significant bit first, 0xC1 reads as 0x83.
    EXPECT_EQ(Decode<TCCITTFax3Decoder>({0xC1}, 8, 1, true), TBytes{0x1F});
    // A white run of 0 starts the row black.
    EXPECT_EQ(Decode<TCCITTMHDecoder>(Bits("00110101 000101"), 8, 1), TBytes{0xFF});
    // Make-up 2560 and terminating 5 give 2565 white pixels, then 3 black.
    TBytes wide(321, 0);
    wide[320] = 0x07;
    EXPECT_EQ(Decode<TCCITTMHDecoder>(Bits("000000011111 1100 10"), 2568, 1), wide);
    // Black make-up 64 + terminating 2 over a 72-pixel row after 6 white pixels.
    EXPECT_EQ(Decode<TCCITTMHDecoder>(Bits("1110 0000001111 11"), 72, 1),
              (TBytes{0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(CCITTDecoders, Group3RowsEndAtEndOfLineCodesWithFillBits) {
    // EOL with 4 fill bits; row 1 (white 3, black 13); an EOL right after the full row changes
    // nothing; row 2 cut short by an EOL after white 2, black 1 (the rest of the row stays
    // white and row 3 starts at its own byte); row 3 (white 1, black 15).
    const TBytes packed = Bits("0000 000000000001  1000 00000100  0000000 000000000001  0111 010 000000000001 "
                               " 000111 000011000");
    EXPECT_EQ(Decode<TCCITTFax3Decoder>(packed, 16, 3), (TBytes{0x1F, 0xFF, 0x20, 0x00, 0x7F, 0xFF}));
}

TEST(CCITTDecoders, ModifiedHuffmanRowsStartOnAByteBoundary) {
    // Row 1 is white 4 and ends mid-byte; the rest of that byte is dropped.
    EXPECT_EQ(Decode<TCCITTMHDecoder>({0xBF, 0x1E}, 4, 2), (TBytes{0x00, 0x70}));
}

TEST(CCITTDecoders, MalformedDataStaysInsideItsRowsAndTheTarget) {
    // White 3 and black 7 overrun the 8-pixel row: the row ends full, the next row starts at
    // its own byte with white 2, black 6.
    EXPECT_EQ(Decode<TCCITTFax3Decoder>(Bits("1000 00011 0111 0010"), 8, 2), (TBytes{0x1F, 0x3F}));
    // Black make-up codes far beyond the target: 3 rows of data into 1 row of room.
    EXPECT_EQ(Decode<TCCITTMHDecoder>(Bits("00110101 000000011111 00110101 000000011111"), 8, 1), TBytes{0xFF});
    // Zeros that never make a code, and data that ends inside a code: nothing but white.
    EXPECT_EQ(Decode<TCCITTFax3Decoder>(TBytes(64, 0), 8, 2), (TBytes{0, 0}));
    EXPECT_EQ(Decode<TCCITTFax3Decoder>({0x01}, 8, 1), TBytes{0});
}

}  // namespace
}  // namespace pellumo
