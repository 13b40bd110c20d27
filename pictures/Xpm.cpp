#include <QList>

#include "Failure.h"
#include "Formats.h"

namespace Pictures {

void CheckXpmPalette(const QByteArray& bytes, const QString& name) {
    // The values line is the first string of the array: width, height,
    // colours and characters per pixel.
    const qsizetype brace = bytes.indexOf('{');
    const qsizetype open = brace < 0 ? -1 : bytes.indexOf('"', brace);
    const qsizetype close = open < 0 ? -1 : bytes.indexOf('"', open + 1);
    const QList<QByteArray> values =
        close < 0 ? QList<QByteArray>() : bytes.mid(open + 1, close - open - 1).simplified().split(' ');
    bool read = values.size() >= 4;
    qint64 numbers[3] = {};
    for (int i = 0; read && i < 3; ++i) numbers[i] = values[i].toLongLong(&read);
    if (!read) Refuse(name, QStringLiteral("the XPM's values line cannot be read"));
    const auto [width, height, colours] = numbers;
    CheckDeclaredSize(width, height, name);
    if (colours > width * height) {
        Refuse(name, QStringLiteral("XPM palette of %1 colours is more than its %2 pixels can use")
                         .arg(colours)
                         .arg(width * height));
    }
    if (colours > LargestXpmColours) {
        Refuse(name, QStringLiteral("XPM palette of %1 colours is more than the limit of %2 colours")
                         .arg(colours)
                         .arg(LargestXpmColours));
    }
}

}  // namespace Pictures
