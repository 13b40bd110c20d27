#pragma once

// Pictures the reader tests make for themselves: JPEGs through libjpeg's
// encoder and PNGs through libpng's, with an Exif orientation when asked.

#include <cstdint>
#include <functional>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
// The red, green and blue of a pixel.
using Painter = std::function<void(int x, int y, std::uint8_t* rgb)>;

struct MadeOptions {
    bool progressive = false;         // JPEG
    bool scanPerCoefficient = false;  // progressive JPEG: one scan for each AC coefficient of each colour
    bool interlaced = false;          // PNG
    int orientation = 0;              // 0: no Exif at all
    int pngLevel = -1;                // zlib's compression level; -1 its default
};

Bytes MakeJpeg(int width, int height, const Painter& paint, const MadeOptions& options = {});
Bytes MakePng(int width, int height, const Painter& paint, const MadeOptions& options = {});

// The Exif TIFF structure (big-endian) holding only an orientation.
Bytes ExifTiff(int orientation);

// The upright picture, uprightWidth x uprightHeight, as a camera held the
// orientation's way (1 to 8) stores it: the painter of the stored picture,
// whose sides are swapped for 5 to 8.
Painter StoredAs(int orientation, int uprightWidth, int uprightHeight, Painter upright);

// A smooth picture with detail at every scale: what a photo resamples like.
void Landscape(int x, int y, std::uint8_t* rgb);
