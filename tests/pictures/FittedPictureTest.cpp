// Photos fitted from their rows (FittedPicture.h) against the whole picture
// made grey and averaged by the engine: the same numbers where the order of
// the sums is the same, and within stated bounds where it is not.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "FittedPicture.h"
#include "MadePictures.h"
#include "Resample.h"

using namespace Pictures;

namespace {

std::span<const std::uint8_t> View(const Bytes& bytes) { return {bytes.data(), bytes.size()}; }

// The picture the painter paints, grey (laid on white) and averaged to
// width x height by the engine, whole.
Routines::GreyPicture WholeReduced(int pictureWidth, int pictureHeight, const Painter& paint, int width,
                                   int height) {
    Routines::GreyPicture grey{pictureWidth, pictureHeight, {}};
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(pictureWidth) * 4);
    std::vector<float> row(static_cast<std::size_t>(pictureWidth));
    for (int y = 0; y < pictureHeight; ++y) {
        for (int x = 0; x < pictureWidth; ++x) {
            paint(x, y, &rgba[4 * static_cast<std::size_t>(x)]);
            rgba[4 * static_cast<std::size_t>(x) + 3] = 255;
        }
        Routines::GreyRow(rgba, Routines::White, row);
        grey.values.insert(grey.values.end(), row.begin(), row.end());
    }
    return Routines::ResampleArea(grey, width, height);
}

float LargestDifference(const std::vector<float>& a, const std::vector<float>& b) {
    float largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

}  // namespace

class FittedOrientation : public testing::TestWithParam<int> {};

// Reduced as stored and then turned, each screen pixel sums the same picture
// pixels as the upright picture reduced, in another order: the same to
// within float rounding, 0.001 of a grey level (of 255). Stored upright, it
// is the very same sum.
TEST_P(FittedOrientation, EqualsTheUprightPictureReduced) {
    const int orientation = GetParam();
    const bool swaps = orientation >= 5;
    const Bytes png = MakePng(swaps ? 165 : 330, swaps ? 330 : 165,
                              StoredAs(orientation, 330, 165, Landscape), {.orientation = orientation});
    const auto fitted = ReadFittedPicture(View(png), "turned.png", {});
    ASSERT_TRUE(fitted.has_value());
    EXPECT_EQ(fitted->width, 330);
    EXPECT_EQ(fitted->height, 165);
    const Routines::GreyPicture expected = WholeReduced(330, 165, Landscape, 96, 48);
    ASSERT_EQ(fitted->grey.width, expected.width);
    ASSERT_EQ(fitted->grey.height, expected.height);
    if (orientation == 1)
        EXPECT_EQ(fitted->grey.values, expected.values);
    else
        EXPECT_LE(LargestDifference(fitted->grey.values, expected.values), 0.001f);
}

INSTANTIATE_TEST_SUITE_P(AllEight, FittedOrientation, testing::Range(1, 9));

// A JPEG decoded at an eighth and reduced gives the screen within 4 grey
// levels of decoding it whole and reducing, 1 on the mean (the scaled
// inverse transforms round differently).
TEST(FittedPicture, ScaledJpegAgreesWithTheWholeDecoding) {
    const Bytes jpeg = MakeJpeg(1600, 800, Landscape);
    const auto scaled = ReadFittedPicture(View(jpeg), "photo.jpg", {});
    const auto whole = ReadFittedPicture(View(jpeg), "photo.jpg", {.screenWidth = 800, .screenHeight = 400});
    ASSERT_TRUE(scaled && whole);
    const Routines::GreyPicture wholeReduced = Routines::ResampleArea(whole->grey, 96, 48);
    ASSERT_EQ(scaled->grey.values.size(), wholeReduced.values.size());
    double total = 0;
    for (std::size_t i = 0; i < wholeReduced.values.size(); ++i)
        total += std::abs(scaled->grey.values[i] - wholeReduced.values[i]);
    EXPECT_LE(LargestDifference(scaled->grey.values, wholeReduced.values), 4.0f);
    EXPECT_LE(total / static_cast<double>(wholeReduced.values.size()), 1.0);
}

