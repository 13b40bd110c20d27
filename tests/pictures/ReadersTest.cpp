#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <zlib.h>

#include "Failure.h"
#include "JpegReader.h"
#include "MadePictures.h"
#include "Orientation.h"
#include "PngReader.h"
#include "StreamedPicture.h"

using namespace Pictures;

namespace {

// Keeps every row given, or only the first `wanted` of them.
class Collector : public RowStream {
public:
    explicit Collector(int wanted = -1) : wanted_(wanted) {}
    void Begin(int width, int height) override {
        width_ = width;
        height_ = height;
    }
    bool Row(const std::uint8_t* rgba) override {
        rows_.emplace_back(rgba, rgba + 4 * width_);
        return wanted_ < 0 || static_cast<int>(rows_.size()) < wanted_;
    }
    // The grey of the pixel, as the engine weighs the primaries.
    double Grey(int x, int y) const {
        const std::uint8_t* p = rows_[y].data() + 4 * x;
        return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
    }
    // The mean grey of each block of the picture cut into columns x rows.
    std::vector<double> Blocks(int columns, int rows) const {
        const int bw = width_ / columns;
        const int bh = height_ / rows;
        std::vector<double> means;
        for (int by = 0; by < rows; ++by) {
            for (int bx = 0; bx < columns; ++bx) {
                double sum = 0;
                for (int y = by * bh; y < (by + 1) * bh; ++y) {
                    for (int x = bx * bw; x < (bx + 1) * bw; ++x) sum += Grey(x, y);
                }
                means.push_back(sum / (bw * bh));
            }
        }
        return means;
    }
    int width_ = 0;
    int height_ = 0;
    std::vector<std::vector<std::uint8_t>> rows_;

private:
    int wanted_;
};

std::span<const std::uint8_t> View(const Bytes& bytes) { return {bytes.data(), bytes.size()}; }

Bytes Cut(Bytes bytes, double kept) {
    bytes.resize(static_cast<std::size_t>(static_cast<double>(bytes.size()) * kept));
    return bytes;
}

// Runs the read and returns the failure's description, or "" when it succeeds.
template <typename Read>
std::string Refusal(Read read) {
    try {
        read();
    } catch (const Routines::Failure& failure) {
        EXPECT_EQ(failure.Code(), Routines::FailureCode::InvalidPicture);
        return failure.Description();
    }
    return {};
}

}  // namespace

// Decoding a JPEG at a reduced scale and averaging gives what decoding it
// whole and averaging gives, within 4 grey levels of 255 per block (the
// scaled inverse transforms round differently), 1 on the mean.
class ScaledJpeg : public testing::TestWithParam<bool> {};

TEST_P(ScaledJpeg, AgreesWithTheWholePictureAveraged) {
    const Bytes jpeg = MakeJpeg(1600, 1200, Landscape, {.progressive = GetParam()});
    Collector whole;
    ReadJpeg(View(jpeg), "photo.jpg", {}, whole);
    Collector scaled;
    const StreamResult result =
        ReadJpeg(View(jpeg), "photo.jpg", {.leastWidth = 96, .leastHeight = 72}, scaled);
    ASSERT_EQ(whole.width_, 1600);
    EXPECT_EQ(result.width, 200);  // an eighth: the smallest scale there is
    EXPECT_EQ(result.height, 150);
    EXPECT_EQ(scaled.rows_.size(), 150u);
    const std::vector<double> expected = whole.Blocks(100, 75);
    const std::vector<double> got = scaled.Blocks(100, 75);
    double worst = 0;
    double total = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        worst = std::max(worst, std::abs(expected[i] - got[i]));
        total += std::abs(expected[i] - got[i]);
    }
    EXPECT_LE(worst, 4.0);
    EXPECT_LE(total / static_cast<double>(expected.size()), 1.0);
}

INSTANTIATE_TEST_SUITE_P(BaselineAndProgressive, ScaledJpeg, testing::Bool());

struct ScaleCase {
    int least;
    int expectedWidth;
};

class JpegScale : public testing::TestWithParam<ScaleCase> {};

// The smallest eighth whose width reaches the least width asked for.
TEST_P(JpegScale, IsTheSmallestThatGivesTheSize) {
    const Bytes jpeg = MakeJpeg(800, 400, Landscape);
    Collector rows(1);
    const StreamResult result =
        ReadJpeg(View(jpeg), "p.jpg", {.leastWidth = GetParam().least, .leastHeight = 1}, rows);
    EXPECT_EQ(result.width, GetParam().expectedWidth);
}

INSTANTIATE_TEST_SUITE_P(Eighths, JpegScale,
                         testing::Values(ScaleCase{96, 100}, ScaleCase{101, 200}, ScaleCase{300, 300},
                                         ScaleCase{701, 800}, ScaleCase{0, 800}));

TEST(JpegReader, StopsOnceTheStreamHasItsRows) {
    const Bytes jpeg = MakeJpeg(640, 480, Landscape);
    Collector corner(48);
    ReadJpeg(View(jpeg), "p.jpg", {}, corner);
    EXPECT_EQ(corner.rows_.size(), 48u);
    EXPECT_EQ(corner.width_, 640);
}

