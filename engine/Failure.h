#pragma once

#include <stdexcept>
#include <string>

namespace Routines {

// Every failure the program reports carries one of these numbers. The
// descriptions that go with them live in one table, in Failure.cpp.
enum class FailureCode : int {
    InvalidArgument = 5,
    Overflow = 6,
    OutOfMemory = 7,
    TypeMismatch = 13,
    InternalError = 51,
    FileNotFound = 53,
    DeviceError = 57,
    DiskFull = 61,
    FileTooShort = 62,
    PathAccessError = 75,
    InvalidPicture = 481,
    Cancelled = 32755,  // the file dialog's cancel signal
};

// A failure that the engine does not handle itself. It travels up to the
// error trap of the command that is running.
class Failure : public std::runtime_error {
public:
    // The description is the table's text for the code with "%1" replaced
    // by the detail (usually a path, or a path and a reason).
    Failure(FailureCode code, const std::string& detail);

    FailureCode Code() const noexcept { return code_; }
    int Number() const noexcept { return static_cast<int>(code_); }
    const std::string& Description() const noexcept { return description_; }

private:
    FailureCode code_;
    std::string description_;
};

// A path as failure descriptions show it: in double quotes.
std::string QuotedPath(const std::string& path);

// The text of the generic error box shown by a command's error trap: three
// lines, an empty line and the description, joined by lone carriage returns.
std::string GenericErrorText(int number, const std::string& description);

inline constexpr const char* GenericErrorTitle = "An Error Occured";

}  // namespace Routines
