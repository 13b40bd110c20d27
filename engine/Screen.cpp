#include <string>
#include <utility>

#include "ImageView.h"
#include "Routines.h"
#include "ScreenLayout.h"

namespace Routines {

void DrawScreen(ImageView& view) {
    // Characters past the end of the text leave their pixels as the clear left
    // them: a short text is drawn as if padded with "0".
    const std::string* bits = &ImageBits;
    std::string padded;
    if (ImageBits.size() < ScreenBitCount) {
        padded = ImageBits;
        padded.resize(ScreenBitCount, '0');
        bits = &padded;
    }
    ScreenMask set;
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) set[PixelIndex(x, y)] = (*bits)[BitOfPoint(x, y)] == '1';
    }
    view.Clear();
    view.SetBlackPixels(set);
}

void SampleScreen(const ImageView& view) {
    ScreenPixels pixels;
    view.ReadScreen(pixels);
    std::string bits(ScreenBitCount, '0');
    for (int y = 0; y < ScreenHeight; ++y) {
        for (int x = 0; x < ScreenWidth; ++x) {
            if (IsSet(pixels[PixelIndex(x, y)])) bits[BitOfPoint(x, y)] = '1';
        }
    }
    SaveBits = std::move(bits);
}

}  // namespace Routines
