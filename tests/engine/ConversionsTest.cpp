#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Fakes.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::BitsToHex;
using Routines::ByteToHex;
using Routines::Failure;
using Routines::FailureCode;
using Routines::HexToBits;
using Routines::HexToByte;

struct DigitRow {
    char digit;
    std::string group;
};

void PrintTo(const DigitRow& row, std::ostream* out) { *out << row.digit << " = " << row.group; }

class DigitTableTest : public EngineTest, public ::testing::WithParamInterface<DigitRow> {};

TEST_P(DigitTableTest, ConvertsBothWaysInEitherDigitPlace) {
    const auto [digit, group] = GetParam();
    EXPECT_EQ(HexToBits(std::string{'0', digit}), group + "0000");
    EXPECT_EQ(HexToBits(std::string{digit, '0'}), "0000" + group);
    EXPECT_EQ(BitsToHex(group + "0000", 1), (std::string{'0', digit}));
    EXPECT_EQ(BitsToHex("0000" + group, 1), (std::string{digit, '0'}));
    EXPECT_TRUE(boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(AllDigits, DigitTableTest,
                         ::testing::Values(DigitRow{'0', "0000"}, DigitRow{'1', "1000"},
                                           DigitRow{'2', "0100"}, DigitRow{'3', "1100"},
                                           DigitRow{'4', "0010"}, DigitRow{'5', "1010"},
                                           DigitRow{'6', "0110"}, DigitRow{'7', "1110"},
                                           DigitRow{'8', "0001"}, DigitRow{'9', "1001"},
                                           DigitRow{'A', "0101"}, DigitRow{'B', "1101"},
                                           DigitRow{'C', "0011"}, DigitRow{'D', "1011"},
                                           DigitRow{'E', "0111"}, DigitRow{'F', "1111"}));

using ConversionsTest = EngineTest;

TEST_F(ConversionsTest, EveryByteSurvivesTheRoundTripThroughTexts) {
    for (int v = 0; v <= 255; ++v) {
        const auto value = static_cast<std::uint8_t>(v);
        char expected[3];
        std::snprintf(expected, sizeof expected, "%02X", v);
        ASSERT_EQ(ByteToHex(value), expected);
        ASSERT_EQ(HexToByte(BitsToHex(HexToBits(ByteToHex(value)), 1)), value) << v;
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ConversionsTest, LowerCaseDigitsAreNotInTheTable) {
    for (const char digit : std::string("abcdef")) {
        boxes.shown.clear();
        EXPECT_EQ(HexToBits(std::string{'0', digit}), "0000") << digit;
        EXPECT_EQ(boxes.shown, std::vector<ShownBox>{InputErrorBox}) << digit;
    }
}

TEST_F(ConversionsTest, HexToByteAcceptsTheHexReadingsOfAByte) {
    EXPECT_EQ(HexToByte("ff"), 255);
    EXPECT_EQ(HexToByte("0A"), 10);
    EXPECT_EQ(HexToByte("00000000000000000000FF"), 255);
}

struct BadHexRow {
    std::string text;
    FailureCode code;
};

void PrintTo(const BadHexRow& row, std::ostream* out) { *out << '"' << row.text.substr(0, 8) << '"'; }

class HexToByteFailureTest : public EngineTest, public ::testing::WithParamInterface<BadHexRow> {};

TEST_P(HexToByteFailureTest, RaisesTheMatchingFailure) {
    const auto& [text, code] = GetParam();
    try {
        HexToByte(text);
        FAIL() << "no failure for \"" << text << '"';
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Code(), code);
        EXPECT_EQ(failure.Number(), static_cast<int>(code));
        EXPECT_FALSE(failure.Description().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(BadTexts, HexToByteFailureTest,
                         ::testing::Values(BadHexRow{"", FailureCode::TypeMismatch},
                                           BadHexRow{"G1", FailureCode::TypeMismatch},
                                           BadHexRow{" F", FailureCode::TypeMismatch},
                                           BadHexRow{"&HFF", FailureCode::TypeMismatch},
                                           BadHexRow{"-1", FailureCode::TypeMismatch},
                                           BadHexRow{"100", FailureCode::Overflow},
                                           BadHexRow{"FFFF", FailureCode::Overflow},
                                           BadHexRow{std::string(40, 'F'), FailureCode::Overflow},
                                           BadHexRow{std::string(40, 'F') + "X", FailureCode::TypeMismatch}));

struct BadInputRow {
    bool toBits;  // HexToBits, else BitsToHex at position
    std::string input;
    std::size_t position;
    std::string expected;
    std::size_t boxCount;
};

void PrintTo(const BadInputRow& row, std::ostream* out) {
    *out << (row.toBits ? "HexToBits " : "BitsToHex ") << row.input << " @" << row.position;
}

class BadInputTest : public EngineTest, public ::testing::WithParamInterface<BadInputRow> {};

// A bad digit or group shows a box and repeats what the one before it gave.
TEST_P(BadInputTest, ShowsABoxAndRepeatsThePreviousContribution) {
    const auto& row = GetParam();
    const std::string result = row.toBits ? HexToBits(row.input) : BitsToHex(row.input, row.position);
    EXPECT_EQ(result, row.expected);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>(row.boxCount, InputErrorBox));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInputTest,
    ::testing::Values(BadInputRow{true, "G1", 0, "10001000", 1}, BadInputRow{true, "1G", 0, "1000", 1},
                      BadInputRow{true, "GG", 0, "", 2}, BadInputRow{true, "1", 0, "1000", 1},
                      BadInputRow{false, "1000x000", 1, "11", 1}, BadInputRow{false, "x0001000", 1, "1", 1},
                      BadInputRow{false, "1000", 1, "11", 1}, BadInputRow{false, "11110000", 9, "", 2},
                      BadInputRow{false, "000000001111000", 9, "FF", 1},
                      BadInputRow{false, "0000000011110000", 9, "0F", 0}));

TEST_F(ConversionsTest, BitsToHexRefusesPositionZero) {
    try {
        BitsToHex("11110000", 0);
        FAIL() << "position 0 accepted";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Code(), FailureCode::InvalidArgument);
    }
}

}  // namespace
}  // namespace pelorin_test
