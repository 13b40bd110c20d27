#pragma once

// Turning one input (a .bit file, a logo, a picture or raw bytes) into a
// screen picture, through the same engine routines as the window.

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include <QByteArray>
#include <QString>

#include "ByteLayouts.h"
#include "MonoPicture.h"
#include "PictureRules.h"
#include "Routines.h"

namespace Convert {

using ScreenBytes = std::array<std::uint8_t, Routines::BitFileSize>;

enum class InputKind { Bit, Nol, Ngg, Picture };

// What the picture options ask for; ".bit" files and logos take only invert.
struct ConversionOptions {
    Routines::PictureRules picture;
    bool invert = false;
    // Accept a picture cut short or damaged as far as it was decoded.
    bool partial = false;
    // Turn a fitted JPEG or PNG upright by its Exif orientation.
    bool orient = true;
    int rotate = 0;                      // clockwise degrees: 0, 90, 180 or 270
    std::optional<bool> flipHorizontal;  // mirrored left to right (true) or top to bottom
    // Raw bytes in this layout at this size instead of a picture or a logo.
    std::optional<Routines::ByteLayout> fromLayout;
    int width = Routines::ScreenWidth;
    int height = Routines::ScreenHeight;
};

// A failed input: the failure number and description the window would show.
struct InputFailure {
    int number = 0;
    std::string description;
};

// What an input is, decided alike for a named file and for standard input
// (named "-"), from its first bytes (at least a screen's worth where there are
// so many), its length and its name: a name ending ".bit" in any case is a
// .bit file; then a logo by the converter's rule (Routines::LogoKindOfFile);
// then a screen's worth of bytes is a .bit file unless it reads as a picture;
// anything else is a picture.
InputKind KindOfInput(const QByteArray& start, qint64 length, const QString& name);
// The same for a file, whose start is read through the engine's edge; a file
// that cannot be read is judged by its name alone.
InputKind KindOfFile(const QString& path);

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

// Bytes held by Qt as the engine takes them.
std::span<const std::uint8_t> ByteSpan(const QByteArray& bytes);

// The picture inverted, rotated and flipped as the options ask.
Routines::MonoPicture Transformed(Routines::MonoPicture picture, const ConversionOptions& options);
// Raw bytes read in the options' layout and size, inverted, rotated and
// flipped as they ask; failures are raised as InputFailure.
Routines::MonoPicture RawPicture(const QByteArray& bytes, const QString& name,
                                 const ConversionOptions& options);

}  // namespace Convert
