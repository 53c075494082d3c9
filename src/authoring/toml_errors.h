#pragma once

#include <string>
#include <string_view>

namespace pellumo {

// A TOML syntax error as the parser describes it ("Error while parsing string: encountered
// end-of-file"), told in French: the usual mistakes in plain words ("guillemet fermant
// manquant"), any other with the parser's own words after a French introduction.
std::string TomlSyntaxMessage(std::string_view description);

}  // namespace pellumo
