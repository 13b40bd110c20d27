#include "Failure.h"

#include <string>

namespace Routines {

namespace {

// The one table of failure descriptions; "%1" is replaced by the detail
// (a text without it, like the cancel signal's, needs none).
const char* DescriptionTemplate(FailureCode code) {
    switch (code) {
        case FailureCode::InvalidArgument:
            return "Invalid procedure call or argument: %1";
        case FailureCode::Overflow:
            return "Overflow: %1";
        case FailureCode::OutOfMemory:
            return "Out of memory: %1";
        case FailureCode::TypeMismatch:
            return "Type mismatch: %1";
        case FailureCode::InternalError:
            return "Internal error: %1";
        case FailureCode::FileNotFound:
            return "File not found: %1";
        case FailureCode::DeviceError:
            return "Device I/O error: %1";
        case FailureCode::DiskFull:
            return "Disk full: %1";
        case FailureCode::FileTooShort:
            return "File too short: %1";
        case FailureCode::PathAccessError:
            return "Path/File access error: %1";
        case FailureCode::InvalidPicture:
            return "Invalid picture: %1";
        case FailureCode::Cancelled:
            return "Cancel was selected.";
    }
    return "Unexpected error: %1";
}

std::string Describe(FailureCode code, const std::string& detail) {
    std::string text = DescriptionTemplate(code);
    const auto marker = text.find("%1");
    if (marker != std::string::npos) {
        text.replace(marker, 2, detail);
    }
    return text;
}

}  // namespace

Failure::Failure(FailureCode code, const std::string& detail)
    : std::runtime_error(Describe(code, detail)), code_(code), description_(what()) {}

std::string QuotedPath(const std::string& path) { return '"' + path + '"'; }

std::string GenericErrorText(int number, const std::string& description) {
    return "Error Number: " + std::to_string(number) + " Occured." + "\r" +
           "This number and the following description" + "\r" + "should be send to the developer" + "\r\r" +
           description;
}

}  // namespace Routines
