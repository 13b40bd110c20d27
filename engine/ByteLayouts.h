#pragma once

// The byte layouts of one-bit screens: where each pixel of a MonoPicture goes
// in a run of bytes, and back. A set pixel is a 1 bit in every layout.
//
// bands-lsb-top   The rows form bands of 8 (the last band padded with clear
//                 rows); each band is one byte per column, left to right, the
//                 bands top to bottom. Bit 0 (least significant) is the band's
//                 top row. Byte  b·W + x  holds pixel (x, 8b + k) in bit k.
//                 This is the Lyra's .bit layout.
// bands-msb-top   As bands-lsb-top, but bit 7 (most significant) is the top
//                 row: pixel (x, 8b + k) is bit 7 − k of byte b·W + x.
// rows-msb-first  Each row is ⌈W/8⌉ bytes, left to right, the last byte padded
//                 with clear bits; bit 7 is the leftmost pixel of its byte:
//                 pixel (x, y) is bit 7 − x mod 8 of byte y·⌈W/8⌉ + ⌊x/8⌋
//                 (the order of PBM's P4 data).
// rows-lsb-first  As rows-msb-first, but bit 0 is the leftmost pixel: pixel
//                 (x, y) is bit x mod 8 of byte y·⌈W/8⌉ + ⌊x/8⌋ (the order of
//                 XBM data).
//
//  bands-lsb-top, W = 3          rows-msb-first, W = 10
//  byte:  0   1   2              byte 0            byte 1
//  bit0  (0,0)(1,0)(2,0)         b7 b6 ... b0      b7 b6  b5..b0
//  bit1  (0,1)(1,1)(2,1)         x0 x1 ... x7      x8 x9  padding
//  ...                           (row 0), then bytes 2, 3 for row 1 ...
//  bit7  (0,7)(1,7)(2,7)
//  then bytes 3, 4, 5 for rows 8..15

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "MonoPicture.h"

namespace Routines {

enum class ByteLayout { BandsLsbTop, BandsMsbTop, RowsMsbFirst, RowsLsbFirst };

inline constexpr ByteLayout DefaultByteLayout = ByteLayout::BandsLsbTop;
inline constexpr ByteLayout AllByteLayouts[] = {ByteLayout::BandsLsbTop, ByteLayout::BandsMsbTop,
                                                ByteLayout::RowsMsbFirst, ByteLayout::RowsLsbFirst};

std::string_view LayoutName(ByteLayout layout);
// The layout of a name as LayoutName gives it, or nothing.
std::optional<ByteLayout> LayoutNamed(std::string_view name);

// How many bytes a picture of this size takes in the layout.
std::size_t PackedSize(ByteLayout layout, int width, int height);

std::vector<std::uint8_t> Pack(const MonoPicture& picture, ByteLayout layout);
// The picture the bytes hold, or nothing when the size is out of range or the
// byte count is not PackedSize. Padding bits are ignored.
std::optional<MonoPicture> Unpack(std::span<const std::uint8_t> bytes, ByteLayout layout, int width,
                                  int height);

// Turned clockwise by 90, 180 or 270 degrees (any other angle gives nothing).
std::optional<MonoPicture> Rotated(const MonoPicture& picture, int degrees);
// Mirrored left to right (horizontal) or top to bottom.
MonoPicture Flipped(const MonoPicture& picture, bool horizontal);
MonoPicture Inverted(const MonoPicture& picture);

}  // namespace Routines
