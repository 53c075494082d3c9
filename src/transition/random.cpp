#include "transition/random.h"

#include <atomic>

namespace pellumo {
namespace {
// Frames are composed on one thread at a time; the atomic keeps a stray second caller from
// being a data race, not from interleaving.
std::atomic<std::uint32_t> seed{0};
}  // namespace

std::uint32_t Random(std::uint32_t range) {
    std::uint32_t current = seed.load(std::memory_order_relaxed);
    std::uint32_t next;
    do {
        next = current * 134775813u + 1u;
    } while (!seed.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return static_cast<std::uint32_t>((std::uint64_t{next} * range) >> 32);
}

std::uint32_t RandomSeed() { return seed.load(std::memory_order_relaxed); }

void SetRandomSeed(std::uint32_t value) { seed.store(value, std::memory_order_relaxed); }

}  // namespace pellumo
