#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "EngineFakes.h"
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

// Writes a logo file (a header whose content no reader looks at, the pixel
// bytes, any trailing bytes), then loads it and draws it into the view.
void LoadAndDraw(const Format& format, const fs::path& path, const std::string& pixels, FakeView& view,
                 std::size_t trailing = 0) {
    Bytes bytes(format.headerSize, 0xA7);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    bytes.insert(bytes.end(), trailing, '1');
    WriteBytes(path, bytes);
    ASSERT_EQ(format.load(path), TruthTrue);
    Routines::NokiaHexToBits();
    Routines::DrawNokiaLogo(view);
}

class NokiaLogoTest : public EngineTest, public ::testing::WithParamInterface<Format> {
protected:
    void LoadAndDraw(const std::string& pixels) {
        pelorin_test::LoadAndDraw(GetParam(), folder / ("logo" + GetParam().extension), pixels, view);
    }
    FakeView view;
};

TEST_P(NokiaLogoTest, CornerPixelBytesLandAtTheLogoCorners) {
    for (const auto& [j, pixel] : std::vector<std::pair<std::size_t, Pixel>>{
             {0, {12, 17}}, {71, {83, 17}}, {72, {12, 18}}, {1007, {83, 30}}}) {
        std::string pixels(LogoPixelCount, '0');
        pixels[j] = '1';
        LoadAndDraw(pixels);
        EXPECT_EQ(view.DarkPixels(), std::vector<Pixel>{pixel}) << "pixel byte " << j;
    }
    EXPECT_TRUE(boxes.shown.empty());
}

// Saved as a .bit file, the block fills bands 2 (rows 17 to 23) and 3 (rows 24 to 30) of columns 12 to 83.
TEST_P(NokiaLogoTest, AllSetGivesABlackBlockWithWhiteAroundAlsoInABitFile) {
    LoadAndDraw(std::string(LogoPixelCount, '1'));
    std::vector<Pixel> block;
    for (int y = 17; y <= 30; ++y)
        for (int x = 12; x <= 83; ++x) block.emplace_back(x, y);
    EXPECT_EQ(view.DarkPixels(), block);

    ASSERT_EQ(Routines::SaveBitFile(folder / "all-set-logo.bit", view), TruthTrue);
    Bytes expected(Routines::BitFileSize, 0);
    for (std::size_t x = 12; x <= 83; ++x) {
        expected[2 * 96 + x] = 0xFE;
        expected[3 * 96 + x] = 0x7F;
    }
    EXPECT_EQ(ReadBytes(folder / "all-set-logo.bit"), expected);
}

TEST_P(NokiaLogoTest, AnInvalidByteIsDroppedAndTheRestMovesUp) {
    std::string pixels(LogoPixelCount, '0');
    pixels[144] = pixels[1007] = '1';
    pixels[100] = 0x32;
    LoadAndDraw(pixels);
    EXPECT_EQ(boxes.shown, std::vector<ShownBox>{InvalidDataBox});
    EXPECT_EQ(Routines::ImageBits.size(), LogoPixelCount - 1);
    // Byte 144 starts row 2; one place earlier is the end of row 1.
    EXPECT_EQ(view.DarkPixels(), (std::vector<Pixel>{{83, 18}, {82, 30}}));
}

TEST_P(NokiaLogoTest, MissingAndShortFilesAreRefusedAndChangeNothing) {
    const auto& [extension, headerSize, load] = GetParam();
    Routines::NolBuffer.fill(0x11);
    Routines::NggBuffer.fill(0x11);
    Routines::NokiaHex.fill("11");
    Routines::ImageBits = "unchanged";
    const auto nol = Routines::NolBuffer;
    const auto ngg = Routines::NggBuffer;
    const auto hex = Routines::NokiaHex;

    const std::string missing = folder / ("missing" + extension);
    ExpectFailure([&] { load(missing); }, Routines::FailureCode::FileNotFound, {missing});
    for (const std::size_t length : {std::size_t{0}, headerSize, headerSize + LogoPixelCount - 1}) {
        const std::string path = folder / ("short-" + std::to_string(length) + extension);
        WriteBytes(path, Bytes(length, '1'));
        ExpectFailure([&] { load(path); }, Routines::FailureCode::FileTooShort,
                      {path, "too short to be a Nokia logo"});
    }
    EXPECT_EQ(Routines::NolBuffer, nol);
    EXPECT_EQ(Routines::NggBuffer, ngg);
    EXPECT_EQ(Routines::NokiaHex, hex);
    EXPECT_EQ(Routines::ImageBits, "unchanged");
}

// A folder, a pipe or a device is refused as such, without waiting for a
// writer to the pipe and without reading anything.
TEST_P(NokiaLogoTest, AnythingButARegularFileIsRefused) {
    const auto& [extension, headerSize, load] = GetParam();
    const std::string folderPath = folder / ("folder" + extension);
    const std::string pipePath = folder / ("pipe" + extension);
    const std::string devicePath = folder / ("device" + extension);
    fs::create_directory(folderPath);
    ASSERT_EQ(::mkfifo(pipePath.c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", devicePath);
    for (const auto& [path, words] :
         {std::pair{folderPath, "is a folder, not a file"}, std::pair{pipePath, "is not a regular file"},
          std::pair{devicePath, "is not a regular file"}}) {
        ExpectFailure([&] { load(path); }, Routines::FailureCode::PathAccessError, {path, words});
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, NokiaLogoTest, ::testing::Values(Nol, Ngg),
                         [](const auto& info) { return info.param.extension.substr(1); });

using NokiaFormatsTest = EngineTest;

// Both formats, exact or with bytes after the logo: one logo, one picture.
TEST_F(NokiaFormatsTest, TheSameLogoDrawsTheSameFromEitherFormatAndAnyLength) {
    std::mt19937 random(1008);
    std::string pixels(LogoPixelCount, '0');
    for (auto& c : pixels) c = random() % 2 == 0 ? '0' : '1';
    FakeView first;
    LoadAndDraw(Nol, folder / "random-logo.nol", pixels, first);
    const auto firstHex = Routines::NokiaHex;
    ASSERT_FALSE(first.DarkPixels().empty());
    for (const auto& [format, trailing] : {std::pair{Nol, 700}, std::pair{Ngg, 0}, std::pair{Ngg, 700}}) {
        const auto path =
            folder / ("random-logo-and-" + std::to_string(trailing) + "-bytes" + format.extension);
        FakeView view;
        LoadAndDraw(format, path, pixels, view, trailing);
        EXPECT_EQ(view.DarkPixels(), first.DarkPixels()) << path;
        EXPECT_EQ(Routines::NokiaHex, firstHex) << path;
    }
}

}  // namespace
}  // namespace pelorin_test
