#pragma once

#include <string>
#include <string_view>

#include "base/exceptions.h"

namespace pellumo {

// FFmpeg's libraries failed to encode, decode or write: the message says what and why.
class EVideoError : public Exception {
public:
    using Exception::Exception;
};

// Keeps FFmpeg's libraries from writing on the standard error: the messages of the video
// library say what failed, the libraries' own would only interleave with them.
void SilenceAvLog();

// FFmpeg's own words for one of its error codes.
std::string AvErrorText(int code);

// Returns `code` when it is not an error; raises EVideoError with kEncodingFailed naming `step`.
int CheckEncoding(int code, std::string_view step);

}  // namespace pellumo
