#include <algorithm>
#include <cstdint>
#include <vector>

#include <QList>
#include <QtEndian>

#include "Failure.h"
#include "Formats.h"

namespace Pictures {
namespace {

constexpr qint64 FileHeaderSize = 14;
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t Uncompressed = 0;
constexpr std::uint32_t RunLength8 = 1;
constexpr std::uint32_t RunLength4 = 2;
constexpr std::uint32_t Bitfields = 3;

// Reads little-endian fields and refuses any that lies past the end.
class LittleEndianFields {
public:
    LittleEndianFields(const QByteArray& bytes, const QString& name) : bytes_(bytes), name_(name) {}

    std::uint32_t At(qint64 offset, int size) const {
        if (offset + size > bytes_.size()) Refuse(name_, QStringLiteral("bitmap header cut short"));
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i) value = (value << 8) | Byte(offset + i);
        return value;
    }
    std::uint8_t Byte(qint64 offset) const { return static_cast<std::uint8_t>(bytes_[offset]); }

private:
    const QByteArray& bytes_;
    const QString& name_;
};

struct BitmapHeader {
    qint64 dataOffset = 0;
    qint64 paletteOffset = 0;
    int paletteEntrySize = 4;
    qint64 paletteEntries = 0;  // as the file declares them
    qint64 width = 0;
    qint64 height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = Uncompressed;
};

BitmapHeader ReadBitmapHeader(const QByteArray& bytes, const QString& name) {
    const LittleEndianFields field(bytes, name);
    BitmapHeader header;
    header.dataOffset = field.At(10, 4);
    const std::uint32_t infoSize = field.At(14, 4);
    header.paletteOffset = FileHeaderSize + infoSize;
    qint64 coloursUsed = 0;
    if (infoSize == CoreHeaderSize) {
        header.width = field.At(18, 2);
        header.height = field.At(20, 2);
        header.bitCount = static_cast<int>(field.At(24, 2));
        header.paletteEntrySize = 3;
    } else {
        if (infoSize < 40) Refuse(name, QStringLiteral("bitmap header cut short"));
        header.width = static_cast<std::int32_t>(field.At(18, 4));
        header.height = static_cast<std::int32_t>(field.At(22, 4));
        header.bitCount = static_cast<int>(field.At(28, 2));
        header.compression = field.At(30, 4);
        coloursUsed = field.At(46, 4);
    }
    // A negative height marks rows stored top-down.
    header.topDown = header.height < 0;
    header.height = std::abs(header.height);
    if (header.width <= 0 || header.height <= 0) {
        Refuse(name,
               QStringLiteral("bitmap size %1 x %2 is not sensible").arg(header.width).arg(header.height));
    }
    CheckDeclaredSize(header.width, header.height, name);
    if (header.bitCount == 0 || header.bitCount > 32) {
        Refuse(name, QStringLiteral("bitmap has %1 bits per pixel").arg(header.bitCount));
    }
    if (header.bitCount <= 8)
        header.paletteEntries = coloursUsed != 0 ? coloursUsed : qint64{1} << header.bitCount;
    return header;
}

qint64 RowBytes(const BitmapHeader& header) { return ((header.width * header.bitCount + 31) / 32) * 4; }

// Qt accepts an uncompressed bitmap whose pixel data is cut short and fills
// the missing rows with whatever memory held.
void CheckUncompressedLength(const BitmapHeader& header, qint64 dataStart, qint64 fileLength,
                             const QString& name) {
    const qint64 needed = dataStart + RowBytes(header) * header.height;
    if (fileLength < needed) {
        Refuse(name, QStringLiteral("bitmap data cut short (%1 of %2 bytes)").arg(fileLength).arg(needed));
    }
}

// The palette holds 2^bits colours. Entries the file does not give, and
// entries beyond what the depth can address, play no part: an index without
// a colour shows black.
QList<QRgb> ReadPalette(const QByteArray& bytes, const BitmapHeader& header) {
    QList<QRgb> palette(1 << header.bitCount, qRgb(0, 0, 0));
    const qint64 given = std::min<qint64>(header.paletteEntries, palette.size());
    for (qint64 i = 0; i < given; ++i) {
        const qint64 at = header.paletteOffset + i * header.paletteEntrySize;
        palette[i] = qRgb(static_cast<std::uint8_t>(bytes[at + 2]), static_cast<std::uint8_t>(bytes[at + 1]),
                          static_cast<std::uint8_t>(bytes[at]));
    }
    return palette;
}

void DecodeUncompressed(const QByteArray& bytes, const BitmapHeader& header, qint64 dataStart,
                        QImage& image) {
    const qint64 rowBytes = RowBytes(header);
    const int bits = header.bitCount;
    const std::uint8_t mask = static_cast<std::uint8_t>((1 << bits) - 1);
    for (qint64 row = 0; row < header.height; ++row) {
        const auto* line =
            reinterpret_cast<const std::uint8_t*>(bytes.constData() + dataStart + row * rowBytes);
        uchar* out = image.scanLine(static_cast<int>(header.topDown ? row : header.height - 1 - row));
        for (qint64 x = 0; x < header.width; ++x) {
            const qint64 bit = x * bits;
            out[x] = static_cast<uchar>((line[bit / 8] >> (8 - bits - bit % 8)) & mask);
        }
    }
}

// Run-length encoded data, rows from the bottom. Pixels the data skips (with
// a delta, an end of line or an end of bitmap) or never reaches because it
// ends early take palette index 0, as most viewers show them; the image is
// cleared to 0 before decoding.
void DecodeRunLength(const QByteArray& bytes, const BitmapHeader& header, qint64 dataStart, QImage& image) {
    const bool fourBits = header.compression == RunLength4;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const qint64 end = bytes.size();
    qint64 at = dataStart;
    qint64 x = 0;
    qint64 row = 0;  // from the bottom
    // Pixels beyond the right edge are dropped; x still counts them.
    const auto put = [&](int i, std::uint8_t index) {
        if (x + i < header.width) image.scanLine(static_cast<int>(header.height - 1 - row))[x + i] = index;
    };
    const auto visible = [&](int count) {
        return static_cast<int>(std::clamp<qint64>(header.width - x, 0, count));
    };
    while (at + 2 <= end && row < header.height) {
        const std::uint8_t count = data[at];
        const std::uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < visible(count); ++i)
                put(i, fourBits ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
            x += count;
        } else if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (at + 2 > end) break;
            x += data[at];
            row += data[at + 1];
            at += 2;
        } else {
            // A literal run of value pixels, padded to an even number of bytes.
            const qint64 runBytes = fourBits ? (value + 1) / 2 : value;
            for (int i = 0; i < visible(value) && at + (fourBits ? i / 2 : i) < end; ++i) {
                const std::uint8_t byte = data[at + (fourBits ? i / 2 : i)];
                put(i, fourBits ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte);
            }
            x += value;
            at += runBytes + runBytes % 2;
        }
    }
}

}  // namespace