// Interlacing changes the order of the pixels in the file, never the picture.
TEST(PngReader, InterlacedGivesTheSameRows) {
    const Bytes plain = MakePng(301, 207, Landscape);
    const Bytes interlaced = MakePng(301, 207, Landscape, {.interlaced = true});
    Collector a;
    Collector b;
    ReadPng(View(plain), "a.png", {}, a);
    ReadPng(View(interlaced), "b.png", {}, b);
    ASSERT_EQ(a.rows_.size(), 207u);
    EXPECT_EQ(a.rows_, b.rows_);
    std::uint8_t rgb[3];
    Landscape(150, 100, rgb);
    EXPECT_EQ(a.rows_[100][4 * 150], rgb[0]);
    EXPECT_EQ(a.rows_[100][4 * 150 + 3], 255);
}

struct Damaged {
    const char* name;
    Bytes bytes;
};

class DamagedPicture : public testing::TestWithParam<Damaged> {};

std::string Read(const Damaged& picture, bool partial, StreamResult* result = nullptr) {
    return Refusal([&] {
        Collector rows;
        const StreamOptions options{.partial = partial};
        const std::string name = picture.name;
        const StreamResult got = name.ends_with(".png") ? ReadPng(View(picture.bytes), name, options, rows)
                                                        : ReadJpeg(View(picture.bytes), name, options, rows);
        if (result != nullptr) *result = got;
    });
}

// A picture cut short or corrupt is refused, naming the file; with partial
// pictures allowed what was decoded comes through, marked as damaged.
TEST_P(DamagedPicture, IsRefusedUnlessPartialPicturesAreAllowed) {
    const std::string refusal = Read(GetParam(), false);
    EXPECT_NE(refusal.find(std::string("\"") + GetParam().name + "\""), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("damaged or cut short"), std::string::npos) << refusal;
    StreamResult result;
    EXPECT_EQ(Read(GetParam(), true, &result), "");
    EXPECT_FALSE(result.damage.empty());
}

Bytes WithBadChecksum(Bytes png) {
    png[png.size() - 20] ^= 0x55;  // inside the last image data chunk
    return png;
}

INSTANTIATE_TEST_SUITE_P(
    CutAndCorrupt, DamagedPicture,
    testing::Values(Damaged{"eighth.jpg", Cut(MakeJpeg(400, 300, Landscape), 0.125)},
                    Damaged{"half.jpg", Cut(MakeJpeg(400, 300, Landscape), 0.5)},
                    Damaged{"progressive.jpg",
                            Cut(MakeJpeg(400, 300, Landscape, {.progressive = true}), 0.5)},
                    Damaged{"half.png", Cut(MakePng(400, 300, Landscape), 0.5)},
                    Damaged{"interlaced.png", Cut(MakePng(400, 300, Landscape, {.interlaced = true}), 0.7)},
                    Damaged{"checksum.png", WithBadChecksum(MakePng(400, 300, Landscape))}),
    [](const auto& info) { return std::to_string(info.index); });

// A PNG whose header claims 100000 x 100000 is refused from the header, naming the limit.
TEST(PngReader, RefusesAStatedSizeBeyondTheLimit) {
    Bytes png = MakePng(8, 8, Landscape);
    // Width and height sit at 16 and 20; the header's checksum follows at 29.
    for (int offset : {16, 20}) {
        png[offset] = 0;
        png[offset + 1] = 0x01;
        png[offset + 2] = 0x86;
        png[offset + 3] = 0xa0;
    }
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0, png.data() + 12, 17));  // NOLINT: zlib's checksum over type and fields
    for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    Collector rows;
    const std::string refusal = Refusal([&] { ReadPng(View(png), "bomb.png", {}, rows); });
    EXPECT_NE(refusal.find("100000 x 100000"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("100000000 pixels"), std::string::npos) << refusal;
    EXPECT_TRUE(rows.rows_.empty());
}

class ExifOrientation : public testing::TestWithParam<int> {};

// The orientation travels from the JPEG's APP1 block and the PNG's eXIf chunk.
TEST_P(ExifOrientation, IsReadFromBothFormats) {
    Collector rows(1);
    EXPECT_EQ(ReadJpeg(View(MakeJpeg(16, 8, Landscape, {.orientation = GetParam()})), "o.jpg", {}, rows)
                  .orientation,
              GetParam());
    EXPECT_EQ(
        ReadPng(View(MakePng(16, 8, Landscape, {.orientation = GetParam()})), "o.png", {}, rows).orientation,
        GetParam());
}

INSTANTIATE_TEST_SUITE_P(AllEight, ExifOrientation, testing::Range(1, 9));

struct Stored {
    int orientation;
    int width;
    int height;
    std::vector<char> pixels;
};

class UprightPicture : public testing::TestWithParam<Stored> {};

// The upright picture is
//   a b c
//   d e f
// and each case is how a camera holding it each of the eight ways stores it.
TEST_P(UprightPicture, ComesOutUpright) {
    const Stored& stored = GetParam();
    EXPECT_EQ(Upright(stored.pixels, stored.width, stored.height, stored.orientation),
              (std::vector<char>{'a', 'b', 'c', 'd', 'e', 'f'}));
}

