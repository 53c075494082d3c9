#include "size_text.h"

namespace pellumo {

std::string SizeText(std::int64_t bytes) {
    if (bytes < 1000 * 1000) return std::to_string((bytes + 999) / 1000) + " Ko";
    const std::int64_t tenths = (bytes + 50'000) / 100'000;
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " Mo";
}

}  // namespace pellumo
