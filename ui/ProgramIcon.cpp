#include "ProgramIcon.h"

#include <QPixmap>

namespace ProgramIcon {

QList<QImage> Images() {
    return {QImage(QStringLiteral(":/icons/window-32-16.png")),
            QImage(QStringLiteral(":/icons/window-48-256.png")),
            QImage(QStringLiteral(":/icons/window-32-256.png"))};
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
