#include "base/ansi_text.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"

namespace pellumo {
namespace {

TEST(AnsiText, DecodesTheWindows1252Row0x80To0x9F) {
    // Every byte of the row with its code point's UTF-8 form; 0x81, 0x8D, 0x8F, 0x90 and 0x9D
    // are undefined in the code page and keep their own number.
    const char* expected[32] = {
        "\u20AC", "\u0081", "\u201A", "\u0192", "\u201E", "\u2026", "\u2020", "\u2021",
        "\u02C6", "\u2030", "\u0160", "\u2039", "\u0152", "\u008D", "\u017D", "\u008F",
        "\u0090", "\u2018", "\u2019", "\u201C", "\u201D", "\u2022", "\u2013", "\u2014",
        "\u02DC", "\u2122", "\u0161", "\u203A", "\u0153", "\u009D", "\u017E", "\u0178",
    };
    for (int byte = 0x80; byte <= 0x9F; ++byte) {
        const std::string ansi(1, static_cast<char>(byte));
        EXPECT_EQ(AnsiToUtf8(ansi), expected[byte - 0x80]) << std::hex << byte;
        EXPECT_EQ(Utf8ToAnsi(expected[byte - 0x80]), ansi) << std::hex << byte;
    }
}

TEST(AnsiText, FrenchCaptionsRoundTrip) {
    const std::string ansi = "\xC9t\xE9 \xE0 l'\x9C" "uvre : 5 \x80";
    const std::string utf8 = "Été à l'œuvre : 5 €";
    EXPECT_EQ(AnsiToUtf8(ansi), utf8);
    EXPECT_EQ(Utf8ToAnsi(utf8), ansi);
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(one)), one);
    }
}

TEST(AnsiText, RejectsCharactersWithoutAWindows1252FormAndBadUtf8) {
    EXPECT_THROW(Utf8ToAnsi("snow \u2603"), EConvertError);
    EXPECT_THROW(Utf8ToAnsi("\xF0\x9F\x98\x80"), EConvertError);  // emoji
    EXPECT_THROW(Utf8ToAnsi("\xC3"), EConvertError);              // cut sequence
    EXPECT_THROW(Utf8ToAnsi("\xC0\xA9"), EConvertError);          // overlong form
    try {
        Utf8ToAnsi("a\u2603");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message().find("U+2603"), std::string::npos);
    }
}

TEST(ShortString, CountsOnlyTheLengthByteAndClipsToItsArea) {
    TShortString<80> text;
    EXPECT_TRUE(text.Assign("Bonjour"));
    text.chars[7] = 'X';  // bytes past the length do not count
    EXPECT_EQ(text.Text(), "Bonjour");
    text.length = 200;
    EXPECT_EQ(text.Text().size(), 80u);
    EXPECT_FALSE(text.Assign(std::string(81, 'a')));
    EXPECT_TRUE(text.Assign(std::string(80, 'a')));
    EXPECT_EQ(text.Text(), std::string(80, 'a'));
    static_assert(sizeof(TShortString<80>) == 81);
}

}  // namespace
}  // namespace pellumo
