#include <algorithm>
#include <cmath>
#include <cstddef>
#include <gtest/gtest.h>
#include <numeric>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "Halftone.h"

using namespace Routines;

namespace {

GreyPicture Picture(int width, int height, auto value) {
    GreyPicture picture{width, height, std::vector<float>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.values[static_cast<std::size_t>(y) * width + x] = value(x, y);
    return picture;
}

GreyPicture Flat(float level) {
    return Picture(ScreenWidth, ScreenHeight, [level](int, int) { return level; });
}

double SetShare(const std::vector<bool>& set) {
    return static_cast<double>(std::count(set.begin(), set.end(), true)) / static_cast<double>(set.size());
}

// A picture with edges, flat parts and noise, as photos have.
GreyPicture PhotoLike(unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 12.0f);
    return Picture(ScreenWidth, ScreenHeight, [&](int x, int y) {
        const float disc = (x - 30) * (x - 30) + (y - 24) * (y - 24) < 225 ? 40.0f : 170.0f;
        const float stripes = x > 60 ? 120.0f + 100.0f * std::sin(y * 0.7f) : disc;
        return std::clamp(stripes + noise(random), 0.0f, 255.0f);
    });
}

}  // namespace

struct RampCase {
    Dithering dithering;
    const char* name;
    double bound;  // largest difference of a block's share of white from its grey, in parts of the range
};

class RampBrightness : public testing::TestWithParam<RampCase> {};

