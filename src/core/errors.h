#pragma once

#include <stdexcept>
#include <string>

namespace dm {

// Every failure the user may see travels as one of these; what() is the exact message text.
class DamageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// File failures carry the code of the message table ("File not found" is 2 ...).
class IoError : public DamageError {
public:
    IoError(int code, const std::string& message) : DamageError(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// A cell text that does not convert to its field's type.
class ConvertError : public DamageError {
public:
    using DamageError::DamageError;
};

// A folder named where a file is expected; Windows' code for what a folder does not support.
constexpr int kFolderCode = 336;
// A file larger than any damage file; Windows' code for a file over a size limit.
constexpr int kTooLargeCode = 223;

// Raises the I/O error of the given code with its message text. The platform layer maps the
// system's own error codes onto these.
[[noreturn]] void raiseIoError(int code);

} // namespace dm
