#include "Inputs.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>

#include "Commands.h"
#include "Failure.h"
#include "FileAccess.h"
#include "Formats.h"
#include "Names.h"
#include "PictureToScreen.h"
#include "Pictures.h"
#include "Routines.h"
#include "ScreenCanvas.h"
#include "StreamedInputs.h"

namespace Convert {

namespace {

// A picture scaled to fit the screen may be read smaller to begin with.
Pictures::Size PictureSize(const ConversionOptions& options) {
    return options.picture.placement == Routines::Placement::TopLeft ? Pictures::Size::Whole
                                                                     : Pictures::Size::MayShrink;
}

// A picture placed as the window places it needs only its top-left corner,
// read as the window reads it, so that both show the same pictures. A damaged
// picture accepted as far as it goes is read whole, which reports the damage.
bool ReadsCorner(const ConversionOptions& options) {
    return options.picture.placement == Routines::Placement::TopLeft && !options.partial;
}

// The screen's size: the corner a picture placed at the top left shows, and
// what a fitted picture is fitted to.
QSize Corner(const ConversionOptions& options) { return {options.width, options.height}; }

// The picture by the engine's picture rules at the asked size, inverted,
// rotated and flipped.
Routines::MonoPicture ConvertQtPicture(const QImage& picture, const ConversionOptions& options,
                                       Routines::PictureOutcome* outcome) {
    Routines::MonoPicture mono = Routines::PictureToMono(
        Pictures::PixelsToPlace(picture, options.picture.placement, options.width, options.height),
        options.picture, options.width, options.height, outcome);
    return Transformed(std::move(mono), options);
}

// The window's Open Bit or Open Nokia on a canvas, then its screen's bytes,
// inverted, rotated and flipped. open runs the command on the canvas. Their
// screen is the Lyra's: another size is refused rather than guessed at.
template <typename Open>
std::optional<Routines::MonoPicture> ScreenOfCommand(const ConversionOptions& options, Open open) {
    if (options.width != Routines::ScreenWidth || options.height != Routines::ScreenHeight) {
        throw InputFailure{static_cast<int>(Routines::FailureCode::InvalidArgument),
                           "a screen or logo file is 96 x 48; --size " + std::to_string(options.width) + "x" +
                               std::to_string(options.height) + " applies to pictures only"};
    }
    Routines::ScreenCanvas canvas;
    if (!open(canvas)) return std::nullopt;
    return Transformed(*Routines::Unpack(Routines::ScreenBytes(canvas), Routines::ByteLayout::BandsLsbTop,
                                         Routines::ScreenWidth, Routines::ScreenHeight),
                       options);
}

Routines::LogoKind LogoOf(InputKind kind) {
    return kind == InputKind::Nol ? Routines::LogoKind::OperatorLogo : Routines::LogoKind::GroupGraphic;
}

}  // namespace

InputKind KindOfInput(const QByteArray& start, qint64 length, const QString& name) {
    if (QFileInfo(name).suffix().toLower() == QLatin1String("bit")) return InputKind::Bit;
    if (const auto logo = Routines::LogoKindOfFile(ByteSpan(start), NameBytes(name).toStdString()))
        return *logo == Routines::LogoKind::OperatorLogo ? InputKind::Nol : InputKind::Ngg;
    if (length != static_cast<qint64>(Routines::BitFileSize)) return InputKind::Picture;
    // A .bit may begin with any bytes, also those of a picture's signature:
    // a screen's worth of bytes is a picture only if it reads as one.
    if (Pictures::Sniff(start) == Pictures::Format::Unknown) return InputKind::Bit;
    try {
        Pictures::DecodePicture(start, ShownName(name));
        return InputKind::Picture;
    } catch (const Routines::Failure&) {
        return InputKind::Bit;
    }
}

InputKind KindOfFile(const QString& path) {
    // Only a regular file is looked into (the engine refuses a pipe or device
    // before opening it); one that cannot be read goes on by its name, and
    // its reader then reports why.
    QByteArray start;
    qint64 length = -1;
    try {
        length = static_cast<qint64>(Routines::FileLength(EnginePath(path)));
        const auto bytes = Routines::ReadFileStart(EnginePath(path), Routines::BitFileSize);
        start = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    } catch (const Routines::Failure&) {
    }
    return KindOfInput(start, length, path);
}

std::optional<Routines::MonoPicture> ConvertFile(const QString& path, InputKind kind,
                                                 const ConversionOptions& options, PictureNotes* notes) {
    if (kind == InputKind::Bit) {
        return ScreenOfCommand(options,
                               [&](auto& canvas) { return Routines::OpenBitFile(EnginePath(path), canvas); });
    }
    if (kind != InputKind::Picture) {
        return ScreenOfCommand(options, [&](auto& canvas) {
            return Routines::OpenLogoFile(LogoOf(kind), EnginePath(path), canvas);
        });
    }
    if (auto streamed = ConvertStreamedFile(path, options, notes)) return streamed;
    if (ReadsCorner(options)) {
        return ConvertQtPicture(
            Pictures::ReadPictureCorner(EnginePath(path), ShownName(path), Corner(options)), options,
            notes ? &notes->drawn : nullptr);
    }
    QString damage;
    const QImage picture = Pictures::ReadPicture(EnginePath(path), ShownName(path), PictureSize(options),
                                                 options.partial ? &damage : nullptr, Corner(options));
    if (notes) notes->damage = damage;
    return ConvertQtPicture(picture, options, notes ? &notes->drawn : nullptr);
}

std::optional<Routines::MonoPicture> ConvertBytes(const QByteArray& bytes, const QString& name,
                                                  const ConversionOptions& options, PictureNotes* notes) {
    const InputKind kind = KindOfInput(bytes, bytes.size(), name);
    if (kind == InputKind::Bit)
        return ScreenOfCommand(options,
                               [&](auto& canvas) { return Routines::OpenBit(ByteSpan(bytes), canvas); });
    if (kind != InputKind::Picture) {
        return ScreenOfCommand(options, [&](auto& canvas) {
            return Routines::OpenLogo(LogoOf(kind), ByteSpan(bytes), ShownName(name).toStdString(), canvas);
        });
    }
    if (auto streamed = ConvertStreamedBytes(bytes, name, options, notes)) return streamed;
    if (ReadsCorner(options)) {
        return ConvertQtPicture(Pictures::DecodePictureCorner(bytes, name, Corner(options)), options,
                                notes ? &notes->drawn : nullptr);
    }
    QString damage;
    const QImage picture = Pictures::DecodePicture(bytes, name, PictureSize(options),
                                                   options.partial ? &damage : nullptr, Corner(options));
    if (notes) notes->damage = damage;
    return ConvertQtPicture(picture, options, notes ? &notes->drawn : nullptr);
}

std::span<const std::uint8_t> ByteSpan(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

Routines::MonoPicture Transformed(Routines::MonoPicture picture, const ConversionOptions& options) {
    if (options.invert) picture = Routines::Inverted(picture);
    if (options.rotate != 0) picture = *Routines::Rotated(picture, options.rotate);
    if (options.flipHorizontal) picture = Routines::Flipped(picture, *options.flipHorizontal);
    return picture;
}

Routines::MonoPicture RawPicture(const QByteArray& bytes, const QString& name,
                                 const ConversionOptions& options) {
    const auto layout = options.fromLayout.value_or(Routines::DefaultByteLayout);
    const std::size_t expected = Routines::PackedSize(layout, options.width, options.height);
    auto picture = Routines::Unpack(ByteSpan(bytes), layout, options.width, options.height);
    if (!picture) {
        throw InputFailure{
            static_cast<int>(Routines::FailureCode::InvalidPicture),
            Routines::Quoted(name.toStdString()) + " holds " + std::to_string(bytes.size()) + " bytes; " +
                std::to_string(options.width) + " x " + std::to_string(options.height) + " in " +
                std::string(Routines::LayoutName(layout)) + " takes " + std::to_string(expected)};
    }
    return Transformed(*std::move(picture), options);
}

}  // namespace Convert
