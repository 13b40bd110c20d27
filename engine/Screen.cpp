#include <algorithm>
#include <cstddef>
#include <string>

#include "ImageView.h"
#include "Routines.h"
#include "ScreenLayout.h"

namespace Routines {

void DrawScreen(ImageView& view) {
    view.Clear();
    // Characters past the end of the text leave their pixels as the clear left them.
    const std::size_t drawn = std::min(ImageBits.size(), ScreenBitCount);
    for (std::size_t index = 0; index < drawn; ++index) {
        if (ImageBits[index] != '1') continue;
        const ScreenPoint point = PointOfBit(index);
        view.SetPixel(point.x, point.y, Black);
    }
}

void SampleScreen(const ImageView& view) {
    ScreenPixels pixels;
    view.ReadScreen(pixels);
    // Nothing can fail from here on, so SaveBits is replaced in place.
    SaveBits.resize(ScreenBitCount);
    // Byte by byte, each a column of eight pixels: the bit text's order with
    // one layout computation per eight characters.
    for (std::size_t byte = 0; byte < BitFileSize; ++byte) {
        const ScreenPoint top = PointOfByte(byte);
        const Colour* column = &pixels[top.y * ScreenWidth + top.x];
        char* characters = &SaveBits[byte * BandHeight];
        for (int bit = 0; bit < BandHeight; ++bit) {
            // Arithmetic, not a branch: a picture's pixels follow no pattern a branch could learn.
            characters[bit] = static_cast<char>('0' + IsSet(column[bit * ScreenWidth]));
        }
    }
}

}  // namespace Routines
