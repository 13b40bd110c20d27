#include <algorithm>
#include <cstddef>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "Fakes.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::ScreenBitCount;

struct CharacterRow {
    std::size_t character;  // 1-based
    Pixel pixel;
};

void PrintTo(const CharacterRow& row, std::ostream* out) { *out << "character " << row.character; }

class CharacterMappingTest : public EngineTest, public ::testing::WithParamInterface<CharacterRow> {};

TEST_P(CharacterMappingTest, OneSetCharacterDrawsOnePixel) {
    const auto& [character, pixel] = GetParam();
    FakeView view;
    view.SetPixel(40, 40, Routines::Black);  // left over from an earlier picture
    Routines::ImageBits = std::string(ScreenBitCount, '0');
    Routines::ImageBits[character - 1] = '1';

    Routines::DrawScreen(view);
    EXPECT_EQ(view.DarkPixels(), std::vector<Pixel>{pixel});

    Routines::SampleScreen(view);
    EXPECT_EQ(Routines::SaveBits, Routines::ImageBits);
}

INSTANTIATE_TEST_SUITE_P(Corners, CharacterMappingTest,
                         ::testing::Values(CharacterRow{1, {0, 0}}, CharacterRow{8, {0, 7}},
                                           CharacterRow{9, {1, 0}}, CharacterRow{769, {0, 8}},
                                           CharacterRow{4608, {95, 47}}));

using ScreenTest = EngineTest;

TEST_F(ScreenTest, OnlyPureWhiteSamplesAsClear) {
    FakeView view;
    view.SetPixel(3, 10, 0xFEFFFF);
    view.SetPixel(4, 10, 0xFFFFFE);
    Routines::SampleScreen(view);
    std::string expected(ScreenBitCount, '0');
    expected[768 + 8 * 3 + 2] = '1';
    expected[768 + 8 * 4 + 2] = '1';
    EXPECT_EQ(Routines::SaveBits, expected);
}

TEST_F(ScreenTest, ANonWhiteBackgroundSamplesAsSetEverywhere) {
    FakeView view(0xF0F0F0);
    Routines::ImageBits = std::string(ScreenBitCount, '0');
    Routines::DrawScreen(view);
    Routines::SampleScreen(view);
    EXPECT_EQ(Routines::SaveBits, std::string(ScreenBitCount, '1'));
}

TEST_F(ScreenTest, AShortTextLeavesTheRestClear) {
    FakeView view;
    Routines::ImageBits = "01";
    Routines::DrawScreen(view);
    EXPECT_EQ(view.DarkPixels(), std::vector<Pixel>{Pixel(0, 1)});
}

TEST_F(ScreenTest, DrawingThenSamplingGivesBackTheSameText) {
    std::mt19937 random(4608);
    std::string bits(ScreenBitCount, '0');
    std::generate(bits.begin(), bits.end(), [&] { return random() % 2 == 0 ? '0' : '1'; });
    Routines::ImageBits = bits;
    FakeView view;
    Routines::DrawScreen(view);
    Routines::SampleScreen(view);
    EXPECT_EQ(Routines::SaveBits, bits);
    Routines::SampleScreen(view);
    EXPECT_EQ(Routines::SaveBits, bits);
}

}  // namespace
}  // namespace pelorin_test
