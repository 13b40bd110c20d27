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

namespace {

// The bit text as words of eight characters, one word per .bit byte, copied
// as they lie in memory.
using TextWords = std::array<std::uint64_t, BitFileSize>;

// Where row y's character lies in each word of its band. A row's pixels are
// consecutive bytes of its band, so row y is the words from the first one on.
struct RowInWords {
    std::size_t firstWord;
    int shift;
};

RowInWords RowInWordsOf(int y) {
    const std::size_t first = BitOfPoint(0, y);
    const int character = static_cast<int>(first % BandHeight);
    const int byteInWord = std::endian::native == std::endian::little ? character : 7 - character;
    return {first / BandHeight, 8 * byteInWord};
}

}  // namespace

// Both loops go over the pixels row by row and handle the row's character of
// every .bit byte of its band at once: no branch per pixel, and loops the
// compiler can vectorise.

void DrawScreen(ImageView& view) {
    ScreenMask set;
    if (ImageBits.size() >= ScreenBitCount) {
        TextWords words;
        std::memcpy(words.data(), ImageBits.data(), ScreenBitCount);
        for (int y = 0; y < ScreenHeight; ++y) {
            const RowInWords row = RowInWordsOf(y);
            for (int x = 0; x < ScreenWidth; ++x) {
                set[PixelIndex(x, y)] = (words[row.firstWord + x] >> row.shift & 0xFF) == '1';
            }
        }
    } else {
        // Characters past the end of the text leave their pixels as the clear left them.
        for (int y = 0; y < ScreenHeight; ++y) {
            for (int x = 0; x < ScreenWidth; ++x) {
                const std::size_t index = BitOfPoint(x, y);
                set[PixelIndex(x, y)] = index < ImageBits.size() && ImageBits[index] == '1';
            }
        }
    }
    view.Clear();
    view.SetBlackPixels(set);
}

void SampleScreen(const ImageView& view) {
    ScreenPixels pixels;
    view.ReadScreen(pixels);
    // Each word starts as eight "0"; a set pixel adds 1 to its character.
    TextWords words;
    words.fill(0x3030303030303030);
    for (int y = 0; y < ScreenHeight; ++y) {
        const RowInWords row = RowInWordsOf(y);
        for (int x = 0; x < ScreenWidth; ++x) {
            words[row.firstWord + x] |= std::uint64_t{IsSet(pixels[PixelIndex(x, y)])} << row.shift;
        }
    }
    // Nothing can fail from here on, so SaveBits is replaced in place.
    SaveBits.resize(ScreenBitCount);
    std::memcpy(SaveBits.data(), words.data(), ScreenBitCount);
}

}  // namespace Routines
