#include <algorithm>

#include "Failure.h"
#include "Formats.h"

namespace Pictures {
namespace {

// An SVG is XML text whose root is an svg element: it starts with the XML
// declaration, a comment, a document type or the element itself.
bool LooksLikeSvg(const QByteArray& bytes) {
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF")) text = text.sliced(3);
    text = text.trimmed();
    const bool xmlStart = text.startsWith("<?xml") || text.startsWith("<!--") ||
                          text.startsWith("<!DOCTYPE") || text.startsWith("<svg");
    return xmlStart && text.contains("<svg");
}

}  // namespace

Format Sniff(const QByteArray& bytes) {
    if (bytes.startsWith("BM")) return Format::Bitmap;
    if (bytes.startsWith("\x89PNG\r\n\x1a\n")) return Format::Png;
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) return Format::Gif;
    if (bytes.startsWith("\xFF\xD8\xFF")) return Format::Jpeg;
    if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6' &&
        QByteArrayView(" \t\r\n#").contains(bytes[2])) {
        return Format::PortableAnymap;
    }
    if (bytes.startsWith("/* XPM */")) return Format::XPixmap;
    if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP") return Format::Webp;
    if (bytes.startsWith(QByteArrayView("II*\0", 4)) || bytes.startsWith(QByteArrayView("MM\0*", 4)))
        return Format::Tiff;
    // A reserved zero, then type 1 (an icon; 2 would be a cursor).
    if (bytes.startsWith(QByteArrayView("\0\0\1\0", 4))) return Format::Icon;
    if (LooksLikeSvg(bytes)) return Format::Svg;
    if (bytes.trimmed().startsWith("#define")) return Format::XBitmap;
    return Format::Unknown;
}

QByteArray QtFormatName(Format format) {
    switch (format) {
        case Format::Bitmap:
            return "bmp";
        case Format::Png:
            return "png";
        case Format::Gif:
            return "gif";
        case Format::Jpeg:
            return "jpeg";
        case Format::PortableAnymap:
            return "ppm";
        case Format::XBitmap:
            return "xbm";
        case Format::XPixmap:
            return "xpm";
        case Format::Webp:
            return "webp";
        case Format::Tiff:
            return "tiff";
        case Format::Icon:
            return "ico";
        case Format::Svg:
            return "svg";
        case Format::Unknown:
            break;
    }
    return {};
}

void Refuse(const QString& name, const QString& reason) {
    throw Routines::Failure(Routines::FailureCode::InvalidPicture,
                            Routines::Quoted(name.toStdString()) + ": " + reason.toStdString());
}

void CheckSize(QSize size, const QString& name) {
    if (!size.isValid() || size.isEmpty()) Refuse(name, QStringLiteral("the picture's size cannot be read"));
    if (size.width() > LargestSide || size.height() > LargestSide ||
        qint64{size.width()} * size.height() > LargestPixelCount) {
        Refuse(name, QStringLiteral("picture of %1 x %2 pixels is larger than %3 pixels")
                         .arg(size.width())
                         .arg(size.height())
                         .arg(LargestPixelCount));
    }
}

void CheckDeclaredSize(qint64 width, qint64 height, const QString& name) {
    CheckSize(QSize(static_cast<int>(std::min<qint64>(width, LargestSide + 1)),
                    static_cast<int>(std::min<qint64>(height, LargestSide + 1))),
              name);
}

}  // namespace Pictures
