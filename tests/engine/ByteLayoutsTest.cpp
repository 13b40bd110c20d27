#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

#include "ByteLayouts.h"
#include "Routines.h"
#include "ScreenLayout.h"
#include "ScreenOutputs.h"

namespace Routines {
namespace {

// A picture with no symmetry to hide a swapped axis or bit: a set pixel where
// a small hash of (x, y, seed) says so.
MonoPicture Scattered(int width, int height, unsigned seed) {
    MonoPicture picture = *MonoPicture::Clear(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.Set(x, y,
                        ((static_cast<unsigned>(x) * 7919U + static_cast<unsigned>(y) * 104729U + seed) *
                             2654435761U >>
                         13) % 3 ==
                            0);
    return picture;
}

// The bytes written out from each layout's description, byte by byte and bit
// by bit, the other way round from the engine's pixel by pixel rule.
std::vector<std::uint8_t> BytesByDescription(const MonoPicture& picture, ByteLayout layout) {
    const int w = picture.Width();
    const int h = picture.Height();
    std::vector<std::uint8_t> bytes;
    if (layout == ByteLayout::BandsLsbTop || layout == ByteLayout::BandsMsbTop) {
        for (int band = 0; band * 8 < h; ++band)
            for (int x = 0; x < w; ++x) {
                std::uint8_t byte = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int y = band * 8 + (layout == ByteLayout::BandsLsbTop ? bit : 7 - bit);
                    if (y < h && picture.At(x, y)) byte |= static_cast<std::uint8_t>(1 << bit);
                }
                bytes.push_back(byte);
            }
    } else {
        for (int y = 0; y < h; ++y)
            for (int left = 0; left < w; left += 8) {
                std::uint8_t byte = 0;
                for (int bit = 0; bit < 8; ++bit) {
                    const int x = left + (layout == ByteLayout::RowsLsbFirst ? bit : 7 - bit);
                    if (x < w && picture.At(x, y)) byte |= static_cast<std::uint8_t>(1 << bit);
                }
                bytes.push_back(byte);
            }
    }
    return bytes;
}

struct Size {
    int width;
    int height;
};

class LayoutRoundTrip : public ::testing::TestWithParam<std::tuple<ByteLayout, Size>> {};

TEST_P(LayoutRoundTrip, PacksAsDescribedAndReadsBack) {
    const auto [layout, size] = GetParam();
    const MonoPicture picture = Scattered(size.width, size.height, static_cast<unsigned>(layout));
    const std::vector<std::uint8_t> expected = BytesByDescription(picture, layout);

    const std::vector<std::uint8_t> bytes = Pack(picture, layout);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.size(), PackedSize(layout, size.width, size.height));

    const auto back = Unpack(expected, layout, size.width, size.height);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, picture);
    EXPECT_EQ(LayoutNamed(LayoutName(layout)), layout);
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, LayoutRoundTrip,
                         ::testing::Combine(::testing::ValuesIn(AllByteLayouts),
                                            ::testing::Values(Size{1, 1}, Size{8, 8}, Size{96, 48},
                                                              Size{128, 64}, Size{84, 48}, Size{13, 11},
                                                              Size{96, 68}, Size{7, 9}, Size{1024, 3})));

TEST(ByteLayouts, LyraScreenPacksAsTheBitFileDoes) {
    const MonoPicture picture = Scattered(ScreenWidth, ScreenHeight, 5);
    SaveBits.assign(ScreenBitCount, '0');
    for (std::size_t i = 0; i < ScreenBitCount; ++i) {
        const ScreenPoint point = PointOfBit(i);
        if (picture.At(point.x, point.y)) SaveBits[i] = '1';
    }
    ScreenBitsToBytes();
    EXPECT_EQ(Pack(picture, ByteLayout::BandsLsbTop),
              std::vector<std::uint8_t>(BitBytes.begin(), BitBytes.end()));
}

