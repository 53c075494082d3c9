#pragma once

#include <cstdint>
#include <string>

namespace pellumo {

// "6,5 Mo", "812 Ko": the size of what was written, as a file manager would give it.
std::string SizeText(std::int64_t bytes);

}  // namespace pellumo
