#include "base/parallel_parts.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace pellumo {

void RunParts(std::size_t count, const std::function<void(std::size_t part)>& body) {
    std::vector<std::exception_ptr> failures(count);
    auto run = [&](std::size_t part) {
        try {
            body(part);
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> helpers;
        std::vector<std::size_t> here{0};  // parts run on this thread
        helpers.reserve(count);
        for (std::size_t part = 1; part < count; ++part) {
            try {
                helpers.emplace_back(run, part);
            } catch (const std::system_error&) {
                here.push_back(part);  // no thread to be had: the work is done all the same
            }
        }
        if (count > 0)
            for (std::size_t part : here) run(part);
    }  // joined here
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
}

std::size_t PartsFor(std::uint64_t work, std::uint64_t smallest) {
    constexpr unsigned kMostParts = 4;
    if (work < smallest) return 1;
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMostParts);
}

}  // namespace pellumo
