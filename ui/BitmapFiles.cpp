#include "BitmapFiles.h"

#include <cstdint>
#include <cstdlib>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include "Failure.h"

namespace BitmapFiles {
namespace {

using Routines::Failure;
using Routines::FailureCode;

// Enough for any picture a person would open for a 96 x 48 screen; a header
// claiming more is refused before anything is allocated.
constexpr int AllocationLimitMegabytes = 64;
constexpr std::int64_t LargestSide = 32768;

// The size of the headers we look at: file header (14) plus the fields of an
// info header up to the compression (34 - 14 = 20 more).
constexpr qint64 HeaderBytesRead = 54;
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t Uncompressed = 0;
constexpr std::uint32_t Bitfields = 3;

[[noreturn]] void Refuse(FailureCode code, const QString& path, const QString& reason) {
    throw Failure(code, Routines::Quoted(path.toStdString()) + ": " + reason.toStdString());
}

std::uint32_t ReadLittleEndian(const QByteArray& bytes, int offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[offset + i]);
    }
    return value;
}

// Qt accepts a bitmap whose pixel data is cut short and fills the missing rows
// with whatever memory held, so the header is checked against the length here.
void CheckBitmapHeader(const QString& path, const QByteArray& header, qint64 fileLength) {
    if (header.size() < 18)
        Refuse(FailureCode::InvalidPicture, path, QStringLiteral("bitmap header cut short"));
    const std::uint32_t dataOffset = ReadLittleEndian(header, 10, 4);
    const std::uint32_t infoSize = ReadLittleEndian(header, 14, 4);

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t bitCount = 0;
    std::uint32_t compression = Uncompressed;
    if (infoSize == CoreHeaderSize) {
        if (header.size() < 26) {
            Refuse(FailureCode::InvalidPicture, path, QStringLiteral("bitmap header cut short"));
        }
        width = ReadLittleEndian(header, 18, 2);
        height = ReadLittleEndian(header, 20, 2);
        bitCount = ReadLittleEndian(header, 24, 2);
    } else {
        if (infoSize < 40 || header.size() < 34) {
            Refuse(FailureCode::InvalidPicture, path, QStringLiteral("bitmap header cut short"));
        }
        width = static_cast<std::int32_t>(ReadLittleEndian(header, 18, 4));
        height = static_cast<std::int32_t>(ReadLittleEndian(header, 22, 4));
        bitCount = ReadLittleEndian(header, 28, 2);
        compression = ReadLittleEndian(header, 30, 4);
    }
    // A negative height marks rows stored top-down.
    height = std::abs(height);
    if (width <= 0 || height <= 0 || width > LargestSide || height > LargestSide) {
        Refuse(FailureCode::InvalidPicture, path,
               QStringLiteral("bitmap size %1 x %2 is not sensible").arg(width).arg(height));
    }
    if (bitCount == 0 || bitCount > 32) {
        Refuse(FailureCode::InvalidPicture, path,
               QStringLiteral("bitmap has %1 bits per pixel").arg(bitCount));
    }
    if (compression != Uncompressed && compression != Bitfields) return;

    const std::int64_t rowSize = ((width * bitCount + 31) / 32) * 4;
    const std::int64_t needed = static_cast<std::int64_t>(dataOffset) + rowSize * height;
    if (fileLength < needed) {
        Refuse(FailureCode::InvalidPicture, path,
               QStringLiteral("bitmap data cut short (%1 of %2 bytes)").arg(fileLength).arg(needed));
    }
}

// Reads a picture from the device, checking a bitmap's header against the
// length first; name is what failures call it.
QImage Decode(QIODevice& device, const QString& name) {
    const QByteArray header = device.read(HeaderBytesRead);
    if (header.startsWith("BM")) CheckBitmapHeader(name, header, device.size());
    device.seek(0);

    QImageReader::setAllocationLimit(AllocationLimitMegabytes);
    QImageReader reader(&device);
    QImage picture = reader.read();
    if (picture.isNull()) Refuse(FailureCode::InvalidPicture, name, reader.errorString());
    return picture;
}

FailureCode WriteFailureCode(QFileDevice::FileError error) {
    switch (error) {
        case QFileDevice::ResourceError:
            return FailureCode::DiskFull;
        case QFileDevice::OpenError:
        case QFileDevice::PermissionsError:
        case QFileDevice::RenameError:
            return FailureCode::PathAccessError;
        default:
            return FailureCode::DeviceError;
    }
}

}  // namespace

QImage ReadPicture(const QString& path) {
    QFile file(path);
    const QFileInfo info(file);
    if (!info.exists()) throw Failure(FailureCode::FileNotFound, Routines::Quoted(path.toStdString()));
    if (info.isDir()) Refuse(FailureCode::PathAccessError, path, QStringLiteral("a folder, not a file"));
    if (!file.open(QIODevice::ReadOnly)) Refuse(FailureCode::PathAccessError, path, file.errorString());

    return Decode(file, path);
}

QImage DecodePicture(const QByteArray& bytes, const QString& name) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return Decode(buffer, name);
}

QByteArray EncodeBitmap(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        throw Failure(FailureCode::InternalError, writer.errorString().toStdString());
    }
    return bytes;
}

void WriteBitmap(const QImage& image, const QString& path) {
    const QByteArray bytes = EncodeBitmap(image);

    // Unbuffered, so that a write the disk cannot take fails here and not
    // unnoticed in a flush, which would leave an empty file behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        Refuse(WriteFailureCode(file.error()), path, file.errorString());
    }
    if (file.write(bytes) != bytes.size()) {
        const FailureCode code = WriteFailureCode(file.error());
        const QString reason = file.errorString();
        file.cancelWriting();
        Refuse(code, path, reason);
    }
    if (!file.commit()) Refuse(WriteFailureCode(file.error()), path, file.errorString());
}

}  // namespace BitmapFiles
