#include <algorithm>
#include <cstring>
#include <span>
#include <utility>

#include <QtEndian>

#include "Failure.h"
#include "Formats.h"
#include "StreamedPicture.h"

namespace Pictures {
namespace {

// Keeps the top-left corner of the rows given and stops the reader after
// the corner's last row.
class CornerRows : public RowStream {
public:
    explicit CornerRows(QSize corner) : corner_(corner) {}

    void Begin(int width, int height) override {
        picture_ = QImage(std::min(width, corner_.width()), std::min(height, corner_.height()),
                          QImage::Format_RGBA8888);
    }
    bool Row(const std::uint8_t* rgba) override {
        std::memcpy(picture_.scanLine(rows_), rgba, static_cast<std::size_t>(picture_.width()) * 4);
        return ++rows_ < picture_.height();
    }
    QImage Picture() const { return picture_; }

private:
    QSize corner_;
    QImage picture_;
    int rows_ = 0;
};

// What Qt's PNG decoder gives, the streaming reader gives too, except at 16
// bits a channel, which Qt rounds and the reader cuts, and except for an
// interlaced picture, which the reader holds whole. A PNG no taller than the
// corner is read whole: the reader would go on after its last row to inflate
// whatever follows in the image data, which the whole read's checks bound.
bool StreamsLikeQt(const QByteArray& bytes, Format format, const QString& name, QSize corner) {
    if (format == Format::Jpeg) return JpegScanCount(bytes) == 1;
    if (format != Format::Png) return false;
    bool whole = false;
    QByteArray header;
    // The image data is not checked past the corner, but a file cut short is
    // refused as a whole read refuses it. The header comes first.
    ForEachPngChunk(bytes, name, [&](const QByteArray& type, qint64 at, qint64 length) {
        if (type == "IHDR" && at == 8 && length == 25) header = bytes.mid(at + 8, 13);
        whole = type == "IEND";
    });
    return whole && header.size() == 13 &&
           qFromBigEndian<quint32>(header.constData() + 4) > quint32(corner.height()) &&
           static_cast<std::uint8_t>(header[8]) <= 8 && header[12] == 0;
}

// The size the PNG's header or the JPEG's frame states.
std::pair<qint64, qint64> StatedSize(const QByteArray& bytes, Format format) {
    if (format == Format::Jpeg) {
        const QSize size = JpegStatedSize(bytes);
        return {size.width(), size.height()};
    }
    // A PNG that streams has its header: StreamsLikeQt found it.
    return {qFromBigEndian<quint32>(bytes.constData() + 16), qFromBigEndian<quint32>(bytes.constData() + 20)};
}

}  // namespace

QImage StreamedCorner(const QByteArray& bytes, const QString& name, QSize corner) {
    const Format format = Sniff(bytes);
    if (!StreamsLikeQt(bytes, format, name, corner)) return {};
    // Refused here, in the window's words, before the readers refuse it.
    if (const auto [width, height] = StatedSize(bytes, format); width > LargestStreamedSide ||
                                                                height > LargestStreamedSide ||
                                                                width * height > LargestStreamedPixelCount) {
        Refuse(name, QStringLiteral("picture of %1 x %2 pixels is larger than %3 pixels")
                         .arg(width)
                         .arg(height)
                         .arg(LargestStreamedPixelCount));
    }
    if (format == Format::Jpeg) {
        // A cut-short JPEG is refused as a whole read refuses it: the last
        // scan must be followed by the end of the picture.
        const qsizetype lastScan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA"));
        if (bytes.lastIndexOf(QByteArrayView("\xFF\xD9")) < lastScan)
            Refuse(name, QStringLiteral("damaged or cut short: the JPEG has no end after its scan"));
    }
    CornerRows rows(corner);
    // Qt's decoders leave the picture in its stored orientation.
    StreamPicture(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size())),
                  name.toStdString(), {.orient = false}, rows);
    return rows.Picture();
}

}  // namespace Pictures
