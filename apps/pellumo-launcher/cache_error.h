#pragma once

#include <string>

#include "base/exceptions.h"

namespace pellumo {

// The cache folder could not take what a show unpacks into it: read-only, full, forbidden.
class ECacheError : public Exception {
public:
    // `error` is the errno of the failed call; the message says in French what it means.
    ECacheError(const std::string& folder, int error);
    using Exception::Exception;
};

// What an errno means for a person, in French.
std::string CauseOf(int error);

}  // namespace pellumo
