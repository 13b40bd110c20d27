#include "StreamedInputs.h"

#include <cstdint>
#include <span>
#include <utility>

#include "FittedPicture.h"
#include "Names.h"
#include "PictureRules.h"
#include "StreamedPicture.h"

namespace Convert {

namespace {

Pictures::FitRequest RequestOf(const ConversionOptions& options) {
    return {.placement = options.picture.placement,
            .screenWidth = options.width,
            .screenHeight = options.height,
            .background = options.picture.background,
            .orient = options.orient,
            .partial = options.partial};
}

// The fitted grey picture by the engine's rules, inverted, rotated and flipped.
std::optional<Routines::MonoPicture> Converted(std::optional<Pictures::FittedGrey> fitted,
                                               const ConversionOptions& options, PictureNotes* notes) {
    if (!fitted) return std::nullopt;
    Routines::PictureOutcome outcome;
    Routines::MonoPicture mono =
        Routines::FittedGreyToMono(std::move(fitted->grey), fitted->width, fitted->height, options.picture,
                                   options.width, options.height, &outcome);
    if (notes) {
        notes->drawn = outcome;
        notes->damage = QString::fromStdString(fitted->damage);
    }
    return Transformed(std::move(mono), options);
}

}  // namespace

bool StartsAsStreamedPhoto(const QByteArray& start) {
    return Pictures::SniffStreamed(ByteSpan(start)) != Pictures::StreamedFormat::Other;
}

std::optional<Routines::MonoPicture> ConvertStreamedFile(const QString& path,
                                                         const ConversionOptions& options,
                                                         PictureNotes* notes) {
    return Converted(
        Pictures::ReadFittedPictureFile(EnginePath(path), ShownName(path).toStdString(), RequestOf(options)),
        options, notes);
}

std::optional<Routines::MonoPicture> ConvertStreamedBytes(const QByteArray& bytes, const QString& name,
                                                          const ConversionOptions& options,
                                                          PictureNotes* notes) {
    return Converted(
        Pictures::ReadFittedPicture(ByteSpan(bytes), ShownName(name).toStdString(), RequestOf(options)),
        options, notes);
}

}  // namespace Convert
