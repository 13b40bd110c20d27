#pragma once

// Turning one input into the 576 bytes of the Lyra's screen, and those bytes
// into the output formats, through the same engine routines as the window.

#include <array>
#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>

#include "ByteLayouts.h"
#include "MonoPicture.h"
#include "PictureRules.h"
#include "Routines.h"
#include "ScreenOutputs.h"

namespace Convert {

using ScreenBytes = std::array<std::uint8_t, Routines::BitFileSize>;

enum class InputKind { Bit, Nol, Ngg, Picture };
enum class OutputFormat { Bit, Bmp, Png, Pbm, C, Xbm, Hex };

// What the picture options ask for; ".bit" files and logos take only invert.
struct ConversionOptions {
    Routines::PictureRules picture;
    bool invert = false;
    // Accept a picture cut short or damaged as far as it was decoded.
    bool partial = false;
    int rotate = 0;                      // clockwise degrees: 0, 90, 180 or 270
    std::optional<bool> flipHorizontal;  // mirrored left to right (true) or top to bottom
    // Raw bytes in this layout at this size instead of a picture or a logo.
    std::optional<Routines::ByteLayout> fromLayout;
    int width = Routines::ScreenWidth;
    int height = Routines::ScreenHeight;
};

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

// A failed input: the failure number and description the window would show.
struct InputFailure {
    int number = 0;
    std::string description;
};

// A file named ".bit" (in any case) is a .bit file; then "NOL" or "NGG" at
// the start, or else the ending ".nol" or ".ngg" in any case, makes a logo;
// anything else is a picture.
InputKind KindOfFile(const QString& path);
// Standard input has no name: a logo by its start, a picture when Qt knows
// its format, else a .bit file.
InputKind KindOfBytes(const QByteArray& bytes);

// What converting a picture found, for the lines on standard error: how the
// drawing went (a result that lost the picture gets a hint) and, when damaged
// pictures are accepted, what was wrong with it.
struct PictureNotes {
    Routines::PictureOutcome drawn;
    QString damage;
};

// The screen made from the file at the options' size, inverted, rotated and
// flipped, or nothing when the engine refused it (it has then shown its box).
// Failures are raised as Routines::Failure; a .bit file or a logo asked for at
// a size other than 96 x 48 as InputFailure. A picture's notes go to `notes`
// when given.
std::optional<Routines::MonoPicture> ConvertFile(const QString& path, InputKind kind,
                                                 const ConversionOptions& options,
                                                 PictureNotes* notes = nullptr);
// The same for bytes read from standard input, called name in failures.
std::optional<Routines::MonoPicture> ConvertBytes(const QByteArray& bytes, const QString& name,
                                                  const ConversionOptions& options,
                                                  PictureNotes* notes = nullptr);

std::optional<OutputFormat> FormatNamed(const QString& word);
// By the name's ending, in any case.
std::optional<OutputFormat> FormatOfPath(const QString& path);
QString Extension(OutputFormat format);

// The picture rotated and flipped as the options ask.
Routines::MonoPicture Transformed(Routines::MonoPicture picture, const ConversionOptions& options);
// Raw bytes read in the options' layout and size, inverted, rotated and
// flipped as they ask; failures are raised as InputFailure.
Routines::MonoPicture RawPicture(const QByteArray& bytes, const QString& name,
                                 const ConversionOptions& options);

// The picture in the output format: its bytes in the layout (.bit), as C, XBM
// or hex text, or a picture with set pixels black and clear ones white.
QByteArray Encode(const Routines::MonoPicture& picture, OutputFormat format, const OutputOptions& options);

}  // namespace Convert
