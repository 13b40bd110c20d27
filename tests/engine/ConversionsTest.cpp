#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

#include "Fakes.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::BitsToHex;
using Routines::ByteToHex;
using Routines::FailureCode;
using Routines::HexToBits;
using Routines::HexToByte;

using ConversionsTest = EngineTest;

// A byte's bit text starts with bit 0, so across all bytes every digit of the
// table meets its group in both places of the pair, in both directions.
TEST_F(ConversionsTest, EveryByteConvertsBothWaysBetweenHexPairAndBitText) {
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

TEST_F(ConversionsTest, HexToByteReadsAnySpellingOfAByte) {
    EXPECT_EQ(HexToByte("ff"), 255);
    EXPECT_EQ(HexToByte("0A"), 10);
    EXPECT_EQ(HexToByte("00000000000000000000FF"), 255);
}

TEST_F(ConversionsTest, BitsToHexRefusesPositionZero) {
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

}  // namespace
}  // namespace pelorin_test
