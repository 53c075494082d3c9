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

}  // namespace pellumo
