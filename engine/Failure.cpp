#include "Failure.h"

#include <cerrno>
#include <exception>
#include <new>
#include <string>

#include "Words.h"

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

std::string Quoted(const std::string& text, std::size_t longest) {
    std::string quoted = "\"";
    quoted += text.substr(0, longest);
    if (text.size() > longest) quoted += "...";
    return quoted + '"';
}

Failure CurrentFailure() {
    try {
        throw;
    } catch (const Failure& failure) {
        return failure;
    } catch (const std::bad_alloc& error) {
        return Failure(FailureCode::OutOfMemory, error.what());
    } catch (const std::exception& error) {
        return Failure(FailureCode::InternalError, error.what());
    } catch (...) {
        return Failure(FailureCode::InternalError, "unknown failure");
    }
}

Failure MissingFile(const std::string& path) { return Failure(FailureCode::FileNotFound, Quoted(path)); }

Failure FolderNotFile(const std::string& path) {
    return Failure(FailureCode::PathAccessError, Quoted(path) + " is a folder, not a file");
}

Failure NotRegularFile(const std::string& path) {
    return Failure(FailureCode::PathAccessError, Quoted(path) + " is not a regular file");
}

Failure FailureFromError(const std::string& path, const std::string& action, std::error_code error) {
    const std::string detail = Quoted(path) + ": " + action + " (" + error.message() + ")";
    const auto condition = error.default_error_condition();
    if (condition == std::errc::no_such_file_or_directory) return Failure(FailureCode::FileNotFound, detail);
    if (condition == std::errc::no_space_on_device || error.value() == EDQUOT)
        return Failure(FailureCode::DiskFull, detail);
    if (condition == std::errc::permission_denied || condition == std::errc::operation_not_permitted ||
        condition == std::errc::read_only_file_system || condition == std::errc::is_a_directory ||
        condition == std::errc::not_a_directory || condition == std::errc::filename_too_long ||
        condition == std::errc::too_many_symbolic_link_levels) {
        return Failure(FailureCode::PathAccessError, detail);
    }
    if (condition == std::errc::not_enough_memory) return Failure(FailureCode::OutOfMemory, detail);
    return Failure(FailureCode::DeviceError, detail);
}

// Hexadecimal texts can be long; their start is enough to recognise them.
constexpr std::size_t LongestQuotedValue = 16;

Failure NotHexadecimal(const std::string& text) {
    if (text.empty()) return Failure(FailureCode::TypeMismatch, "an empty text is not a hexadecimal number");
    return Failure(FailureCode::TypeMismatch,
                   Quoted(text, LongestQuotedValue) + " is not a hexadecimal number");
}

Failure NotAByte(const std::string& text) {
    return Failure(FailureCode::Overflow,
                   "the hexadecimal number " + Quoted(text, LongestQuotedValue) + " does not fit in a byte");
}

Failure LogoFileTooShort(const std::string& path, std::size_t length, std::string_view kind,
                         std::size_t needed) {
    return Failure(FailureCode::FileTooShort, Quoted(path) + " holds " + std::to_string(length) +
                                                  " bytes, too short to be a Nokia logo (a " +
                                                  std::string(kind) + " file needs at least " +
                                                  std::to_string(needed) + ")");
}

Failure PixelOutsideView(int x, int y) {
    return Failure(FailureCode::InvalidArgument,
                   "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")");
}

std::string GenericErrorText(int number, const std::string& description) {
    return GenericErrorNumberLead + std::to_string(number) + GenericErrorNumberEnd + "\r" +
           GenericErrorSecondLine + "\r" + GenericErrorThirdLine + "\r\r" + description;
}

}  // namespace Routines
