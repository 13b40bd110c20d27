#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

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

// The failure the exception being handled stands for: a Failure as it is,
// running out of memory as OutOfMemory, anything else as InternalError. Call
// it only inside a catch block; both programs report failures through it.
Failure CurrentFailure();

// A path or a value as failure descriptions show it: in double quotes, and
// cut with "..." after the first `longest` characters.
std::string Quoted(const std::string& text, std::size_t longest = std::string::npos);

// The failures raised in more than one place, worded once.
Failure MissingFile(const std::string& path);
Failure FolderNotFile(const std::string& path);
Failure NotRegularFile(const std::string& path);
// The failure a user can act on for a system error met while doing `action`
// ("cannot read the file", ...) to the file at path.
Failure FailureFromError(const std::string& path, const std::string& action, std::error_code error);
// A text that HexToByte cannot read: not hexadecimal at all, or above 255.
Failure NotHexadecimal(const std::string& text);
Failure NotAByte(const std::string& text);
// A logo file of `length` bytes where its kind (".nol") needs `needed`.
Failure LogoFileTooShort(const std::string& path, std::size_t length, std::string_view kind,
                         std::size_t needed);
// A pixel that lies outside the view.
Failure PixelOutsideView(int x, int y);

// The text of the generic error box shown by a command's error trap: three
// lines, an empty line and the description, joined by lone carriage returns.
std::string GenericErrorText(int number, const std::string& description);

}  // namespace Routines
