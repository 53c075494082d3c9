#include "base/exceptions.h"

#include "base/base_messages.h"
#include "base/format.h"

namespace pellumo {

EFOpenError::EFOpenError(std::string_view fileName)
    : EStreamError(Format(base_messages::kCannotOpenFile, {std::string(fileName)})) {}

EFCreateError::EFCreateError(std::string_view fileName)
    : EStreamError(Format(base_messages::kCannotCreateFile, {std::string(fileName)})) {}

EReadError::EReadError() : EStreamError(std::string(base_messages::kStreamReadError)) {}

EWriteError::EWriteError() : EStreamError(std::string(base_messages::kStreamWriteError)) {}

}  // namespace pellumo
