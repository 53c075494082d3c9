#pragma once

#include <string>
#include <vector>

namespace pellumo {

// True for a folder given where a picture is expected.
bool IsPictureFolder(const std::string& path);

// The pictures of a folder (not of its subfolders), as paths: the files whose extension a
// registered format reads, hidden files left out, in name order as a file manager sorts them
// (letter case aside, numbers by value, so "photo 2" comes before "photo 10"). Raises
// EOptionError when the folder cannot be read.
std::vector<std::string> PicturesInFolder(const std::string& folder);

}  // namespace pellumo
