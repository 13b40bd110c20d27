#pragma once

#include <cstddef>
#include <string>

#include "Failure.h"
#include "ImageView.h"
#include "Routines.h"

namespace Routines {

// A 96 x 48 image view held in memory, for drawing and sampling without a window.
class ScreenCanvas : public ImageView {
public:
    void Clear() override { pixels_.fill(White); }

    // Like the window's view, the canvas clips what falls outside it.
    void SetPixel(int x, int y, Colour colour) override {
        if (Inside(x, y)) pixels_[PixelIndex(x, y)] = colour;
    }

    Colour ReadPixel(int x, int y) const override {
        if (!Inside(x, y)) {
            throw Failure(FailureCode::InvalidArgument,
                          "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")");
        }
        return pixels_[PixelIndex(x, y)];
    }

    void SetBlackPixels(const ScreenMask& mask) override {
        for (std::size_t i = 0; i < pixels_.size(); ++i)
            if (mask[i]) pixels_[i] = Black;
    }

    void ReadScreen(ScreenPixels& pixels) const override { pixels = pixels_; }

private:
    static ScreenPixels Blank() {
        ScreenPixels pixels;
        pixels.fill(White);
        return pixels;
    }
    static bool Inside(int x, int y) { return x >= 0 && x < ScreenWidth && y >= 0 && y < ScreenHeight; }

    ScreenPixels pixels_ = Blank();
};

}  // namespace Routines
