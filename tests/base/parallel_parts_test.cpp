#include "base/parallel_parts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace pellumo {
namespace {

TEST(RunParts, EveryPartRunsOnceAndTheLowestFailureIsRaisedAfterAllEnded) {
    for (std::size_t count : {0u, 1u, 3u, 6u}) {
        std::vector<std::atomic<int>> runs(count);
        RunParts(count, [&](std::size_t part) { ++runs[part]; });
        for (std::size_t part = 0; part < count; ++part) EXPECT_EQ(runs[part], 1) << part << " of " << count;
    }

    std::atomic<int> ended{0};
    try {
        RunParts(5, [&](std::size_t part) {
            ++ended;
            if (part == 3) throw std::runtime_error("three");
            if (part == 1) throw std::invalid_argument("one");
        });
        FAIL() << "no error";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "one");
    }
    EXPECT_EQ(ended, 5);
}

}  // namespace
}  // namespace pellumo
