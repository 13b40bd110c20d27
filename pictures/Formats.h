#pragma once

// The picture formats Open BMP accepts, told apart by their content, and the
// checks that keep each one's cost bounded before Qt's decoders see it. Every
// refusal raises a Routines::Failure (InvalidPicture) quoting the given name.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace Pictures {

// Limits for any picture, whatever its format claims: the file, the sides and
// the pixels (four bytes each when decoded), so that opening a file costs well
// under 64 MiB and a fraction of a second.
inline constexpr qint64 LargestFileBytes = 8 * 1024 * 1024;
inline constexpr int LargestSide = 32768;
inline constexpr qint64 LargestPixelCount = 4 * 1024 * 1024;

enum class Format { Bitmap, Png, Gif, Jpeg, PortableAnymap, XBitmap, XPixmap, Unknown };

Format Sniff(const QByteArray& bytes);
// The name Qt's image reader knows the format by.
QByteArray QtFormatName(Format format);

[[noreturn]] void Refuse(const QString& name, const QString& reason);
// Refuses a size that is empty or beyond the limits above.
void CheckSize(QSize size, const QString& name);
// The same for a size as a header declares it, which may lie beyond what
// QSize holds.
void CheckDeclaredSize(qint64 width, qint64 height, const QString& name);

// A Windows bitmap of 1, 4 or 8 bits per pixel, uncompressed or run-length
// encoded, decoded here rather than by Qt, whose decoder leaves skipped pixels
// undefined. Returns a null image for the other depths, after checking their
// header against the file's length; those go to Qt.
QImage DecodePaletteBitmap(const QByteArray& bytes, const QString& name);

// The PNG with only the chunks that define its pixels (header, palette,
// transparency, image data, end): a chunk that claims more bytes than the
// file holds is refused, and text, profiles and other extras, which the PNG
// library would inflate into memory, never reach it. Image data that
// inflates past what the picture needs, or beyond 8 MiB, is refused too.
QByteArray EssentialPngChunks(const QByteArray& bytes, const QString& name);

// How many scans a JPEG holds: one for a baseline photo, several for a
// progressive one.
qsizetype JpegScanCount(const QByteArray& bytes);

// Refuses a JPEG with more scans than any real encoder writes; each scan of a
// progressive JPEG costs a pass over the whole picture.
void CheckJpegScans(const QByteArray& bytes, const QString& name);

}  // namespace Pictures
