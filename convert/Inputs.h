#pragma once

// Turning one input (a .bit file, a logo, a picture or raw bytes) into a
// screen picture, through the same engine routines as the window.

#include <array>
#include <cstdint>
#include <optional>

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

// The picture rotated and flipped as the options ask.
Routines::MonoPicture Transformed(Routines::MonoPicture picture, const ConversionOptions& options);
// Raw bytes read in the options' layout and size, inverted, rotated and
// flipped as they ask; failures are raised as InputFailure.
Routines::MonoPicture RawPicture(const QByteArray& bytes, const QString& name,
                                 const ConversionOptions& options);

}  // namespace Convert
