#include "base/byte_order.h"

namespace pellumo {

void SwapShorts(std::uint16_t* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) values[i] = SwapShort(values[i]);
}

void SwapLongs(std::uint32_t* values, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) values[i] = SwapLong(values[i]);
}

}  // namespace pellumo
