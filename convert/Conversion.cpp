#include "Conversion.h"

#include <cstdint>
#include <string>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryFile>

#include "Failure.h"
#include "FileAccess.h"
#include "Formats.h"
#include "Names.h"
#include "PictureToScreen.h"
#include "Pictures.h"
#include "Routines.h"
#include "ScreenCanvas.h"

namespace Convert {

namespace {

constexpr int LogoMagicLength = 3;

std::optional<InputKind> LogoKindOfStart(const QByteArray& start) {
    if (start.startsWith("NOL")) return InputKind::Nol;
    if (start.startsWith("NGG")) return InputKind::Ngg;
    return std::nullopt;
}

// A picture scaled to fit the screen may be read smaller to begin with.
Pictures::Size PictureSize(const ConversionOptions& options) {
    return options.fit ? Pictures::Size::MayShrink : Pictures::Size::Whole;
}

// The picture scaled to fit, or its top-left 96 x 48 as the window shows it,
// handed to the engine as plain bytes.
void DrawQtPicture(Routines::ImageView& view, const QImage& picture, const ConversionOptions& options) {
    QImage placed;
    Routines::ScreenRect where;
    if (options.fit) {
        where = Routines::FitRectangle(picture.width(), picture.height());
        // Premultiplied, so that transparent pixels do not bleed their colour into the smoothing.
        placed = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                     .scaled(where.width, where.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        // Cropping first keeps a large picture from being converted whole.
        placed = picture.copy(
            QRect(0, 0, Routines::ScreenWidth, Routines::ScreenHeight).intersected(picture.rect()));
    }
    Routines::DrawPicture(view, Pictures::RgbaPixels(placed), where.left, where.top, options.rules);
}

ScreenBytes Finish(Routines::ScreenCanvas& canvas, const ConversionOptions& options) {
    if (options.invert) Routines::InvertScreen(canvas);
    Routines::SampleScreen(canvas);
    Routines::ScreenBitsToBytes();
    return Routines::BitBytes;
}

// The engine's .bit and logo routines on a file, as the window's Open Bit and Open Nokia run them.
std::optional<ScreenBytes> ConvertWithEngine(const std::string& path, InputKind kind,
                                             const ConversionOptions& options) {
    Routines::ScreenCanvas canvas;
    if (kind == InputKind::Bit) {
        if (Routines::LoadBitFile(path) != Routines::TruthTrue) return std::nullopt;
        Routines::HexToScreenBits();
        Routines::DrawScreen(canvas);
    } else {
        const Routines::Truth loaded =
            kind == InputKind::Nol ? Routines::LoadNolFile(path) : Routines::LoadNggFile(path);
        if (loaded != Routines::TruthTrue) return std::nullopt;
        Routines::NokiaHexToBits();
        Routines::DrawNokiaLogo(canvas);
    }
    return Finish(canvas, options);
}

// Pixel (x, y) is bit y mod 8 of the byte for column x in band y div 8.
bool IsPixelSet(const ScreenBytes& screen, int x, int y) {
    return (screen[static_cast<std::size_t>(Routines::ScreenWidth * (y / 8) + x)] >> (y % 8) & 1) != 0;
}

QByteArray WithQt(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        throw Routines::Failure(Routines::FailureCode::InternalError, writer.errorString().toStdString());
    }
    return bytes;
}

}  // namespace

InputKind KindOfFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("bit")) return InputKind::Bit;
    // Only a regular file is looked into (the engine refuses a pipe or device
    // before opening it); anything that cannot be read goes on by its name,
    // and its reader then reports why.
    try {
        if (Routines::FileLength(EnginePath(path)) >= LogoMagicLength) {
            const std::vector<std::uint8_t> start =
                Routines::ReadFileStart(EnginePath(path), LogoMagicLength);
            const QByteArray bytes(reinterpret_cast<const char*>(start.data()),
                                   static_cast<qsizetype>(start.size()));
            if (const auto logo = LogoKindOfStart(bytes)) return *logo;
        }
    } catch (const Routines::Failure&) {
    }
    if (suffix == QLatin1String("nol")) return InputKind::Nol;
    if (suffix == QLatin1String("ngg")) return InputKind::Ngg;
    return InputKind::Picture;
}

