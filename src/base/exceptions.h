#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace pellumo {

// Root of every failure the system raises: a message for the user, nothing more.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be opened for reading.
class EFOpenError : public EStreamError {
public:
    explicit EFOpenError(std::string_view fileName);
};

// A file that cannot be created or opened for writing.
class EFCreateError : public EStreamError {
public:
    explicit EFCreateError(std::string_view fileName);
};

// Fewer bytes available than an exact read asked for.
class EReadError : public EStreamError {
public:
    EReadError();
};

// Fewer bytes written than an exact write asked for.
class EWriteError : public EStreamError {
public:
    EWriteError();
};

// A value that does not fit where it is asked to go (assignment between unrelated classes,
// text without a Windows-1252 form, ...).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace pellumo
