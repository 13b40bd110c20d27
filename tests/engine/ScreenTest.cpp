#include <algorithm>
#include <cstddef>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "EngineFakes.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::ScreenBitCount;

class CharacterMappingTest : public EngineTest,
                             public ::testing::WithParamInterface<std::tuple<std::size_t, Pixel>> {};

// The text ends at its one set character: the pixels it does not reach stay clear.
TEST_P(CharacterMappingTest, OneSetCharacterDrawsOnePixel) {
    const auto& [character, pixel] = GetParam();  // character counts from 1
    FakeView view;
    view.SetPixel(40, 40, Routines::Black);  // left over from an earlier picture
    Routines::ImageBits = std::string(character - 1, '0') + '1';

    Routines::DrawScreen(view);
    EXPECT_EQ(view.DarkPixels(), std::vector<Pixel>{pixel});

    Routines::SampleScreen(view);
    EXPECT_EQ(Routines::SaveBits, Routines::ImageBits + std::string(ScreenBitCount - character, '0'));
}

INSTANTIATE_TEST_SUITE_P(Corners, CharacterMappingTest,
                         ::testing::Values(std::tuple{1, Pixel{0, 0}}, std::tuple{8, Pixel{0, 7}},
                                           std::tuple{9, Pixel{1, 0}}, std::tuple{769, Pixel{0, 8}},
                                           std::tuple{4608, Pixel{95, 47}}));

using ScreenTest = EngineTest;

// A near-white background survives the clear and, like any colour but pure white, samples as set.
TEST_F(ScreenTest, OnlyPureWhiteSamplesAsClear) {
    FakeView view(0xFEFFFF);
    Routines::ImageBits = std::string(ScreenBitCount, '0');
    Routines::DrawScreen(view);
    view.SetPixel(3, 10, Routines::White);
    view.SetPixel(4, 10, 0xFFFFFE);
    Routines::SampleScreen(view);
    std::string expected(ScreenBitCount, '1');
    expected[768 + 8 * 3 + 2] = '0';
    EXPECT_EQ(Routines::SaveBits, expected);
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
    Routines::SampleScreen(view);  // a second sample replaces the first
    EXPECT_EQ(Routines::SaveBits, bits);
}

// Every bit index names its own pixel, and every pixel its own index.
TEST(ScreenLayoutTest, BitIndexAndPixelMapOneToOne) {
    std::vector<bool> seen(ScreenBitCount, false);
    for (int y = 0; y < Routines::ScreenHeight; ++y) {
        for (int x = 0; x < Routines::ScreenWidth; ++x) {
            const std::size_t index = Routines::BitOfPoint(x, y);
            ASSERT_LT(index, ScreenBitCount);
            EXPECT_FALSE(seen[index]) << x << ", " << y;
            seen[index] = true;
            const Routines::ScreenPoint point = Routines::PointOfBit(index);
            EXPECT_EQ(Pixel(point.x, point.y), Pixel(x, y));
        }
    }
}

// Counts how often the whole picture is read.
struct CountingView : FakeView {
    void ReadScreen(Routines::ScreenPixels& pixels) const override {
        ++screenReads;
        FakeView::ReadScreen(pixels);
    }
    mutable int screenReads = 0;
};

// Any colours: each character is the colour rule applied to its pixel, and
// the view is read once.
TEST_F(ScreenTest, SamplingReadsTheViewOnceAndAppliesTheColourRuleToEveryPixel) {
    std::mt19937 random(48);
    CountingView view;
    for (int i = 0; i < 3000; ++i) {
        const auto colour = static_cast<Routines::Colour>(random() % 2 == 0 ? random() : 0xFFFFFF);
        view.SetPixel(static_cast<int>(random() % 96), static_cast<int>(random() % 48), colour);
    }
    std::string expected(ScreenBitCount, '?');
    for (int y = 0; y < Routines::ScreenHeight; ++y)
        for (int x = 0; x < Routines::ScreenWidth; ++x)
            expected[Routines::BitOfPoint(x, y)] = Routines::IsSet(view.ReadPixel(x, y)) ? '1' : '0';

    Routines::SampleScreen(view);
    EXPECT_EQ(Routines::SaveBits, expected);
    EXPECT_EQ(view.screenReads, 1);
}

}  // namespace
}  // namespace pelorin_test
