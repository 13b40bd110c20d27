#include "FileAccess.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

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

// The file at the end of a chain of symbolic links, as lstat saw it.
struct Target {
    fs::path path;
    bool exists = false;
    mode_t permissions = 0;
};

fs::path LinkTarget(const fs::path& link) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0) throw FailureFromError(link, "cannot read the symbolic link", LastError());
    target.resize(static_cast<std::size_t>(length));
    // A relative link target counts from the folder of the link.
    const fs::path linked(target);
    return linked.is_absolute() ? linked : link.parent_path() / linked;
}

// Follows the links by hand, one lstat per name, so that a loop of links is
// refused instead of followed. A name that does not exist yet is a new file;
// whether its folder exists, the create call tells.
Target ResolveTarget(const std::string& path) {
    fs::path current = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0) {
            if (errno == ENOENT) return {current};
            throw FailureFromError(path, "cannot look at the file", LastError());
        }
        if (S_ISDIR(status.st_mode)) {
            throw Failure(FailureCode::PathAccessError, QuotedPath(path) + " is a folder, not a file");
        }
        if (!S_ISLNK(status.st_mode)) {
            // A device or pipe must never be replaced by a plain file.
            if (!S_ISREG(status.st_mode)) {
                throw Failure(FailureCode::PathAccessError, QuotedPath(path) + " is not a regular file");
            }
            return {current, true, status.st_mode & 07777};
        }
        current = LinkTarget(current);
    }
    throw Failure(FailureCode::PathAccessError, QuotedPath(path) + ": too many levels of symbolic links");
}

fs::path TemporaryNameNear(const fs::path& target) {
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::uint32_t> distribution;
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(distribution(generator)));
    return target.parent_path() / ("." + target.filename().string() + ".tmp-" + suffix);
}

// Tries fresh temporary names beside the target until tryName takes one;
// tryName returns false only when the name is taken already (EEXIST).
template <typename TryName>
fs::path FirstFreeName(const fs::path& target, const std::string& action, TryName tryName) {
    constexpr int attempts = 16;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const fs::path temporary = TemporaryNameNear(target);
        if (tryName(temporary)) return temporary;
        if (errno != EEXIST) throw FailureFromError(target, action, LastError());
    }
    throw Failure(FailureCode::PathAccessError, QuotedPath(target) + ": no free temporary name next to it");
}

// The new content's file: unnamed until it is complete, so that a process
// killed halfway leaves nothing behind. File systems without unnamed files
// get a hidden temporary name instead.
struct NewFile {
    int descriptor = -1;
    fs::path name;  // empty while the file has none
};

NewFile CreateNear(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string action = "cannot create a file in its folder";
    NewFile file;
    file.descriptor = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (file.descriptor >= 0) return file;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        throw FailureFromError(target, action, LastError());
    }
    file.name = FirstFreeName(target, action, [&](const fs::path& name) {
        file.descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return file.descriptor >= 0;
    });
    return file;
}

// Every byte, through short writes and interrupted calls.
void WriteAll(int descriptor, const fs::path& target, const std::vector<std::uint8_t>& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
        } else if (count == 0 || errno != EINTR) {
            throw FailureFromError(target, "cannot write the file",
                                   count == 0 ? std::make_error_code(std::errc::io_error) : LastError());
        }
    }
}

// Gives the complete unnamed file a name: the target's own when the target
// does not exist, so that no rename is needed, else a free temporary one.
fs::path NameUnnamedFile(int descriptor, const Target& target) {
    const std::string source = "/proc/self/fd/" + std::to_string(descriptor);
    const auto link = [&](const fs::path& name) {
        return ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
    };
    const std::string action = "cannot give the new file its name";
    if (!target.exists) {
        if (link(target.path)) return target.path;
        // A file appeared under the name since the lstat: it is replaced by the rename.
        if (errno != EEXIST) throw FailureFromError(target.path, action, LastError());
    }
    return FirstFreeName(target.path, action, link);
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
    const Target target = ResolveTarget(path);
    NewFile file = CreateNear(target.path);
    try {
        WriteAll(file.descriptor, target.path, bytes);
        // The replacement keeps the permissions of the file it replaces.
        if (target.exists && ::fchmod(file.descriptor, target.permissions) != 0) {
            throw FailureFromError(target.path, "cannot keep the file's permissions", LastError());
        }
        // A full disk or a failing device often shows only here.
        if (::fsync(file.descriptor) != 0)
            throw FailureFromError(target.path, "cannot write the file", LastError());
        if (file.name.empty()) file.name = NameUnnamedFile(file.descriptor, target);
        const int closed = ::close(file.descriptor);
        file.descriptor = -1;
        if (closed != 0) throw FailureFromError(target.path, "cannot finish writing the file", LastError());
        if (file.name != target.path && ::rename(file.name.c_str(), target.path.c_str()) != 0) {
            throw FailureFromError(target.path, "cannot replace the file", LastError());
        }
    } catch (...) {
        // The target is as it was: only a name this save gave is removed.
        if (file.descriptor >= 0) ::close(file.descriptor);
        if (!file.name.empty()) ::unlink(file.name.c_str());
        throw;
    }
}

}  // namespace Routines
