#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace pellumo {

// Fills the placeholders of a message pattern (%s, %d, %x, %u) in order with the given texts;
// "%%" is a percent sign. Missing arguments leave their placeholder empty, so a wrong pattern
// can never read past the argument list.
std::string Format(std::string_view pattern, std::initializer_list<std::string> args);

}  // namespace pellumo
