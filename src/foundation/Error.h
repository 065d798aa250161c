#pragma once

#include <stdexcept>
#include <string>

namespace qm {

// Base of every failure Quillmere reports to the user; what() is the text shown.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A file or folder operation failed; the message names the path and the reason.
class FileError : public Error {
public:
    using Error::Error;
};

// Text that the program reads (settings, results files, command lines) is not of the expected form.
class FormatError : public Error {
public:
    using Error::Error;
};

}  // namespace qm
