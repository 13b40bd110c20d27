#include "Outputs.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <QFileInfo>
#include <QImage>

#include "Pictures.h"

namespace Convert {

std::optional<OutputFormat> FormatNamed(const QString& word) {
    if (word == QLatin1String("c")) return OutputFormat::C;
    for (OutputFormat format : {OutputFormat::Bit, OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Pbm,
                                OutputFormat::C, OutputFormat::Xbm, OutputFormat::Hex}) {
        if (word == Extension(format)) return format;
    }
    return std::nullopt;
}

std::optional<OutputFormat> FormatOfPath(const QString& path) {
    return FormatNamed(QFileInfo(path).suffix().toLower());
}

QString Extension(OutputFormat format) {
    switch (format) {
        case OutputFormat::Bit:
            return QStringLiteral("bit");
        case OutputFormat::Bmp:
            return QStringLiteral("bmp");
        case OutputFormat::Png:
            return QStringLiteral("png");
        case OutputFormat::Pbm:
            return QStringLiteral("pbm");
        case OutputFormat::C:
            return QStringLiteral("h");
        case OutputFormat::Xbm:
            return QStringLiteral("xbm");
        case OutputFormat::Hex:
            return QStringLiteral("hex");
    }
    return {};
}

QByteArray Encode(const Routines::MonoPicture& mono, OutputFormat format, const OutputOptions& options) {
    const auto text = [](const std::string& bytes) {
        return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    };
    const std::string name = options.name.toStdString();
    switch (format) {
        case OutputFormat::Bit: {
            const std::vector<std::uint8_t> bytes = Routines::Pack(mono, options.layout);
            return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                              static_cast<qsizetype>(bytes.size()));
        }
        case OutputFormat::C:
            return text(Routines::CHeader(mono, options.layout, name, options.progmem));
        case OutputFormat::Xbm:
            return text(Routines::Xbm(mono, name));
        case OutputFormat::Hex:
            return text(Routines::HexBytes(mono, options.layout));
        default:
            break;
    }
    const int scale = options.thumbnail > 0
                          ? std::clamp(options.thumbnail / std::max(mono.Width(), mono.Height()), 1, MaxScale)
                          : options.scale;
    QImage picture(mono.Width() * scale, mono.Height() * scale, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, mono.At(x / scale, y / scale) ? 1 : 0);
    }
    switch (format) {
        case OutputFormat::Bmp:
            return Pictures::EncodeBitmap(picture);
        case OutputFormat::Png:
            return Pictures::EncodePicture(picture, "png");
        case OutputFormat::Pbm:
        default:
            return Pictures::EncodePicture(picture, "pbm");
    }
}

}  // namespace Convert
