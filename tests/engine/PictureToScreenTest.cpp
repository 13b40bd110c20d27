#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

#include "EngineFakes.h"
#include "PictureToScreen.h"
#include "Routines.h"
#include "ScreenCanvas.h"

namespace pelorin_test {
namespace {

using Routines::Dithering;
using Routines::ScreenHeight;
using Routines::ScreenWidth;

constexpr int FieldPixels = ScreenWidth * ScreenHeight;

double SetShare(const std::vector<bool>& set) {
    std::size_t count = 0;
    for (bool pixel : set) count += pixel ? 1 : 0;
    return static_cast<double>(count) / static_cast<double>(set.size());
}

std::vector<bool> UniformField(int luminance, Dithering dithering, int width = ScreenWidth,
                               int height = ScreenHeight) {
    const std::vector<std::uint8_t> field(static_cast<std::size_t>(width * height),
                                          static_cast<std::uint8_t>(luminance));
    return Routines::SetPixels(field, width, height, dithering, Routines::MidGrey);
}

std::string Rows(const std::vector<bool>& set, int width) {
    std::string rows;
    for (std::size_t i = 0; i < set.size(); ++i) {
        rows += set[i] ? '1' : '0';
        if ((i + 1) % width == 0 && i + 1 < set.size()) rows += '/';
    }
    return rows;
}

TEST(DitheringTest, FloydSteinbergKeepsTheGreyOfAUniformField) {
    for (int level = 0; level <= 255; ++level) {
        EXPECT_NEAR(SetShare(UniformField(level, Dithering::FloydSteinberg)), (255.0 - level) / 255.0, 0.01)
            << "luminance " << level;
    }
}

// Atkinson passes on six eighths of each error, so a quarter is lost, and at
// the right and bottom edges more. Every pixel's error e stays within 128: a
// pixel receives at most 6/8 * 128 = 96, so a set pixel (value below 128) lies
// in [-96, 128) and a clear one (value at least 128) leaves e in [-127, 96].
// Over the field the black that was printed equals the grey asked for minus
// the lost error: |255 (1 - share) - L| <= 128 * sum over pixels of their lost
// fraction / pixels.
TEST(DitheringTest, AtkinsonStaysWithinTheBoundOfItsDroppedError) {
    constexpr std::array<std::pair<int, int>, 6> neighbours{
        {{1, 0}, {2, 0}, {-1, 1}, {0, 1}, {1, 1}, {0, 2}}};
    double lostFractions = 0;
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            int kept = 0;
            for (const auto& [dx, dy] : neighbours) {
                const bool inside = x + dx >= 0 && x + dx < ScreenWidth && y + dy < ScreenHeight;
                kept += inside ? 1 : 0;
            }
            lostFractions += 1.0 - kept / 8.0;
        }
    }
    const double bound = 128.0 * lostFractions / FieldPixels / 255.0;
    // A quarter of 128 / 255 = 0.1255, plus what the edges lose: 0.1353.
    EXPECT_NEAR(bound, 0.1353, 0.0001);
    double worst = 0;
    for (int level = 0; level <= 255; ++level) {
        const double deviation =
            std::abs(SetShare(UniformField(level, Dithering::Atkinson)) - (255.0 - level) / 255.0);
        EXPECT_LE(deviation, bound) << "luminance " << level;
        worst = std::max(worst, deviation);
    }
    // The loss is real: dark greys below 32 print solid black.
    EXPECT_GT(worst, 0.1);
    EXPECT_EQ(SetShare(UniformField(24, Dithering::Atkinson)), 1.0);
}

TEST(DitheringTest, OrderedComesWithinOneStepOfItsMatrix) {
    for (int level = 0; level <= 255; ++level) {
        EXPECT_NEAR(SetShare(UniformField(level, Dithering::Ordered)), (255.0 - level) / 255.0, 1.0 / 64)
            << "luminance " << level;
    }
}

