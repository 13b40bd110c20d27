#pragma once

// The picture formats Open BMP accepts, told apart by their content, and the
// checks that keep each one's cost bounded before Qt's decoders see it. Every
// refusal raises a Routines::Failure (InvalidPicture) quoting the given name.

#include <functional>

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
// A PNG or JPEG that Open BMP streams for the view's corner (StreamedCorner)
// costs its bytes and a few rows, so its file may be larger: a photo of up to
// the streaming readers' 100 megapixels.
inline constexpr qint64 LargestStreamedFileBytes = 48 * 1024 * 1024;

enum class Format {
    Bitmap,
    Png,
    Gif,
    Jpeg,
    PortableAnymap,
    XBitmap,
    XPixmap,
    Webp,
    Tiff,
    Icon,
    Svg,
    Unknown
};

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

// Calls `chunk` with the type, offset and whole length (with its length,
// type and checksum fields) of each chunk up to IEND; a chunk that claims
// more bytes than the file holds, or a file without IEND, is refused.
void ForEachPngChunk(const QByteArray& bytes, const QString& name,
                     const std::function<void(const QByteArray& type, qint64 at, qint64 length)>& chunk);

// How many scans a JPEG holds: one for a baseline photo, several for a
// progressive one.
qsizetype JpegScanCount(const QByteArray& bytes);

// The size a JPEG's frame header states, or an invalid size where there is
// none before the file ends.
QSize JpegStatedSize(const QByteArray& bytes);

// Refuses a JPEG with more scans than any real encoder writes; each scan of a
// progressive JPEG costs a pass over the whole picture.
void CheckJpegScans(const QByteArray& bytes, const QString& name);

// The most colours an XPM's palette may declare: Qt parses every entry before
// the first pixel, a colour name each, so the palette, not the picture, sets
// the cost of a small XPM.
inline constexpr qint64 LargestXpmColours = 65536;

// Refuses an XPM whose header is unreadable or declares more colours than its
// pixels could use, or than LargestXpmColours.
void CheckXpmPalette(const QByteArray& bytes, const QString& name);

// One image of an icon file: where its directory entry points and the size
// its own header (a PNG's or a bitmap's) declares, which may differ from the
// directory's.
struct IconImage {
    int index = 0;
    qint64 offset = 0;
    qint64 length = 0;
    qint64 width = 0;
    qint64 height = 0;
    bool png = false;
};

// The image of a Windows icon to show: the largest (by pixels) within the
// limits, the first of equals. An icon whose directory or whose every image
// is cut short, or whose every image is beyond the limits, is refused.
IconImage ChooseIconImage(const QByteArray& bytes, const QString& name);

// The most elements an SVG may draw (each <use> drawing its target again),
// of them dashed lines, and how deep they may nest, which bound the time to
// draw it at the window's size; deeper nesting would also deepen the
// renderer's recursion. A dashed line costs a path per dash.
inline constexpr qint64 LargestSvgElements = 10000;
inline constexpr qint64 LargestDashedSvgElements = 500;
inline constexpr int DeepestSvgNesting = 128;
// Drawing an element may cost every pixel drawn: an SVG is drawn at a size
// whose pixels times its elements stay within this, or refused.
inline constexpr qint64 SvgPixelBudget = qint64{1} << 30;

// Refuses an SVG that is not well-formed XML, that declares entities (which
// could expand without end, or name other files), that refers to anything
// outside itself (Qt's renderer reads the file named by an <image> from the
// disk), that uses an element within itself, or that is beyond the limits
// above. Images embedded as data: URIs must be pictures this program reads,
// within its limits. Returns how many elements it draws.
qint64 CheckSvg(const QByteArray& bytes, const QString& name);

// The top-left corner of a PNG that is not interlaced and has at most 8 bits
// a channel, or of a JPEG of one scan, decoded by the streaming readers only
// as far as the corner's rows: such a picture may have up to
// LargestStreamedPixelCount pixels. Its pixels are those Qt's decoders give.
// A null image for other pictures, which go to Qt.
QImage StreamedCorner(const QByteArray& bytes, const QString& name, QSize corner);

}  // namespace Pictures
