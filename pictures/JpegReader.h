#pragma once

// JPEG pictures through libjpeg, baseline or progressive, decoded at the
// smallest of its scales (1/8 to 1) that still gives the size asked for, and
// handed on row by row so that memory follows a few rows of the scaled
// picture. A progressive JPEG keeps the coefficients of the whole picture
// while it decodes: those are budgeted (ProgressiveCoefficientBudget) and a
// picture that needs more is refused before decoding.

#include <cstdint>
#include <span>
#include <string>

#include "RowStream.h"

namespace Pictures {

// 96 MiB: a 4:2:0 progressive photo of up to about 50 megapixels, a 4:4:4 one
// of about 25.
inline constexpr std::int64_t ProgressiveCoefficientBudget = std::int64_t{96} << 20;

// More scans than any encoder writes: each one of a progressive JPEG is a
// pass over the whole picture's coefficients.
inline constexpr int LargestJpegScanCount = 64;

// The bytes any JPEG's coefficients need while a progressive picture decodes,
// from its frame header; 0 when it cannot be read.
std::int64_t JpegCoefficientBytes(std::span<const std::uint8_t> bytes);

// Decodes the JPEG into the stream. A picture beyond the size limits, beyond
// the budget, corrupt or cut short (libjpeg's warnings included) raises the
// InvalidPicture failure naming `name` and what was wrong, unless
// options.partial lets what was decoded through (reported in the result).
StreamResult ReadJpeg(const PictureSource& source, const std::string& name, const StreamOptions& options,
                      RowStream& stream);

}  // namespace Pictures
