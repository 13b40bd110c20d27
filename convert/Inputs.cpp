#include "Inputs.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryFile>

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

constexpr int LogoMagicLength = 3;

std::optional<InputKind> LogoKindOfStart(const QByteArray& start) {
    if (start.startsWith("NOL")) return InputKind::Nol;
    if (start.startsWith("NGG")) return InputKind::Ngg;
    return std::nullopt;
}

// A picture scaled to fit the screen may be read smaller to begin with.
Pictures::Size PictureSize(const ConversionOptions& options) {
    return options.picture.placement == Routines::Placement::TopLeft ? Pictures::Size::Whole
                                                                     : Pictures::Size::MayShrink;
}

// The picture by the engine's picture rules at the asked size, inverted,
// rotated and flipped. One drawn as it is needs only its part inside the
// screen: cropping first keeps a large picture from being converted whole.
Routines::MonoPicture ConvertQtPicture(const QImage& picture, const ConversionOptions& options,
                                       Routines::PictureOutcome* outcome) {
    const bool fitted = Routines::IsFitted(picture.width(), picture.height(), options.picture.placement,
                                           options.width, options.height);
    const QImage placed =
        fitted ? picture
               : picture.copy(QRect(0, 0, options.width, options.height).intersected(picture.rect()));
    Routines::MonoPicture mono = Routines::PictureToMono(Pictures::RgbaPixels(placed), options.picture,
                                                         options.width, options.height, outcome);
    if (options.invert) mono = Routines::Inverted(mono);
    return Transformed(std::move(mono), options);
}

// The engine's .bit and logo routines on a file, as the window's Open Bit and
// Open Nokia run them. Their screen is the Lyra's: another size is refused
// rather than guessed at.
std::optional<Routines::MonoPicture> ConvertWithEngine(const std::string& path, InputKind kind,
                                                       const ConversionOptions& options) {
    if (options.width != Routines::ScreenWidth || options.height != Routines::ScreenHeight) {
        throw InputFailure{static_cast<int>(Routines::FailureCode::InvalidArgument),
                           "a screen or logo file is 96 x 48; --size " + std::to_string(options.width) + "x" +
                               std::to_string(options.height) + " applies to pictures only"};
    }
    Routines::ScreenCanvas canvas;
    if (kind == InputKind::Bit) {
        if (Routines::LoadBitFile(path) != Routines::TruthTrue) return std::nullopt;
        Routines::HexToScreenBits();
        Routines::DrawScreen(canvas);
    } else {
        const Routines::Truth loaded =
            kind == InputKind::Nol ? Routines::LoadNolFile(path) : Routines::LoadNggFile(path);
        if (loaded != Routines::TruthTrue) return std::nullopt;
        Routines::NokiaHexToBits();
        Routines::DrawNokiaLogo(canvas);
    }
    if (options.invert) Routines::InvertScreen(canvas);
    Routines::SampleScreen(canvas);
    Routines::ScreenBitsToBytes();
    return Transformed(*Routines::Unpack(Routines::BitBytes, Routines::ByteLayout::BandsLsbTop,
                                         Routines::ScreenWidth, Routines::ScreenHeight),
                       options);
}

}  // namespace

InputKind KindOfFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("bit")) return InputKind::Bit;
    // Only a regular file is looked into (the engine refuses a pipe or device
    // before opening it); anything that cannot be read goes on by its name,
    // and its reader then reports why.
    try {
        if (Routines::FileLength(EnginePath(path)) >= LogoMagicLength) {
            const std::vector<std::uint8_t> start =
                Routines::ReadFileStart(EnginePath(path), LogoMagicLength);
            const QByteArray bytes(reinterpret_cast<const char*>(start.data()),
                                   static_cast<qsizetype>(start.size()));
            if (const auto logo = LogoKindOfStart(bytes)) return *logo;
        }
    } catch (const Routines::Failure&) {
    }
    if (suffix == QLatin1String("nol")) return InputKind::Nol;
    if (suffix == QLatin1String("ngg")) return InputKind::Ngg;
    return InputKind::Picture;
}

