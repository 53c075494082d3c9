#pragma once

#include <ostream>
#include <string>

namespace pellumo {

// Prints the show a file carries, read exactly as the player reads it: a text for people,
// or one JSON object for programs. A file without a show raises ECatalogueError naming it.
void RunInspect(const std::string& fileName, bool json, std::ostream& out);

}  // namespace pellumo
