#include "PictureRules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

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

}  // namespace

bool IsFitted(int width, int height, Placement placement) {
    switch (placement) {
        case Placement::Fitted:
            return true;
        case Placement::TopLeft:
            return false;
        case Placement::AsDrawnOrFitted:
            break;
    }
    return width > ScreenWidth || height > ScreenHeight;
}

bool UsesColourRule(int width, int height, const PictureRules& rules) {
    return !IsFitted(width, height, rules.placement) && !rules.threshold && !rules.dithering && !rules.tone;
}

PictureOutcome DrawPicture(ImageView& view, const RgbaPicture& picture, const PictureRules& rules) {
    const bool fitted = IsFitted(picture.width, picture.height, rules.placement);
    const ScreenRect where = fitted ? FitRectangle(picture.width, picture.height)
                                    : ScreenRect{0, 0, std::min(picture.width, ScreenWidth),
                                                 std::min(picture.height, ScreenHeight)};
    const bool colourRule = UsesColourRule(picture.width, picture.height, rules);
    GreyPicture grey = GreyOf(picture, where, fitted, colourRule ? White : rules.background);

    PictureOutcome outcome;
    outcome.tones = ToneCount(grey);
    std::vector<bool> set;
    if (colourRule) {
        DrawPicture(view, picture, 0, 0, ScreenRules{});
        ScreenPixels pixels;
        view.ReadScreen(pixels);
        for (int y = 0; y < where.height; ++y)
            for (int x = 0; x < where.width; ++x) set.push_back(IsSet(pixels[PixelIndex(x, y)]));
    } else {
        ToneOptions none;
        none.autoLevels = false;
        const ToneOptions tone = rules.tone.value_or(fitted ? ToneOptions{} : none);
        const Dithering method =
            rules.dithering.value_or(rules.threshold ? Dithering::None : Dithering::Best);
        set = PictureToPixels(std::move(grey), tone, method,
                              static_cast<float>(rules.threshold.value_or(MidGrey)));
        ScreenMask mask{};
        for (int y = 0; y < where.height; ++y)
            for (int x = 0; x < where.width; ++x)
                mask[PixelIndex(where.left + x, where.top + y)] =
                    set[static_cast<std::size_t>(y) * where.width + x];
        view.Clear();
        view.SetBlackPixels(mask);
    }
    if (!set.empty())
        outcome.setShare = static_cast<double>(std::count(set.begin(), set.end(), true)) / set.size();
    return outcome;
}

bool LooksLost(const PictureOutcome& outcome) {
    return outcome.tones >= ManyTones && (outcome.setShare > LostShare || outcome.setShare < 1 - LostShare);
}

}  // namespace Routines