InputKind KindOfBytes(const QByteArray& bytes) {
    if (const auto logo = LogoKindOfStart(bytes)) return *logo;
    if (bytes.size() != static_cast<qsizetype>(Routines::BitFileSize)) return InputKind::Picture;
    // A .bit may begin with any bytes, also those of a picture's signature:
    // a screen's worth of bytes is a picture only if it reads as one.
    if (Pictures::Sniff(bytes) == Pictures::Format::Unknown) return InputKind::Bit;
    try {
        Pictures::DecodePicture(bytes, QStringLiteral("-"));
        return InputKind::Picture;
    } catch (const Routines::Failure&) {
        return InputKind::Bit;
    }
}

std::optional<Routines::MonoPicture> ConvertFile(const QString& path, InputKind kind,
                                                 const ConversionOptions& options, PictureNotes* notes) {
    if (kind != InputKind::Picture) return ConvertWithEngine(EnginePath(path), kind, options);
    if (auto streamed = ConvertStreamedFile(path, options, notes)) return streamed;
    QString damage;
    const QImage picture = Pictures::ReadPicture(EnginePath(path), ShownName(path), PictureSize(options),
                                                 options.partial ? &damage : nullptr);
    if (notes) notes->damage = damage;
    return ConvertQtPicture(picture, options, notes ? &notes->drawn : nullptr);
}

std::optional<Routines::MonoPicture> ConvertBytes(const QByteArray& bytes, const QString& name,
                                                  const ConversionOptions& options, PictureNotes* notes) {
    const InputKind kind = KindOfBytes(bytes);
    if (kind == InputKind::Picture) {
        if (auto streamed = ConvertStreamedBytes(bytes, name, options, notes)) return streamed;
        QString damage;
        const QImage picture =
            Pictures::DecodePicture(bytes, name, PictureSize(options), options.partial ? &damage : nullptr);
        if (notes) notes->damage = damage;
        return ConvertQtPicture(picture, options, notes ? &notes->drawn : nullptr);
    }
    // The engine reads files: the bytes go to a private one, and failures
    // name the input instead of it.
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush()) {
        throw Routines::Failure(
            Routines::FailureCode::DeviceError,
            "cannot keep standard input in a temporary file (" + file.errorString().toStdString() + ")");
    }
    const std::string temporary = EnginePath(file.fileName());
    try {
        return ConvertWithEngine(temporary, kind, options);
    } catch (const Routines::Failure& failure) {
        std::string description = failure.Description();
        const std::string quoted = Routines::Quoted(temporary);
        for (auto at = description.find(quoted); at != std::string::npos; at = description.find(quoted)) {
            description.replace(at, quoted.size(), Routines::Quoted(ShownName(name).toStdString()));
        }
        throw InputFailure{failure.Number(), description};
    }
}

Routines::MonoPicture Transformed(Routines::MonoPicture picture, const ConversionOptions& options) {
    if (options.rotate != 0) picture = *Routines::Rotated(picture, options.rotate);
    if (options.flipHorizontal) picture = Routines::Flipped(picture, *options.flipHorizontal);
    return picture;
}

Routines::MonoPicture RawPicture(const QByteArray& bytes, const QString& name,
                                 const ConversionOptions& options) {
    const auto layout = options.fromLayout.value_or(Routines::DefaultByteLayout);
    const std::size_t expected = Routines::PackedSize(layout, options.width, options.height);
    auto picture = Routines::Unpack(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                              static_cast<std::size_t>(bytes.size())),
                                    layout, options.width, options.height);
    if (!picture) {
        throw InputFailure{
            static_cast<int>(Routines::FailureCode::InvalidPicture),
            Routines::Quoted(name.toStdString()) + " holds " + std::to_string(bytes.size()) + " bytes; " +
                std::to_string(options.width) + " x " + std::to_string(options.height) + " in " +
                std::string(Routines::LayoutName(layout)) + " takes " + std::to_string(expected)};
    }
    if (options.invert) picture = Routines::Inverted(*picture);
    return Transformed(*std::move(picture), options);
}

}  // namespace Convert
