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

// The same pictures in the order they were taken, as their Exif data dates them
// (ExifDateTaken): those with a date first, by date, then the others; pictures of the same
// date, and those without one, in name order. Reads the first bytes of each picture.
std::vector<std::string> PicturesInFolderByDate(const std::string& folder);

// True for a file name whose extension a registered format reads.
bool HasPictureExtension(const std::string& path);

}  // namespace pellumo
