#include <algorithm>
#include <cstddef>
#include <string>

#include "ImageView.h"
#include "Routines.h"
#include "ScreenLayout.h"

namespace Routines {

// Both loops go byte by byte, each byte a column of eight pixels: the bit
// text's order, with one layout computation per eight characters.

void DrawScreen(ImageView& view) {
    // Characters past the end of the text leave their pixels as the clear left them.
    const std::size_t drawn = std::min(ImageBits.size(), ScreenBitCount);
    ScreenMask set{};
    for (std::size_t byte = 0; byte * BandHeight < drawn; ++byte) {
        const ScreenPoint top = PointOfByte(byte);
        const std::size_t bits = std::min<std::size_t>(BandHeight, drawn - byte * BandHeight);
        for (std::size_t bit = 0; bit < bits; ++bit) {
            set[PixelIndex(top.x, top.y + static_cast<int>(bit))] = ImageBits[byte * BandHeight + bit] == '1';
        }
    }
    view.Clear();
    view.SetBlackPixels(set);
}

void SampleScreen(const ImageView& view) {
    ScreenPixels pixels;
    view.ReadScreen(pixels);
    // Nothing can fail from here on, so SaveBits is replaced in place.
    SaveBits.resize(ScreenBitCount);
    for (std::size_t byte = 0; byte < BitFileSize; ++byte) {
        const ScreenPoint top = PointOfByte(byte);
        for (int bit = 0; bit < BandHeight; ++bit) {
            // Arithmetic, not a branch: a picture's pixels follow no pattern a branch could learn.
            SaveBits[byte * BandHeight + static_cast<std::size_t>(bit)] =
                static_cast<char>('0' + IsSet(pixels[PixelIndex(top.x, top.y + bit)]));
        }
    }
}

}  // namespace Routines
