#pragma once

#include <cstdint>
#include <span>

namespace pellumo::ccitt_codes {

// One run-length code of ITU-T T.4: the code's bits, right-aligned, and how many there are.
struct TRunCode {
    std::uint16_t Bits;
    std::uint8_t Length;
};

// Terminating codes for runs 0..63, by run length.
extern const TRunCode kWhiteTerminating[64];
extern const TRunCode kBlackTerminating[64];
// Make-up codes for runs 64, 128, ..., 1728 (the k-th entry is 64 x (k + 1)).
extern const TRunCode kWhiteMakeUp[27];
extern const TRunCode kBlackMakeUp[27];
// Make-up codes shared by both colours for runs 1792, 1856, ..., 2560.
extern const TRunCode kExtendedMakeUp[13];
// 000000000001.
inline constexpr TRunCode kEndOfLine{0x001, 12};

}  // namespace pellumo::ccitt_codes