INSTANTIATE_TEST_SUITE_P(AllEight, UprightPicture,
                         testing::Values(Stored{1, 3, 2, {'a', 'b', 'c', 'd', 'e', 'f'}},
                                         Stored{2, 3, 2, {'c', 'b', 'a', 'f', 'e', 'd'}},
                                         Stored{3, 3, 2, {'f', 'e', 'd', 'c', 'b', 'a'}},
                                         Stored{4, 3, 2, {'d', 'e', 'f', 'a', 'b', 'c'}},
                                         Stored{5, 2, 3, {'a', 'd', 'b', 'e', 'c', 'f'}},
                                         Stored{6, 2, 3, {'c', 'f', 'b', 'e', 'a', 'd'}},
                                         Stored{7, 2, 3, {'f', 'c', 'e', 'b', 'd', 'a'}},
                                         Stored{8, 2, 3, {'d', 'a', 'e', 'b', 'f', 'c'}}));

struct FitCase {
    int orientation;
    bool orient;
    int expectedWidth;
    int expectedOrientation;
};

class FittedScale : public testing::TestWithParam<FitCase> {};

// A portrait photo stored on its side (800 x 400, orientation 6 or 8) is 400
// wide upright: fitting it 200 x 400 needs the stored 400 x 200, a half;
// without orienting, 200 x 400 of the stored picture needs all of it.
TEST_P(FittedScale, FollowsTheOrientation) {
    const Bytes jpeg = MakeJpeg(800, 400, Landscape, {.orientation = GetParam().orientation});
    Collector rows(1);
    const StreamResult result = StreamPicture(
        View(jpeg), "side.jpg", {.leastWidth = 200, .leastHeight = 400, .orient = GetParam().orient}, rows);
    EXPECT_EQ(result.width, GetParam().expectedWidth);
    EXPECT_EQ(result.orientation, GetParam().expectedOrientation);
}

INSTANTIATE_TEST_SUITE_P(Orientations, FittedScale,
                         testing::Values(FitCase{1, true, 800, 1}, FitCase{6, true, 400, 6},
                                         FitCase{8, true, 400, 8}, FitCase{6, false, 800, 1},
                                         FitCase{3, true, 800, 3}));

TEST(StreamPicture, RefusesWhatIsNeitherJpegNorPng) {
    const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0};
    Collector rows;
    const std::string refusal = Refusal([&] { StreamPicture(View(gif), "a.gif", {}, rows); });
    EXPECT_NE(refusal.find("\"a.gif\""), std::string::npos) << refusal;
}

// The frame header's height and width, patched: the reader decides from them
// alone, before any coefficient is decoded.
Bytes WithStatedSize(Bytes jpeg, int width, int height) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && (jpeg[i + 1] == 0xc0 || jpeg[i + 1] == 0xc2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            return jpeg;
        }
    }
    return jpeg;
}

struct Oversized {
    bool progressive;
    int width;
    int height;
    const char* named;
};

class OversizedJpeg : public testing::TestWithParam<Oversized> {};

// 7000 x 7000 is under the pixel limit, but a progressive one would need 280
// MiB of coefficients (4:4:4, as the tests encode); 20000 x 6000 is beyond the
// pixel limit whatever its kind.
TEST_P(OversizedJpeg, IsRefusedFromItsHeader) {
    const Bytes jpeg = WithStatedSize(MakeJpeg(64, 64, Landscape, {.progressive = GetParam().progressive}),
                                      GetParam().width, GetParam().height);
    Collector rows;
    const std::string refusal = Refusal([&] { ReadJpeg(View(jpeg), "big.jpg", {}, rows); });
    EXPECT_NE(refusal.find(GetParam().named), std::string::npos) << refusal;
    EXPECT_TRUE(rows.rows_.empty());
}

INSTANTIATE_TEST_SUITE_P(Limits, OversizedJpeg,
                         testing::Values(Oversized{true, 7000, 7000, "limit of 96 MiB"},
                                         Oversized{false, 20000, 6000, "limit of 100000000 pixels"},
                                         Oversized{true, 20000, 6000, "limit of 100000000 pixels"}));

// A scan for every coefficient: 190 passes over the picture, refused at the
// 65th, as the whole-picture path refuses it before decoding.
TEST(JpegReader, RefusesMoreScansThanAnyEncoderWrites) {
    const Bytes jpeg = MakeJpeg(256, 128, Landscape, {.progressive = true, .scanPerCoefficient = true});
    Collector rows;
    const std::string refusal = Refusal([&] { ReadJpeg(View(jpeg), "scans.jpg", {.partial = true}, rows); });
    EXPECT_NE(refusal.find("more than 64 scans"), std::string::npos) << refusal;
    EXPECT_TRUE(rows.rows_.empty());
    const Bytes usual = MakeJpeg(256, 128, Landscape, {.progressive = true});
    EXPECT_EQ(Refusal([&] { ReadJpeg(View(usual), "usual.jpg", {}, rows); }), "");
}
