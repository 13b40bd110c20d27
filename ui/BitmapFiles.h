#pragma once

// Reading pictures for Open BMP and writing Windows bitmaps for Save BMP.
// Every failure is raised as a Routines::Failure whose description names the path.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace BitmapFiles {

// Reads a Windows bitmap (or any other picture format Qt reads). A missing
// file, a file that is no picture, a bitmap whose header does not fit its
// length and a picture too large to read safely all raise a Failure.
QImage ReadPicture(const QString& path);

// Decodes a picture held in memory, with the same checks as ReadPicture;
// failures name the picture by name.
QImage DecodePicture(const QByteArray& bytes, const QString& name);

// The image as the bytes of a Windows bitmap file.
QByteArray EncodeBitmap(const QImage& image);

// Writes the image as a Windows bitmap, replacing the file at path whole or
// leaving it as it was.
void WriteBitmap(const QImage& image, const QString& path);

}  // namespace BitmapFiles
