#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

#include "EngineFakes.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::BitFileSize;
using Routines::FailureCode;
using Routines::TruthFalse;
using Routines::TruthTrue;

// Rows: file offset, its byte, the one pixel that byte stands for.
class BytePixelTest : public EngineTest,
                      public ::testing::WithParamInterface<std::tuple<std::size_t, std::uint8_t, Pixel>> {};

// Read, the byte draws its pixel; saved again, that pixel gives back the byte.
TEST_P(BytePixelTest, OneFileBitIsOnePixelBothWays) {
    const auto& [offset, value, pixel] = GetParam();
    Bytes bytes(BitFileSize, 0);
    bytes[offset] = value;
    WriteBytes(folder / "one-bit.bit", bytes);
    ASSERT_EQ(Routines::LoadBitFile(folder / "one-bit.bit"), TruthTrue);
    Routines::HexToScreenBits();
    FakeView view;
    Routines::DrawScreen(view);
    EXPECT_EQ(view.DarkPixels(), std::vector<Pixel>{pixel});

    ASSERT_EQ(Routines::SaveBitFile(folder / "one-pixel.bit", view), TruthTrue);
    EXPECT_EQ(ReadBytes(folder / "one-pixel.bit"), bytes);
}

INSTANTIATE_TEST_SUITE_P(Corners, BytePixelTest,
                         ::testing::Values(std::tuple{0, 0x01, Pixel{0, 0}}, std::tuple{0, 0x80, Pixel{0, 7}},
                                           std::tuple{95, 0x01, Pixel{95, 0}},
                                           std::tuple{96, 0x01, Pixel{0, 8}},
                                           std::tuple{575, 0x80, Pixel{95, 47}}));

using BitFileTest = EngineTest;

TEST_F(BitFileTest, AFileReadAndWrittenAgainKeepsEveryByte) {
    std::mt19937 random(576);
    Bytes bytes(BitFileSize);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    WriteBytes(folder / "random-picture.bit", bytes);

    ASSERT_EQ(Routines::LoadBitFile(folder / "random-picture.bit"), TruthTrue);
    for (std::size_t i = 0; i < BitFileSize; ++i)
        ASSERT_EQ(Routines::BitHex[i], Routines::ByteToHex(bytes[i]));
    Routines::HexToScreenBits();
    FakeView view;
    Routines::DrawScreen(view);
    ASSERT_EQ(Routines::SaveBitFile(folder / "copy.bit", view), TruthTrue);
    EXPECT_EQ(ReadBytes(folder / "copy.bit"), bytes);
    EXPECT_TRUE(boxes.shown.empty());
}

class WrongLengthTest : public EngineTest, public ::testing::WithParamInterface<std::uintmax_t> {};

// The length decides first, so even a huge file (sparse, so cheap to make) is refused unread.
TEST_P(WrongLengthTest, IsRefusedWithTheBoxAndChangesNothing) {
    const auto path = folder / ("length-" + std::to_string(GetParam()) + ".bit");
    WriteBytes(path, {});
    std::error_code error;
    fs::resize_file(path, GetParam(), error);
    if (error) GTEST_SKIP() << "cannot make a file of " << GetParam() << " bytes here: " << error.message();
    Routines::BitBytes.fill(0x5A);
    Routines::BitHex.fill("5A");

    EXPECT_EQ(Routines::LoadBitFile(path), TruthFalse);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>{NotBitFileBox});
    EXPECT_EQ(std::count(Routines::BitBytes.begin(), Routines::BitBytes.end(), 0x5A), 576);
    EXPECT_EQ(std::count(Routines::BitHex.begin(), Routines::BitHex.end(), "5A"), 576);
}

// Even a file that may not be read is refused by its length first.
TEST_F(BitFileTest, AnUnreadableFileOfTheWrongLengthGetsTheBox) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file; the case needs an ordinary user";
    const auto path = folder / "unreadable.bit";
    WriteBytes(path, Bytes(575, 0));
    fs::permissions(path, fs::perms::none);
    EXPECT_EQ(Routines::LoadBitFile(path), TruthFalse);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>{NotBitFileBox});
    fs::permissions(path, fs::perms::owner_write);
    WriteBytes(path, Bytes(576, 0));
    ExpectFailure([&] { Routines::LoadBitFile(path); }, FailureCode::PathAccessError, {path.string()});
}

INSTANTIATE_TEST_SUITE_P(Lengths, WrongLengthTest,
                         ::testing::Values(0, 575, 577, 1152, std::uintmax_t{4} << 30));

TEST_F(BitFileTest, AMissingFileOrAFolderRaisesAFailureNamingThePath) {
    fs::create_directory(folder / "folder.bit");
    ASSERT_EQ(::mkfifo((folder / "pipe.bit").c_str(), 0600), 0);
    for (const auto& [name, code] : {std::pair{"missing.bit", FailureCode::FileNotFound},
                                     std::pair{"folder.bit", FailureCode::PathAccessError},
                                     std::pair{"pipe.bit", FailureCode::PathAccessError}}) {
        const std::string path = folder / name;
        ExpectFailure([&] { Routines::LoadBitFile(path); }, code, {path});
    }
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace pelorin_test