// Every 16 x 16 block of the tiling of a horizontal and a vertical ramp at
// screen size: what the block shows matches its mean grey. The kernels that
// carry the whole error stay within 2 % (Floyd-Steinberg) or 3 % (the wide
// kernels, whose larger reach lets a block lend more to its neighbours); the
// masks within 2 %; Atkinson drops a quarter of every error, so it stays within
// 12 %; best, which starts from Atkinson and trades tone for structure, too.
TEST_P(RampBrightness, EveryBlockKeepsItsMeanBrightness) {
    const RampCase& c = GetParam();
    for (const bool vertical : {false, true}) {
        const GreyPicture ramp = Picture(ScreenWidth, ScreenHeight, [vertical](int x, int y) {
            return vertical ? 255.0f * y / (ScreenHeight - 1) : 255.0f * x / (ScreenWidth - 1);
        });
        const std::vector<bool> set = Halftone(ramp, c.dithering);
        for (int top = 0; top + 16 <= ScreenHeight; top += 16) {
            for (int left = 0; left + 16 <= ScreenWidth; left += 16) {
                double grey = 0;
                double white = 0;
                for (int y = top; y < top + 16; ++y) {
                    for (int x = left; x < left + 16; ++x) {
                        const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
                        grey += ramp.values[i];
                        white += set[i] ? 0.0 : 255.0;
                    }
                }
                EXPECT_LE(std::abs(white - grey) / (256.0 * 255.0), c.bound)
                    << (vertical ? "vertical" : "horizontal") << " block at " << left << "," << top;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, RampBrightness,
                         testing::Values(RampCase{Dithering::FloydSteinberg, "floyd_steinberg", 0.02},
                                         RampCase{Dithering::Jarvis, "jarvis", 0.03},
                                         RampCase{Dithering::Stucki, "stucki", 0.03},
                                         RampCase{Dithering::Sierra, "sierra", 0.03},
                                         RampCase{Dithering::Ordered, "ordered", 0.02},
                                         RampCase{Dithering::BlueNoise, "blue_noise", 0.02},
                                         RampCase{Dithering::Atkinson, "atkinson", 0.12},
                                         RampCase{Dithering::Best, "best", 0.12}),
                         [](const testing::TestParamInfo<RampCase>& info) { return info.param.name; });

class Serpentine : public testing::TestWithParam<RampCase> {};

// Scanning every row left to right pushes the error one way, and on flat
// grey the dots line up along one diagonal more than the other (a mean lean
// of 0.05 to 0.09 over these greys for these kernels); serpentine scanning
// leans neither way (within 0.03).
TEST_P(Serpentine, FlatGreyLeansAlongNeitherDiagonal) {
    double lean = 0;
    int levels = 0;
    for (int level = 16; level <= 240; level += 4, ++levels) {
        const std::vector<bool> set = Halftone(Flat(static_cast<float>(level)), GetParam().dithering);
        long falling = 0;
        long rising = 0;
        for (int y = 0; y + 1 < ScreenHeight; ++y) {
            for (int x = 1; x + 1 < ScreenWidth; ++x) {
                const auto at = [&set](int px, int py) {
                    return set[static_cast<std::size_t>(py) * ScreenWidth + px];
                };
                falling += at(x, y) && at(x + 1, y + 1) ? 1 : 0;
                rising += at(x, y) && at(x - 1, y + 1) ? 1 : 0;
            }
        }
        if (falling + rising > 0)
            lean += static_cast<double>(falling - rising) / static_cast<double>(falling + rising);
    }
    EXPECT_LE(std::abs(lean / levels), 0.03);
}

INSTANTIATE_TEST_SUITE_P(Kernels, Serpentine,
                         testing::Values(RampCase{Dithering::FloydSteinberg, "floyd_steinberg", 0},
                                         RampCase{Dithering::Jarvis, "jarvis", 0},
                                         RampCase{Dithering::Stucki, "stucki", 0},
                                         RampCase{Dithering::Sierra, "sierra", 0}),
                         [](const testing::TestParamInfo<RampCase>& info) { return info.param.name; });

struct SearchCase {
    const char* name;
    GreyPicture picture;
    Dithering start;
};

class Search : public testing::TestWithParam<SearchCase> {};

// Only changes that raise the objective are kept, so the search never ends
// below its start, from a good start or a poor one; and, let loose on every
// pixel, it does move.
TEST_P(Search, NeverEndsWorseThanItsStartByItsOwnObjective) {
    const SearchCase& c = GetParam();
    const std::vector<bool> start = Halftone(c.picture, c.start);
    SearchWeights everywhere;
    everywhere.edgeLevel = 0;
    const std::vector<bool> result = StructureSearch(c.picture, start, everywhere);
    EXPECT_GE(SearchObjective(c.picture, result, everywhere), SearchObjective(c.picture, start, everywhere));
    if (c.start == Dithering::None) {
        EXPECT_NE(result, start);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Starts, Search,
    testing::Values(SearchCase{"photo_from_atkinson", PhotoLike(1), Dithering::Atkinson},
                    SearchCase{"photo_from_threshold", PhotoLike(2), Dithering::None},
                    SearchCase{"photo_from_blue_noise", PhotoLike(3), Dithering::BlueNoise},
                    SearchCase{"grey_from_threshold", Flat(100), Dithering::None},
                    SearchCase{"small_picture", Picture(9, 8, [](int x, int y) { return 28.0f * x + y; }),
                               Dithering::FloydSteinberg}),
    [](const testing::TestParamInfo<SearchCase>& info) { return info.param.name; });

// The search's objective is the structure less the tone term measured as the
// quality benchmark measures tone: both pictures blurred by GaussianBlur, whose
// kernel is renormalised where the picture's edges cut it. Errors on the
// border count as much as errors inside.
struct ObjectiveCase {
    const char* name;
    GreyPicture picture;
    std::vector<bool> set;
};

void PrintTo(const ObjectiveCase& c, std::ostream* out) { *out << c.name; }

class ObjectiveTone : public testing::TestWithParam<ObjectiveCase> {};

TEST_P(ObjectiveTone, IsTheStructureLessTheBlurredToneError) {
    const ObjectiveCase& c = GetParam();
    const SearchWeights weights;
    GreyPicture result = c.picture;
    for (std::size_t i = 0; i < result.values.size(); ++i) result.values[i] = c.set[i] ? 0.0f : 255.0f;
    const GreyPicture blurredPicture = GaussianBlur(c.picture, weights.toneSigma);
    const GreyPicture blurredResult = GaussianBlur(result, weights.toneSigma);
    double squares = 0;
    for (std::size_t i = 0; i < result.values.size(); ++i) {
        const double difference = (blurredResult.values[i] - blurredPicture.values[i]) / 255.0;
        squares += difference * difference;
    }
    const double expected = Structure(c.picture, c.set) -
                            weights.toneWeight * squares / static_cast<double>(result.values.size());
    EXPECT_NEAR(SearchObjective(c.picture, c.set, weights), expected, 1e-5);
}

namespace {

std::vector<bool> BorderRowsSet(int width, int height, int rows) {
    std::vector<bool> set(static_cast<std::size_t>(width) * height, false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            set[static_cast<std::size_t>(y) * width + x] = y < rows || y >= height - rows;
    return set;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Results, ObjectiveTone,
                         testing::Values(ObjectiveCase{"photo_floyd_steinberg", PhotoLike(7),
                                                       Halftone(PhotoLike(7), Dithering::FloydSteinberg)},
                                         ObjectiveCase{"white_with_black_border_rows", Flat(255),
                                                       BorderRowsSet(ScreenWidth, ScreenHeight, 2)},
                                         ObjectiveCase{"grey_thresholded", Flat(140),
                                                       std::vector<bool>(ScreenWidth* ScreenHeight, false)},
                                         ObjectiveCase{"small_black_on_white",
                                                       Picture(9, 8, [](int, int) { return 255.0f; }),
                                                       std::vector<bool>(72, true)}),
                         [](const testing::TestParamInfo<ObjectiveCase>& info) { return info.param.name; });

// The same picture gives the same pixels every time, whatever ran before: the
// search keeps no state between calls and visits pixels in a fixed order.
TEST(Best, GivesTheSamePixelsEveryTime) {
    const GreyPicture photo = PhotoLike(11);
    const std::vector<bool> first = Halftone(photo, Dithering::Best);
    const std::vector<bool> other = Halftone(PhotoLike(12), Dithering::Best);
    EXPECT_NE(first, other);
    EXPECT_EQ(Halftone(photo, Dithering::Best), first);
    const GreyPicture copy = photo;
    EXPECT_EQ(Halftone(copy, Dithering::Best), first);
}

TEST(Structure, IsOneForAPerfectMatchAndFallsForTheNegative) {
    const GreyPicture checks =
        Picture(16, 16, [](int x, int y) { return (x / 2 + y / 3) % 2 ? 255.0f : 0.0f; });
    std::vector<bool> same(checks.values.size());
    std::vector<bool> negative(checks.values.size());
    for (std::size_t i = 0; i < same.size(); ++i) {
        same[i] = checks.values[i] < 128;
        negative[i] = !same[i];
    }
    EXPECT_NEAR(Structure(checks, same), 1.0, 1e-9);
    EXPECT_LT(Structure(checks, negative), 0.0);
    // Too small for one window: nothing to measure.
    EXPECT_EQ(Structure(Picture(6, 6, [](int, int) { return 0.0f; }), std::vector<bool>(36, true)), 0.0);
}

TEST(BlueNoise, TheMaskRanksEveryCellOnceAndSpreadsTheFirstDots) {
    const std::vector<int>& ranks = BlueNoiseRanks();
    std::vector<int> sorted = ranks;
    std::sort(sorted.begin(), sorted.end());
    std::vector<int> expected(BlueNoiseSize * BlueNoiseSize);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(sorted, expected);
    // The first sixteenth of the cells to be set: no two touch, even across the wrap.
    const int first = BlueNoiseSize * BlueNoiseSize / 16;
    const auto at = [&ranks](int x, int y) {
        return ranks[static_cast<std::size_t>((y + BlueNoiseSize) % BlueNoiseSize) * BlueNoiseSize +
                     (x + BlueNoiseSize) % BlueNoiseSize];
    };
    for (int y = 0; y < BlueNoiseSize; ++y)
        for (int x = 0; x < BlueNoiseSize; ++x)
            if (at(x, y) < first) {
                for (const auto& [dx, dy] : {std::pair{1, 0}, {0, 1}, {1, 1}, {1, -1}})
                    EXPECT_GE(at(x + dx, y + dy), first) << x << "," << y;
            }
}

class FlatShare : public testing::TestWithParam<int> {};

// On a flat grey the masks set the share of pixels the grey asks for.
TEST_P(FlatShare, MasksSetTheShareTheGreyAsksFor) {
    const int level = GetParam();
    // The screen shows a 96 x 48 part of the 64 x 64 mask: within a 64th.
    EXPECT_NEAR(SetShare(Halftone(Flat(static_cast<float>(level)), Dithering::BlueNoise)),
                (255.0 - level) / 255.0, 1.0 / 64);
}

INSTANTIATE_TEST_SUITE_P(Greys, FlatShare, testing::Values(0, 1, 30, 64, 128, 200, 254, 255));

TEST(PictureToPixels, AdjustsTheToneBeforeHalftoning) {
    // A dull picture, all between 100 and 140: at threshold 128 most of it is
    // set; auto levels stretch it about its mean first, so fewer are.
    const GreyPicture dull =
        Picture(ScreenWidth, ScreenHeight, [](int x, int) { return 100.0f + 40.0f * x / 95; });
    ToneOptions none;
    none.autoLevels = false;
    EXPECT_NEAR(SetShare(PictureToPixels(dull, none, Dithering::None)), 68.0 / 96, 0.011);
    // Auto levels stretch its 40 values by 1.75 only, about its mean 120: 85 to 155.
    EXPECT_NEAR(SetShare(PictureToPixels(dull, ToneOptions{}, Dithering::None)), 59.0 / 96, 0.011);
}

// The search looks only at pixels near an edge: on a picture half flat grey,
// half stripes, the flat half's pixels beyond the stripes' reach keep the start.
struct EdgeCase {
    const char* name;
    float edgeLevel;
    bool flatKept;
};

class EdgeSearch : public testing::TestWithParam<EdgeCase> {};

TEST_P(EdgeSearch, FlatPartsKeepTheirStart) {
    const EdgeCase& c = GetParam();
    const GreyPicture picture = Picture(ScreenWidth, ScreenHeight, [](int x, int y) {
        return x < 48 ? 100.0f : (y / 2 % 2 == 0 ? 20.0f : 230.0f);
    });
    const std::vector<bool> start = Halftone(picture, Dithering::None);
    SearchWeights weights;
    weights.edgeLevel = c.edgeLevel;
    const std::vector<bool> result = StructureSearch(picture, start, weights);
    bool flatKept = true;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < 46; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
            flatKept = flatKept && result[i] == start[i];
        }
    EXPECT_EQ(flatKept, c.flatKept);
    EXPECT_NE(result, start);
}

INSTANTIATE_TEST_SUITE_P(Levels, EdgeSearch,
                         testing::Values(EdgeCase{"default", SearchWeights{}.edgeLevel, true},
                                         EdgeCase{"everywhere", 0.0f, false}),
                         [](const testing::TestParamInfo<EdgeCase>& info) { return info.param.name; });

// A lone dot goes when its 3 x 3 neighbourhood holds less than the share of a
// pixel's worth of its colour; a dot with a neighbour of its colour, a dot the
// tone asks for and a dot on the border stay.
struct StrayCase {
    const char* name;
    float grey;   // the picture, flat
    bool dotSet;  // the lone dot's colour; the rest of the result is the other
    int x;
    int y;
    bool neighbour;  // a second dot of its colour beside it
    bool kept;
};

class StrayDots : public testing::TestWithParam<StrayCase> {};

TEST_P(StrayDots, LoneDotsGoWhereTheToneDoesNotAskForThem) {
    const StrayCase& c = GetParam();
    const GreyPicture picture = Picture(8, 6, [&c](int, int) { return c.grey; });
    std::vector<bool> set(48, !c.dotSet);
    set[static_cast<std::size_t>(c.y) * 8 + c.x] = c.dotSet;
    if (c.neighbour) set[static_cast<std::size_t>(c.y) * 8 + c.x + 1] = c.dotSet;
    std::vector<bool> expected = set;
    if (!c.kept) expected[static_cast<std::size_t>(c.y) * 8 + c.x] = !c.dotSet;
    EXPECT_EQ(RemoveStrayDots(picture, set, SearchWeights{}.strayShare), expected);
}

// The default share is 2: a dark dot goes where the mean grey lies above
// 255 (1 - 2 / 9), about 198; a light one where it lies below about 57.
INSTANTIATE_TEST_SUITE_P(
    Dots, StrayDots,
    testing::Values(StrayCase{"dark_on_white", 255, true, 3, 2, false, false},
                    StrayCase{"dark_on_light_grey", 210, true, 3, 2, false, false},
                    StrayCase{"dark_on_grey_the_tone_asks_for", 180, true, 3, 2, false, true},
                    StrayCase{"dark_pair_on_white", 255, true, 3, 2, true, true},
                    StrayCase{"dark_on_the_border", 255, true, 0, 2, false, true},
                    StrayCase{"light_on_black", 0, false, 4, 3, false, false},
                    StrayCase{"light_on_dark_grey", 45, false, 4, 3, false, false},
                    StrayCase{"light_on_grey_the_tone_asks_for", 80, false, 4, 3, false, true}),
    [](const testing::TestParamInfo<StrayCase>& info) { return info.param.name; });

class ThresholdScale : public testing::TestWithParam<RampCase> {};

// The threshold is a grey on the 0-255 scale for every method: without a
// mask, the first pixel of a flat grey 100, which has received no error yet,
// is set exactly when the threshold lies above 100. Where the error is not all carried (no
// dithering, Atkinson, the masks) a raised threshold also sets more of a
// picture; the kernels that carry the whole error keep its tone whatever the
// threshold, which then only moves where the dots fall.
TEST_P(ThresholdScale, DecidesAtTheThresholdGiven) {
    const RampCase& c = GetParam();
    if (c.dithering != Dithering::BlueNoise) {
        EXPECT_FALSE(Halftone(Flat(100), c.dithering, 100)[0]);
        EXPECT_TRUE(Halftone(Flat(100), c.dithering, 101)[0]);
    }
    if (c.bound == 0) return;  // carries the whole error
    const GreyPicture photo = PhotoLike(5);
    const double low = SetShare(Halftone(photo, c.dithering, 90));
    const double middle = SetShare(Halftone(photo, c.dithering, MidGrey));
    const double high = SetShare(Halftone(photo, c.dithering, 170));
    EXPECT_LT(low + c.bound, middle);
    EXPECT_LT(middle + c.bound, high);
}

// The bound here is the least rise of the share set from one threshold to the next.
INSTANTIATE_TEST_SUITE_P(Methods, ThresholdScale,
                         testing::Values(RampCase{Dithering::None, "none", 0.005},
                                         RampCase{Dithering::Atkinson, "atkinson", 0.02},
                                         RampCase{Dithering::BlueNoise, "blue_noise", 0.05},
                                         RampCase{Dithering::FloydSteinberg, "floyd_steinberg", 0},
                                         RampCase{Dithering::Jarvis, "jarvis", 0},
                                         RampCase{Dithering::Stucki, "stucki", 0},
                                         RampCase{Dithering::Sierra, "sierra", 0}),
                         [](const testing::TestParamInfo<RampCase>& info) { return info.param.name; });
