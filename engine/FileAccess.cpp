#include "FileAccess.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <optional>
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

std::error_code LastError() {
    return errno != 0 ? std::error_code(errno, std::generic_category())
                      : std::make_error_code(std::errc::io_error);
}

// Raises unless the status is that of a regular file: a folder, a device or a
// pipe is never read.
void RequireRegularFile(const std::string& path, mode_t mode) {
    if (S_ISDIR(mode)) throw FolderNotFile(path);
    if (!S_ISREG(mode)) throw NotRegularFile(path);
}

// A path that does not lead to a file, the one failure without a reason.
bool NotFound(int error) { return error == ENOENT || error == ENOTDIR; }

// Closes a file descriptor when it goes out of scope.
struct Descriptor {
    int value = -1;
    ~Descriptor() {
        if (value >= 0) ::close(value);
    }
};

// A regular file opened for reading, closed when it goes out of scope.
class OpenFile {
public:
    // Raises unless the path leads to a regular file that can be opened.
    explicit OpenFile(const std::string& path) : path_(path) {
        // Non-blocking, so that opening a pipe returns at once and the check
        // below refuses it; for a regular file the flag changes nothing.
        errno = 0;
        descriptor_.value = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (descriptor_.value < 0) {
            if (NotFound(errno)) throw MissingFile(path);
            throw FailureFromError(path, "cannot open the file for reading", LastError());
        }
        // The one call beyond opening and reading: what was opened must be a
        // regular file, and its length comes with the answer.
        struct stat status {};
        if (::fstat(descriptor_.value, &status) != 0)
            throw FailureFromError(path, "cannot open the file", LastError());
        RequireRegularFile(path, status.st_mode);
        length_ = static_cast<std::uintmax_t>(status.st_size);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    std::uintmax_t Length() const { return length_; }

    // Up to maxBytes from the start; fewer only if the file is shorter.
    std::vector<std::uint8_t> ReadStart(std::size_t maxBytes) const {
        std::vector<std::uint8_t> bytes(maxBytes);
        std::size_t filled = 0;
        while (filled < maxBytes) {
            errno = 0;
            const ssize_t count = ::read(descriptor_.value, bytes.data() + filled, maxBytes - filled);
            if (count == 0) break;
            if (count < 0) {
                if (errno == EINTR) continue;
                throw FailureFromError(path_, "cannot read the file", LastError());
            }
            filled += static_cast<std::size_t>(count);
        }
        bytes.resize(filled);
        return bytes;
    }

private:
    const std::string& path_;
    Descriptor descriptor_;  // closed also when the constructor raises
    std::uintmax_t length_ = 0;
};

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
    throw Failure(FailureCode::PathAccessError, Quoted(path) + ": too many levels of symbolic links");
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
                  Quoted(target) + ": cannot create a temporary file next to it");
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
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (NotFound(errno)) throw MissingFile(path);
        throw FailureFromError(path, "cannot read the file's length", LastError());
    }
    RequireRegularFile(path, status.st_mode);
    return static_cast<std::uintmax_t>(status.st_size);
}

std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::size_t maxBytes) {
    return OpenFile(path).ReadStart(maxBytes);
}

std::optional<std::vector<std::uint8_t>> ReadFileOfLength(const std::string& path, std::size_t length) {
    std::optional<OpenFile> file;
    try {
        file.emplace(path);
    } catch (const Failure&) {
        // The length decides first, as if it had been asked before opening:
        // a file of another length that cannot be opened is refused all the
        // same, and anything else fails as asking the length fails.
        if (FileLength(path) != length) return std::nullopt;
        throw;
    }
    if (file->Length() != length) return std::nullopt;
    auto bytes = file->ReadStart(length);
    // The file shrank between asking its length and reading it.
    if (bytes.size() != length) return std::nullopt;
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path target = ResolveLinks(fs::path(path));

    std::error_code error;
    const auto targetStatus = fs::status(target, error);
    const bool targetExists = fs::exists(targetStatus);
    if (fs::is_directory(targetStatus)) throw FolderNotFile(path);
    // A device or pipe must never be replaced by a plain file.
    if (targetExists && !fs::is_regular_file(targetStatus)) throw NotRegularFile(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error)) {
        throw Failure(FailureCode::FileNotFound,
                      Quoted(path) + ": the folder " + Quoted(folder) + " does not exist");
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
