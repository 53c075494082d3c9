#include "base/format.h"

namespace pellumo {

std::string Format(std::string_view pattern, std::initializer_list<std::string> args) {
    std::string result;
    result.reserve(pattern.size() + 32);
    auto nextArg = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != '%' || i + 1 == pattern.size()) {
            result += c;
            continue;
        }
        const char kind = pattern[++i];
        if (kind == '%') {
            result += '%';
        } else if (kind == 's' || kind == 'd' || kind == 'x' || kind == 'u') {
            if (nextArg != args.end()) result += *nextArg++;
        } else {
            result += '%';
            result += kind;
        }
    }
    return result;
}

}  // namespace pellumo