TEST(ByteLayouts, RefusesWrongByteCountsAndSizes) {
    const std::vector<std::uint8_t> bytes(PackedSize(ByteLayout::RowsMsbFirst, 9, 2));
    EXPECT_TRUE(Unpack(bytes, ByteLayout::RowsMsbFirst, 9, 2).has_value());
    EXPECT_FALSE(Unpack(bytes, ByteLayout::RowsMsbFirst, 8, 2).has_value());
    EXPECT_FALSE(MonoPicture::Clear(0, 5).has_value());
    EXPECT_FALSE(MonoPicture::Clear(1025, 1).has_value());
    EXPECT_FALSE(LayoutNamed("bands").has_value());
}

// Pictures drawn as rows of '#' and '.'.
MonoPicture Drawn(const std::vector<std::string>& rows) {
    MonoPicture picture =
        *MonoPicture::Clear(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            picture.Set(static_cast<int>(x), static_cast<int>(y), rows[y][x] == '#');
    return picture;
}

struct TransformCase {
    const char* name;
    int rotate;  // 0 for a flip
    bool horizontal;
    std::vector<std::string> result;
};

class Transforms : public ::testing::TestWithParam<TransformCase> {};

TEST_P(Transforms, TurnOrMirrorTheDrawing) {
    const MonoPicture original = Drawn({"##.", "#.."});
    const TransformCase& c = GetParam();
    const MonoPicture result = c.rotate ? *Rotated(original, c.rotate) : Flipped(original, c.horizontal);
    EXPECT_EQ(result, Drawn(c.result));
}

INSTANTIATE_TEST_SUITE_P(Drawings, Transforms,
                         ::testing::Values(TransformCase{"rotate90", 90, false, {"##", ".#", ".."}},
                                           TransformCase{"rotate180", 180, false, {"..#", ".##"}},
                                           TransformCase{"rotate270", 270, false, {"..", "#.", "##"}},
                                           TransformCase{"flipH", 0, true, {".##", "..#"}},
                                           TransformCase{"flipV", 0, false, {"#..", "##."}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Transforms, InvertAndOddAngles) {
    EXPECT_EQ(Inverted(Drawn({"#.", ".."})), Drawn({".#", "##"}));
    EXPECT_FALSE(Rotated(Drawn({"#"}), 45).has_value());
}

struct IdentifierCase {
    const char* from;
    const char* identifier;
};

class Identifiers : public ::testing::TestWithParam<IdentifierCase> {};

TEST_P(Identifiers, MadeValid) { EXPECT_EQ(CIdentifier(GetParam().from), GetParam().identifier); }

INSTANTIATE_TEST_SUITE_P(Names, Identifiers,
                         ::testing::Values(IdentifierCase{"logo", "logo"},
                                           IdentifierCase{"my-logo.v2", "my_logo_v2"},
                                           IdentifierCase{"128x64", "picture_128x64"},
                                           IdentifierCase{"", "picture_"},
                                           IdentifierCase{"_x", "picture__x"}));

TEST(Outputs, PreviewFramesTheScreen) {
    const MonoPicture picture = Drawn({"#.", ".#", "#."});
    EXPECT_EQ(Preview(picture, PreviewStyle::Ascii), "+--+\n|# |\n| #|\n|# |\n+--+\n");
    EXPECT_EQ(Preview(picture, PreviewStyle::Blocks), "┌──┐\n│▀▄│\n│▀ │\n└──┘\n");
}

TEST(Outputs, PbmAndHexCarryTheRowBytes) {
    const MonoPicture picture = Drawn({"#........", "........#"});
    EXPECT_EQ(Pbm(picture), std::string("P4\n9 2\n\x80\x00\x00\x80", 11));
    EXPECT_EQ(HexBytes(picture, ByteLayout::RowsLsbFirst), "01 00 00 01\n");
}

}  // namespace
}  // namespace Routines
