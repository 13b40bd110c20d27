#pragma once

#include <array>
#include <cstdint>

#include "ScreenLayout.h"

namespace Routines {

// Colours as 24-bit values with red in the low byte.
using Colour = std::uint32_t;
inline constexpr Colour White = 0xFFFFFF;
inline constexpr Colour Black = 0x000000;
// The colour rule: only pure white is clear; every other colour is a set pixel.
constexpr bool IsSet(Colour colour) { return (colour & 0xFFFFFF) != White; }

// The whole screen's colours, and which of its pixels a drawing sets, row by
// row from the top-left corner (see PixelIndex).
using ScreenPixels = std::array<Colour, ScreenPixelCount>;
using ScreenMask = std::array<bool, ScreenPixelCount>;

// What the engine needs of the image view it draws into and samples.
class ImageView {
public:
    virtual ~ImageView() = default;

    // Removes every drawn pixel; a background picture stays visible.
    virtual void Clear() = 0;
    // Paints one pixel of the persistent image; (0, 0) is the top-left corner.
    virtual void SetPixel(int x, int y, Colour colour) = 0;
    // The colour of the persistent image at (x, y): background picture and
    // drawn pixels together.
    virtual Colour ReadPixel(int x, int y) const = 0;

    // The drawing and sampling routines call these two once per command. A
    // view that holds its image in memory overrides them to do the work in
    // one pass, and to show the result with one repaint.

    // Paints black every pixel the mask sets; the others stay as they are.
    virtual void SetBlackPixels(const ScreenMask& mask) {
        for (int y = 0; y < ScreenHeight; ++y) {
            for (int x = 0; x < ScreenWidth; ++x) {
                if (mask[PixelIndex(x, y)]) SetPixel(x, y, Black);
            }
        }
    }
    // Every pixel's ReadPixel colour.
    virtual void ReadScreen(ScreenPixels& pixels) const {
        for (int y = 0; y < ScreenHeight; ++y) {
            for (int x = 0; x < ScreenWidth; ++x) pixels[PixelIndex(x, y)] = ReadPixel(x, y);
        }
    }
};

}  // namespace Routines
