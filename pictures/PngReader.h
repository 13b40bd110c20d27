#pragma once

// PNG pictures through libpng, row by row: each row goes to the stream as it
// is decoded, so memory follows one row. An interlaced PNG is only whole after
// its last pass: a stream that takes passes (RowStream::TakesPasses) gets
// each pass's rows as they are decoded, of any picture within the size
// limits; for any other, it is decoded into one picture of four bytes a
// pixel, which limits it to InterlacedPixelBudget pixels.

#include <cstdint>
#include <span>
#include <string>

#include "RowStream.h"

namespace Pictures {

// 16 megapixels: 64 MiB of decoded pixels.
inline constexpr std::int64_t InterlacedPixelBudget = 16 * 1024 * 1024;

// Decodes the PNG into the stream, giving every row at the stored size. Text
// chunks, colour profiles and the other extras are skipped unread; a size
// beyond the limits, a corrupt chunk (bad checksum) or a file cut short
// raises the InvalidPicture failure naming `name`, unless options.partial
// lets what was decoded through (reported in the result).
StreamResult ReadPng(const PictureSource& source, const std::string& name, const StreamOptions& options,
                     RowStream& stream);

}  // namespace Pictures
