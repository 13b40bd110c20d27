#pragma once

// One entry to the streaming readers for callers that fit a picture to a
// rectangle or show its top-left corner: the format told from the bytes, the
// decoder's scale chosen from the size the caller needs upright, and the
// orientation the picture records.

#include <cstdint>
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

// Streams a JPEG or PNG in its stored orientation; the result's orientation
// is what the caller turns the rows by (1 when options.orient is off). Other
// formats raise the InvalidPicture failure: they go to Qt's readers.
StreamResult StreamPicture(std::span<const std::uint8_t> bytes, const std::string& name,
                           const FitOptions& options, RowStream& stream);

}  // namespace Pictures
