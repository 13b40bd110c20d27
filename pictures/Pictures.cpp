#include "Pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>
#include <QtGlobal>

#include "Failure.h"
#include "FileAccess.h"
#include "Formats.h"

namespace Pictures {
namespace {

// Qt's own limit on the decoded image, below the pixel limit's four bytes a
// pixel with room to spare; a second guard should a decoder ask for more.
constexpr int AllocationLimitMegabytes = 32;

// The size at which the JPEG decoder reads a picture beyond the pixel limit:
// a half or a quarter of each side, fractions it decodes directly, without
// ever holding the whole picture; an invalid size for a larger picture.
QSize ShrunkJpegSize(QSize size) {
    if (!size.isValid() || qint64{size.width()} * size.height() > 4 * LargestPixelCount) {
        return {};
    }
    for (const int fraction : {2, 4}) {
        const QSize shrunk((size.width() + fraction - 1) / fraction,
                           (size.height() + fraction - 1) / fraction);
        if (qint64{shrunk.width()} * shrunk.height() <= LargestPixelCount) return shrunk;
    }
    return {};
}

// What Qt's decoders report while one picture is read: libjpeg's warnings
// about a premature end or corrupt data reach Qt's message handler, and from
// there this list instead of standard error.
class DecoderReports {
public:
    DecoderReports() : previous_(qInstallMessageHandler(&Collect)) { current_ = this; }
    ~DecoderReports() {
        qInstallMessageHandler(previous_);
        current_ = nullptr;
    }
    DecoderReports(const DecoderReports&) = delete;
    DecoderReports& operator=(const DecoderReports&) = delete;

    const QStringList& Reports() const { return reports_; }

private:
    static void Collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtWarningMsg && current_) {
            current_->reports_ << message.trimmed();
        } else if (current_ && current_->previous_) {
            current_->previous_(type, context, message);
        }
    }

    static inline DecoderReports* current_ = nullptr;
    QtMessageHandler previous_;
    QStringList reports_;
};

// Why a file of a format with an end mark is cut short, or an empty text.
QString MissingEnd(const QByteArray& bytes, const QByteArray& format) {
    QByteArray trimmed = bytes;
    while (!trimmed.isEmpty() && (trimmed.back() == '\0' || QChar::isSpace(trimmed.back()))) trimmed.chop(1);
    if (format == "gif" && !trimmed.endsWith(';'))
        return QStringLiteral("the GIF has no trailer: it is cut short");
    if (format == "xbm" && !trimmed.contains('}'))
        return QStringLiteral("the XBM has no closing brace: it is cut short");
    return {};
}

// How a picture goes to Qt's reader: the image of a file that holds several,
// and for an SVG, the part of it to draw.
struct QtRead {
    Size size = Size::Whole;
    QString* damage = nullptr;
    int image = 0;
    // An SVG is drawn only within this rectangle of its own size.
    QRect corner;
    // The elements an SVG draws.
    qint64 svgElements = 1;
    // The screen a picture read with Size::MayShrink is fitted to.
    QSize screen{Routines::ScreenWidth, Routines::ScreenHeight};
};

// The size at which an SVG is drawn for a caller that scales it down anyway:
// its own shape, within the limits and the time its elements may take.
QSize SvgSizeWithinLimits(QSize size, qint64 elements) {
    if (!size.isValid() || size.isEmpty()) return {};
    const qint64 pixels = std::min(LargestPixelCount, SvgPixelBudget / std::max<qint64>(elements, 1));
    const double scale = std::min({1.0, std::sqrt(double(pixels) / size.width() / size.height()),
                                   double(LargestSide) / size.width(), double(LargestSide) / size.height()});
    return QSize(std::max(1, int(size.width() * scale)), std::max(1, int(size.height() * scale)));
}

