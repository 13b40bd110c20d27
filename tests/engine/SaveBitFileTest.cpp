#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "EngineFakes.h"
#include "FileAccess.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::BitFileSize;
using Routines::TruthFalse;
using Routines::TruthTrue;

Bytes EarlierPicture() {
    Bytes bytes(BitFileSize);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

// A view with its top-left pixel set saves as 0x01 followed by zeros.
FakeView TopLeftView() {
    FakeView view;
    view.SetPixel(0, 0, Routines::Black);
    return view;
}

Bytes TopLeftBytes() {
    Bytes bytes(BitFileSize, 0);
    bytes[0] = 0x01;
    return bytes;
}

using SaveBitFileTest = EngineTest;

// Into a missing folder, onto a folder, or from a view that cannot be read:
// each save fails, shows no box, and leaves no file, temporary or other, behind.
TEST_F(SaveBitFileTest, AFailedSaveChangesNothing) {
    WriteBytes(folder / "Screen.bit", EarlierPicture());
    fs::create_directory(folder / "folder.bit");

    EXPECT_EQ(Routines::SaveBitFile(folder / "missing-folder" / "Screen.bit", TopLeftView()), TruthFalse);
    EXPECT_EQ(Routines::SaveBitFile(folder / "folder.bit", TopLeftView()), TruthFalse);
    EXPECT_EQ(Routines::SaveBitFile(folder / "Screen.bit", BrokenView()), TruthFalse);
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"Screen.bit", "folder.bit"}));
    EXPECT_EQ(ReadBytes(folder / "Screen.bit"), EarlierPicture());
    EXPECT_TRUE(fs::is_directory(folder / "folder.bit"));
    EXPECT_TRUE(boxes.shown.empty());
}

// Targets the writer refuses, each with the failure a user can act on; the
// refusal leaves the folder as it was.
struct RefusedTarget {
    const char* name;
    void (*prepare)(const fs::path& folder);
    std::string saveTo;
    Routines::FailureCode code;
};

class RefusedTargetTest : public EngineTest, public ::testing::WithParamInterface<RefusedTarget> {};

TEST_P(RefusedTargetTest, IsRefusedWithItsFailureAndLeavesTheFolderAsItWas) {
    const RefusedTarget& row = GetParam();
    row.prepare(folder);
    const auto before = Names(folder);
    ExpectFailure([&] { Routines::WriteFileAtomically(folder / row.saveTo, TopLeftBytes()); }, row.code,
                  {(folder / row.saveTo).string()});
    EXPECT_EQ(Routines::SaveBitFile(folder / row.saveTo, TopLeftView()), TruthFalse);
    EXPECT_EQ(Names(folder), before);
}

void Nothing(const fs::path&) {}

INSTANTIATE_TEST_SUITE_P(
    Targets, RefusedTargetTest,
    ::testing::Values(
        RefusedTarget{"named_pipe",
                      [](const fs::path& f) { ASSERT_EQ(::mkfifo((f / "pipe.bit").c_str(), 0644), 0); },
                      "pipe.bit", Routines::FailureCode::PathAccessError},
        RefusedTarget{"folder", [](const fs::path& f) { fs::create_directory(f / "folder.bit"); },
                      "folder.bit", Routines::FailureCode::PathAccessError},
        RefusedTarget{"loop_of_links",
                      [](const fs::path& f) {
                          fs::create_symlink("b.bit", f / "a.bit");
                          fs::create_symlink("a.bit", f / "b.bit");
                      },
                      "a.bit", Routines::FailureCode::PathAccessError},
        RefusedTarget{"device_through_a_link",
                      [](const fs::path& f) { fs::create_symlink("/dev/null", f / "null.bit"); }, "null.bit",
                      Routines::FailureCode::PathAccessError},
        RefusedTarget{"name_too_long", Nothing, std::string(300, 'n') + ".bit",
                      Routines::FailureCode::PathAccessError},
        RefusedTarget{"file_as_folder", [](const fs::path& f) { WriteBytes(f / "plain", Bytes{1}); },
                      "plain/Screen.bit", Routines::FailureCode::PathAccessError},
        RefusedTarget{"missing_folder", Nothing, "missing/Screen.bit", Routines::FailureCode::FileNotFound}),
    [](const auto& info) { return std::string(info.param.name); });

// Rows: whether an earlier, longer file is there; how many links lead to it.
class SaveThroughLinksTest : public EngineTest,
                             public ::testing::WithParamInterface<std::tuple<bool, int>> {};

TEST_P(SaveThroughLinksTest, ReplacesTheFileAtTheEndWithExactly576BytesAndKeepsTheLinks) {
    const auto [earlierFile, links] = GetParam();
    fs::create_directory(folder / "pictures");
    const auto target = folder / "pictures" / "Screen.bit";
    if (earlierFile) WriteBytes(target, Bytes(1000, 0xEE));
    // Relative link targets count from the folder the link is in.
    std::string saveTo = "pictures/Screen.bit";
    for (int i = 0; i < links; ++i) {
        const std::string link = "link-" + std::to_string(i) + ".bit";
        fs::create_symlink(saveTo, folder / link);
        saveTo = link;
    }

    ASSERT_EQ(Routines::SaveBitFile(folder / saveTo, TopLeftView()), TruthTrue);
    EXPECT_EQ(ReadBytes(target), TopLeftBytes());
    EXPECT_EQ(Names(folder / "pictures"), std::vector<std::string>{"Screen.bit"});
    for (int i = 0; i < links; ++i)
        EXPECT_TRUE(fs::is_symlink(folder / ("link-" + std::to_string(i) + ".bit")));
}