InputKind KindOfBytes(const QByteArray& bytes) {
    if (const auto logo = LogoKindOfStart(bytes)) return *logo;
    if (bytes.size() != static_cast<qsizetype>(Routines::BitFileSize)) return InputKind::Picture;
    // A .bit may begin with any bytes, also those of a picture's signature:
    // a screen's worth of bytes is a picture only if it reads as one.
    if (Pictures::Sniff(bytes) == Pictures::Format::Unknown) return InputKind::Bit;
    try {
        Pictures::DecodePicture(bytes, QStringLiteral("-"));
        return InputKind::Picture;
    } catch (const Routines::Failure&) {
        return InputKind::Bit;
    }
}

std::optional<ScreenBytes> ConvertFile(const QString& path, InputKind kind,
                                       const ConversionOptions& options) {
    if (kind != InputKind::Picture) return ConvertWithEngine(EnginePath(path), kind, options);
    Routines::ScreenCanvas canvas;
    DrawQtPicture(canvas, Pictures::ReadPicture(EnginePath(path), ShownName(path), PictureSize(options)),
                  options);
    return Finish(canvas, options);
}

std::optional<ScreenBytes> ConvertBytes(const QByteArray& bytes, const QString& name,
                                        const ConversionOptions& options) {
    const InputKind kind = KindOfBytes(bytes);
    if (kind == InputKind::Picture) {
        Routines::ScreenCanvas canvas;
        DrawQtPicture(canvas, Pictures::DecodePicture(bytes, ShownName(name), PictureSize(options)), options);
        return Finish(canvas, options);
    }
    // The engine reads files: the bytes go to a private one, and failures
    // name the input instead of it.
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        throw Routines::Failure(
            Routines::FailureCode::DeviceError,
            "cannot keep standard input in a temporary file (" + file.errorString().toStdString() + ")");
    }
    const std::string temporary = EnginePath(file.fileName());
    try {
        return ConvertWithEngine(temporary, kind, options);
    } catch (const Routines::Failure& failure) {
        std::string description = failure.Description();
        const std::string quoted = Routines::Quoted(temporary);
        for (auto at = description.find(quoted); at != std::string::npos; at = description.find(quoted)) {
            description.replace(at, quoted.size(), Routines::Quoted(ShownName(name).toStdString()));
        }
        throw InputFailure{failure.Number(), description};
    }
}

std::optional<OutputFormat> FormatNamed(const QString& word) {
    for (OutputFormat format : {OutputFormat::Bit, OutputFormat::Bmp, OutputFormat::Png, OutputFormat::Pbm}) {
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
    }
    return {};
}

QByteArray Encode(const ScreenBytes& screen, OutputFormat format) {
    if (format == OutputFormat::Bit) {
        return QByteArray(reinterpret_cast<const char*>(screen.data()),
                          static_cast<qsizetype>(screen.size()));
    }
    QImage picture(Routines::ScreenWidth, Routines::ScreenHeight, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < Routines::ScreenHeight; ++y) {
        for (int x = 0; x < Routines::ScreenWidth; ++x)
            picture.setPixel(x, y, IsPixelSet(screen, x, y) ? 1 : 0);
    }
    switch (format) {
        case OutputFormat::Bmp:
            return Pictures::EncodeBitmap(picture);
        case OutputFormat::Png:
            return WithQt(picture, "png");
        case OutputFormat::Pbm:
        default:
            return WithQt(picture, "pbm");
    }
}

QByteArray Preview(const ScreenBytes& screen) {
    // Indexed by upper pixel + 2 * lower pixel.
    static const char* const blocks[] = {" ", "\u2580", "\u2584", "\u2588"};
    QByteArray text;
    for (int y = 0; y < Routines::ScreenHeight; y += 2) {
        for (int x = 0; x < Routines::ScreenWidth; ++x) {
            text += blocks[(IsPixelSet(screen, x, y) ? 1 : 0) + (IsPixelSet(screen, x, y + 1) ? 2 : 0)];
        }
        text += '\n';
    }
    return text;
}

}  // namespace Convert
