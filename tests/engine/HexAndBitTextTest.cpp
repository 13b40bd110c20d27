#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "EngineFakes.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::BitsToHex;
using Routines::ByteToHex;
using Routines::FailureCode;
using Routines::HexToBits;
using Routines::HexToByte;

using HexAndBitTextTest = EngineTest;

// A byte's bit text starts with bit 0, so across all bytes every digit of the
// table meets its group in both places of the pair, in both directions.
TEST_F(HexAndBitTextTest, EveryByteConvertsBothWaysBetweenHexPairAndBitText) {
    for (int value = 0; value <= 255; ++value) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", value);
        std::string bits;
        for (int bit = 0; bit < 8; ++bit) bits += (value >> bit & 1) != 0 ? '1' : '0';
        SCOPED_TRACE(hex);
        ASSERT_EQ(ByteToHex(static_cast<std::uint8_t>(value)), hex);
        ASSERT_EQ(HexToBits(hex), bits);
        ASSERT_EQ(BitsToHex(bits, 1), hex);
        ASSERT_EQ(HexToByte(hex), value);
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(HexAndBitTextTest, HexToByteReadsAnySpellingOfAByte) {
    EXPECT_EQ(HexToByte("ff"), 255);
    EXPECT_EQ(HexToByte("0A"), 10);
    EXPECT_EQ(HexToByte("00000000000000000000FF"), 255);
}

TEST_F(HexAndBitTextTest, BitsToHexRefusesPositionZero) {
    ExpectFailure([] { BitsToHex("11110000", 0); }, FailureCode::InvalidArgument);
}

class HexToByteFailureTest : public EngineTest,
                             public ::testing::WithParamInterface<std::tuple<std::string, FailureCode>> {};

TEST_P(HexToByteFailureTest, RaisesTheMatchingFailure) {
    ExpectFailure([this] { HexToByte(std::get<0>(GetParam())); }, std::get<1>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    BadTexts, HexToByteFailureTest,
    ::testing::Values(std::tuple{"", FailureCode::TypeMismatch}, std::tuple{"G1", FailureCode::TypeMismatch},
                      std::tuple{" F", FailureCode::TypeMismatch},
                      std::tuple{"&HFF", FailureCode::TypeMismatch},
                      std::tuple{"-1", FailureCode::TypeMismatch}, std::tuple{"100", FailureCode::Overflow},
                      std::tuple{"FFFF", FailureCode::Overflow},
                      std::tuple{std::string(40, 'F'), FailureCode::Overflow},
                      std::tuple{std::string(40, 'F') + "X", FailureCode::TypeMismatch}));

// Rows: input, 1-based position for BitsToHex (0: the input is a pair for
// HexToBits), result, number of "Error in input" boxes.
using BadInputRow = std::tuple<std::string, std::size_t, std::string, std::size_t>;

class BadInputTest : public EngineTest, public ::testing::WithParamInterface<BadInputRow> {};

// A bad digit or group shows a box and repeats what the one before it gave.
TEST_P(BadInputTest, ShowsABoxAndRepeatsThePreviousContribution) {
    const auto& [input, position, result, boxCount] = GetParam();
    EXPECT_EQ(position == 0 ? HexToBits(input) : BitsToHex(input, position), result);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>(boxCount, InputErrorBox));
}

INSTANTIATE_TEST_SUITE_P(Cases, BadInputTest,
                         ::testing::Values(BadInputRow{"G1", 0, "10001000", 1},
                                           BadInputRow{"1G", 0, "1000", 1}, BadInputRow{"GG", 0, "", 2},
                                           BadInputRow{"1", 0, "1000", 1},
                                           // Lower-case digits are not in the table.
                                           BadInputRow{"ab", 0, "", 2}, BadInputRow{"cd", 0, "", 2},
                                           BadInputRow{"ef", 0, "", 2}, BadInputRow{"1000x000", 1, "11", 1},
                                           BadInputRow{"x0001000", 1, "1", 1},
                                           BadInputRow{"1000", 1, "11", 1}, BadInputRow{"11110000", 9, "", 2},
                                           BadInputRow{"000000001111000", 9, "FF", 1},
                                           BadInputRow{"0000000011110000", 9, "0F", 0}));

// The bulk conversions take a shortcut for the texts the engine writes; for
// any other text they must give exactly what the conversion of each piece
// gives, boxes and failures included.

class HexToScreenBitsTest : public EngineTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(HexToScreenBitsTest, AnOddPairGivesWhatHexToBitsGives) {
    std::mt19937 random(576);
    for (auto& pair : Routines::BitHex) pair = ByteToHex(static_cast<std::uint8_t>(random()));
    Routines::BitHex[0] = Routines::BitHex[300] = Routines::BitHex[575] = GetParam();
    std::string expected;
    for (const auto& pair : Routines::BitHex) expected += HexToBits(pair);
    const auto expectedBoxes = boxes.shown;
    boxes.shown.clear();

    Routines::HexToScreenBits();
    EXPECT_EQ(Routines::ImageBits, expected);
    EXPECT_EQ(boxes.shown, expectedBoxes);
}

INSTANTIATE_TEST_SUITE_P(Pairs, HexToScreenBitsTest,
                         ::testing::Values("A5", "a5", "5a", "G0", "0G", "", "1", "1AB", " F", "F ",
                                           std::string("\0\0", 2), "\xC1\xB0"));

struct ScreenBitsRow {
    std::string name;
    std::string bits;
};

void PrintTo(const ScreenBitsRow& row, std::ostream* out) { *out << row.name; }

class ScreenBitsToBytesTest : public EngineTest, public ::testing::WithParamInterface<ScreenBitsRow> {};

TEST_P(ScreenBitsToBytesTest, OddCharactersGiveWhatBitsToHexAndHexToByteGive) {
    const std::string bits = GetParam().bits;
    Routines::SaveBits = bits;
    std::array<std::uint8_t, Routines::BitFileSize> expected{};
    std::optional<FailureCode> expectedFailure;
    try {
        for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = HexToByte(BitsToHex(bits, 8 * i + 1));
    } catch (const Routines::Failure& failure) {
        expectedFailure = failure.Code();
    }
    const auto expectedBoxes = boxes.shown;
    boxes.shown.clear();
    Routines::BitBytes.fill(0x77);

    if (expectedFailure) {
        ExpectFailure([] { Routines::ScreenBitsToBytes(); }, *expectedFailure);
        EXPECT_EQ(std::count(Routines::BitBytes.begin(), Routines::BitBytes.end(), 0x77), 576);
    } else {
        Routines::ScreenBitsToBytes();
        EXPECT_EQ(Routines::BitBytes, expected);
    }
    EXPECT_EQ(boxes.shown, expectedBoxes);
}

// Random bits with one character replaced, then cut or lengthened.
ScreenBitsRow ScreenBits(std::size_t at, char replacement, std::size_t length = Routines::ScreenBitCount) {
    std::mt19937 random(4608);
    std::string bits(Routines::ScreenBitCount, '0');
    for (auto& c : bits) c = random() % 2 == 0 ? '0' : '1';
    bits[at] = replacement;
    bits.resize(length, '1');
    const std::string name = "character " + std::to_string(at) + " is " +
                             std::to_string(static_cast<unsigned char>(replacement)) + ", " +
                             std::to_string(length) + " characters";
    return {name, bits};
}

INSTANTIATE_TEST_SUITE_P(Texts, ScreenBitsToBytesTest,
                         ::testing::Values(ScreenBits(0, '1'), ScreenBits(0, '2'), ScreenBits(5, 'x'),
                                           ScreenBits(4607, '/'), ScreenBits(9, '\0'), ScreenBits(17, '\xB0'),
                                           ScreenBits(18, '\xB1'), ScreenBits(19, 'p'),
                                           ScreenBits(0, '0', 4604), ScreenBits(0, '0', 4600),
                                           ScreenBits(0, '0', 4609), ScreenBitsRow{"empty", ""}));

class NokiaHexToBitsTest : public EngineTest, public ::testing::WithParamInterface<std::string> {};

// Exactly "30" and "31" are pixels; anything else is dropped with a box.
TEST_P(NokiaHexToBitsTest, OnlyThePairsOfZeroAndOneArePixels) {
    Routines::NokiaHex.fill("31");
    Routines::NokiaHex[0] = "30";
    Routines::NokiaHex[500] = GetParam();
    const bool pixel = GetParam() == "30" || GetParam() == "31";
    std::string expected = '0' + std::string(Routines::LogoPixelCount - 1, '1');
    if (!pixel) expected.erase(500, 1);
    if (GetParam() == "30") expected[500] = '0';

    Routines::NokiaHexToBits();
    EXPECT_EQ(Routines::ImageBits, expected);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>(pixel ? 0 : 1, InvalidDataBox));
}

INSTANTIATE_TEST_SUITE_P(Pairs, NokiaHexToBitsTest,
                         ::testing::Values("30", "31", "32", "3", "300", "310", "", "03", "13", "3O"));

}  // namespace
}  // namespace pelorin_test
