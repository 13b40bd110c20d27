#pragma once

// Photos converted straight from their JPEG or PNG rows (pictures/
// FittedPicture.h): any picture that is fitted to the screen, up to the
// streaming readers' limits, upright by its Exif orientation unless the
// options keep it as stored.

#include <optional>

#include <QByteArray>
#include <QString>

#include "Inputs.h"
#include "MonoPicture.h"

namespace Convert {

// A JPEG or PNG on standard input is held whole while it is fitted: up to this
// many bytes, where any other input may have Pictures::LargestFileBytes.
inline constexpr qint64 LargestStandardInputPhotoBytes = qint64{64} << 20;

// Whether the bytes begin as a JPEG's or a PNG's do.
bool StartsAsStreamedPhoto(const QByteArray& start);

// The screen made from the picture file, as ConvertFile makes it; nothing
// when the picture is not a JPEG or PNG, or is drawn as it is rather than
// fitted: those go through the whole-picture readers.
std::optional<Routines::MonoPicture> ConvertStreamedFile(const QString& path,
                                                         const ConversionOptions& options,
                                                         PictureNotes* notes);
// The same for a picture's bytes, called name in failures.
std::optional<Routines::MonoPicture> ConvertStreamedBytes(const QByteArray& bytes, const QString& name,
                                                          const ConversionOptions& options,
                                                          PictureNotes* notes);

}  // namespace Convert
