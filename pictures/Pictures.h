#pragma once

// Reading pictures for Open BMP and writing Windows bitmaps for Save BMP.
// Every failure is raised as a Routines::Failure whose description names the
// path (or the name given for bytes held in memory).

#include <string>

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include "PictureRules.h"

namespace Pictures {

// Reads a Windows bitmap, or a PNG, GIF (its first frame), JPEG, PBM/PGM/PPM,
// XBM, XPM, WebP, TIFF (its first page), Windows icon (its largest image
// within the limits) or SVG picture. A missing file, a folder, a pipe or device, a file too large, a
// file that is no picture and a picture that lies about its lengths or is too
// large to read safely all raise a Failure; nothing that could block is
// ever opened.
//
// With Size::MayShrink, for callers that scale the picture down to fit
// `screen` anyway, a JPEG photo of up to four times the pixel limit is decoded
// at a half or a quarter of its size, which its decoder does as it reads,
// instead of being refused; and an SVG larger than the screen is drawn at no
// more than four times its fit rectangle (still larger than the screen, so
// still fitted), enough for the engine's averaging and no more.
//
// A picture whose decoder reports damage (a premature end, corrupt data) or
// that lacks its format's end (a GIF without its trailer, an XBM without its
// closing brace) is refused as unreadable; given `damage`, it is read as far
// as it goes instead, and `damage` says what was wrong (empty for a whole
// picture).
enum class Size { Whole, MayShrink };

// A name as Qt gives it (from a dialog, say) in the file system's bytes, as
// the engine takes it. A name with no byte form raises a PathAccessError
// failure rather than lead to another file.
std::string EnginePath(const QString& path);

QImage ReadPicture(const QString& path, Size size = Size::Whole, QString* damage = nullptr);
// The same for a path already in the engine's bytes; name is what failures
// quote.
QImage ReadPicture(const std::string& enginePath, const QString& name, Size size = Size::Whole,
                   QString* damage = nullptr, QSize screen = {Routines::ScreenWidth, Routines::ScreenHeight});

// The same for a picture already in memory; name is what failures quote.
QImage DecodePicture(const QByteArray& bytes, const QString& name, Size size = Size::Whole,
                     QString* damage = nullptr,
                     QSize screen = {Routines::ScreenWidth, Routines::ScreenHeight});

// Only the top-left `corner` of the picture, for a caller that shows no more
// (Open BMP's view): the pixels of the picture ReadPicture gives, cut to the
// corner. A PNG that is not interlaced, with up to 8 bits a channel, and a
// JPEG of one scan are decoded only down to the corner's last row, so that
// they may be of any size up to the streaming readers' limit (100 megapixels)
// at the cost of a few rows, and its file may have up to 48 MiB; an SVG is
// drawn only within the corner, at its
// own size, whatever that is. Other pictures are read whole, as ReadPicture
// reads them, and cut.
QImage ReadPictureCorner(const QString& path, QSize corner);
// The same for a path already in the engine's bytes; name is what failures quote.
QImage ReadPictureCorner(const std::string& enginePath, const QString& name, QSize corner);
QImage DecodePictureCorner(const QByteArray& bytes, const QString& name, QSize corner);

// The picture's pixels as the engine's picture rules take them: red, green,
// blue and alpha bytes, row by row.
Routines::RgbaPicture RgbaPixels(const QImage& picture);

// The pixels the engine's rules place on a screen of width x height: the
// whole picture when the placement scales it to fit, else only its top-left
// part inside the screen, which is all that shows; so a large picture drawn
// as it is is never converted whole. The window's view and pelorin-convert
// both place pictures through here.
Routines::RgbaPicture PixelsToPlace(const QImage& picture, Routines::Placement placement,
                                    int width = Routines::ScreenWidth, int height = Routines::ScreenHeight);

// The image as the bytes of a file in the format Qt's writers know by that
// name ("png", "pbm", ...).
QByteArray EncodePicture(const QImage& image, const char* format);
// The image as the bytes of a Windows bitmap file.
QByteArray EncodeBitmap(const QImage& image);

// Writes the image as a Windows bitmap through the engine's atomic writer, so
// Save BMP refuses the same targets and reports the same failures as Save Bit.
void WriteBitmap(const QImage& image, const QString& path);

}  // namespace Pictures
