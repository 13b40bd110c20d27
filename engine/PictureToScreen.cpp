#include "PictureToScreen.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Halftone.h"
#include "Routines.h"

namespace Routines {

namespace {

std::size_t Index(int x, int y, int width) { return static_cast<std::size_t>(y) * width + x; }

// The Bayer matrix grows by quarters: each cell of the matrix of size n
// becomes a 2 x 2 block ordered 0 2 / 3 1 in the matrix of size 2n.
int BayerValue(int x, int y) {
    constexpr int quarter[2][2] = {{0, 2}, {3, 1}};
    int value = 0;
    for (int bit = 0; bit < 3; ++bit) {
        value = value * 4 + quarter[(y >> bit) & 1][(x >> bit) & 1];
    }
    return value;
}

}  // namespace

ScreenRect FitRectangle(int width, int height, int screenWidth, int screenHeight) {
    if (width <= 0 || height <= 0 || screenWidth <= 0 || screenHeight <= 0) return {};
    ScreenRect fit;
    // Compared in whole numbers: a picture wider than the screen's proportions fills its width.
    if (static_cast<long long>(width) * screenHeight >= static_cast<long long>(height) * screenWidth) {
        fit.width = screenWidth;
        fit.height = static_cast<int>((2LL * height * screenWidth + width) / (2LL * width));
    } else {
        fit.height = screenHeight;
        fit.width = static_cast<int>((2LL * width * screenHeight + height) / (2LL * height));
    }
    fit.width = std::clamp(fit.width, 1, screenWidth);
    fit.height = std::clamp(fit.height, 1, screenHeight);
    fit.left = (screenWidth - fit.width) / 2;
    fit.top = (screenHeight - fit.height) / 2;
    return fit;
}

Colour OnWhite(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha) {
    const auto blend = [alpha](std::uint8_t channel) -> Colour {
        return (channel * alpha + 255 * (255 - alpha) + 127) / 255;
    };
    return blend(red) | blend(green) << 8 | blend(blue) << 16;
}

int Luminance(Colour colour) {
    const int red = colour & 0xFF;
    const int green = (colour >> 8) & 0xFF;
    const int blue = (colour >> 16) & 0xFF;
    return (299 * red + 587 * green + 114 * blue + 500) / 1000;
}

int OrderedLevel(int x, int y) { return 4 * BayerValue(x % 8, y % 8) + 2; }

std::vector<bool> SetPixels(const std::vector<std::uint8_t>& luminance, int width, int height,
                            Dithering dithering, int threshold) {
    const GreyPicture picture{width, height, std::vector<float>(luminance.begin(), luminance.end())};
    return Halftone(picture, dithering, static_cast<float>(threshold));
}

void DrawPicture(ImageView& view, const RgbaPicture& picture, int left, int top, const ScreenRules& rules) {
    ScreenPixels screen;
    screen.fill(White);
    const int firstX = std::max(left, 0);
    const int firstY = std::max(top, 0);
    const int endX = std::min(left + picture.width, ScreenWidth);
    const int endY = std::min(top + picture.height, ScreenHeight);
    for (int y = firstY; y < endY; ++y) {
        for (int x = firstX; x < endX; ++x) {
            const std::uint8_t* pixel = &picture.rgba[4 * Index(x - left, y - top, picture.width)];
            screen[PixelIndex(x, y)] = OnWhite(pixel[0], pixel[1], pixel[2], pixel[3]);
        }
    }

    view.Clear();
    if (!rules.threshold && rules.dithering == Dithering::None) {
        for (int y = 0; y < ScreenHeight; ++y)
            for (int x = 0; x < ScreenWidth; ++x) view.SetPixel(x, y, screen[PixelIndex(x, y)]);
        return;
    }

    std::vector<std::uint8_t> luminance(ScreenPixelCount);
    std::transform(screen.begin(), screen.end(), luminance.begin(),
                   [](Colour colour) { return static_cast<std::uint8_t>(Luminance(colour)); });
    const std::vector<bool> set =
        SetPixels(luminance, ScreenWidth, ScreenHeight, rules.dithering, rules.threshold.value_or(MidGrey));
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            view.SetPixel(x, y, set[PixelIndex(x, y)] ? Black : White);
        }
    }
}

void InvertScreen(ImageView& view) {
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x)
            view.SetPixel(x, y, IsSet(view.ReadPixel(x, y)) ? White : Black);
    }
}

}  // namespace Routines
