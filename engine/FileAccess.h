#pragma once

// The engine's edge to the file system. Everything here raises a Failure
// whose description names the path.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Routines {

// The length of a regular file, read without opening it.
std::uintmax_t FileLength(const std::string& path);

// Up to maxBytes from the start of the file; fewer only if the file is shorter.
std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::size_t maxBytes);

// The bytes of a regular file exactly `length` bytes long; nothing, and
// nothing read, for a file of any other length. Its failures are those of
// FileLength, then of ReadFileStart.
std::optional<std::vector<std::uint8_t>> ReadFileOfLength(const std::string& path, std::size_t length);

// Which file a path leads to, links followed: its device and inode. Two paths
// with the same identity are one file, whatever their spelling or links.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
// Nothing when no file is there (or it cannot be looked at).
std::optional<FileIdentity> IdentityOf(const std::string& path);

// Replaces the file at path with exactly these bytes, or leaves it as it was:
// the bytes go to a new file in the same folder, unnamed where the file system
// allows it, which is flushed to the disk and only then named and renamed over
// the target, so an interrupted save never leaves a damaged target. A save
// killed between naming the new file and the rename (or, where unnamed files
// are not allowed, at any time) leaves its temporary file, named
// ".NAME.pelorin-PID-XXXXXXXX.tmp"; every save removes such files of writers
// that no longer run from its folder. Through a symbolic link the file the link points to is
// replaced and the link kept. A folder, a pipe, a device or a loop of links at
// the path is refused.
void WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace Routines
