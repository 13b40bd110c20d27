#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

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
    // The eight characters of each .bit byte are built as one word, starting
    // as eight "0" and copied to the text as it lies in memory; a set pixel
    // adds 1 to its character. No branch per pixel, and the compiler
    // vectorises the loop over a row.
    std::array<std::uint64_t, BitFileSize> words;
    words.fill(0x3030303030303030);
    for (int y = 0; y < ScreenHeight; ++y) {
        // A row's pixels are consecutive bytes of its band, all at the same bit.
        const std::size_t first = BitOfPoint(0, y);
        const int character = static_cast<int>(first % BandHeight);
        const int shift = 8 * (std::endian::native == std::endian::little ? character : 7 - character);
        std::uint64_t* const row = &words[first / BandHeight];
        for (int x = 0; x < ScreenWidth; ++x) {
            row[x] |= std::uint64_t{IsSet(pixels[PixelIndex(x, y)])} << shift;
        }
    }
    // Nothing can fail from here on, so SaveBits is replaced in place.
    SaveBits.resize(ScreenBitCount);
    std::memcpy(SaveBits.data(), words.data(), ScreenBitCount);
}

}  // namespace Routines
