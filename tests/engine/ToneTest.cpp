#include <cstddef>
#include <gtest/gtest.h>
#include <vector>

#include "Tone.h"

using namespace Routines;

namespace {

ToneOptions NoLevels() {
    ToneOptions options;
    options.autoLevels = false;
    return options;
}

}  // namespace

struct ToneCase {
    const char* name;
    ToneOptions options;
    std::vector<float> in;
    std::vector<float> expected;
};

class ToneValues : public testing::TestWithParam<ToneCase> {};

TEST_P(ToneValues, EachAdjustmentMapsValuesAsDefined) {
    const ToneCase& c = GetParam();
    GreyPicture picture{static_cast<int>(c.in.size()), 1, c.in};
    AdjustTone(picture, c.options);
    for (std::size_t i = 0; i < c.expected.size(); ++i)
        EXPECT_NEAR(picture.values[i], c.expected[i], 0.01) << i;
}

ToneCase Case(const char* name, auto change, std::vector<float> in, std::vector<float> expected) {
    ToneOptions options = NoLevels();
    change(options);
    return {name, options, std::move(in), std::move(expected)};
}

INSTANTIATE_TEST_SUITE_P(
    Adjustments, ToneValues,
    testing::Values(
        Case("nothing", [](ToneOptions&) {}, {0, 77, 255}, {0, 77, 255}),
        // Fixed levels: LOW becomes black, HIGH white, the rest spread between and clipped.
        Case("levels",
             [](ToneOptions& o) {
                 o.levels = Levels{50, 200};
             },
             {20, 50, 125, 200, 230}, {0, 0, 127.5f, 255, 255}),
        // Gamma 2 lightens: 255 (64 / 255)^(1/2).
        Case("gamma", [](ToneOptions& o) { o.gamma = 2; }, {0, 64, 255}, {0, 127.75f, 255}),
        Case("gamma_darkens_below_one", [](ToneOptions& o) { o.gamma = 0.5f; }, {127.5f}, {63.75f}),
        // Contrast doubles the distance from mid-grey, clipping at the ends.
        Case("contrast", [](ToneOptions& o) { o.contrastPercent = 100; }, {27.5f, 127.5f, 177.5f, 250},
             {0, 127.5f, 227.5f, 255}),
        Case("contrast_flat", [](ToneOptions& o) { o.contrastPercent = -100; }, {0, 255}, {127.5f, 127.5f}),
        Case("brightness", [](ToneOptions& o) { o.brightnessPercent = 10; }, {0, 100, 250},
             {25.5f, 125.5f, 255}),
        Case("darker", [](ToneOptions& o) { o.brightnessPercent = -20; }, {0, 100}, {0, 49}),
        // Levels first, then gamma: 125 becomes 127.5, then 255 (0.5)^(1/2).
        Case("levels_then_gamma",
             [](ToneOptions& o) {
                 o.levels = Levels{50, 200};
                 o.gamma = 2;
             },
             {125}, {180.31f})),
    [](const testing::TestParamInfo<ToneCase>& info) { return info.param.name; });

TEST(AutoLevels, TheDarkestAndLightestThreePercentBecomeBlackAndWhite) {
    // 1000 values from 40 to 239.8, with two stray ones at 0 and 255 in place
    // of 42 and 220.
    GreyPicture picture{1000, 1, std::vector<float>(1000)};
    for (int i = 0; i < 1000; ++i) picture.values[i] = 40.0f + 0.2f * i;
    picture.values[10] = 0;
    picture.values[900] = 255;
    const Levels levels = AutoLevels(picture);
    // The low level is sorted value 29 (0, 40 ... 41.8, 42.2 ...), the high one 970.
    EXPECT_NEAR(levels.low, 45.8f, 0.01);
    EXPECT_NEAR(levels.high, 234.2f, 0.01);
    AdjustTone(picture, ToneOptions{});
    EXPECT_EQ(picture.values[0], 0.0f);
    EXPECT_EQ(picture.values[999], 255.0f);
    EXPECT_NEAR(picture.values[500], (140.0f - levels.low) * 255.0f / (levels.high - levels.low), 0.01);
    // A picture of one tone is left as it is.
    GreyPicture flat{4, 1, {90, 90, 90, 90}};
    AdjustTone(flat, ToneOptions{});
    EXPECT_EQ(flat.values, (std::vector<float>{90, 90, 90, 90}));
}

// A range narrower than 255 / 1.75 = 145.7 is stretched by 1.75 only, the levels
// placed so that the mean keeps its value unless that would clip the range.
struct StretchCase {
    const char* name;
    float from;  // a ramp of 1000 values from `from` to `to`
    float to;
    float low;  // the levels expected
    float high;
};

class AutoStretch : public testing::TestWithParam<StretchCase> {};

TEST_P(AutoStretch, ANarrowRangeIsStretchedByOneAndThreeQuartersAtMost) {
    const StretchCase& c = GetParam();
    GreyPicture picture{1000, 1, std::vector<float>(1000)};
    for (int i = 0; i < 1000; ++i) picture.values[i] = c.from + (c.to - c.from) * static_cast<float>(i) / 999;
    const Levels levels = AutoLevels(picture);
    EXPECT_NEAR(levels.low, c.low, 0.1);
    EXPECT_NEAR(levels.high, c.high, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Ranges, AutoStretch,
                         testing::Values(
                             // Sorted values 29 and 970, 7.4 and 247.6: wide enough to stretch fully.
                             StretchCase{"wide", 0, 255, 7.40f, 247.60f},
                             // Mean 120: levels 51.4 and 197.1 keep it, and hold 101.2 to 138.8.
                             StretchCase{"dull_middle", 100, 140, 51.43f, 197.14f},
                             // Mean 50 would place the low level at 21.4, above the range's 2.9: a
                             // night picture is lightened no more than its darkest part allows.
                             StretchCase{"dark", 0, 100, 2.9f, 148.62f},
                             // Mean 225 would place the levels at 96.4 to 242.1, cutting off the
                             // light end 248.5: a light picture is darkened only that far.
                             StretchCase{"light", 200, 250, 102.83f, 248.55f}),
                         [](const testing::TestParamInfo<StretchCase>& info) { return info.param.name; });

TEST(Sharpen, AnEdgeGainsContrastAndAFlatPartStaysFlat) {
    GreyPicture edge{12, 1, {100, 100, 100, 100, 100, 100, 150, 150, 150, 150, 150, 150}};
    ToneOptions options = NoLevels();
    options.sharpenAmount = 1;
    AdjustTone(edge, options);
    EXPECT_LT(edge.values[5], 100.0f);
    EXPECT_GT(edge.values[6], 150.0f);
    EXPECT_NEAR(edge.values[0], 100.0f, 0.01);
    EXPECT_NEAR(edge.values[11], 150.0f, 0.01);
}

TEST(GaussianBlur, KeepsAFlatPictureAndSpreadsADot) {
    GreyPicture dot{9, 9, std::vector<float>(81, 0)};
    dot.values[40] = 81;
    const GreyPicture blurred = GaussianBlur(dot, 1);
    double total = 0;
    for (float v : blurred.values) total += v;
    EXPECT_NEAR(total, 81, 0.5);
    EXPECT_LT(blurred.values[40], 81);
    EXPECT_GT(blurred.values[41], 0);
    const GreyPicture flat = GaussianBlur(GreyPicture{5, 3, std::vector<float>(15, 42)}, 2);
    for (float v : flat.values) EXPECT_NEAR(v, 42, 1e-3);
}
