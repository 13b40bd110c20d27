#pragma once

// What the streaming picture readers share: the receiver of decoded rows, the
// caller's choices and what a read reports back. Nothing here needs Qt.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace Pictures {

// The most pixels a picture may have, as its header states them, and the
// longest side; a larger one is refused before anything is decoded.
inline constexpr std::int64_t LargestStreamedPixelCount = 100'000'000;
inline constexpr int LargestStreamedSide = 65'500;

// Receives a decoded picture row by row from the top: red, green, blue and
// alpha bytes per pixel, alpha not premultiplied.
class RowStream {
public:
    virtual ~RowStream() = default;
    // The size of the rows that follow (after any scaling in the decoder).
    virtual void Begin(int width, int height) = 0;
    // One row of Begin's width; false once the receiver has all it needs, so
    // that the reader stops decoding.
    virtual bool Row(const std::uint8_t* rgba) = 0;
    // Whether an interlaced picture may come pass by pass through PassRow
    // instead of row by row, so that the reader need not hold it whole.
    virtual bool TakesPasses() const { return false; }
    // Of row y, the `count` pixels at columns firstColumn, firstColumn +
    // columnStep, ...; false once the receiver has all it needs.
    virtual bool PassRow(int /*y*/, int /*firstColumn*/, int /*columnStep*/, int /*count*/,
                         const std::uint8_t* /*rgba*/) {
        return false;
    }
};

struct StreamOptions {
    // The smallest size, in the stored orientation, the decoded rows may
    // have; a JPEG is decoded at the smallest scale of 1/8 to 1 that still
    // gives it. Zero or less: the stored size.
    int leastWidth = 0;
    int leastHeight = 0;
    // The least size is for the picture once upright: swapped where the
    // picture's Exif orientation swaps its sides.
    bool leastIsUpright = false;
    // Accept what was decoded of a picture cut short or damaged, with a
    // warning, instead of refusing it.
    bool partial = false;
    // Stop once the header is read: the result holds the stored size and the
    // orientation, and no row is given.
    bool headerOnly = false;
};

// Where a reader takes the picture from: bytes held in memory, or an open
// file read from its current position as the decoder goes, so that a large
// file never has to be held whole.
struct PictureSource {
    PictureSource(std::span<const std::uint8_t> held) : bytes(held) {}
    explicit PictureSource(std::FILE* open) : file(open) {}

    std::span<const std::uint8_t> bytes;
    std::FILE* file = nullptr;
};

struct StreamResult {
    int storedWidth = 0;
    int storedHeight = 0;
    // The size of the rows given to the stream.
    int width = 0;
    int height = 0;
    // The Exif orientation the picture carries (1 to 8; 1 when none).
    int orientation = 1;
    // Set when the picture was cut short or damaged and options.partial let
    // what was decoded through: what was wrong, for a warning.
    std::string damage;
};

// Raises the InvalidPicture failure for the named picture, with the reason.
[[noreturn]] void RefusePicture(const std::string& name, const std::string& reason);

// Refuses a stated size beyond the limits above (or empty), naming the limit
// and --fit once.
void CheckStatedSize(std::int64_t width, std::int64_t height, const std::string& name);

}  // namespace Pictures
