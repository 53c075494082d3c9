#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace pellumo {

// Runs body(0) to body(count - 1) at the same time: part 0 on the calling thread, every other
// part on a thread of its own, and returns when all have ended. When parts fail, the failure
// of the lowest one is raised, after all have ended.
void RunParts(std::size_t count, const std::function<void(std::size_t part)>& body);

// Below this many pixels a picture's work is not worth a thread.
constexpr std::uint64_t kSmallestSharedPicture = 1u << 20;

// How many parts a job is worth splitting into: one when its `work` is below `smallest`
// (a thread would cost more than it saves), else one per core, at most four.
std::size_t PartsFor(std::uint64_t work, std::uint64_t smallest);

}  // namespace pellumo
