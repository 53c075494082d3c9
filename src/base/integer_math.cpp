#include "base/integer_math.h"

#include <cmath>
#include <limits>

namespace pellumo {

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
    if (c == 0) return -1;
    std::int64_t numerator = static_cast<std::int64_t>(a) * b;
    std::int64_t divisor = c;
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    const std::int64_t half = divisor / 2;
    const std::int64_t result = numerator >= 0 ? (numerator + half) / divisor : (numerator - half) / divisor;
    if (result > std::numeric_limits<std::int32_t>::max() || result < -std::numeric_limits<std::int32_t>::max())
        return -1;
    return static_cast<std::int32_t>(result);
}

std::int64_t Round(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

std::int64_t Trunc(double value) { return static_cast<std::int64_t>(std::trunc(value)); }

}  // namespace pellumo