// The published 8 x 8 Bayer matrix. On a gradient of uniform levels, the pixel
// with value M is the (M + 1)-th of its 8 x 8 tile to turn clear.
TEST(DitheringTest, OrderedReproducesTheBayerMatrixOnAGradient) {
    constexpr int bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                 {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                 {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                 {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
    std::array<int, 64> clearAt{};
    clearAt.fill(-1);
    for (int step = 0; step <= 64; ++step) {
        const std::vector<bool> set = UniformField(std::min(4 * step, 255), Dithering::Ordered, 16, 16);
        for (int i = 0; i < 64; ++i) {
            const int x = i % 8 + 8;  // a tile away from the corner: tiles repeat
            const int y = i / 8 + 8;
            if (!set[static_cast<std::size_t>(y * 16 + x)] && clearAt[i] < 0) clearAt[i] = step;
        }
    }
    for (int i = 0; i < 64; ++i) EXPECT_EQ(clearAt[i] - 1, bayer[i / 8][i % 8]) << "pixel " << i;
}

// Values each pixel reaches, serpentine (odd rows right to left, pixel 3
// first): row 0 64, 98.46, 107.08, 110.85 (all set, each passing on its whole
// value; at the right edge to the two neighbours below only); row 1 (from the
// right) 139.97 (clear), 83.24, 156.19 (clear), 63.85; row 2 97.73, 114.89,
// 112.90, 84.76 (all set); row 3 (from the right) 124.03, 262.28 (clear),
// 135.87 (clear), 4.00: on the last row the whole error goes to the one
// neighbour left.
TEST(DitheringTest, FloydSteinbergOnAQuarterGreySquare) {
    EXPECT_EQ(Rows(UniformField(64, Dithering::FloydSteinberg, 4, 4), 4), "1111/1010/1111/1001");
}

// Values reached, serpentine: row 0 96, 108, 121.5, 124.69 (all set); row 1
// from the right 126.77, 156.12 (clear: passes on -98.88 / 8 each), 140.17
// (clear), 94.79; row 2 105.50, 107.82, 126.99, 144.42 (clear); row 3 from the
// right 113.90, 113.41, 152.60 (clear), 135.89 (clear). Shares that fall
// outside are lost.
TEST(DitheringTest, AtkinsonOnAGreySquare) {
    EXPECT_EQ(Rows(UniformField(96, Dithering::Atkinson, 4, 4), 4), "1111/1001/1110/0011");
}

TEST(DitheringTest, ThresholdSetsWhatIsDarkerThanIt) {
    const std::vector<std::uint8_t> ramp{0, 99, 100, 101, 255};
    EXPECT_EQ(Rows(Routines::SetPixels(ramp, 5, 1, Dithering::None, 100), 5), "11000");
    EXPECT_EQ(Rows(Routines::SetPixels(ramp, 5, 1, Dithering::None, 0), 5), "00000");
    EXPECT_EQ(Rows(Routines::SetPixels(ramp, 5, 1, Dithering::None, 255), 5), "11110");
}

class FitRectangleTest : public ::testing::TestWithParam<std::tuple<int, int, Routines::ScreenRect>> {};

TEST_P(FitRectangleTest, KeepsTheAspectRatioAndCentres) {
    const auto& [width, height, expected] = GetParam();
    EXPECT_EQ(Routines::FitRectangle(width, height), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FitRectangleTest,
    ::testing::Values(
        std::tuple{96, 48, Routines::ScreenRect{0, 0, 96, 48}},      // as it is
        std::tuple{640, 480, Routines::ScreenRect{16, 0, 64, 48}},   // 4:3 photo
        std::tuple{48, 24, Routines::ScreenRect{0, 0, 96, 48}},      // scaled up
        std::tuple{1000, 100, Routines::ScreenRect{0, 19, 96, 10}},  // 9.6 rounds to 10
        std::tuple{100000, 1, Routines::ScreenRect{0, 23, 96, 1}},   // never thinner than a pixel
        std::tuple{72, 14, Routines::ScreenRect{0, 14, 96, 19}},     // a logo: 18.67 high, (48 - 19) / 2 down
        std::tuple{0, 10, Routines::ScreenRect{}}));

class OnWhiteTest : public ::testing::TestWithParam<std::tuple<std::array<int, 4>, Routines::Colour>> {};

TEST_P(OnWhiteTest, TransparencyLetsWhiteThrough) {
    const auto& [rgba, expected] = GetParam();
    EXPECT_EQ(Routines::OnWhite(rgba[0], rgba[1], rgba[2], rgba[3]), expected);
}

INSTANTIATE_TEST_SUITE_P(Pixels, OnWhiteTest,
                         ::testing::Values(std::tuple{std::array{0, 0, 0, 0}, Routines::White},
                                           std::tuple{std::array{0, 0, 0, 255}, Routines::Black},
                                           std::tuple{std::array{255, 0, 0, 255}, Routines::Colour{0x0000FF}},
                                           // half black: 255 * 127 / 255 = 127 (0x7F) in each channel
                                           std::tuple{std::array{0, 0, 0, 128}, Routines::Colour{0x7F7F7F}},
                                           std::tuple{std::array{255, 255, 255, 7}, Routines::White}));

// A picture whose pixels (x, y) have the colour colour(x, y), all opaque.
template <typename ColourOf>
Routines::RgbaPicture Opaque(int width, int height, ColourOf colour) {
    Routines::RgbaPicture picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Routines::Colour c = colour(x, y);
            picture.rgba.insert(picture.rgba.end(), {static_cast<std::uint8_t>(c & 0xFF),
                                                     static_cast<std::uint8_t>((c >> 8) & 0xFF),
                                                     static_cast<std::uint8_t>((c >> 16) & 0xFF), 255});
        }
    }
    return picture;
}

std::vector<Pixel> SetOnCanvas(const Routines::ImageView& view) {
    std::vector<Pixel> set;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
            if (Routines::IsSet(view.ReadPixel(x, y))) set.emplace_back(x, y);
    return set;
}

// Under the default rule the view keeps the colours, so sampling decides.
TEST(DrawPictureTest, DefaultRuleLeavesOnlyPureWhiteClear) {
    const auto picture = Opaque(3, 1, [](int x, int) {
        return x == 0 ? 0xFFFFFFu : x == 1 ? 0xFEFFFFu : 0x808080u;
    });
    Routines::ScreenCanvas canvas;
    Routines::DrawPicture(canvas, picture, 0, 0, {});
    EXPECT_EQ(canvas.ReadPixel(1, 0), 0xFEFFFFu);
    EXPECT_EQ(SetOnCanvas(canvas), (std::vector<Pixel>{{1, 0}, {2, 0}}));
}

TEST(DrawPictureTest, PlacesAndClipsTheTopLeftCorner) {
    const auto black = [](int, int) { return Routines::Black; };
    Routines::ScreenCanvas canvas;
    Routines::DrawPicture(canvas, Opaque(200, 100, black), 94, 46, {});
    EXPECT_EQ(SetOnCanvas(canvas), (std::vector<Pixel>{{94, 46}, {95, 46}, {94, 47}, {95, 47}}));
    Routines::DrawPicture(canvas, Opaque(3, 3, black), -2, -2, {});
    EXPECT_EQ(SetOnCanvas(canvas), (std::vector<Pixel>{{0, 0}}));
}

TEST(DrawPictureTest, ThresholdAndInvertDrawInBlackAndWhite) {
    const auto picture = Opaque(2, 1, [](int x, int) { return x == 0 ? 0x505050u : 0xA0A0A0u; });
    Routines::ScreenCanvas canvas;
    Routines::DrawPicture(canvas, picture, 0, 0, {.threshold = 0x80});
    EXPECT_EQ(canvas.ReadPixel(0, 0), Routines::Black);
    EXPECT_EQ(canvas.ReadPixel(1, 0), Routines::White);
    Routines::InvertScreen(canvas);
    const auto set = SetOnCanvas(canvas);
    EXPECT_EQ(set.size(), static_cast<std::size_t>(FieldPixels - 1));
    EXPECT_EQ(set.front(), (Pixel{1, 0}));
}

}  // namespace
}  // namespace pelorin_test

// Other screens: {picture width, height, screen width, height} and where it lands.
class FitRectangleOnScreenTest
    : public ::testing::TestWithParam<std::tuple<int, int, int, int, Routines::ScreenRect>> {};

TEST_P(FitRectangleOnScreenTest, KeepsTheAspectRatioAndCentres) {
    const auto& [width, height, screenWidth, screenHeight, expected] = GetParam();
    EXPECT_EQ(Routines::FitRectangle(width, height, screenWidth, screenHeight), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FitRectangleOnScreenTest,
    ::testing::Values(std::tuple{640, 480, 128, 64, Routines::ScreenRect{21, 0, 85, 64}},  // 85.33 wide
                      std::tuple{10, 100, 84, 48, Routines::ScreenRect{39, 0, 5, 48}},     // 4.8 rounds to 5
                      std::tuple{300, 7, 1, 1, Routines::ScreenRect{0, 0, 1, 1}},          // one pixel
                      std::tuple{96, 48, 96, 68, Routines::ScreenRect{0, 10, 96, 48}},     // 48.5 rounds down
                      std::tuple{5, 5, 0, 10, Routines::ScreenRect{}}));