QImage ReadWithQt(const QByteArray& bytes, const QByteArray& format, const QString& name,
                  const QtRead& read = {}) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader::setAllocationLimit(AllocationLimitMegabytes);
    QImageReader reader(&buffer, format);
    // Only the format the content showed; no other decoder gets to guess.
    reader.setAutoDetectImageFormat(false);
    if (read.image > 0 && !reader.jumpToImage(read.image)) Refuse(name, reader.errorString());
    const QSize declared = reader.size();
    // Only a JPEG of one scan is read smaller: its decoder then holds a few
    // rows at a time, where a progressive one keeps the whole picture's
    // coefficients however small it is read.
    const bool mayShrink = read.size == Size::MayShrink && format == "jpeg" &&
                           qint64{declared.width()} * declared.height() > LargestPixelCount &&
                           JpegScanCount(bytes) == 1;
    const QSize shrunk = mayShrink ? ShrunkJpegSize(declared) : QSize();
    if (shrunk.isValid()) {
        reader.setScaledSize(shrunk);
    } else if (format == "svg" && !read.corner.isEmpty()) {
        // Drawn at its own size, but only what the caller shows.
        if (!declared.isValid() || declared.isEmpty()) CheckSize(declared, name);
        reader.setClipRect(read.corner.intersected(QRect(QPoint(), declared)));
    } else if (format == "svg" && read.size == Size::MayShrink) {
        QSize drawn = SvgSizeWithinLimits(declared, read.svgElements);
        CheckSize(drawn, name);
        const Routines::ScreenRect fit = Routines::FitRectangle(declared.width(), declared.height(),
                                                                read.screen.width(), read.screen.height());
        const QSize enough(4 * fit.width, 4 * fit.height);
        if (qint64{enough.width()} * enough.height() < qint64{drawn.width()} * drawn.height()) drawn = enough;
        reader.setScaledSize(drawn);
    } else if (format == "svg") {
        CheckSize(declared, name);
        if (read.svgElements * declared.width() * declared.height() > SvgPixelBudget) {
            Refuse(name, QStringLiteral("the SVG's %1 elements at %2 x %3 pixels would take too long to draw")
                             .arg(read.svgElements)
                             .arg(declared.width())
                             .arg(declared.height()));
        }
    } else if (format != "bmp") {
        // Qt 6.4 reports no size for a bitmap stored top-down; a bitmap's
        // header has been checked before it gets here.
        CheckSize(declared, name);
    }
    QString wrong = MissingEnd(bytes, format);
    QImage picture;
    {
        const DecoderReports reports;
        picture = reader.read();
        if (wrong.isEmpty() && !reports.Reports().isEmpty())
            wrong = reports.Reports().join(QStringLiteral("; "));
    }
    if (picture.isNull()) Refuse(name, wrong.isEmpty() ? reader.errorString() : wrong);
    if (!wrong.isEmpty()) {
        if (!read.damage) Refuse(name, QStringLiteral("damaged or cut short: %1").arg(wrong));
        *read.damage = wrong;
    }
    CheckSize(picture.size(), name);
    return picture;
}

QByteArray ReadPictureFile(const std::string& enginePath, const QString& name,
                           qint64 largest = LargestFileBytes) {
    // The engine's edge refuses folders, pipes and devices by their status,
    // before anything is opened.
    const std::uintmax_t length = Routines::FileLength(enginePath);
    if (length > static_cast<std::uintmax_t>(largest)) {
        Refuse(name,
               QStringLiteral("file of %1 bytes is larger than any picture this program reads (%2 bytes)")
                   .arg(length)
                   .arg(largest));
    }
    const std::vector<std::uint8_t> bytes = Routines::ReadFileStart(enginePath, length);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

}  // namespace

std::string EnginePath(const QString& path) {
    const QByteArray bytes = QFile::encodeName(path);
    // A name must reach the file system as it is: one without a byte form (a
    // lone surrogate) would be read or written under another name.
    if (QFile::decodeName(bytes) != path) {
        throw Routines::Failure(
            Routines::FailureCode::PathAccessError,
            Routines::Quoted(path.toStdString()) + ": the name has no form the file system holds");
    }
    return bytes.toStdString();
}

QImage ReadPicture(const QString& path, Size size, QString* damage) {
    return ReadPicture(EnginePath(path), path, size, damage);
}

QImage ReadPicture(const std::string& enginePath, const QString& name, Size size, QString* damage,
                   QSize screen) {
    return DecodePicture(ReadPictureFile(enginePath, name), name, size, damage, screen);
}

QImage ReadPictureCorner(const QString& path, QSize corner) {
    return ReadPictureCorner(EnginePath(path), path, corner);
}

QImage ReadPictureCorner(const std::string& enginePath, const QString& name, QSize corner) {
    // A PNG or JPEG may be streamed, which needs only its bytes in memory.
    const std::vector<std::uint8_t> start = Routines::ReadFileStart(enginePath, 8);
    const Format format =
        Sniff(QByteArray(reinterpret_cast<const char*>(start.data()), qsizetype(start.size())));
    const bool streamed = format == Format::Png || format == Format::Jpeg;
    return DecodePictureCorner(
        ReadPictureFile(enginePath, name, streamed ? LargestStreamedFileBytes : LargestFileBytes), name,
        corner);
}