QImage DecodePaletteBitmap(const QByteArray& bytes, const QString& name) {
    const BitmapHeader header = ReadBitmapHeader(bytes, name);
    const bool runLength = header.compression == RunLength8 || header.compression == RunLength4;
    if (header.bitCount > 8) {
        if (header.compression != Uncompressed && header.compression != Bitfields) {
            Refuse(name, QStringLiteral("bitmap compression %1 is not supported").arg(header.compression));
        }
        // Qt reads the colour masks that follow a 40-byte header, and the pixel
        // data from the offset only where that lies further on.
        const qint64 masks =
            header.compression == Bitfields && header.paletteOffset == FileHeaderSize + 40 ? 12 : 0;
        CheckUncompressedLength(header, std::max(header.dataOffset, header.paletteOffset + masks),
                                bytes.size(), name);
        return {};
    }
    if (header.bitCount != 1 && header.bitCount != 4 && header.bitCount != 8) {
        Refuse(name, QStringLiteral("bitmap has %1 bits per pixel").arg(header.bitCount));
    }
    if (header.compression != Uncompressed && !(header.compression == RunLength8 && header.bitCount == 8) &&
        !(header.compression == RunLength4 && header.bitCount == 4)) {
        Refuse(name, QStringLiteral("bitmap compression %1 does not fit %2 bits per pixel")
                         .arg(header.compression)
                         .arg(header.bitCount));
    }
    if (runLength && header.topDown) Refuse(name, QStringLiteral("compressed bitmap stored top-down"));
    const qint64 paletteEnd = header.paletteOffset + header.paletteEntries * header.paletteEntrySize;
    if (paletteEnd > bytes.size()) Refuse(name, QStringLiteral("bitmap palette cut short"));
    // Pixel data never overlaps the palette: it starts after it at the earliest.
    const qint64 dataStart = std::max(header.dataOffset, paletteEnd);
    if (!runLength) CheckUncompressedLength(header, dataStart, bytes.size(), name);

    QImage image(static_cast<int>(header.width), static_cast<int>(header.height), QImage::Format_Indexed8);
    if (image.isNull()) Refuse(name, QStringLiteral("not enough memory for the picture"));
    image.setColorTable(ReadPalette(bytes, header));
    if (runLength) {
        image.fill(0);
        DecodeRunLength(bytes, header, dataStart, image);
    } else {
        DecodeUncompressed(bytes, header, dataStart, image);
    }
    return image;
}

}  // namespace Pictures
