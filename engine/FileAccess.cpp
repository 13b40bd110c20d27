#include "FileAccess.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#if __has_include(<unistd.h>)
#include <unistd.h>
#endif

#include "Failure.h"

namespace Routines {

namespace fs = std::filesystem;

namespace {

// Enough for any sensible chain of links, and it stops a loop of links.
constexpr int MaxLinkHops = 40;

// Maps a system error to the failure a user can act on.
Failure FailureFromError(const fs::path& path, const std::string& action, std::error_code error) {
    const std::string detail = QuotedPath(path) + ": " + action + " (" + error.message() + ")";
    const auto condition = error.default_error_condition();
    if (condition == std::errc::no_such_file_or_directory) return Failure(FailureCode::FileNotFound, detail);
    if (condition == std::errc::no_space_on_device) return Failure(FailureCode::DiskFull, detail);
    if (condition == std::errc::permission_denied || condition == std::errc::operation_not_permitted ||
        condition == std::errc::read_only_file_system || condition == std::errc::is_a_directory ||
        condition == std::errc::not_a_directory) {
        return Failure(FailureCode::PathAccessError, detail);
    }
    if (condition == std::errc::not_enough_memory) return Failure(FailureCode::OutOfMemory, detail);
    return Failure(FailureCode::DeviceError, detail);
}

std::error_code LastError() {
    return errno != 0 ? std::error_code(errno, std::generic_category())
                      : std::make_error_code(std::errc::io_error);
}

// Raises unless the path names an existing regular file (links followed).
void RequireRegularFile(const fs::path& path, const std::string& action) {
    std::error_code error;
    const auto status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) {
        throw Failure(FailureCode::FileNotFound, QuotedPath(path));
    }
    if (error) throw FailureFromError(path, action, error);
    if (fs::is_directory(status)) {
        throw Failure(FailureCode::PathAccessError, QuotedPath(path) + " is a folder, not a file");
    }
    if (!fs::is_regular_file(status)) {
        throw Failure(FailureCode::PathAccessError, QuotedPath(path) + " is not a regular file");
    }
}

// The file a chain of symbolic links ends at; a relative link target counts
// from the folder of the link. The end need not exist yet.
fs::path ResolveLinks(const fs::path& path) {
    fs::path current = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        std::error_code error;
        const auto status = fs::symlink_status(current, error);
        if (!fs::is_symlink(status)) return current;
        const fs::path target = fs::read_symlink(current, error);
        if (error) throw FailureFromError(current, "cannot read the symbolic link", error);
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    throw Failure(FailureCode::PathAccessError, QuotedPath(path) + ": too many levels of symbolic links");
}

// Forces the written bytes out of the caches onto the disk.
bool FlushToDisk(std::FILE* file) {
#if __has_include(<unistd.h>)
    return ::fsync(::fileno(file)) == 0;
#else
    (void)file;
    return true;
#endif
}

fs::path TemporaryNameNear(const fs::path& target) {
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::uint32_t> distribution;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(distribution(generator)));
    return target.parent_path() / ("." + target.filename().string() + ".tmp-" + suffix);
}

// Opens a new file that did not exist before, never an existing one.
std::FILE* CreateTemporaryFile(const fs::path& target, fs::path& temporary) {
    constexpr int attempts = 16;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        temporary = TemporaryNameNear(target);
        errno = 0;
        if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return file;
        if (errno != EEXIST)
            throw FailureFromError(target, "cannot create a file in its folder", LastError());
    }
    throw Failure(FailureCode::PathAccessError,
                  QuotedPath(target) + ": cannot create a temporary file next to it");
}

void WriteAndClose(std::FILE* file, const fs::path& target, const std::vector<std::uint8_t>& bytes) {
    errno = 0;
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!written) {
        const auto error = LastError();
        std::fclose(file);
        throw FailureFromError(target, "cannot write the file", error);
    }
    // A full disk often shows only when the buffers are flushed.
    errno = 0;
    if (std::fflush(file) != 0 || !FlushToDisk(file)) {
        const auto error = LastError();
        std::fclose(file);
        throw FailureFromError(target, "cannot write the file", error);
    }
    errno = 0;
    if (std::fclose(file) != 0) throw FailureFromError(target, "cannot finish writing the file", LastError());
}

}  // namespace

std::uintmax_t FileLength(const std::string& path) {
    RequireRegularFile(path, "cannot read the file's length");
    std::error_code error;
    const auto length = fs::file_size(path, error);
    if (error) throw FailureFromError(path, "cannot read the file's length", error);
    return length;
}

std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::size_t maxBytes) {
    RequireRegularFile(path, "cannot open the file");
    errno = 0;
    std::ifstream stream(path, std::ios::binary);
    if (!stream) throw FailureFromError(path, "cannot open the file for reading", LastError());
    std::vector<std::uint8_t> bytes(maxBytes);
    stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(maxBytes));
    if (stream.bad()) throw FailureFromError(path, "cannot read the file", LastError());
    bytes.resize(static_cast<std::size_t>(stream.gcount()));
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path target = ResolveLinks(fs::path(path));

    std::error_code error;
    const auto targetStatus = fs::status(target, error);
    const bool targetExists = fs::exists(targetStatus);
    if (fs::is_directory(targetStatus)) {
        throw Failure(FailureCode::PathAccessError, QuotedPath(path) + " is a folder, not a file");
    }
    // A device or pipe must never be replaced by a plain file.
    if (targetExists && !fs::is_regular_file(targetStatus)) {
        throw Failure(FailureCode::PathAccessError, QuotedPath(path) + " is not a regular file");
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error)) {
        throw Failure(FailureCode::FileNotFound,
                      QuotedPath(path) + ": the folder " + QuotedPath(folder) + " does not exist");
    }

    fs::path temporary;
    std::FILE* file = CreateTemporaryFile(target, temporary);
    try {
        WriteAndClose(file, target, bytes);
        if (targetExists) {
            // The replacement keeps the permissions of the file it replaces.
            fs::permissions(temporary, targetStatus.permissions(), error);
        }
        fs::rename(temporary, target, error);
        if (error) throw FailureFromError(target, "cannot replace the file", error);
    } catch (...) {
        fs::remove(temporary, error);
        throw;
    }
}

}  // namespace Routines
