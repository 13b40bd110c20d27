#include "Orientation.h"

#include <cstring>

namespace Pictures {

namespace {

constexpr std::uint16_t OrientationTag = 274;
constexpr std::uint16_t ShortType = 3;

class TiffFields {
public:
    explicit TiffFields(std::span<const std::uint8_t> bytes)
        : bytes_(bytes), bigEndian_(bytes.size() >= 2 && bytes[0] == 'M') {}

    bool Has(std::size_t offset, std::size_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint32_t At(std::size_t offset, int length) const {
        std::uint32_t value = 0;
        for (int i = 0; i < length; ++i) {
            const std::uint8_t byte = bytes_[offset + (bigEndian_ ? i : length - 1 - i)];
            value = (value << 8) | byte;
        }
        return value;
    }

private:
    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
};

}  // namespace

int TiffOrientation(std::span<const std::uint8_t> tiff) {
    if (tiff.size() < 8) return 1;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I' && tiff[2] == 42 && tiff[3] == 0;
    const bool big = tiff[0] == 'M' && tiff[1] == 'M' && tiff[2] == 0 && tiff[3] == 42;
    if (!little && !big) return 1;
    const TiffFields fields(tiff);
    const std::size_t directory = fields.At(4, 4);
    if (!fields.Has(directory, 2)) return 1;
    const std::size_t entries = fields.At(directory, 2);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if (!fields.Has(entry, 12)) return 1;
        if (fields.At(entry, 2) != OrientationTag) continue;
        if (fields.At(entry + 2, 2) != ShortType) return 1;
        const auto value = static_cast<int>(fields.At(entry + 8, 2));
        return value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

int ExifBlockOrientation(std::span<const std::uint8_t> app1) {
    static constexpr char Signature[] = "Exif\0";  // and the terminating zero: six bytes
    if (app1.size() < 6 || std::memcmp(app1.data(), Signature, 6) != 0) return 1;
    return TiffOrientation(app1.subspan(6));
}

std::pair<int, int> StoredPosition(int orientation, int x, int y, int storedWidth, int storedHeight) {
    const int right = storedWidth - 1;
    const int bottom = storedHeight - 1;
    switch (orientation) {
        case 2:
            return {right - x, y};  // mirrored left to right
        case 3:
            return {right - x, bottom - y};  // turned half round
        case 4:
            return {x, bottom - y};  // mirrored top to bottom
        case 5:
            return {y, x};  // mirrored along the main diagonal
        case 6:
            return {y, bottom - x};  // stored a quarter turn anticlockwise
        case 7:
            return {right - y, bottom - x};  // mirrored along the other diagonal
        case 8:
            return {right - y, x};  // stored a quarter turn clockwise
        default:
            return {x, y};
    }
}

}  // namespace Pictures
