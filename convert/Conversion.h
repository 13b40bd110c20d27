#pragma once

// Turning one input into the 576 bytes of the Lyra's screen, and those bytes
// into the output formats, through the same engine routines as the window.

#include <array>
#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>

#include "PictureRules.h"
#include "Routines.h"

namespace Convert {

using ScreenBytes = std::array<std::uint8_t, Routines::BitFileSize>;

enum class InputKind { Bit, Nol, Ngg, Picture };
enum class OutputFormat { Bit, Bmp, Png, Pbm };

// What the picture options ask for; ".bit" files and logos take only invert.
struct ConversionOptions {
    Routines::PictureRules picture;
    bool invert = false;
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

// The screen made from the file, or nothing when the engine refused it (it
// has then shown its box). Failures are raised as Routines::Failure.
// A picture's outcome, for the hint on a result that lost it, goes to `outcome` when given.
std::optional<ScreenBytes> ConvertFile(const QString& path, InputKind kind, const ConversionOptions& options,
                                       Routines::PictureOutcome* outcome = nullptr);
// The same for bytes read from standard input, called name in failures.
std::optional<ScreenBytes> ConvertBytes(const QByteArray& bytes, const QString& name,
                                        const ConversionOptions& options,
                                        Routines::PictureOutcome* outcome = nullptr);

std::optional<OutputFormat> FormatNamed(const QString& word);
// By the name's ending, in any case.
std::optional<OutputFormat> FormatOfPath(const QString& path);
QString Extension(OutputFormat format);

// The screen in the output format: the 576 bytes themselves, or a 96 x 48
// picture with set pixels black and clear ones white.
QByteArray Encode(const ScreenBytes& screen, OutputFormat format);

// The screen as 24 lines of Unicode half blocks, each character two pixel
// rows: upper half, lower half, both or neither set.
QByteArray Preview(const ScreenBytes& screen);

}  // namespace Convert
