#include "Names.h"

#include <QStringDecoder>

namespace Convert {

QStringList ArgumentNames(int argc, char* argv[]) {
    QStringList names;
    for (int i = 0; i < argc; ++i) names.append(QString::fromLatin1(argv[i]));
    return names;
}

QByteArray NameBytes(const QString& name) { return name.toLatin1(); }

std::string EnginePath(const QString& name) { return NameBytes(name).toStdString(); }

QByteArray ShownBytes(const QByteArray& text) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(text);
    if (!utf8.hasError()) return text;
    QByteArray shown;
    for (const char byte : text) {
        const auto value = static_cast<unsigned char>(byte);
        shown += value < 0x80 ? QByteArray(1, byte) : "\\x" + QByteArray::number(value, 16).toUpper();
    }
    return shown;
}

QString ShownName(const QString& name) { return QString::fromUtf8(ShownBytes(NameBytes(name))); }

}  // namespace Convert
