#pragma once

// One entry to the streaming readers for callers that fit a picture to a
// rectangle or show its top-left corner: the format told from the bytes, the
// decoder's scale chosen from the size the caller needs upright, and the
// orientation the picture records.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "RowStream.h"

namespace Pictures {

enum class StreamedFormat { Jpeg, Png, Other };

StreamedFormat SniffStreamed(std::span<const std::uint8_t> bytes);

struct FitOptions {
    // The size the picture must at least have once upright (the fit
    // rectangle); zero or less: the stored size.
    int leastWidth = 0;
    int leastHeight = 0;
    // Turn the picture upright by its Exif orientation: the least size above
    // is swapped where the orientation swaps the sides.
    bool orient = true;
    bool partial = false;
};

// The format of a picture file from its first bytes; the file is left where
// it was.
StreamedFormat SniffStreamed(std::FILE* file);

// Streams a JPEG or PNG in its stored orientation; the result's orientation
// is what the caller turns the rows by (1 when options.orient is off). Other
// formats raise the InvalidPicture failure: they go to Qt's readers.
StreamResult StreamPicture(const PictureSource& source, const std::string& name, const FitOptions& options,
                           RowStream& stream);

// Only the header of a JPEG or PNG: its stored size and orientation (1 when
// options.orient is off), with the same refusals of a size beyond the limits;
// options.partial lets a warning there pass, as the whole read would. A file
// is left where it was.
StreamResult PeekPicture(const PictureSource& source, const std::string& name, const FitOptions& options);

}  // namespace Pictures
