#pragma once

#include <string>

#include "player/catalogue.h"

namespace pellumo {

// The show a file carries. Raises ECatalogueError naming the file when it carries none.
TCatalogue ReadShowFile(const std::string& fileName);

}  // namespace pellumo
