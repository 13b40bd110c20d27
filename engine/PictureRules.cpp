#include "PictureRules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Failure.h"
#include "Resample.h"

namespace Routines {

namespace {

// Below this many distinct grey levels a picture is a drawing, whose result
// may well be nearly all black or white.
constexpr int ManyTones = 16;
constexpr double LostShare = 0.97;

std::span<const std::uint8_t> RowOf(const RgbaPicture& picture, int y, int width) {
    return std::span<const std::uint8_t>(picture.rgba)
        .subspan(4 * static_cast<std::size_t>(y) * picture.width, 4 * static_cast<std::size_t>(width));
}

// The picture in grey, scaled to the rectangle's size or cut to it.
GreyPicture GreyOf(const RgbaPicture& picture, const ScreenRect& where, bool fitted, Colour background) {
    std::vector<float> row(static_cast<std::size_t>(picture.width));
    if (fitted) {
        AreaReducer reducer(picture.width, picture.height, where.width, where.height);
        for (int y = 0; y < picture.height; ++y) {
            GreyRow(RowOf(picture, y, picture.width), background, row);
            reducer.AddRow(row);
        }
        return reducer.Result();
    }
    GreyPicture grey{where.width, where.height, {}};
    grey.values.reserve(static_cast<std::size_t>(where.width) * where.height);
    for (int y = 0; y < where.height; ++y) {
        GreyRow(RowOf(picture, y, where.width), background, row);
        grey.values.insert(grey.values.end(), row.begin(), row.begin() + where.width);
    }
    return grey;
}

int ToneCount(const GreyPicture& grey) {
    std::array<bool, 256> seen{};
    for (const float value : grey.values)
        seen[static_cast<std::size_t>(std::clamp(std::lround(value), 0L, 255L))] = true;
    return static_cast<int>(std::count(seen.begin(), seen.end(), true));
}

// Where the picture lands on a screen of the given size and which of that
// rectangle's pixels are set, row by row.
struct PlacedPixels {
    ScreenRect where;
    std::vector<bool> set;
    PictureOutcome outcome;
};

double SetShare(const std::vector<bool>& set) {
    if (set.empty()) return 0;
    return static_cast<double>(std::count(set.begin(), set.end(), true)) / static_cast<double>(set.size());
}

// The grey picture, already placed at `where`, toned and halftoned by the rules.
PlacedPixels Halftoned(GreyPicture grey, const ScreenRect& where, bool fitted, const PictureRules& rules) {
    PlacedPixels placed{where, {}, {ToneCount(grey), 0}};
    ToneOptions none;
    none.autoLevels = false;
    const ToneOptions tone = rules.tone.value_or(fitted ? ToneOptions{} : none);
    const Dithering method = rules.dithering.value_or(rules.threshold ? Dithering::None : Dithering::Best);
    placed.set =
        PictureToPixels(std::move(grey), tone, method, static_cast<float>(rules.threshold.value_or(MidGrey)));
    placed.outcome.setShare = SetShare(placed.set);
    return placed;
}

PlacedPixels Place(const RgbaPicture& picture, const PictureRules& rules, int screenWidth, int screenHeight) {
    const bool fitted = IsFitted(picture.width, picture.height, rules.placement, screenWidth, screenHeight);
    const ScreenRect where = fitted ? FitRectangle(picture.width, picture.height, screenWidth, screenHeight)
                                    : ScreenRect{0, 0, std::min(picture.width, screenWidth),
                                                 std::min(picture.height, screenHeight)};
    const bool colourRule = UsesColourRule(picture.width, picture.height, rules, screenWidth, screenHeight);
    GreyPicture grey = GreyOf(picture, where, fitted, colourRule ? White : rules.background);
    if (!colourRule) return Halftoned(std::move(grey), where, fitted, rules);
    PlacedPixels placed{where, {}, {ToneCount(grey), 0}};
    std::vector<bool>& set = placed.set;
    set.reserve(static_cast<std::size_t>(where.width) * where.height);
    for (int y = 0; y < where.height; ++y) {
        for (int x = 0; x < where.width; ++x) {
            const std::uint8_t* pixel = &picture.rgba[4 * (static_cast<std::size_t>(y) * picture.width + x)];
            set.push_back(IsSet(OnWhite(pixel[0], pixel[1], pixel[2], pixel[3])));
        }
    }
    placed.outcome.setShare = SetShare(set);
    return placed;
}

// The placed pixels on a clear screen of width x height.
MonoPicture OnScreen(const PlacedPixels& placed, int width, int height, PictureOutcome* outcome) {
    std::optional<MonoPicture> mono = MonoPicture::Clear(width, height);
    const ScreenRect& where = placed.where;
    for (int y = 0; y < where.height; ++y)
        for (int x = 0; x < where.width; ++x)
            mono->Set(where.left + x, where.top + y,
                      placed.set[static_cast<std::size_t>(y) * where.width + x]);
    if (outcome) *outcome = placed.outcome;
    return *std::move(mono);
}

void CheckScreenSize(int width, int height) {
    if (!MonoPicture::Clear(width, height)) {
        throw Failure(FailureCode::InvalidArgument,
                      "screen of " + std::to_string(width) + " x " + std::to_string(height));
    }
}

}  // namespace

bool IsFitted(int width, int height, Placement placement, int screenWidth, int screenHeight) {
    switch (placement) {
        case Placement::Fitted:
            return true;
        case Placement::TopLeft:
            return false;
        case Placement::AsDrawnOrFitted:
            break;
    }
    return width > screenWidth || height > screenHeight;
}

bool UsesColourRule(int width, int height, const PictureRules& rules, int screenWidth, int screenHeight) {
    return !IsFitted(width, height, rules.placement, screenWidth, screenHeight) && !rules.threshold &&
           !rules.dithering && !rules.tone;
}

PictureOutcome DrawPicture(ImageView& view, const RgbaPicture& picture, const PictureRules& rules) {
    const PlacedPixels placed = Place(picture, rules, ScreenWidth, ScreenHeight);
    if (UsesColourRule(picture.width, picture.height, rules)) {
        // The window shows the picture's own colours; sampling applies the rule.
        DrawPicture(view, picture, 0, 0, ScreenRules{});
        return placed.outcome;
    }
    const ScreenRect& where = placed.where;
    ScreenMask mask{};
    for (int y = 0; y < where.height; ++y)
        for (int x = 0; x < where.width; ++x)
            mask[PixelIndex(where.left + x, where.top + y)] =
                placed.set[static_cast<std::size_t>(y) * where.width + x];
    view.Clear();
    view.SetBlackPixels(mask);
    return placed.outcome;
}

MonoPicture PictureToMono(const RgbaPicture& picture, const PictureRules& rules, int width, int height,
                          PictureOutcome* outcome) {
    CheckScreenSize(width, height);
    return OnScreen(Place(picture, rules, width, height), width, height, outcome);
}

MonoPicture FittedGreyToMono(GreyPicture reduced, int pictureWidth, int pictureHeight,
                             const PictureRules& rules, int width, int height, PictureOutcome* outcome) {
    CheckScreenSize(width, height);
    const ScreenRect where = FitRectangle(pictureWidth, pictureHeight, width, height);
    if (reduced.width != where.width || reduced.height != where.height ||
        reduced.values.size() != static_cast<std::size_t>(where.width) * where.height) {
        throw Failure(FailureCode::InternalError, "a reduced picture of " + std::to_string(reduced.width) +
                                                      " x " + std::to_string(reduced.height) +
                                                      " does not fill its fit rectangle");
    }
    return OnScreen(Halftoned(std::move(reduced), where, true, rules), width, height, outcome);
}

bool LooksLost(const PictureOutcome& outcome) {
    return outcome.tones >= ManyTones && (outcome.setShare > LostShare || outcome.setShare < 1 - LostShare);
}

}  // namespace Routines
