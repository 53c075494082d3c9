#include "base/byte_order.h"

#include <gtest/gtest.h>

namespace pellumo {
namespace {

TEST(ByteOrder, SwapsValuesAndArraysInPlace) {
    EXPECT_EQ(SwapShort(0x1234), 0x3412);
    EXPECT_EQ(SwapLong(0x12345678u), 0x78563412u);
    std::uint16_t shorts[] = {0x0102, 0xA0B0, 0x00FF};
    SwapShorts(shorts, 3);
    EXPECT_EQ(shorts[0], 0x0201);
    EXPECT_EQ(shorts[1], 0xB0A0);
    EXPECT_EQ(shorts[2], 0xFF00);
    std::uint32_t longs[] = {0x01020304u, 0xFF000000u};
    SwapLongs(longs, 2);
    EXPECT_EQ(longs[0], 0x04030201u);
    EXPECT_EQ(longs[1], 0x000000FFu);
}

TEST(ByteOrder, LittleEndianAccessRoundTrips) {
    std::uint8_t bytes[6] = {};
    PutLE32(bytes + 1, 0xDEADBEEFu);
    EXPECT_EQ(bytes[1], 0xEF);
    EXPECT_EQ(bytes[4], 0xDE);
    EXPECT_EQ(GetLE32(bytes + 1), 0xDEADBEEFu);
    PutLE16(bytes, 0xABCD);
    EXPECT_EQ(GetLE16(bytes), 0xABCD);
}

}  // namespace
}  // namespace pellumo
