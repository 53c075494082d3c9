#pragma once

#include <cstdint>

namespace pellumo {

// The process-wide generator of the random styles: seed := seed × 134775813 + 1 (mod 2^32),
// then the upper half of seed × range, a number from 0 to range − 1 (0 for range 0, which
// still advances the seed). The seed starts at 0 and is never taken from the clock, so the
// same frames from process start draw the same patterns in every run.
std::uint32_t Random(std::uint32_t range);

// The seed, for tests that predict or replay a sequence.
std::uint32_t RandomSeed();
void SetRandomSeed(std::uint32_t seed);

}  // namespace pellumo