struct NotFitted {
    const char* name;
    Bytes bytes;
    Routines::Placement placement;
};

class LeftToWholePictureReaders : public testing::TestWithParam<NotFitted> {};

// A picture drawn as it is, or not a JPEG or PNG, is not read here.
TEST_P(LeftToWholePictureReaders, GivesNothing) {
    EXPECT_FALSE(ReadFittedPicture(View(GetParam().bytes), "p", {.placement = GetParam().placement}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LeftToWholePictureReaders,
    testing::Values(
        NotFitted{"small png", MakePng(96, 48, Landscape), Routines::Placement::AsDrawnOrFitted},
        NotFitted{"large png --exact", MakePng(400, 200, Landscape), Routines::Placement::TopLeft},
        NotFitted{"small jpeg", MakeJpeg(40, 90, Landscape, {.orientation = 6}),
                  Routines::Placement::AsDrawnOrFitted},
        NotFitted{"gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, Routines::Placement::Fitted}),
    [](const testing::TestParamInfo<NotFitted>& info) {
        std::string name = info.param.name;
        std::replace_if(
            name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
        return name;
    });

class FittedFile : public testing::TestWithParam<bool> {};

// Read from a file as it decodes, the picture is the one its bytes give.
TEST_P(FittedFile, EqualsTheBytesRead) {
    const Bytes bytes = GetParam() ? MakePng(500, 300, Landscape, {.orientation = 8})
                                   : MakeJpeg(500, 300, Landscape, {.progressive = true, .orientation = 8});
    const std::string path = testing::TempDir() + "fitted_file";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    const auto fromFile = ReadFittedPictureFile(path, "f", {});
    const auto fromBytes = ReadFittedPicture(View(bytes), "f", {});
    std::remove(path.c_str());
    ASSERT_TRUE(fromFile && fromBytes);
    EXPECT_EQ(fromFile->width, 300);
    EXPECT_EQ(fromFile->grey.values, fromBytes->grey.values);
}

INSTANTIATE_TEST_SUITE_P(JpegAndPng, FittedFile, testing::Bool());

// An interlaced PNG comes pass by pass, each pixel summed once as in the
// rows of the same picture stored plainly: within float rounding of it.
TEST(FittedPicture, InterlacedPassesAgreeWithRows) {
    const Bytes plain = MakePng(700, 350, Landscape);
    const Bytes interlaced = MakePng(700, 350, Landscape, {.interlaced = true});
    const auto rows = ReadFittedPicture(View(plain), "plain.png", {});
    const auto passes = ReadFittedPicture(View(interlaced), "interlaced.png", {});
    ASSERT_TRUE(rows && passes);
    ASSERT_EQ(passes->grey.values.size(), rows->grey.values.size());
    EXPECT_LE(LargestDifference(passes->grey.values, rows->grey.values), 0.001f);
}

// Cut short within its passes and let through, an interlaced PNG shows what
// the passes that came show: the whole picture coarser, not a blank.
TEST(FittedPicture, InterlacedCutShortShowsTheEarlierPasses) {
    const Bytes whole = MakePng(700, 350, Landscape, {.interlaced = true});
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
    const auto expected = ReadFittedPicture(View(whole), "whole.png", {});
    const auto partial = ReadFittedPicture(View(cut), "cut.png", {.partial = true});
    ASSERT_TRUE(expected && partial);
    EXPECT_FALSE(partial->damage.empty());
    double total = 0;
    for (std::size_t i = 0; i < expected->grey.values.size(); ++i)
        total += std::abs(expected->grey.values[i] - partial->grey.values[i]);
    EXPECT_LE(total / static_cast<double>(expected->grey.values.size()), 4.0);
}
