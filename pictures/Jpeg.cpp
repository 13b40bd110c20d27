#include <QtEndian>

#include "Failure.h"
#include "Formats.h"
#include "JpegReader.h"

namespace Pictures {

qsizetype JpegScanCount(const QByteArray& bytes) {
    // Inside entropy-coded data a 0xFF byte is always followed by 0x00 or a
    // restart marker, so every FF DA pair is a start of scan.
    return bytes.count(QByteArrayView("\xFF\xDA"));
}

QSize JpegStatedSize(const QByteArray& bytes) {
    // Markers from the start of the picture to its frame header, each but
    // the start followed by its length.
    qsizetype at = 2;
    while (at + 9 <= bytes.size() && static_cast<uchar>(bytes[at]) == 0xFF) {
        const auto marker = static_cast<uchar>(bytes[at + 1]);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
            return QSize(qFromBigEndian<quint16>(bytes.constData() + at + 7),
                         qFromBigEndian<quint16>(bytes.constData() + at + 5));
        at += 2 + qFromBigEndian<quint16>(bytes.constData() + at + 2);
    }
    return {};
}

void CheckJpegScans(const QByteArray& bytes, const QString& name) {
    const qsizetype scans = JpegScanCount(bytes);
    if (scans > LargestJpegScanCount) {
        Refuse(name, QStringLiteral("JPEG with %1 scans, more than %2").arg(scans).arg(LargestJpegScanCount));
    }
}

}  // namespace Pictures
