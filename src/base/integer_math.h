#pragma once

#include <cstdint>

namespace pellumo {

// a·b/c through a 64-bit product, rounded to the nearest integer with halves away from zero.
// A zero divisor or a result outside the 32-bit range gives -1, as the platform does.
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

// Rounds to the nearest integer, ties to the even neighbour (Pascal's Round).
std::int64_t Round(double value);

// Drops the fraction, toward zero (Pascal's Trunc).
std::int64_t Trunc(double value);

}  // namespace pellumo
