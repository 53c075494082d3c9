#pragma once

#include <string>
#include <vector>

namespace pellumo {

// True when both names lead to one existing file (the same device and inode), whatever the
// names: a link, "./a" and "a" all count.
bool SameFile(const std::string& first, const std::string& second);

// Refuses, with EOptionError, an output that would replace one of the command's inputs
// (never allowed: the input would be lost while it is read), a folder or other non-file, and
// an existing file unless `force` or `replaceable` (for instance a show that build may
// rebuild).
void CheckOutputTarget(const std::string& output, const std::vector<std::string>& inputs, bool force,
                       bool replaceable = false);

// Whether the file holds a show that reads: what a build may replace without being forced.
bool IsShowFile(const std::string& file);

// Where the player of `output` will look for the music, and what lies there now.
enum TMusicBeside {
    mbInPlace,  // the music itself, or the same bytes: nothing to copy
    mbFree,     // no file of that name: the music is copied
    mbOther,    // another file of that name: copying would replace it
};
struct TMusicPlace {
    std::string beside;
    TMusicBeside state = mbFree;
};
TMusicPlace MusicBesideOutput(const std::string& musicFile, const std::string& output);

}  // namespace pellumo
