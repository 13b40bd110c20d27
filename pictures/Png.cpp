#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>
#include <zlib.h>

#include <QList>
#include <QtEndian>

#include "Failure.h"
#include "Formats.h"

namespace Pictures {
namespace {

constexpr qint64 LargestPngImageBytes = 8 * 1024 * 1024;

// The bytes a PNG's image data must inflate to: a filter byte and the packed
// pixels of every row, of each of the seven passes when interlaced.
qint64 PngImageBytes(qint64 width, qint64 height, int bitsPerPixel, bool interlaced) {
    const auto passBytes = [&](qint64 left, qint64 top, qint64 stepX, qint64 stepY) -> qint64 {
        const qint64 columns = width > left ? (width - left + stepX - 1) / stepX : 0;
        const qint64 rows = height > top ? (height - top + stepY - 1) / stepY : 0;
        return columns == 0 ? 0 : rows * (1 + (columns * bitsPerPixel + 7) / 8);
    };
    if (!interlaced) return passBytes(0, 0, 1, 1);
    return passBytes(0, 0, 8, 8) + passBytes(4, 0, 8, 8) + passBytes(0, 4, 4, 8) + passBytes(2, 0, 4, 4) +
           passBytes(0, 2, 2, 4) + passBytes(1, 0, 2, 2) + passBytes(0, 1, 1, 2);
}

// The PNG library inflates all of the image data, also what lies beyond the
// picture, so a few megabytes of it could cost seconds. It is inflated here
// first, into a small buffer and no further than the picture needs.
void CheckPngImageData(const QByteArray& header, const std::vector<QByteArrayView>& imageData,
                       const QString& name) {
    if (header.size() != 13) Refuse(name, QStringLiteral("PNG header missing"));
    const qint64 width = qFromBigEndian<quint32>(header.constData());
    const qint64 height = qFromBigEndian<quint32>(header.constData() + 4);
    CheckDeclaredSize(width, height, name);
    const int bitDepth = static_cast<std::uint8_t>(header[8]);
    const int colourType = static_cast<std::uint8_t>(header[9]);
    static const std::map<int, int> channels{{0, 1}, {2, 3}, {3, 1}, {4, 2}, {6, 4}};
    if (!channels.contains(colourType) || bitDepth == 0 || bitDepth > 16) {
        Refuse(name, QStringLiteral("PNG colour type %1 at %2 bits").arg(colourType).arg(bitDepth));
    }
    const qint64 needed = PngImageBytes(width, height, bitDepth * channels.at(colourType), header[12] != 0);
    // Deep pixels cost the PNG library and Qt time in proportion to their
    // bytes: at 16 bits a channel the pixel limit alone would allow half a
    // second's work.
    if (needed > LargestPngImageBytes) {
        Refuse(name, QStringLiteral("PNG image data of %1 bytes is more than %2")
                         .arg(needed)
                         .arg(LargestPngImageBytes));
    }

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) Refuse(name, QStringLiteral("not enough memory to check the PNG data"));
    std::array<Bytef, 64 * 1024> sink;
    qint64 inflated = 0;
    int result = Z_OK;
    for (const QByteArrayView data : imageData) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        stream.avail_in = static_cast<uInt>(data.size());
        while (stream.avail_in > 0 && result == Z_OK && inflated <= needed) {
            stream.next_out = sink.data();
            stream.avail_out = sink.size();
            result = inflate(&stream, Z_NO_FLUSH);
            inflated += static_cast<qint64>(sink.size() - stream.avail_out);
        }
    }
    inflateEnd(&stream);
    // Image data that is damaged or cut short is left for the PNG library to report.
    if (inflated > needed) {
        Refuse(name, QStringLiteral("PNG image data inflates to more than the %1 bytes the picture holds")
                         .arg(needed));
    }
}

}  // namespace

void ForEachPngChunk(const QByteArray& bytes, const QString& name,
                     const std::function<void(const QByteArray& type, qint64 at, qint64 length)>& chunk) {
    constexpr qint64 signatureSize = 8;
    constexpr qint64 chunkOverhead = 12;  // length, type, checksum
    qint64 at = signatureSize;
    while (true) {
        if (at + chunkOverhead > bytes.size()) Refuse(name, QStringLiteral("PNG data cut short"));
        const qint64 length = qFromBigEndian<quint32>(bytes.constData() + at);
        const QByteArray type = bytes.mid(at + 4, 4);
        if (length > bytes.size() - at - chunkOverhead) {
            Refuse(name, QStringLiteral("PNG chunk %1 declares %2 bytes, more than the file holds")
                             .arg(QString::fromLatin1(type.toPercentEncoding()), QString::number(length)));
        }
        chunk(type, at, chunkOverhead + length);
        at += chunkOverhead + length;
        if (type == "IEND") break;
    }
}

QByteArray EssentialPngChunks(const QByteArray& bytes, const QString& name) {
    static const QList<QByteArray> essential{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"};
    QByteArray kept = bytes.left(8);
    QByteArray header;
    std::vector<QByteArrayView> imageData;
    ForEachPngChunk(bytes, name, [&](const QByteArray& type, qint64 at, qint64 length) {
        const QByteArrayView data(bytes.constData() + at + 8, length - 12);
        if (type == "IHDR") header = data.toByteArray();
        if (type == "IDAT") imageData.push_back(data);
        if (essential.contains(type)) kept += bytes.mid(at, length);
    });
    CheckPngImageData(header, imageData, name);
    return kept;
}

}  // namespace Pictures
