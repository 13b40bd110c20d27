#pragma once

// Shared by the converter's tests: running the real program, and the files
// the tests give it, each built from its format's description.

#include <functional>

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

struct ConverterRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    // The lines written to standard error.
    QList<QByteArray> ErrorLines() const;
};

// Runs pelorin-convert in the folder with the arguments, feeding it the
// bytes on standard input.
ConverterRun RunConverter(const QString& folder, const QStringList& arguments,
                          const QByteArray& standardInput = {});

// A Nokia logo file: a header of headerSize bytes beginning with magic, then
// one "0" or "1" per pixel of the 72 x 14 logo.
QByteArray LogoFile(const QByteArray& magic, int headerSize, const std::function<bool(int, int)>& isSet);

// The picture encoded by Qt in the format ("bmp", "png", "ppm", ...).
QByteArray Encoded(const QImage& picture, const char* format);

// A GIF of the picture's colours (at most 128 distinct), written with
// uncompressed LZW codes: a clear code before every run of literal codes
// short enough that the code size never grows.
QByteArray GifFile(const QImage& picture);
