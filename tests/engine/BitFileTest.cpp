#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "Fakes.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::BitFileSize;
using Routines::TruthFalse;
using Routines::TruthTrue;

struct BytePixelRow {
    std::size_t offset;
    std::uint8_t value;
    Pixel pixel;
};

// The same table holds for reading a file and for writing one.
const auto BytePixelRows = ::testing::Values(BytePixelRow{0, 0x01, {0, 0}}, BytePixelRow{0, 0x80, {0, 7}},
                                             BytePixelRow{95, 0x01, {95, 0}}, BytePixelRow{96, 0x01, {0, 8}},
                                             BytePixelRow{575, 0x80, {95, 47}});

void PrintTo(const BytePixelRow& row, std::ostream* out) {
    *out << "byte " << row.offset << " = " << int{row.value};
}

class BytePixelTest : public EngineTest, public ::testing::WithParamInterface<BytePixelRow> {};

TEST_P(BytePixelTest, OneFileBitIsOnePixel) {
    const auto& [offset, value, pixel] = GetParam();
    Bytes bytes(BitFileSize, 0);
    bytes[offset] = value;
    const auto path = folder / "one-bit.bit";
    WriteBytes(path, bytes);

    ASSERT_EQ(Routines::LoadBitFile(path), TruthTrue);
    Routines::HexToScreenBits();
    FakeView view;
    Routines::DrawScreen(view);
    EXPECT_EQ(view.DarkPixels(), std::vector<Pixel>{pixel});
}

TEST_P(BytePixelTest, OnePixelIsOneFileBit) {
    const auto& [offset, value, pixel] = GetParam();
    FakeView view;
    view.SetPixel(pixel.first, pixel.second, Routines::Black);
    const auto path = folder / "one-pixel.bit";
    ASSERT_EQ(Routines::SaveBitFile(path, view), TruthTrue);
    Bytes expected(BitFileSize, 0);
    expected[offset] = value;
    EXPECT_EQ(ReadBytes(path), expected);
}

INSTANTIATE_TEST_SUITE_P(Corners, BytePixelTest, BytePixelRows);

using BitFileTest = EngineTest;

TEST_F(BitFileTest, AFileReadAndWrittenAgainKeepsEveryByte) {
    std::mt19937 random(576);
    Bytes bytes(BitFileSize);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    const auto original = folder / "random-picture.bit";
    WriteBytes(original, bytes);

    ASSERT_EQ(Routines::LoadBitFile(original), TruthTrue);
    for (std::size_t i = 0; i < BitFileSize; ++i)
        ASSERT_EQ(Routines::BitHex[i], Routines::ByteToHex(bytes[i]));
    Routines::HexToScreenBits();
    FakeView view;
    Routines::DrawScreen(view);
    const auto copy = folder / "copy.bit";
    ASSERT_EQ(Routines::SaveBitFile(copy, view), TruthTrue);
    EXPECT_EQ(ReadBytes(copy), bytes);
    EXPECT_TRUE(boxes.shown.empty());
}

class WrongLengthTest : public EngineTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(WrongLengthTest, IsRefusedWithTheBoxAndChangesNothing) {
    Routines::BitBytes.fill(0x5A);
    Routines::BitHex.fill("5A");
    const auto path = folder / ("length-" + std::to_string(GetParam()) + ".bit");
    WriteBytes(path, Bytes(GetParam(), 0xFF));

    EXPECT_EQ(Routines::LoadBitFile(path), TruthFalse);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>{NotBitFileBox});
    for (std::size_t i = 0; i < BitFileSize; ++i) {
        ASSERT_EQ(Routines::BitBytes[i], 0x5A);
        ASSERT_EQ(Routines::BitHex[i], "5A");
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, WrongLengthTest, ::testing::Values(0, 575, 577, 1152));

TEST_F(BitFileTest, AHugeFileIsRefusedWithoutBeingRead) {
    const auto path = folder / "four-gigabytes.bit";
    WriteBytes(path, {});
    std::error_code error;
    std::filesystem::resize_file(path, std::uintmax_t{4} << 30, error);
    if (error) GTEST_SKIP() << "cannot make a sparse 4 GiB file here: " << error.message();

    EXPECT_EQ(Routines::LoadBitFile(path), TruthFalse);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>{NotBitFileBox});
}

struct UnreadableRow {
    std::string name;
    bool makeFolder;
    Routines::FailureCode code;
};

void PrintTo(const UnreadableRow& row, std::ostream* out) { *out << row.name; }

class UnreadableBitFileTest : public EngineTest, public ::testing::WithParamInterface<UnreadableRow> {};

TEST_P(UnreadableBitFileTest, RaisesAFailureNamingThePath) {
    const auto& [name, makeFolder, code] = GetParam();
    const auto path = folder / name;
    if (makeFolder) std::filesystem::create_directory(path);
    try {
        Routines::LoadBitFile(path);
        FAIL() << "no failure for " << path;
    } catch (const Routines::Failure& failure) {
        EXPECT_EQ(failure.Code(), code);
        EXPECT_NE(failure.Description().find(path.string()), std::string::npos) << failure.Description();
    }
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, UnreadableBitFileTest,
    ::testing::Values(UnreadableRow{"missing.bit", false, Routines::FailureCode::FileNotFound},
                      UnreadableRow{"folder.bit", true, Routines::FailureCode::PathAccessError}));

}  // namespace
}  // namespace pelorin_test
