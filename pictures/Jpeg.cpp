#include "Failure.h"
#include "Formats.h"
#include "JpegReader.h"

namespace Pictures {

qsizetype JpegScanCount(const QByteArray& bytes) {
    // Inside entropy-coded data a 0xFF byte is always followed by 0x00 or a
    // restart marker, so every FF DA pair is a start of scan.
    return bytes.count(QByteArrayView("\xFF\xDA"));
}

void CheckJpegScans(const QByteArray& bytes, const QString& name) {
    const qsizetype scans = JpegScanCount(bytes);
    if (scans > LargestJpegScanCount) {
        Refuse(name, QStringLiteral("JPEG with %1 scans, more than %2").arg(scans).arg(LargestJpegScanCount));
    }
}

}  // namespace Pictures
