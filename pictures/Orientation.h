#pragma once

// The orientation a camera records in Exif (TIFF tag 274), read from a JPEG's
// APP1 block or a PNG's eXIf chunk, and turning a small picture upright by it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace Pictures {

// The orientation in a TIFF structure ("II*\0" or "MM\0*" and its first
// directory): 1 to 8, or 1 when absent or unreadable.
int TiffOrientation(std::span<const std::uint8_t> tiff);

// The same for a JPEG APP1 block's contents ("Exif\0\0" and the TIFF).
int ExifBlockOrientation(std::span<const std::uint8_t> app1);

// Whether the orientation swaps width and height (5 to 8).
inline bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// Where the upright picture's pixel (x, y) comes from in the stored one of
// storedWidth x storedHeight.
std::pair<int, int> StoredPosition(int orientation, int x, int y, int storedWidth, int storedHeight);

// The values (row by row) of a stored picture turned upright.
template <typename Value>
std::vector<Value> Upright(const std::vector<Value>& stored, int storedWidth, int storedHeight,
                           int orientation) {
    const int width = SwapsSides(orientation) ? storedHeight : storedWidth;
    const int height = SwapsSides(orientation) ? storedWidth : storedHeight;
    std::vector<Value> upright(stored.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto [sx, sy] = StoredPosition(orientation, x, y, storedWidth, storedHeight);
            upright[static_cast<std::size_t>(y) * width + x] =
                stored[static_cast<std::size_t>(sy) * storedWidth + sx];
        }
    }
    return upright;
}

}  // namespace Pictures
