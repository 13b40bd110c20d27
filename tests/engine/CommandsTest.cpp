#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "Commands.h"
#include "EngineFakes.h"
#include "ScreenCanvas.h"

namespace pelorin_test {
namespace {

using Routines::LogoKind;

struct LogoNameCase {
    std::string name;
    std::string start;
    std::optional<LogoKind> window;     // by the name's last three characters
    std::optional<LogoKind> converter;  // by the start, then the ending in any case
};

void PrintTo(const LogoNameCase& c, std::ostream* out) { *out << c.name << " starting " << c.start; }

class LogoKindTest : public ::testing::TestWithParam<LogoNameCase> {};

TEST_P(LogoKindTest, EachProgramDecidesByItsRule) {
    const LogoNameCase& c = GetParam();
    const std::vector<std::uint8_t> start(c.start.begin(), c.start.end());
    EXPECT_EQ(Routines::LogoKindOfName(c.name), c.window);
    EXPECT_EQ(Routines::LogoKindOfFile(start, c.name), c.converter);
}

constexpr auto Nol = LogoKind::OperatorLogo;
constexpr auto Ngg = LogoKind::GroupGraphic;

INSTANTIATE_TEST_SUITE_P(
    Names, LogoKindTest,
    ::testing::Values(LogoNameCase{"logo.nol", "NOL", Nol, Nol}, LogoNameCase{"group.ngg", "NGG", Ngg, Ngg},
                      LogoNameCase{"group.nol", "NGG", Nol, Ngg}, LogoNameCase{"LOGO.NOL", "NOL", {}, Nol},
                      LogoNameCase{"LOGO.NOL", "xyz", {}, Nol}, LogoNameCase{"logo.Ngg", "", {}, Ngg},
                      LogoNameCase{"anything", "NOL", {}, Nol}, LogoNameCase{"lognol", "xyz", Nol, {}},
                      LogoNameCase{"dir.nol/file", "xyz", {}, {}}, LogoNameCase{"ol", "NG", {}, {}},
                      LogoNameCase{"picture.png", "\x89PNG", {}, {}}));

using Routines::ScreenCanvas;

// The screen a command drew, as Save Bit would write it.
std::vector<std::uint8_t> Saved(const ScreenCanvas& canvas) {
    const auto bytes = Routines::ScreenBytes(canvas);
    return {bytes.begin(), bytes.end()};
}

using CommandsTest = EngineTest;

TEST_F(CommandsTest, OpenBitOfAnyBytesSavesThemBackAsTheyWere) {
    std::mt19937 random(7);
    Bytes bytes(Routines::BitFileSize);
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
    ScreenCanvas fromBytes;
    ASSERT_TRUE(Routines::OpenBit(bytes, fromBytes));
    EXPECT_EQ(Saved(fromBytes), bytes);

    WriteBytes(folder / "in.bit", bytes);
    ScreenCanvas fromFile;
    ASSERT_TRUE(Routines::OpenBitFile(folder / "in.bit", fromFile));
    EXPECT_EQ(Saved(fromFile), bytes);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CommandsTest, OpenBitRefusesEveryOtherLengthWithOneBoxFromBytesAndFile) {
    for (const std::size_t length : {std::size_t{0}, std::size_t{575}, std::size_t{577}, std::size_t{1152}}) {
        const Bytes bytes(length, 0xFF);
        WriteBytes(folder / "in.bit", bytes);
        ScreenCanvas canvas;
        boxes.shown.clear();
        EXPECT_FALSE(Routines::OpenBit(bytes, canvas)) << length;
        EXPECT_FALSE(Routines::OpenBitFile(folder / "in.bit", canvas)) << length;
        EXPECT_EQ(boxes.shown, (std::vector<ShownBox>{NotBitFileBox, NotBitFileBox})) << length;
        EXPECT_EQ(Saved(canvas), Bytes(Routines::BitFileSize, 0)) << "the canvas was drawn on";
    }
}

struct LogoFileCase {
    LogoKind kind;
    std::size_t header;
};

class OpenLogoTest : public EngineTest, public ::testing::WithParamInterface<LogoFileCase> {};

TEST_P(OpenLogoTest, BytesAndFileDrawTheSameScreen) {
    const auto [kind, header] = GetParam();
    std::mt19937 random(11);
    Bytes bytes(header, 'H');
    for (std::size_t i = 0; i < Routines::LogoPixelCount; ++i) bytes.push_back(random() % 3 == 0 ? '1' : '0');
    bytes.insert(bytes.end(), {'9', '9'});  // trailing bytes are never read
    WriteBytes(folder / "logo", bytes);
    ScreenCanvas fromBytes;
    ScreenCanvas fromFile;
    ASSERT_TRUE(Routines::OpenLogo(kind, bytes, "logo", fromBytes));
    ASSERT_TRUE(Routines::OpenLogoFile(kind, folder / "logo", fromFile));
    EXPECT_EQ(Saved(fromBytes), Saved(fromFile));
    EXPECT_NE(Saved(fromBytes), Bytes(Routines::BitFileSize, 0));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_P(OpenLogoTest, TooFewBytesNameTheInputAndChangeNothing) {
    const auto [kind, header] = GetParam();
    const Bytes bytes(header + Routines::LogoPixelCount - 1, '1');
    Routines::NokiaHex.fill("--");
    ScreenCanvas canvas;
    ExpectFailure([&] { Routines::OpenLogo(kind, bytes, "standard input", canvas); },
                  Routines::FailureCode::FileTooShort, {"\"standard input\"", std::to_string(bytes.size())});
    EXPECT_EQ(Routines::NokiaHex[0], "--");
}

INSTANTIATE_TEST_SUITE_P(Kinds, OpenLogoTest,
                         ::testing::Values(LogoFileCase{LogoKind::OperatorLogo, Routines::NolHeaderSize},
                                           LogoFileCase{LogoKind::GroupGraphic, Routines::NggHeaderSize}));

}  // namespace
}  // namespace pelorin_test
