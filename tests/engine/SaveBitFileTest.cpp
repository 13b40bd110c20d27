#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>
#include <unistd.h>
#include <vector>

#include "Fakes.h"
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

TEST_F(SaveBitFileTest, IntoAMissingFolderFails) {
    const auto path = folder / "missing-folder" / "Screen.bit";
    EXPECT_EQ(Routines::SaveBitFile(path, TopLeftView()), TruthFalse);
    EXPECT_FALSE(std::filesystem::exists(path.parent_path()));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SaveBitFileTest, AFailedSaveLeavesTheEarlierFileAsItWas) {
    const auto path = folder / "Screen.bit";
    WriteBytes(path, EarlierPicture());
    EXPECT_EQ(Routines::SaveBitFile(path, BrokenView()), TruthFalse);
    EXPECT_EQ(ReadBytes(path), EarlierPicture());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Screen.bit"});
}

TEST_F(SaveBitFileTest, OntoAFolderFailsAndKeepsTheFolder) {
    const auto path = folder / "Screen.bit";
    std::filesystem::create_directory(path);
    EXPECT_EQ(Routines::SaveBitFile(path, TopLeftView()), TruthFalse);
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Screen.bit"});
}

TEST_F(SaveBitFileTest, ALongerEarlierFileIsReplacedByExactly576Bytes) {
    const auto path = folder / "Screen.bit";
    WriteBytes(path, Bytes(1000, 0xEE));
    ASSERT_EQ(Routines::SaveBitFile(path, TopLeftView()), TruthTrue);
    EXPECT_EQ(ReadBytes(path), TopLeftBytes());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Screen.bit"});
}

struct LinkRow {
    std::string name;
    bool targetExists;
    bool viaSecondLink;
};

void PrintTo(const LinkRow& row, std::ostream* out) { *out << row.name; }

class SaveThroughLinkTest : public EngineTest, public ::testing::WithParamInterface<LinkRow> {};

TEST_P(SaveThroughLinkTest, WritesTheLinkedFileAndKeepsTheLink) {
    const auto& row = GetParam();
    std::filesystem::create_directory(folder / "pictures");
    const auto target = folder / "pictures" / "real.bit";
    if (row.targetExists) WriteBytes(target, Bytes(1000, 0xEE));
    // Relative link targets count from the folder the link is in.
    std::filesystem::create_symlink("pictures/real.bit", folder / "link.bit");
    std::string saveTo = "link.bit";
    if (row.viaSecondLink) {
        std::filesystem::create_symlink("link.bit", folder / "second.bit");
        saveTo = "second.bit";
    }

    ASSERT_EQ(Routines::SaveBitFile(folder / saveTo, TopLeftView()), TruthTrue);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.bit"));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / saveTo));
    EXPECT_EQ(ReadBytes(target), TopLeftBytes());
    EXPECT_EQ(std::vector<std::string>{"real.bit"}, [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder / "pictures"))
            names.push_back(entry.path().filename());
        return names;
    }());
}

INSTANTIATE_TEST_SUITE_P(Links, SaveThroughLinkTest,
                         ::testing::Values(LinkRow{"Existing", true, false},
                                           LinkRow{"Dangling", false, false}, LinkRow{"Chain", true, true}),
                         [](const auto& info) { return info.param.name; });

// A real full disk: a small tmpfs filled to the last byte.
class FullDiskTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        disk_ = folder / "small-disk";
        std::filesystem::create_directory(disk_);
        if (::mount("tmpfs", disk_.c_str(), "tmpfs", 0, "size=64k") != 0) {
            GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno)
                         << "); the full-disk save is not tested";
        }
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) ::umount2(disk_.c_str(), MNT_DETACH);
        EngineTest::TearDown();
    }

    // Writes a filler file until the disk has no room left.
    void FillDisk() {
        const int fd = ::open((disk_ / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        const std::vector<char> block(4096, 'x');
        int lastError = 0;
        for (int i = 0; i < 1000 && lastError == 0; ++i) {
            if (::write(fd, block.data(), block.size()) < 0) lastError = errno;
        }
        // A partly filled last page may still take a few single bytes.
        while (lastError == 0) {
            if (::write(fd, block.data(), 1) < 0) lastError = errno;
        }
        ::close(fd);
        ASSERT_EQ(lastError, ENOSPC) << std::strerror(lastError);
    }

    std::vector<std::string> DiskNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(disk_))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path disk_;
    bool mounted_ = false;
};

TEST_F(FullDiskTest, SaveFailsAndLeavesTheEarlierFileIntact) {
    const auto path = disk_ / "Screen.bit";
    WriteBytes(path, EarlierPicture());
    FillDisk();

    EXPECT_EQ(Routines::SaveBitFile(path, TopLeftView()), TruthFalse);
    EXPECT_EQ(ReadBytes(path), EarlierPicture());
    EXPECT_EQ(DiskNames(), (std::vector<std::string>{"Screen.bit", "filler"}));

    // With room again the same save succeeds: it was the full disk that stopped it.
    std::filesystem::remove(disk_ / "filler");
    EXPECT_EQ(Routines::SaveBitFile(path, TopLeftView()), TruthTrue);
    EXPECT_EQ(ReadBytes(path), TopLeftBytes());
}

}  // namespace
}  // namespace pelorin_test
