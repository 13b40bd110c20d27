#include "Failure.h"
#include "Formats.h"

namespace Pictures {

qsizetype JpegScanCount(const QByteArray& bytes) {
    // Inside entropy-coded data a 0xFF byte is always followed by 0x00 or a
    // restart marker, so every FF DA pair is a start of scan.
    return bytes.count(QByteArrayView("\xFF\xDA"));
}

void CheckJpegScans(const QByteArray& bytes, const QString& name) {
    constexpr qsizetype largestScanCount = 64;
    const qsizetype scans = JpegScanCount(bytes);
    if (scans > largestScanCount) {
        Refuse(name, QStringLiteral("JPEG with %1 scans, more than %2").arg(scans).arg(largestScanCount));
    }
}

}  // namespace Pictures
