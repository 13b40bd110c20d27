#pragma once

// Turning a picture of any size and colour into the 96 x 48 one-bit screen:
// where the picture goes, and which of its pixels become set.

#include <cstdint>
#include <optional>
#include <vector>

#include "ImageView.h"

namespace Routines {

// A picture as red, green, blue and alpha bytes per pixel (alpha not
// premultiplied), row by row from the top, without padding.
struct RgbaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// A rectangle on the screen, in pixels.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const ScreenRect&) const = default;
};

// Where a picture of this size goes when scaled to fit a screen of
// screenWidth x screenHeight (the Lyra's by default): the largest size with
// the picture's aspect ratio (at least one pixel each way), centred.
ScreenRect FitRectangle(int width, int height, int screenWidth = ScreenWidth,
                        int screenHeight = ScreenHeight);

// The colour a pixel shows when laid on white: transparency lets white through.
Colour OnWhite(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha);

// Brightness from 0 (black) to 255 (white), weighted as the eye sees the
// three primaries (0.299, 0.587, 0.114).
int Luminance(Colour colour);

// Error diffusion (Floyd-Steinberg, Atkinson, Jarvis-Judice-Ninke, Stucki,
// Sierra) runs serpentine; Ordered is the 8 x 8 Bayer matrix, BlueNoise a
// void-and-cluster mask, Best the structure-aware search (Halftone.h).
enum class Dithering { None, FloydSteinberg, Atkinson, Ordered, Jarvis, Stucki, Sierra, BlueNoise, Best };

// How colours become set and clear pixels.
struct ScreenRules {
    // Without a threshold and without dithering, only pure white is clear.
    // A threshold sets every pixel darker than it; with dithering it moves the
    // level the dither decides at (128 when not given).
    std::optional<int> threshold;
    Dithering dithering = Dithering::None;
};

inline constexpr int MidGrey = 128;

// Which pixels of a grey picture (luminance row by row, width x height)
// are set: darker than the threshold, or dithered around it.
std::vector<bool> SetPixels(const std::vector<std::uint8_t>& luminance, int width, int height,
                            Dithering dithering, int threshold);

// The threshold of the ordered dither at a pixel when deciding around mid-grey:
// the 8 x 8 Bayer matrix value M there, as the level 4 M + 2.
int OrderedLevel(int x, int y);

// Clears the view and draws the picture on white with its top-left corner at
// (left, top), clipped to the screen. Under the default rule the view receives
// the picture's own colours, so sampling the view applies the colour rule; any
// other rule draws set pixels in black.
void DrawPicture(ImageView& view, const RgbaPicture& picture, int left, int top, const ScreenRules& rules);

// Turns every set pixel of the view clear (white) and every clear one black.
void InvertScreen(ImageView& view);

}  // namespace Routines
