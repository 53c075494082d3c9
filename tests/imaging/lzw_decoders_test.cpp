#include "imaging/compression/lzw_decoders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/exceptions.h"

namespace pellumo {
namespace {

using TBytes = std::vector<std::uint8_t>;
struct TCode {
    std::uint32_t Value, Bits;
};

// Codes packed most significant bit first, as TIFF has them.
TBytes PackMSB(const std::vector<TCode>& codes) {
    TBytes out;
    std::uint64_t acc = 0;
    std::uint32_t bits = 0;
    for (const TCode& c : codes) {
        acc = acc << c.Bits | c.Value;
        bits += c.Bits;
        while (bits >= 8) {
            out.push_back(static_cast<std::uint8_t>(acc >> (bits - 8)));
            bits -= 8;
        }
    }
    if (bits > 0) out.push_back(static_cast<std::uint8_t>(acc << (8 - bits)));
    return out;
}

// Codes packed least significant bit first, as GIF has them.
TBytes PackLSB(const std::vector<TCode>& codes) {
    TBytes out;
    std::uint64_t acc = 0;
    std::uint32_t bits = 0;
    for (const TCode& c : codes) {
        acc |= std::uint64_t{c.Value} << bits;
        bits += c.Bits;
        while (bits >= 8) {
            out.push_back(static_cast<std::uint8_t>(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) out.push_back(static_cast<std::uint8_t>(acc));
    return out;
}

TBytes Decode(TDecoder& decoder, const TBytes& packed, std::size_t expected, std::size_t room = 0) {
    TBytes out(room == 0 ? expected : room, 0xEE);
    TPackedBytes source(packed);
    TUnpackedBytes dest(out);
    decoder.DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), static_cast<std::int32_t>(expected));
    EXPECT_EQ(source.size(), packed.size());  // spans come back as given
    return out;
}

std::vector<TCode> Nine(std::initializer_list<std::uint32_t> values) {
    std::vector<TCode> codes;
    for (std::uint32_t v : values) codes.push_back({v, 9});
    return codes;
}

TEST(TIFFLZWDecoder, ClearLiteralsTableCodeAndEnd) {
    TTIFFLZWDecoder decoder;
    // 256 clear, 'A', 'B', 258 = "AB", 257 end; a byte after the end code is never read.
    const TBytes packed = PackMSB(Nine({256, 65, 66, 258, 257, 65}));
    EXPECT_EQ(Decode(decoder, packed, 4, 8), (TBytes{0x41, 0x42, 0x41, 0x42, 0xEE, 0xEE, 0xEE, 0xEE}));
    // The table starts afresh on every call.
    EXPECT_EQ(Decode(decoder, packed, 4), (TBytes{0x41, 0x42, 0x41, 0x42}));
}

// Literal 'x' then 253 more literals fill the table up to code 510: the next code is 10 bits
// wide in TIFF (one early), still 9 in GIF with an 8-bit alphabet.
TEST(LZWDecoders, CodeWidthChangesAt510ForTIFFAnd511ForGIF) {
    std::vector<TCode> tiff{{256, 9}};
    for (std::uint32_t i = 0; i < 254; ++i) tiff.push_back({i % 200, 9});  // entries 258..510
    tiff.push_back({7, 10});
    tiff.push_back({257, 10});
    TTIFFLZWDecoder tiffDecoder;
    TBytes out = Decode(tiffDecoder, PackMSB(tiff), 256, 260);
    EXPECT_EQ(out[253], 253 % 200);
    EXPECT_EQ(out[254], 7);
    EXPECT_EQ(out[255], 0);  // the end code, read with 10 bits: the rest up to the limit is cleared

    std::vector<TCode> gif{{256, 9}};
    for (std::uint32_t i = 0; i < 254; ++i) gif.push_back({i % 200, 9});  // entries 258..510
    gif.push_back({9, 9});                                                // entry 511, width stays 9
    gif.push_back({11, 10});                                              // 10 bits from here
    gif.push_back({257, 10});
    TGIFLZWDecoder gifDecoder(8);
    out = Decode(gifDecoder, PackLSB(gif), 256, 260);
    EXPECT_EQ(out[254], 9);
    EXPECT_EQ(out[255], 11);
    EXPECT_EQ(out[256], 0xEE);
}

TEST(GIFLZWDecoder, InitialSizeTwoKwKwKAndMidStreamClear) {
    TGIFLZWDecoder decoder(2);
    // Clear 4, end 5, 3-bit codes: 1, then 6 (not yet in the table: "1" + its first byte),
    // then 6 again, now in the table; entry 7 makes the end code 4 bits wide.
    EXPECT_EQ(Decode(decoder, PackLSB({{4, 3}, {1, 3}, {6, 3}, {6, 3}, {5, 4}}), 5, 6),
              (TBytes{1, 1, 1, 1, 1, 0xEE}));
    // Entries 6 and 7 make the codes 4 bits wide; a clear takes them back to 3 and forgets the
    // previous string, so the next code is a single byte and 6 is "2 3".
    EXPECT_EQ(Decode(decoder, PackLSB({{4, 3}, {0, 3}, {1, 3}, {2, 3}, {4, 4}, {2, 3}, {3, 3}, {6, 3}, {5, 4}}), 7),
              (TBytes{0, 1, 2, 2, 3, 2, 3}));
}

TEST(LZWDecoders, InvalidOpcodesRaiseTheDecodersMessage) {
    TTIFFLZWDecoder tiff;
    try {
        Decode(tiff, PackMSB(Nine({256, 65, 260})), 8);  // next free is 258: 260 is two above
        FAIL() << "no error";
    } catch (const EDecompressionError& e) {
        EXPECT_STREQ(e.what(), "TIF LZW: invalid opcode.");
    }
    TGIFLZWDecoder gif(2);
    try {
        // Entries 6 and 7 are made, the width becomes 4 and the next free code is 8.
        Decode(gif, PackLSB({{4, 3}, {1, 3}, {1, 3}, {1, 3}, {10, 4}}), 8);
        FAIL() << "no error";
    } catch (const EDecompressionError& e) {
        EXPECT_STREQ(e.what(), "GIF LZW: invalid opcode.");
    }
    // A table code straight after a clear has no string yet.
    EXPECT_THROW(Decode(gif, PackLSB({{4, 3}, {6, 3}}), 8), EDecompressionError);
    EXPECT_THROW(Decode(tiff, PackMSB(Nine({256, 258})), 8), EDecompressionError);
    // Alphabets the 4096-entry table cannot hold are refused.
    TGIFLZWDecoder tooWide(12);
    EXPECT_THROW(Decode(tooWide, TBytes{0, 0, 0}, 8), EDecompressionError);
}

TEST(LZWDecoders, OutputAndTablesStayInBoundsWhateverTheCodes) {
    // A string longer than the room left is cut at the output's end.
    TTIFFLZWDecoder tiff;
    EXPECT_EQ(Decode(tiff, PackMSB(Nine({256, 65, 66, 258, 258})), 3, 5), (TBytes{0x41, 0x42, 0x41, 0xEE, 0xEE}));
    // Each new string one longer than the last: the output fills long before the codes end.
    std::vector<TCode> growing{{256, 9}, {1, 9}};
    for (std::uint32_t code = 258; code < 500; ++code) growing.push_back({code, 9});
    TBytes out = Decode(tiff, PackMSB(growing), 1000);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::uint8_t b) { return b == 1; }));