namespace {

QImage Decode(const QByteArray& bytes, const QString& name, const QtRead& read) {
    if (bytes.size() > LargestFileBytes) {
        Refuse(name, QStringLiteral("%1 bytes are more than any picture this program reads (%2 bytes)")
                         .arg(bytes.size())
                         .arg(LargestFileBytes));
    }
    const Format format = Sniff(bytes);
    const QByteArray qtName = QtFormatName(format);
    // Only a JPEG may be read smaller, only an SVG drawn in part.
    QtRead whole;
    whole.damage = read.damage;
    switch (format) {
        case Format::Bitmap:
            if (QImage picture = DecodePaletteBitmap(bytes, name); !picture.isNull()) return picture;
            return ReadWithQt(bytes, qtName, name, whole);
        case Format::Png:
            return ReadWithQt(EssentialPngChunks(bytes, name), qtName, name, whole);
        case Format::Jpeg:
            CheckJpegScans(bytes, name);
            whole.size = read.size;
            return ReadWithQt(bytes, qtName, name, whole);
        case Format::XPixmap:
            CheckXpmPalette(bytes, name);
            return ReadWithQt(bytes, qtName, name, whole);
        case Format::Icon: {
            const IconImage image = ChooseIconImage(bytes, name);
            // A PNG inside an icon is held to the checks of a PNG file.
            if (image.png) return Decode(bytes.mid(image.offset, image.length), name, whole);
            whole.image = image.index;
            return ReadWithQt(bytes, qtName, name, whole);
        }
        case Format::Svg: {
            QtRead svg = read;
            svg.svgElements = CheckSvg(bytes, name);
            return ReadWithQt(bytes, qtName, name, svg);
        }
        case Format::Gif:
        case Format::PortableAnymap:
        case Format::XBitmap:
        case Format::Webp:
        case Format::Tiff:
            return ReadWithQt(bytes, qtName, name, whole);
        case Format::Unknown:
            break;
    }
    Refuse(name, bytes.isEmpty() ? QStringLiteral("the file is empty")
                                 : QStringLiteral("not a picture in a format this program reads"));
}

}  // namespace

QImage DecodePicture(const QByteArray& bytes, const QString& name, Size size, QString* damage, QSize screen) {
    QtRead read;
    read.size = size;
    read.damage = damage;
    read.screen = screen;
    return Decode(bytes, name, read);
}

QImage DecodePictureCorner(const QByteArray& bytes, const QString& name, QSize corner) {
    const QRect wanted(QPoint(), corner);
    QtRead read;
    read.corner = wanted;
    if (bytes.size() <= LargestStreamedFileBytes) {
        try {
            if (QImage picture = StreamedCorner(bytes, name, corner); !picture.isNull()) return picture;
        } catch (const Routines::Failure& refusal) {
            // The streaming readers refuse what libjpeg only warns of, which
            // Qt's decoder forgives in a header (stray bytes before a
            // marker): a picture the whole read shows is shown as it always
            // was. Otherwise the streaming reader's reason stands.
            try {
                const QImage picture = Decode(bytes, name, read);
                return picture.copy(wanted.intersected(picture.rect()));
            } catch (const Routines::Failure&) {
                throw refusal;
            }
        }
    }
    const QImage picture = Decode(bytes, name, read);
    return picture.copy(wanted.intersected(picture.rect()));
}

Routines::RgbaPicture RgbaPixels(const QImage& picture) {
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    Routines::RgbaPicture pixels{rgba.width(), rgba.height(), {}};
    const auto rowBytes = static_cast<std::size_t>(4 * rgba.width());
    pixels.rgba.reserve(rowBytes * static_cast<std::size_t>(rgba.height()));
    for (int y = 0; y < rgba.height(); ++y) {
        const uchar* row = rgba.constScanLine(y);
        pixels.rgba.insert(pixels.rgba.end(), row, row + rowBytes);
    }
    return pixels;
}

Routines::RgbaPicture PixelsToPlace(const QImage& picture, Routines::Placement placement, int width,
                                    int height) {
    if (Routines::IsFitted(picture.width(), picture.height(), placement, width, height))
        return RgbaPixels(picture);
    return RgbaPixels(picture.copy(QRect(0, 0, width, height).intersected(picture.rect())));
}

QByteArray EncodePicture(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image)) {
        throw Routines::Failure(Routines::FailureCode::InternalError, "cannot encode the picture as " +
                                                                          std::string(format) + ": " +
                                                                          writer.errorString().toStdString());
    }
    return bytes;
}

// Always 24 bits a pixel, whatever the image's own format.
QByteArray EncodeBitmap(const QImage& image) {
    return EncodePicture(image.convertToFormat(QImage::Format_RGB32), "bmp");
}

void WriteBitmap(const QImage& image, const QString& path) {
    const QByteArray bytes = EncodeBitmap(image);
    Routines::WriteFileAtomically(EnginePath(path), std::vector<std::uint8_t>(bytes.cbegin(), bytes.cend()));
}

}  // namespace Pictures
