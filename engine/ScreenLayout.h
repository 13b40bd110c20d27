#pragma once

// The geometry of the Lyra's 96 x 48 screen picture, the order of its bits,
// and where a Nokia logo lands in it.

#include <cstddef>

namespace Routines {

inline constexpr int ScreenWidth = 96;
inline constexpr int ScreenHeight = 48;
// The rows form bands of eight, one byte per band column.
inline constexpr int BandHeight = 8;
inline constexpr int BandCount = ScreenHeight / BandHeight;
inline constexpr std::size_t ScreenPixelCount = std::size_t{ScreenWidth} * ScreenHeight;

// Where the pixel (x, y) is in an array of the screen's pixels, row by row.
constexpr std::size_t PixelIndex(int x, int y) { return static_cast<std::size_t>(y * ScreenWidth + x); }

// The .bit file layout: byte 96·n + x holds column x of band n; its low bit
// is the band's top row. Read byte by byte, low bit first, the file's bits are
// the screen bit order, which screen bit texts share: bit index i is bit i % 8
// of byte i / 8, and character i of the text.
inline constexpr std::size_t ScreenBitCount = ScreenPixelCount;          // characters of a screen bit text
inline constexpr std::size_t BitFileSize = ScreenBitCount / BandHeight;  // bytes of a .bit file

struct ScreenPoint {
    int x;
    int y;
};

// The pixel of a 0-based index in screen bit order.
constexpr ScreenPoint PointOfBit(std::size_t index) {
    const int byte = static_cast<int>(index / BandHeight);
    const int bit = static_cast<int>(index % BandHeight);
    return {byte % ScreenWidth, byte / ScreenWidth * BandHeight + bit};
}

// The 0-based index in screen bit order of the pixel (x, y).
constexpr std::size_t BitOfPoint(int x, int y) {
    const int byte = y / BandHeight * ScreenWidth + x;
    return static_cast<std::size_t>(byte * BandHeight + y % BandHeight);
}

// A Nokia logo, drawn row by row, centred in the screen.
inline constexpr int LogoWidth = 72;
inline constexpr int LogoHeight = 14;
inline constexpr int LogoLeft = (ScreenWidth - LogoWidth) / 2;
inline constexpr int LogoTop = (ScreenHeight - LogoHeight) / 2;
inline constexpr std::size_t LogoPixelCount = std::size_t{LogoWidth} * LogoHeight;

static_assert(ScreenHeight % BandHeight == 0 && BandHeight == 8, "a band column is one byte");
static_assert(ScreenBitCount == 4608 && BitFileSize == 576 && LogoPixelCount == 1008);
static_assert(LogoLeft == 12 && LogoTop == 17);
static_assert(BitOfPoint(95, 47) == ScreenBitCount - 1 && BitOfPoint(0, 8) == 768 && BitOfPoint(1, 0) == 8);
static_assert(PointOfBit(BitOfPoint(83, 30)).x == 83 && PointOfBit(BitOfPoint(83, 30)).y == 30);

}  // namespace Routines
