#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Fakes.h"
#include "Routines.h"

namespace pelorin_test {
namespace {

using Routines::LogoPixelCount;
using Routines::TruthTrue;

struct Format {
    std::string extension;
    std::size_t headerSize;
    Routines::Truth (*load)(const std::string&);
};

const Format Nol{".nol", 20, Routines::LoadNolFile};
const Format Ngg{".ngg", 16, Routines::LoadNggFile};

void PrintTo(const Format& format, std::ostream* out) { *out << format.extension; }

// A logo file: a header whose content no reader looks at, then the pixel bytes.
Bytes LogoFile(const Format& format, const std::string& pixels, std::size_t trailing = 0) {
    Bytes bytes(format.headerSize, 0xA7);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    bytes.insert(bytes.end(), trailing, '1');
    return bytes;
}

std::string LogoWithSet(std::initializer_list<std::size_t> set) {
    std::string pixels(LogoPixelCount, '0');
    for (const auto j : set) pixels[j] = '1';
    return pixels;
}

class NokiaLogoTest : public EngineTest, public ::testing::WithParamInterface<Format> {
protected:
    // Loads and draws a logo file; the view shows the result.
    void LoadAndDraw(const Bytes& file, const std::string& name = "logo") {
        const auto path = folder / (name + GetParam().extension);
        WriteBytes(path, file);
        ASSERT_EQ(GetParam().load(path), TruthTrue);
        Routines::NokiaHexToBits();
        Routines::DrawNokiaLogo(view);
    }
    FakeView view;
};

TEST_P(NokiaLogoTest, CornerPixelBytesLandAtTheLogoCorners) {
    const std::vector<std::pair<std::size_t, Pixel>> corners{
        {0, {12, 17}}, {71, {83, 17}}, {72, {12, 18}}, {1007, {83, 30}}};
    for (const auto& [j, pixel] : corners) {
        LoadAndDraw(LogoFile(GetParam(), LogoWithSet({j})));
        EXPECT_EQ(view.DarkPixels(), std::vector<Pixel>{pixel}) << "pixel byte " << j;
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_P(NokiaLogoTest, AllSetGivesABlackBlockWithWhiteAround) {
    LoadAndDraw(LogoFile(GetParam(), std::string(LogoPixelCount, '1')));
    std::vector<Pixel> block;
    for (int y = 17; y <= 30; ++y)
        for (int x = 12; x <= 83; ++x) block.emplace_back(x, y);
    EXPECT_EQ(view.DarkPixels(), block);
}

TEST_P(NokiaLogoTest, AnInvalidByteIsDroppedAndTheRestMovesUp) {
    std::string pixels = LogoWithSet({144, 1007});
    pixels[100] = 0x32;
    LoadAndDraw(LogoFile(GetParam(), pixels));
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>{InvalidDataBox});
    EXPECT_EQ(Routines::ImageBits.size(), LogoPixelCount - 1);
    // Byte 144 starts row 2; one place earlier is the end of row 1.
    EXPECT_EQ(view.DarkPixels(), (std::vector<Pixel>{{83, 18}, {82, 30}}));
}

TEST_P(NokiaLogoTest, BytesAfterTheLogoAreIgnored) {
    std::mt19937 random(1008);
    std::string pixels(LogoPixelCount, '0');
    for (auto& c : pixels) c = random() % 2 == 0 ? '0' : '1';
    LoadAndDraw(LogoFile(GetParam(), pixels), "exact");
    const FakeView exact = view;
    const auto exactHex = Routines::NokiaHex;
    LoadAndDraw(LogoFile(GetParam(), pixels, 700), "longer");
    EXPECT_TRUE(view == exact);
    EXPECT_EQ(Routines::NokiaHex, exactHex);
}

TEST_P(NokiaLogoTest, ShortFilesAreRefusedAndChangeNothing) {
    const std::size_t full = GetParam().headerSize + LogoPixelCount;
    for (const std::size_t length : {std::size_t{0}, GetParam().headerSize, full - 1}) {
        Routines::NolBuffer.fill(0x11);
        Routines::NggBuffer.fill(0x11);
        Routines::NokiaHex.fill("11");
        Routines::ImageBits = "unchanged";
        const auto path = folder / ("length-" + std::to_string(length) + GetParam().extension);
        WriteBytes(path, Bytes(length, '1'));
        try {
            GetParam().load(path);
            ADD_FAILURE() << "a file of " << length << " bytes was accepted";
        } catch (const Routines::Failure& failure) {
            EXPECT_EQ(failure.Code(), Routines::FailureCode::FileTooShort);
            EXPECT_NE(failure.Description().find(path.string()), std::string::npos) << failure.Description();
            EXPECT_NE(failure.Description().find("too short to be a Nokia logo"), std::string::npos);
        }
        const auto isMarker = [](auto value) { return value == 0x11; };
        EXPECT_TRUE(std::all_of(Routines::NolBuffer.begin(), Routines::NolBuffer.end(), isMarker));
        EXPECT_TRUE(std::all_of(Routines::NggBuffer.begin(), Routines::NggBuffer.end(), isMarker));
        EXPECT_TRUE(std::all_of(Routines::NokiaHex.begin(), Routines::NokiaHex.end(),
                                [](const std::string& pair) { return pair == "11"; }));
        EXPECT_EQ(Routines::ImageBits, "unchanged");
    }
}

TEST_P(NokiaLogoTest, AMissingFileRaisesFileNotFound) {
    const auto path = folder / ("missing" + GetParam().extension);
    try {
        GetParam().load(path);
        FAIL() << "a missing file was accepted";
    } catch (const Routines::Failure& failure) {
        EXPECT_EQ(failure.Code(), Routines::FailureCode::FileNotFound);
        EXPECT_NE(failure.Description().find(path.string()), std::string::npos) << failure.Description();
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, NokiaLogoTest, ::testing::Values(Nol, Ngg),
                         [](const auto& info) { return info.param.extension.substr(1); });

}  // namespace
}  // namespace pelorin_test

namespace pelorin_test {
namespace {

using NokiaFormatsTest = EngineTest;

TEST_F(NokiaFormatsTest, TheSameLogoAsNolAndNggDrawsTheSamePicture) {
    std::mt19937 random(72);
    std::string pixels(LogoPixelCount, '0');
    for (auto& c : pixels) c = random() % 2 == 0 ? '0' : '1';
    FakeView nolView;
    FakeView nggView;
    for (auto [format, view] : {std::pair{&Nol, &nolView}, std::pair{&Ngg, &nggView}}) {
        const auto path = folder / ("random-logo" + format->extension);
        WriteBytes(path, LogoFile(*format, pixels));
        ASSERT_EQ(format->load(path), TruthTrue);
        Routines::NokiaHexToBits();
        Routines::DrawNokiaLogo(*view);
    }
    EXPECT_TRUE(nolView == nggView);
    EXPECT_FALSE(nolView.DarkPixels().empty());
}

TEST_F(NokiaFormatsTest, ALogoSavedAsBitFileStaysInsideItsArea) {
    const auto logo = folder / "all-set.nol";
    WriteBytes(logo, LogoFile(Nol, std::string(LogoPixelCount, '1')));
    ASSERT_EQ(Routines::LoadNolFile(logo), TruthTrue);
    Routines::NokiaHexToBits();
    FakeView view;
    Routines::DrawNokiaLogo(view);
    const auto screen = folder / "Screen.bit";
    ASSERT_EQ(Routines::SaveBitFile(screen, view), TruthTrue);

    const Bytes bytes = ReadBytes(screen);
    ASSERT_EQ(bytes.size(), Routines::BitFileSize);
    for (int band = 0; band < 6; ++band) {
        for (int x = 0; x < 96; ++x) {
            const auto byte = bytes[static_cast<std::size_t>(96 * band + x)];
            std::uint8_t expected = 0;
            if (x >= 12 && x <= 83 && band == 2) expected = 0xFE;  // rows 17 to 23
            if (x >= 12 && x <= 83 && band == 3) expected = 0x7F;  // rows 24 to 30
            ASSERT_EQ(byte, expected) << "band " << band << ", column " << x;
        }
    }
}

}  // namespace
}  // namespace pelorin_test
