#include "FileAccess.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <string_view>
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

// The file at the end of a chain of symbolic links, as lstat saw it.
struct Target {
    std::string path;
    bool exists = false;
    mode_t permissions = 0;
};

std::string LinkTarget(const std::string& link) {
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
    if (length < 0) throw FailureFromError(link, "cannot read the symbolic link", LastError());
    target.resize(static_cast<std::size_t>(length));
    // A relative link target counts from the folder of the link.
    const fs::path linked(target);
    return linked.is_absolute() ? target : (fs::path(link).parent_path() / linked).string();
}

// Follows the links by hand, one lstat per name, so that a loop of links is
// refused instead of followed. A name that does not exist yet is a new file;
// whether its folder exists, the create call tells.
Target ResolveTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0) {
            if (errno == ENOENT) return {current};
            throw FailureFromError(path, "cannot look at the file", LastError());
        }
        if (S_ISDIR(status.st_mode)) {
            throw FolderNotFile(path);
        }
        if (!S_ISLNK(status.st_mode)) {
            // A device or pipe must never be replaced by a plain file.
            if (!S_ISREG(status.st_mode)) {
                throw NotRegularFile(path);
            }
            return {current, true, status.st_mode & 07777};
        }
        current = LinkTarget(current);
    }
    throw Failure(FailureCode::PathAccessError, Quoted(path) + ": too many levels of symbolic links");
}

// A path's name starts after its last slash, as the file system reads it.
std::size_t NameStart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string FolderOf(const std::string& path) {
    const std::size_t start = NameStart(path);
    if (start == 0) return ".";
    return start == 1 ? "/" : path.substr(0, start - 1);
}

// A temporary file is named ".NAME.pelorin-PID-XXXXXXXX.tmp" beside its
// target: hidden, and carrying the process that writes it, so that a later
// save can tell what a killed writer left from what a living one is writing.
constexpr std::string_view TemporaryMark = ".pelorin-";
constexpr std::string_view TemporaryEnding = ".tmp";

std::string TemporaryNameNear(const std::string& target) {
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::uint32_t> distribution;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "%ld-%08x", static_cast<long>(::getpid()),
                  static_cast<unsigned>(distribution(generator)));
    const std::size_t start = NameStart(target);
    return target.substr(0, start) + "." + target.substr(start) + std::string(TemporaryMark) + suffix +
           std::string(TemporaryEnding);
}

// The writer's process of a temporary file's name, or 0 for any other name.
pid_t WriterOf(std::string_view name) {
    if (name.size() < 2 || name[0] != '.' || !name.ends_with(TemporaryEnding)) return 0;
    name.remove_suffix(TemporaryEnding.size());
    const std::size_t dash = name.rfind('-');
    const std::size_t mark = name.rfind(TemporaryMark);
    if (dash == std::string_view::npos || mark == std::string_view::npos ||
        dash - mark <= TemporaryMark.size() || name.size() - dash != 9 ||
        name.substr(dash + 1).find_first_not_of("0123456789abcdef") != std::string_view::npos)
        return 0;
    const std::string_view digits =
        name.substr(mark + TemporaryMark.size(), dash - mark - TemporaryMark.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos) return 0;
    return static_cast<pid_t>(std::stol(std::string(digits)));
}

// Removes the temporary files a killed save left in the folder: those whose
// writer no longer runs. A kill can strike between naming a complete file and
// renaming it over its target; the next save into the folder clears it up.
// Nothing here may fail a save: a file that cannot be removed stays.
void RemoveAbandonedFiles(const std::string& folder) {
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        const pid_t writer = WriterOf(name);
        if (writer <= 0 || writer == ::getpid()) continue;
        if (::kill(writer, 0) == 0 || errno != ESRCH) continue;
        ::unlink(entry->path().c_str());
    }
}

// Tries fresh temporary names beside the target until tryName takes one;
// tryName returns false only when the name is taken already (EEXIST).
template <typename TryName>
std::string FirstFreeName(const std::string& target, const std::string& action, TryName tryName) {
    constexpr int attempts = 16;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const std::string temporary = TemporaryNameNear(target);
        if (tryName(temporary)) return temporary;
        if (errno != EEXIST) throw FailureFromError(target, action, LastError());
    }
    throw Failure(FailureCode::PathAccessError, Quoted(target) + ": no free temporary name next to it");
}

// The new content's file: unnamed until it is complete, so that a process
// killed halfway leaves nothing behind. File systems without unnamed files
// get a hidden temporary name instead.
struct NewFile {
    int descriptor = -1;
    std::string name;  // empty while the file has none
};

// The file creation mask, read once: nothing in Pelorin changes it after start.
mode_t CreationMask() {
    static const mode_t mask = [] {
        const mode_t current = ::umask(0);
        ::umask(current);
        return current;
    }();
    return mask;
}

// The new file is created with the target's permissions (a new target gets
// 0666), so that the mask alone decides whether they still need setting.
NewFile CreateNear(const std::string& target, mode_t mode) {
    const std::string folder = FolderOf(target);
    const std::string action = "cannot create a file in its folder";
    NewFile file;
    file.descriptor = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (file.descriptor >= 0) return file;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        throw FailureFromError(target, action, LastError());
    }
    file.name = FirstFreeName(target, action, [&](const std::string& name) {
        file.descriptor = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        return file.descriptor >= 0;
    });
    return file;
}

// Every byte, through short writes and interrupted calls.
void WriteAll(int descriptor, const std::string& target, const std::vector<std::uint8_t>& bytes) {
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
std::string NameUnnamedFile(int descriptor, const Target& target) {
    const std::string source = "/proc/self/fd/" + std::to_string(descriptor);
    const auto link = [&](const std::string& name) {
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

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
}

void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const Target target = ResolveTarget(path);
    RemoveAbandonedFiles(FolderOf(target.path));
    NewFile file = CreateNear(target.path, target.exists ? target.permissions : 0666);
    try {
        WriteAll(file.descriptor, target.path, bytes);
        // The replacement keeps the permissions of the file it replaces; only
        // bits that the creation mask took away are set again.
        if (target.exists && (target.permissions & CreationMask()) != 0 &&
            ::fchmod(file.descriptor, target.permissions) != 0) {
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
