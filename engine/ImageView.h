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

// The whole screen's colours, row by row from the top-left corner.
using ScreenPixels = std::array<Colour, ScreenPixelCount>;

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

    // Every pixel's ReadPixel colour at once. A view that holds its image in
    // memory overrides this to read it in one pass instead of 4608 calls.
    virtual void ReadScreen(ScreenPixels& pixels) const {
        for (int y = 0; y < ScreenHeight; ++y) {
            for (int x = 0; x < ScreenWidth; ++x) pixels[y * ScreenWidth + x] = ReadPixel(x, y);
        }
    }
};

}  // namespace Routines
