#pragma once

// The screen picture written out: the output formats, their names and endings,
// and the bytes of each.

#include <optional>

#include <QByteArray>
#include <QString>

#include "ByteLayouts.h"
#include "MonoPicture.h"
#include "ScreenOutputs.h"

namespace Convert {

enum class OutputFormat { Bit, Bmp, Png, Pbm, C, Xbm, Hex };

// The largest --scale: a 1024 x 1024 screen then makes a 16384-pixel square.
inline constexpr int MaxScale = 16;

// How the picture is written out.
struct OutputOptions {
    Routines::ByteLayout layout = Routines::DefaultByteLayout;
    QString name;  // the C identifier's source: --name, else the output's base name
    bool progmem = false;
    int scale = 1;  // each pixel as scale x scale pixels in BMP, PNG and PBM
    // When set, the scale is the largest whole number that keeps the picture
    // within a square this many pixels wide (at least 1).
    int thumbnail = 0;
    Routines::PreviewStyle preview = Routines::PreviewStyle::Blocks;
};

std::optional<OutputFormat> FormatNamed(const QString& word);
// By the name's ending, in any case.
std::optional<OutputFormat> FormatOfPath(const QString& path);
QString Extension(OutputFormat format);

// The picture in the output format: its bytes in the layout (.bit), as C, XBM
// or hex text, or a picture with set pixels black and clear ones white.
QByteArray Encode(const Routines::MonoPicture& picture, OutputFormat format, const OutputOptions& options);

}  // namespace Convert