INSTANTIATE_TEST_SUITE_P(Links, SaveThroughLinksTest,
                         ::testing::Values(std::tuple{true, 0}, std::tuple{true, 1}, std::tuple{false, 1},
                                           std::tuple{true, 2}));

// The replacement keeps the permissions of the file it replaces, also those
// the creation mask would take away; a new file gets what the mask allows.
class SavePermissionsTest : public EngineTest, public ::testing::WithParamInterface<mode_t> {};

TEST_P(SavePermissionsTest, ReplacementKeepsTheEarlierFilesPermissions) {
    const auto target = folder / "Screen.bit";
    WriteBytes(target, EarlierPicture());
    ASSERT_EQ(::chmod(target.c_str(), GetParam()), 0);
    ASSERT_EQ(Routines::SaveBitFile(target, TopLeftView()), TruthTrue);
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, GetParam());
    EXPECT_EQ(ReadBytes(target), TopLeftBytes());
}

INSTANTIATE_TEST_SUITE_P(Modes, SavePermissionsTest, ::testing::Values(0600, 0640, 0644, 0666, 0755, 0444));

TEST_F(SaveBitFileTest, ANewFileGetsWhatTheCreationMaskAllows) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ASSERT_EQ(Routines::SaveBitFile(folder / "Screen.bit", TopLeftView()), TruthTrue);
    struct stat status {};
    ASSERT_EQ(::stat((folder / "Screen.bit").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0666 & ~mask);
}

// A real full disk: a small tmpfs filled to the last byte.
TEST_F(SaveBitFileTest, OnAFullDiskFailsAndLeavesTheEarlierFileIntact) {
    const auto disk = folder / "small-disk";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                     << "); the full-disk save is not tested";
    }
    struct Unmount {
        const fs::path& disk;
        ~Unmount() { ::umount2(disk.c_str(), MNT_DETACH); }
    } unmount{disk};
    const auto path = disk / "Screen.bit";
    WriteBytes(path, EarlierPicture());
    const int filler = ::open((disk / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(filler, 0) << std::strerror(errno);
    errno = 0;
    for (int i = 0; i < (1 << 20) && ::write(filler, "x", 1) == 1; ++i) {
    }
    const int fillError = errno;
    ::close(filler);
    ASSERT_EQ(fillError, ENOSPC) << std::strerror(fillError);

    EXPECT_EQ(Routines::SaveBitFile(path, TopLeftView()), TruthFalse);
    EXPECT_EQ(ReadBytes(path), EarlierPicture());
    EXPECT_EQ(Names(disk), (std::vector<std::string>{"Screen.bit", "filler"}));

    // With room again the same save succeeds: it was the full disk that stopped it.
    fs::remove(disk / "filler");
    EXPECT_EQ(Routines::SaveBitFile(path, TopLeftView()), TruthTrue);
    EXPECT_EQ(ReadBytes(path), TopLeftBytes());
}

// What a save does with the temporary files it finds in its folder: only those
// of writers that no longer run are removed.
struct LitterCase {
    const char* name;
    bool deadWriter;   // the name carries a process that has ended, else this one's parent
    const char* form;  // %d is the writer's process
    bool removed;
};

class LeftTemporaryFileTest : public EngineTest, public ::testing::WithParamInterface<LitterCase> {};

TEST_P(LeftTemporaryFileTest, OnlyADeadWritersFileIsRemoved) {
    const LitterCase& c = GetParam();
    pid_t writer = ::getppid();
    if (c.deadWriter) {
        writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) ::_exit(0);
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    }
    char name[128];
    std::snprintf(name, sizeof name, c.form, static_cast<int>(writer));
    WriteBytes(folder / name, Bytes{1, 2, 3});
    ASSERT_EQ(Routines::SaveBitFile(folder / "Screen.bit", TopLeftView()), TruthTrue);
    EXPECT_EQ(fs::exists(folder / name), !c.removed) << name;
    EXPECT_EQ(ReadBytes(folder / "Screen.bit"), TopLeftBytes());
}

INSTANTIATE_TEST_SUITE_P(
    Litter, LeftTemporaryFileTest,
    ::testing::Values(
        LitterCase{"DeadWritersFileOfThisTarget", true, ".Screen.bit.pelorin-%d-0123abcd.tmp", true},
        LitterCase{"DeadWritersFileOfAnotherTarget", true, ".Other.bit.pelorin-%d-89abcdef.tmp", true},
        LitterCase{"LivingWritersFile", false, ".Screen.bit.pelorin-%d-0123abcd.tmp", false},
        LitterCase{"NotHidden", true, "Screen.bit.pelorin-%d-0123abcd.tmp", false},
        LitterCase{"NoRandomPart", true, ".Screen.bit.pelorin-%d.tmp", false},
        LitterCase{"OtherEnding", true, ".Screen.bit.pelorin-%d-0123abcd.bak", false},
        LitterCase{"UpperCaseRandomPart", true, ".Screen.bit.pelorin-%d-0123ABCD.tmp", false}),
    [](const ::testing::TestParamInfo<LitterCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pelorin_test
