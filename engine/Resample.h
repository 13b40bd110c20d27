#pragma once

// Grey pictures and their reduction to a target size: colour to grey row by
// row, and area averaging that takes rows as they are decoded.

#include <cstdint>
#include <span>
#include <vector>

#include "ImageView.h"

namespace Routines {

// A grey picture: values from 0 (black) to 255 (white), row by row.
struct GreyPicture {
    int width = 0;
    int height = 0;
    std::vector<float> values;
};

// Colour to grey: one row of RGBA bytes (alpha not premultiplied) laid on the
// background colour, then Rec. 709 luminance of the encoded values. `grey`
// holds one value per pixel.
void GreyRow(std::span<const std::uint8_t> rgba, Colour background, std::span<float> grey);

// Area averaging, exact at fractional sizes: each target pixel is the mean of
// the source area it covers. Rows are streamed in from the top; memory follows
// the target, plus one row.
class AreaReducer {
public:
    AreaReducer(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight);

    // The next source row (sourceWidth values). Rows beyond sourceHeight are ignored.
    void AddRow(std::span<const float> greyRow);
    // Some pixels of source row y, in any order of rows: those at columns
    // firstColumn, firstColumn + columnStep, ... (as an interlaced picture's
    // passes give them). Each source pixel counts once, by AddRow or here.
    void AddPixels(int y, std::span<const float> values, int firstColumn, int columnStep);
    // The target picture, once every source row was added.
    GreyPicture Result() const;

private:
    // How much of one source pixel falls on one target pixel, along one axis.
    struct Overlap {
        int target;
        float share;
    };
    // The target pixels source pixel s of `source` falls on, along an axis of `target` pixels.
    static std::vector<Overlap> OverlapsOf(int s, int source, int target);

    int targetWidth_;
    int targetHeight_;
    int sourceHeight_;
    int nextRow_ = 0;
    // The overlaps of every source column, one after the other: column x's
    // are columnOverlaps_[columnStart_[x]] up to columnStart_[x + 1], kept in
    // one array since every decoded pixel reads them.
    std::vector<Overlap> columnOverlaps_;
    std::vector<std::size_t> columnStart_;
    std::vector<double> reducedRow_;
    std::vector<double> sums_;
};

// The whole picture through an AreaReducer.
GreyPicture ResampleArea(const GreyPicture& source, int width, int height);

}  // namespace Routines
