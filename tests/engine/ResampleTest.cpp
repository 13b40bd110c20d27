#include <cstdint>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <span>
#include <vector>

#include "Resample.h"

using namespace Routines;

namespace {

GreyPicture RandomPicture(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 255.0f);
    GreyPicture picture{width, height, std::vector<float>(static_cast<std::size_t>(width) * height)};
    for (float& v : picture.values) v = value(random);
    return picture;
}

double Sum(const std::vector<float>& values) { return std::accumulate(values.begin(), values.end(), 0.0); }

}  // namespace

struct AreaCase {
    const char* name;
    GreyPicture source;
    int width;
    int height;
    std::vector<float> expected;
};

class AreaValues : public testing::TestWithParam<AreaCase> {};

// Each expected value is the covered area's mean worked out by hand.
TEST_P(AreaValues, EachTargetPixelIsTheMeanOfTheAreaItCovers) {
    const AreaCase& c = GetParam();
    const GreyPicture result = ResampleArea(c.source, c.width, c.height);
    ASSERT_EQ(result.width, c.width);
    ASSERT_EQ(result.height, c.height);
    ASSERT_EQ(result.values.size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i)
        EXPECT_NEAR(result.values[i], c.expected[i], 1e-3) << i;
}

INSTANTIATE_TEST_SUITE_P(Sizes, AreaValues,
                         testing::Values(
                             // Three columns onto two: each target takes one and a half source pixels.
                             AreaCase{"three_to_two", {3, 1, {0, 90, 180}}, 2, 1, {30, 150}},
                             // Two by two onto one: the plain mean.
                             AreaCase{"halving", {2, 2, {0, 100, 200, 40}}, 1, 1, {85}},
                             // Five rows onto three: each target covers five thirds of a row.
                             AreaCase{
                                 "five_rows_to_three", {1, 5, {0, 50, 100, 150, 200}}, 1, 3, {20, 100, 180}},
                             // Two onto three: enlarging repeats and blends at the shared middle.
                             AreaCase{"two_to_three", {2, 1, {0, 255}}, 3, 1, {0, 127.5f, 255}},
                             // Same size is a copy.
                             AreaCase{"same_size", {2, 1, {12, 34}}, 2, 1, {12, 34}}),
                         [](const testing::TestParamInfo<AreaCase>& info) { return info.param.name; });

struct SizeCase {
    int sourceWidth;
    int sourceHeight;
    int width;
    int height;
};

class AreaSizes : public testing::TestWithParam<SizeCase> {};

// Area averaging keeps the picture's total brightness at any ratio.
TEST_P(AreaSizes, KeepsTheMeanAtFractionalSizes) {
    const SizeCase& c = GetParam();
    const GreyPicture source = RandomPicture(c.sourceWidth, c.sourceHeight, 7);
    const GreyPicture result = ResampleArea(source, c.width, c.height);
    const double sourceMean = Sum(source.values) / source.values.size();
    const double resultMean = Sum(result.values) / result.values.size();
    EXPECT_NEAR(resultMean, sourceMean, 1e-3);
}

// Rows fed one at a time, as a decoder gives them, in reducers of two
// different lives, equal the whole picture reduced at once; a flat picture
// stays flat.
TEST_P(AreaSizes, StreamedRowsEqualTheWholePicture) {
    const SizeCase& c = GetParam();
    const GreyPicture source = RandomPicture(c.sourceWidth, c.sourceHeight, 11);
    const GreyPicture whole = ResampleArea(source, c.width, c.height);

    AreaReducer reducer(c.sourceWidth, c.sourceHeight, c.width, c.height);
    std::vector<float> row(static_cast<std::size_t>(c.sourceWidth));
    for (int y = 0; y < c.sourceHeight; ++y) {
        std::copy_n(source.values.begin() + static_cast<std::ptrdiff_t>(y) * c.sourceWidth, c.sourceWidth,
                    row.begin());
        reducer.AddRow(row);
        std::fill(row.begin(), row.end(), -1.0f);  // the reducer must not keep the caller's row
    }
    const GreyPicture streamed = reducer.Result();
    ASSERT_EQ(streamed.values.size(), whole.values.size());
    for (std::size_t i = 0; i < whole.values.size(); ++i)
        EXPECT_FLOAT_EQ(streamed.values[i], whole.values[i]);

    GreyPicture flat{c.sourceWidth, c.sourceHeight,
                     std::vector<float>(static_cast<std::size_t>(c.sourceWidth) * c.sourceHeight, 77.0f)};
    for (float value : ResampleArea(flat, c.width, c.height).values) EXPECT_NEAR(value, 77.0f, 1e-3);
}

INSTANTIATE_TEST_SUITE_P(Ratios, AreaSizes,
                         testing::Values(SizeCase{1000, 667, 72, 48}, SizeCase{333, 101, 96, 29},
                                         SizeCase{97, 49, 96, 48}, SizeCase{50, 20, 96, 48},
                                         SizeCase{128, 64, 128, 64}, SizeCase{7, 300, 1, 48}));

struct GreyCase {
    const char* name;
    std::vector<std::uint8_t> rgba;
    Colour background;
    float expected;
};

class GreyRows : public testing::TestWithParam<GreyCase> {};

TEST_P(GreyRows, LaysOnTheBackgroundThenWeighsRec709) {
    const GreyCase& c = GetParam();
    std::vector<float> grey(1);
    GreyRow(c.rgba, c.background, grey);
    EXPECT_NEAR(grey[0], c.expected, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Colours, GreyRows,
                         testing::Values(GreyCase{"pure_red", {255, 0, 0, 255}, White, 0.2126f * 255},
                                         GreyCase{"pure_green", {0, 255, 0, 255}, White, 0.7152f * 255},
                                         GreyCase{"pure_blue", {0, 0, 255, 255}, White, 0.0722f * 255},
                                         GreyCase{"transparent_on_white", {0, 0, 0, 0}, White, 255},
                                         GreyCase{"transparent_on_black", {255, 255, 255, 0}, Black, 0},
                                         GreyCase{"half_black_on_white", {0, 0, 0, 255 / 3}, White, 170},
                                         // Background red in the low byte: transparency shows it.
                                         GreyCase{
                                             "transparent_on_red", {0, 0, 0, 0}, 0x0000FF, 0.2126f * 255}),
                         [](const testing::TestParamInfo<GreyCase>& info) { return info.param.name; });
