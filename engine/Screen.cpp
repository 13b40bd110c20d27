#include <cstddef>
#include <string>
#include <utility>

#include "ImageView.h"
#include "Routines.h"

namespace Routines {

void DrawScreen(ImageView& view) {
    view.Clear();
    std::size_t k = 0;
    for (int band = 0; band < BandCount; ++band) {
        for (int x = 0; x < ScreenWidth; ++x) {
            for (int bit = 0; bit < 8; ++bit) {
                // Characters past the end of the text leave the pixel as the clear left it.
                if (k < ImageBits.size() && ImageBits[k] == '1') {
                    view.SetPixel(x, 8 * band + bit, Black);
                }
                ++k;
            }
        }
    }
}

void SampleScreen(const ImageView& view) {
    std::string bits;
    bits.reserve(ScreenBitCount);
    for (int band = 0; band < BandCount; ++band) {
        for (int x = 0; x < ScreenWidth; ++x) {
            for (int bit = 0; bit < 8; ++bit) {
                bits += (view.ReadPixel(x, 8 * band + bit) & 0xFFFFFF) == White ? '0' : '1';
            }
        }
    }
    SaveBits = std::move(bits);
}

}  // namespace Routines
