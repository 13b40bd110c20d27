#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

#include "PictureRules.h"
#include "ScreenCanvas.h"

namespace {

using Routines::PictureRules;
using Routines::Placement;

Routines::RgbaPicture Uniform(int width, int height, std::uint8_t grey, std::uint8_t alpha = 255) {
    Routines::RgbaPicture picture{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        picture.rgba.insert(picture.rgba.end(), {grey, grey, grey, alpha});
    return picture;
}

int SetCount(const Routines::ScreenCanvas& canvas) {
    Routines::ScreenPixels pixels;
    canvas.ReadScreen(pixels);
    int count = 0;
    for (const Routines::Colour colour : pixels) count += Routines::IsSet(colour) ? 1 : 0;
    return count;
}

struct DecisionCase {
    const char* name;
    int width;
    int height;
    PictureRules rules;
    bool fitted;
    bool colourRule;
};

PictureRules WithThreshold() {
    PictureRules rules;
    rules.threshold = 100;
    return rules;
}
PictureRules WithTone() {
    PictureRules rules;
    rules.tone = Routines::ToneOptions{};
    return rules;
}
PictureRules Placed(Placement placement) {
    PictureRules rules;
    rules.placement = placement;
    return rules;
}

class PictureDecisionTest : public testing::TestWithParam<DecisionCase> {};

TEST_P(PictureDecisionTest, PlacementAndRule) {
    const DecisionCase& c = GetParam();
    EXPECT_EQ(Routines::IsFitted(c.width, c.height, c.rules.placement), c.fitted);
    EXPECT_EQ(Routines::UsesColourRule(c.width, c.height, c.rules), c.colourRule);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PictureDecisionTest,
    testing::Values(DecisionCase{"ScreenSizedAsDrawn", 96, 48, {}, false, true},
                    DecisionCase{"WiderIsFitted", 97, 48, {}, true, false},
                    DecisionCase{"TallerIsFitted", 10, 49, {}, true, false},
                    DecisionCase{"ExactKeepsTheColourRule", 4000, 3000, Placed(Placement::TopLeft), false,
                                 true},
                    DecisionCase{"FitEvenASmallOne", 10, 5, Placed(Placement::Fitted), true, false},
                    DecisionCase{"ThresholdOnASmallOne", 10, 5, WithThreshold(), false, false},
                    DecisionCase{"ToneOnASmallOne", 10, 5, WithTone(), false, false}),
    [](const testing::TestParamInfo<DecisionCase>& info) { return std::string(info.param.name); });

// A picture within the screen under the default rules is drawn exactly as the
// window draws it: the colour rule, top-left.
TEST(PictureRulesTest, SmallPictureDrawnAsTheWindowDrawsIt) {
    Routines::RgbaPicture picture{3, 1, {254, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0}};
    Routines::ScreenCanvas byRules;
    Routines::ScreenCanvas asWindow;
    const Routines::PictureOutcome outcome = Routines::DrawPicture(byRules, picture, PictureRules{});
    Routines::DrawPicture(asWindow, picture, 0, 0, Routines::ScreenRules{});
    Routines::ScreenPixels a;
    Routines::ScreenPixels b;
    byRules.ReadScreen(a);
    asWindow.ReadScreen(b);
    EXPECT_EQ(a, b);
    EXPECT_DOUBLE_EQ(outcome.setShare, 1.0 / 3);
}

// A large mid-grey picture is fitted (2:1 fills the whole screen) and halftoned
// to about half its pixels, where the colour rule would set them all.
TEST(PictureRulesTest, LargeGreyPictureIsHalftonedNotBlack) {
    Routines::ScreenCanvas canvas;
    const Routines::PictureOutcome outcome =
        Routines::DrawPicture(canvas, Uniform(400, 200, 128), PictureRules{});
    const int set = SetCount(canvas);
    EXPECT_GT(set, Routines::ScreenPixelCount * 3 / 10);
    EXPECT_LT(set, Routines::ScreenPixelCount * 7 / 10);
    EXPECT_EQ(outcome.tones, 1);
    EXPECT_FALSE(Routines::LooksLost(outcome));
}

TEST(PictureRulesTest, TransparencyLiesOnTheBackground) {
    PictureRules rules = WithThreshold();
    for (const auto& [background, expected] :
         {std::pair{Routines::White, 0}, std::pair{Routines::Black, 50}}) {
        rules.background = background;
        Routines::ScreenCanvas canvas;
        Routines::DrawPicture(canvas, Uniform(10, 5, 0, 0), rules);
        EXPECT_EQ(SetCount(canvas), expected);
    }
}

struct LostCase {
    int tones;
    double setShare;
    bool lost;
};

class LooksLostTest : public testing::TestWithParam<LostCase> {};

TEST_P(LooksLostTest, OnlyManyTonesNearlyAllOneWay) {
    EXPECT_EQ(Routines::LooksLost({GetParam().tones, GetParam().setShare}), GetParam().lost);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, LooksLostTest,
                         testing::Values(LostCase{200, 0.99, true}, LostCase{200, 0.01, true},
                                         LostCase{200, 0.5, false}, LostCase{200, 0.97, false},
                                         LostCase{3, 1.0, false}, LostCase{16, 0.98, true}));

}  // namespace
