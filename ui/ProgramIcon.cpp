#include "ProgramIcon.h"

#include <QImageReader>
#include <QPixmap>

namespace ProgramIcon {
namespace {

// Read as PNG outright: guessing the format would load every image format
// plugin to ask it, which costs more than the reading itself.
QImage ReadPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace

QList<QImage> Images() {
    return {ReadPng(QStringLiteral(":/icons/window-32-16.png")),
            ReadPng(QStringLiteral(":/icons/window-48-256.png")),
            ReadPng(QStringLiteral(":/icons/window-32-256.png"))};
}

QIcon Icon() {
    // Read once and shared by every window that asks.
    static const QIcon icon = [] {
        QIcon images;
        for (const QImage& image : Images()) images.addPixmap(QPixmap::fromImage(image));
        return images;
    }();
    return icon;
}

}  // namespace ProgramIcon