    // No clear code for ever: after code 4095 the table takes no more strings, the width stays
    // 12 and single bytes still decode.
    std::vector<TCode> tiffCodes{{256, 9}}, gifCodes{{256, 9}};
    TBytes expected;
    std::uint32_t tiffWidth = 9, gifWidth = 9, tiffNext = 258, gifNext = 258;
    for (std::uint32_t i = 0; i < 5000; ++i) {
        const std::uint32_t value = (i * 7) % 256;
        expected.push_back(static_cast<std::uint8_t>(value));
        tiffCodes.push_back({value, tiffWidth});
        gifCodes.push_back({value, gifWidth});
        if (i == 0) continue;  // the first byte after a clear adds no string
        if (tiffNext < 4096) ++tiffNext;
        if (tiffNext == (1u << tiffWidth) - 1 && tiffWidth < 12) ++tiffWidth;
        if (gifNext == (1u << gifWidth) - 1 && gifWidth < 12) ++gifWidth;
        if (gifNext < 4096) ++gifNext;
    }
    EXPECT_EQ(Decode(tiff, PackMSB(tiffCodes), expected.size()), expected);
    TGIFLZWDecoder gif(8);
    EXPECT_EQ(Decode(gif, PackLSB(gifCodes), expected.size()), expected);
    // Empty input clears the output; negative sizes and an empty target do nothing.
    EXPECT_EQ(Decode(tiff, TBytes{}, 2), (TBytes{0, 0}));
    TBytes none;
    const TBytes packed = PackMSB(growing);
    TPackedBytes source(packed);
    TUnpackedBytes dest(none);
    gif.DecodeBlock(source, dest, -1, 1000);
    tiff.DecodeBlock(source, dest, static_cast<std::int32_t>(packed.size()), 1000);
}

