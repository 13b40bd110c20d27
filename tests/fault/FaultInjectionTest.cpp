// Both saves under injected system call faults. Run with the fault shim
// preloaded; every row checks that its fault really fired.

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QImage>
#include <QString>

#include "EngineDoubles.h"
#include "FaultShim.h"
#include "FileAccess.h"
#include "Files.h"
#include "Pictures.h"
#include "Routines.h"

namespace {

using pelorin_test::Bytes;
using pelorin_test::Names;
namespace fs = std::filesystem;
using Routines::FailureCode;

// A view whose top-left pixel is set, for Save Bit.
pelorin_test::FakeView TopLeftView() {
    pelorin_test::FakeView view;
    view.SetPixel(0, 0, Routines::Black);
    return view;
}

Bytes TopLeftBitFile() {
    Bytes bytes(Routines::BitFileSize, 0);
    bytes[0] = 0x01;
    return bytes;
}

QImage RedPicture() {
    QImage picture(Routines::ScreenWidth, Routines::ScreenHeight, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    return picture;
}

struct Save {
    const char* name;
    // Saves to the path; true on success, else the failure's number in number.
    std::function<bool(const fs::path&, int& number)> run;
    std::function<Bytes()> content;
};

const Save SaveBit{"SaveBit",
                   [](const fs::path& path, int&) {
                       return Routines::SaveBitFile(path, TopLeftView()) == Routines::TruthTrue;
                   },
                   TopLeftBitFile};

const Save SaveBmp{"SaveBmp",
                   [](const fs::path& path, int& number) {
                       try {
                           Pictures::WriteBitmap(RedPicture(), QString::fromStdString(path));
                           return true;
                       } catch (const Routines::Failure& failure) {
                           number = failure.Number();
                           return false;
                       }
                   },
                   [] {
                       const QByteArray bytes = Pictures::EncodeBitmap(RedPicture());
                       return Bytes(bytes.cbegin(), bytes.cend());
                   }};

// The writer as both saves use it, for the failure number Save Bit hides.
const Save Writer{"Writer",
                  [](const fs::path& path, int& number) {
                      try {
                          Routines::WriteFileAtomically(path, TopLeftBitFile());
                          return true;
                      } catch (const Routines::Failure& failure) {
                          number = failure.Number();
                          return false;
                      }
                  },
                  TopLeftBitFile};

struct Fault {
    const char* name;
    const char* call;
    FaultMode mode;
    int error;
    int expectedNumber;  // 0: the save succeeds in spite of the fault
};

constexpr int Succeeds = 0;

const Fault Faults[] = {
    {"write_fails", "write", FaultMode::Fail, EIO, static_cast<int>(FailureCode::DeviceError)},
    {"write_finds_the_disk_full", "write", FaultMode::Fail, ENOSPC, static_cast<int>(FailureCode::DiskFull)},
    {"write_exceeds_the_quota", "write", FaultMode::Fail, EDQUOT, static_cast<int>(FailureCode::DiskFull)},
    {"write_stops_short_then_the_disk_is_full", "write", FaultMode::ShortThenFail, ENOSPC,
     static_cast<int>(FailureCode::DiskFull)},
    {"write_stops_short_once", "write", FaultMode::Short, 0, Succeeds},
    {"write_is_interrupted", "write", FaultMode::Interrupt, 0, Succeeds},
    // The file system cannot make unnamed files: a named temporary file instead.
    {"unnamed_files_unsupported", "tmpfile", FaultMode::Fail, EOPNOTSUPP, Succeeds},
    {"fsync_fails", "fsync", FaultMode::Fail, EIO, static_cast<int>(FailureCode::DeviceError)},
    {"fsync_finds_the_disk_full", "fsync", FaultMode::Fail, ENOSPC, static_cast<int>(FailureCode::DiskFull)},
    {"close_fails", "close", FaultMode::Fail, EIO, static_cast<int>(FailureCode::DeviceError)},
    {"linkat_finds_no_room_in_the_folder", "linkat", FaultMode::Fail, ENOSPC,
     static_cast<int>(FailureCode::DiskFull)},
    {"rename_fails", "rename", FaultMode::Fail, EIO, static_cast<int>(FailureCode::DeviceError)},
    {"rename_is_refused", "rename", FaultMode::Fail, EACCES, static_cast<int>(FailureCode::PathAccessError)},
};

class FaultInjectionTest : public ::testing::TestWithParam<std::tuple<Save, Fault>> {
protected:
    void SetUp() override {
        inject_ = reinterpret_cast<decltype(inject_)>(::dlsym(RTLD_DEFAULT, "PelorinInjectFault"));
        fired_ = reinterpret_cast<decltype(fired_)>(::dlsym(RTLD_DEFAULT, "PelorinFaultsFired"));
        ASSERT_TRUE(inject_ && fired_) << "the fault shim is not preloaded (LD_PRELOAD)";
        std::string name = (fs::temp_directory_path() / "pelorin-fault-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        folder_ = name;
        target_ = folder_ / "picture";
        std::ofstream(target_, std::ios::binary) << std::string(1000, '\xEE');
        earlier_ = pelorin_test::ReadBytes(target_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Whether the folder's file system makes unnamed files (O_TMPFILE); where
    // it does not, the writer uses a named temporary file and calls no linkat.
    bool UnnamedFiles() const {
        const int descriptor = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY, 0600);
        if (descriptor < 0) return false;
        ::close(descriptor);
        return true;
    }

    void Arm(const Fault& fault) { inject_(fault.call, fault.mode, fault.error, folder_.c_str()); }

    // Saves in a child process that the armed fault kills.
    void SaveKilledBy(const Save& save, const Fault& fault) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Arm(fault);
            int number = 0;
            save.run(target_, number);
            ::_exit(0);  // not reached when the fault fired
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the save was not killed";
    }

    void (*inject_)(const char*, FaultMode, int, const char*) = nullptr;
    int (*fired_)() = nullptr;
    fs::path folder_;
    fs::path target_;
    Bytes earlier_;
};

TEST_P(FaultInjectionTest, KeepsTheEarlierFileLeavesNoTemporaryFileAndReportsTheCause) {
    const auto& [save, fault] = GetParam();
    if (fault.call == std::string("linkat") && !UnnamedFiles())
        GTEST_SKIP() << "no unnamed files on " << folder_;
    // Through the unnamed file a rename happens only when the target exists,
    // which it does here; the link call names the complete file.
    Arm(fault);
    int number = 0;
    const bool saved = save.run(target_, number);
    EXPECT_GE(fired_(), 1) << "the injected fault did not fire";
    EXPECT_EQ(Names(folder_), std::vector<std::string>{"picture"});
    if (fault.expectedNumber == Succeeds) {
        EXPECT_TRUE(saved);
        EXPECT_EQ(pelorin_test::ReadBytes(target_), save.content());
        return;
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(pelorin_test::ReadBytes(target_), earlier_);
    if (save.name != std::string("SaveBit")) {
        EXPECT_EQ(number, fault.expectedNumber);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultInjectionTest,
                         ::testing::Combine(::testing::Values(SaveBit, SaveBmp, Writer),
                                            ::testing::ValuesIn(Faults)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    std::get<1>(info.param).name;
                         });

// A save killed while it writes or flushes, where all its time goes, leaves
// the target as it was and, where the file system has unnamed files, no
// temporary file either. (Once complete, the new file is named beside an
// existing target and renamed over it: a kill in those three calls leaves
// the complete file under its temporary name.)
class KilledSaveTest : public FaultInjectionTest {};

TEST_P(KilledSaveTest, LeavesTheTargetIntactAndNoLitter) {
    const auto& [save, fault] = GetParam();
    if (!UnnamedFiles())
        GTEST_SKIP() << "no unnamed files on " << folder_ << ": a killed save leaves its temporary file";
    ASSERT_NO_FATAL_FAILURE(SaveKilledBy(save, fault));
    EXPECT_EQ(pelorin_test::ReadBytes(target_), earlier_);
    EXPECT_EQ(Names(folder_), std::vector<std::string>{"picture"});
}

const Fault Kills[] = {
    {"at_write", "write", FaultMode::Kill, 0, 0},
    {"at_fsync", "fsync", FaultMode::Kill, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Kills, KilledSaveTest,
                         ::testing::Combine(::testing::Values(SaveBit, SaveBmp), ::testing::ValuesIn(Kills)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_killed_" +
                                    std::get<1>(info.param).name;
                         });

// A save killed once its complete file has a temporary name (between naming
// it and renaming it over the target) leaves that file behind; the next save
// of the target removes it, as no living writer owns it.
class KilledThenSavedAgainTest : public FaultInjectionTest {};

TEST_P(KilledThenSavedAgainTest, TheNextSaveRemovesTheLitter) {
    const auto& [save, fault] = GetParam();
    ASSERT_NO_FATAL_FAILURE(SaveKilledBy(save, fault));
    EXPECT_EQ(pelorin_test::ReadBytes(target_), earlier_);
    ASSERT_EQ(Names(folder_).size(), 2u) << "the killed save left no temporary file to clear";

    int number = 0;
    ASSERT_TRUE(save.run(target_, number)) << number;
    EXPECT_EQ(pelorin_test::ReadBytes(target_), save.content());
    EXPECT_EQ(Names(folder_), std::vector<std::string>{"picture"});
}

const Fault KillAtRename{"at_rename", "rename", FaultMode::Kill, 0, 0};

INSTANTIATE_TEST_SUITE_P(Kills, KilledThenSavedAgainTest,
                         ::testing::Combine(::testing::Values(SaveBit, SaveBmp),
                                            ::testing::Values(KillAtRename)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_killed_at_rename";
                         });

}  // namespace