// The textbook decoder, a dictionary of whole strings, for streams of valid codes.
TBytes DictionaryDecode(const std::vector<TCode>& codes, std::uint32_t clearCode) {
    std::vector<TBytes> table;
    TBytes out, previous;
    for (const TCode& c : codes) {
        if (c.Value == clearCode) {
            table.assign(clearCode + 2, {});
            for (std::uint32_t i = 0; i < clearCode; ++i) table[i] = {static_cast<std::uint8_t>(i)};
            previous.clear();
            continue;
        }
        TBytes string = c.Value < table.size() ? table[c.Value] : previous;
        if (c.Value >= table.size()) string.push_back(previous[0]);
        if (!previous.empty() && table.size() < 4096) {
            table.push_back(previous);
            table.back().push_back(string[0]);
        }
        out.insert(out.end(), string.begin(), string.end());
        previous = string;
    }
    return out;
}

// Random streams of strings short and long, repeated and not yet in the table, with clears,
// decoded whole and cut at every kind of place.
TEST(LZWDecoders, MatchTheDictionaryDecoderOnRandomStreams) {
    std::uint32_t seed = 12345;
    auto random = [&](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    for (int round = 0; round < 200; ++round) {
        const bool tiff = round % 2 == 0;
        const std::uint32_t alphabetBits = tiff ? 8 : 2 + random(7);
        const std::uint32_t clear = 1u << alphabetBits;
        std::vector<TCode> codes;
        std::uint32_t width = alphabetBits + 1, nextFree = 0;
        auto put = [&](std::uint32_t value) {
            codes.push_back({value, width});
            if (value == clear) {
                width = alphabetBits + 1;
                nextFree = clear + 2;
                return;
            }
            if (codes.size() >= 2 && codes[codes.size() - 2].Value != clear && nextFree < 4096) ++nextFree;
            if (nextFree + (tiff ? 1 : 0) == (1u << width) && width < 12) ++width;
        };
        put(clear);
        put(random(clear));
        for (int n = 0, count = 200 + static_cast<int>(random(6000)); n < count; ++n) {
            const std::uint32_t kind = random(1000);
            if (kind < 3) {
                put(clear);
                put(random(clear));
            } else if (kind < 200) {
                put(random(clear));
            } else if (kind < 300 && nextFree < 4096) {
                put(nextFree);  // not yet in the table
            } else {
                // Recent strings; the newest, again and again, grows one byte longer each time.
                const std::uint32_t tableCodes = nextFree - (clear + 2);
                const std::uint32_t back = kind < 600 ? 0 : random(std::min(tableCodes + 1, 64u));
                put(tableCodes == 0 ? random(clear) : nextFree - 1 - back % tableCodes);
            }
        }
        const TBytes expected = DictionaryDecode(codes, clear);
        const TBytes packed = tiff ? PackMSB(codes) : PackLSB(codes);
        TTIFFLZWDecoder tiffDecoder;
        TGIFLZWDecoder gifDecoder(static_cast<std::uint8_t>(alphabetBits));
        TDecoder& decoder = tiff ? static_cast<TDecoder&>(tiffDecoder) : gifDecoder;
        ASSERT_EQ(Decode(decoder, packed, expected.size()), expected) << "round " << round;
        // Output cut short, anywhere: the same bytes as far as they go.
        const std::size_t cut = random(static_cast<std::uint32_t>(expected.size()));
        ASSERT_EQ(Decode(decoder, packed, cut, cut + 20), [&] {
            TBytes head(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(cut));
            head.resize(cut + 20, 0xEE);
            return head;
        }()) << "round " << round;
        // Data cut short: what it holds, then zeros up to the limit.
        const std::size_t packedCut = random(static_cast<std::uint32_t>(packed.size()));
        const TBytes shortData(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedCut));
        const TBytes partial = Decode(decoder, shortData, expected.size());
        std::size_t same = 0;
        while (same < partial.size() && partial[same] == expected[same]) ++same;
        ASSERT_TRUE(std::all_of(partial.begin() + static_cast<std::ptrdiff_t>(same), partial.end(),
                                [](std::uint8_t b) { return b == 0; }))
            << "round " << round;
    }
}

}  // namespace
}  // namespace pellumo
