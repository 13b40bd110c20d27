#include "FuzzChecks.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <tuple>
#include <vector>

#include <QCryptographicHash>
#include <QImage>

#include "Commands.h"
#include "EngineDoubles.h"
#include "FileAccess.h"
#include "Files.h"
#include "FittedPicture.h"
#include "Formats.h"
#include "PictureToScreen.h"
#include "Pictures.h"
#include "Routines.h"
#include "StreamedPicture.h"

namespace FuzzChecks {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void Require(bool condition, const std::string& what) {
    if (condition) return;
    std::fprintf(stderr, "wrong answer: %s\n", what.c_str());
    std::abort();
}

// One folder per process for the files the loaders read, removed at exit.
const fs::path& WorkFolder() {
    static const struct Folder {
        Folder() {
            std::string name = (fs::temp_directory_path() / "pelorin-fuzz-XXXXXX").string();
            Require(::mkdtemp(name.data()) != nullptr, "cannot make a work folder");
            path = name;
        }
        ~Folder() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
        fs::path path;
    } folder;
    return folder.path;
}

fs::path WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const fs::path path = WorkFolder() / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

// Installs recording boxes for the length of one check.
struct BoxScope {
    pelorin_test::RecordingBoxes boxes;
    const Routines::ScopedMessageBoxes installed{boxes};

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& shown : boxes.shown) texts.push_back(std::get<0>(shown));
        return texts;
    }
};

std::vector<std::uint8_t> SavedBytes(const Routines::ImageView& view) {
    const auto bytes = Routines::ScreenBytes(view);
    return {bytes.begin(), bytes.end()};
}

QImage DecodeOverFilledMemory(const QByteArray& bytes, int fill) {
    // Every allocation, however large, comes from the heap and is filled.
    ::mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    ::mallopt(M_PERTURB, fill);
    QImage picture = Pictures::DecodePicture(bytes, QStringLiteral("fuzz input"));
    ::mallopt(M_PERTURB, 0);
    return picture.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

void CheckBitFile(const std::uint8_t* data, std::size_t size) {
    BoxScope scope;
    Routines::BitBytes.fill(0x5A);
    const std::span<const std::uint8_t> bytes(data, size);
    const fs::path path = WriteInput("input.bit", data, size);
    pelorin_test::FakeView fromBytes;
    pelorin_test::FakeView fromFile;
    const bool opened = Routines::OpenBit(bytes, fromBytes);
    Require(Routines::OpenBitFile(path, fromFile) == opened, "bytes and file opened differently");
    if (!opened) {
        Require(size != Routines::BitFileSize, "a 576-byte file was refused");
        Require(scope.Texts() == std::vector<std::string>(2, "This is not a valid .bit file"),
                "not one refusal box each");
        Require(Routines::BitBytes[0] == 0x5A && Routines::BitBytes[575] == 0x5A,
                "a refused file changed the buffers");
        return;
    }
    Require(size == Routines::BitFileSize, "a file of another length was accepted");
    for (std::size_t i = 0; i < size; ++i)
        Require(Routines::BitHex[i] == Routines::ByteToHex(data[i]), "hex pair differs from the byte");
    Require(SavedBytes(fromBytes) == Bytes(data, data + size),
            "the screen's bytes differ from the loaded ones");
    const fs::path saved = WorkFolder() / "saved.bit";
    Require(Routines::SaveBitFile(saved, fromFile) == Routines::TruthTrue, "saving failed");
    Require(pelorin_test::ReadBytes(saved) == Bytes(data, data + size),
            "the saved file differs from the loaded one");
    Require(scope.boxes.shown.empty(), "a box was shown for a valid file");
}

void CheckNokiaLogo(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    BoxScope scope;
    const bool nol = data[0] % 2 == 0;
    const auto kind = nol ? Routines::LogoKind::OperatorLogo : Routines::LogoKind::GroupGraphic;
    const std::size_t header = nol ? Routines::NolHeaderSize : Routines::NggHeaderSize;
    const std::size_t fileSize = nol ? Routines::NolFileSize : Routines::NggFileSize;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const fs::path path = WriteInput(nol ? "input.nol" : "input.ngg", data + 1, size - 1);
    Routines::NokiaHex.fill("--");
    pelorin_test::FakeView view;
    try {
        Routines::OpenLogo(kind, bytes, "input", view);
    } catch (const Routines::Failure& failure) {
        Require(size - 1 < fileSize && failure.Code() == Routines::FailureCode::FileTooShort,
                "unexpected failure: " + failure.Description());
        Require(Routines::NokiaHex[0] == "--" && Routines::NokiaHex[1007] == "--",
                "a short file changed the buffers");
        return;
    }
    Require(size - 1 >= fileSize, "a short file was accepted");
    std::string expected;
    for (std::size_t j = 0; j < Routines::LogoPixelCount; ++j) {
        const std::uint8_t byte = data[1 + header + j];
        if (byte == '0' || byte == '1') expected += static_cast<char>(byte);
    }
    const std::size_t invalid = Routines::LogoPixelCount - expected.size();
    Require(scope.Texts() == std::vector<std::string>(invalid, "Invalid Data"),
            "not one box per invalid byte");
    Require(Routines::ImageBits == expected, "the bit text is not the valid pixel bytes in order");
    for (std::size_t k = 0; k < Routines::LogoPixelCount; ++k) {
        const int x = Routines::LogoLeft + static_cast<int>(k % Routines::LogoWidth);
        const int y = Routines::LogoTop + static_cast<int>(k / Routines::LogoWidth);
        const bool set = k < expected.size() && expected[k] == '1';
        Require((view.ReadPixel(x, y) == Routines::Black) == set, "a logo pixel is drawn wrongly");
    }
    pelorin_test::FakeView fromFile;
    Require(Routines::OpenLogoFile(kind, path, fromFile) && SavedBytes(fromFile) == SavedBytes(view),
            "the file drew another screen than its bytes");
}

namespace {

// The window reads only the corner its view shows: the whole read's pixels
// there, and where the whole read refuses a picture, a refusal too, except
// for a PNG or JPEG the streaming readers show by its corner and an SVG
// drawn only there.
void CheckCorner(const QByteArray& bytes, const std::optional<QImage>& whole) {
    const QSize view(Routines::ScreenWidth, Routines::ScreenHeight);
    std::optional<QImage> corner;
    try {
        corner = Pictures::DecodePictureCorner(bytes, QStringLiteral("fuzz input"), view);
    } catch (const Routines::Failure& failure) {
        Require(failure.Code() == Routines::FailureCode::InvalidPicture,
                "unexpected failure of the corner read: " + failure.Description());
    }
    if (!whole) {
        const Pictures::Format format = Pictures::Sniff(bytes);
        Require(!corner || format == Pictures::Format::Png || format == Pictures::Format::Jpeg ||
                    format == Pictures::Format::Svg,
                "the corner read shows a picture the whole read refuses");
        return;
    }
    Require(corner.has_value(), "the corner read refuses a picture the whole read shows");
    const QImage cut = whole->copy(QRect(QPoint(), view).intersected(whole->rect()));
    const Routines::RgbaPicture expected = Pictures::RgbaPixels(cut);
    const Routines::RgbaPicture got = Pictures::RgbaPixels(*corner);
    Require(got.width == expected.width && got.height == expected.height && got.rgba == expected.rgba,
            "the corner read differs from the whole read's corner");
}

}  // namespace

void CheckPicture(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QImage first;
    try {
        first = DecodeOverFilledMemory(bytes, 0x55);
    } catch (const Routines::Failure& failure) {
        Require(failure.Code() == Routines::FailureCode::InvalidPicture,
                "unexpected failure: " + failure.Description());
        CheckCorner(bytes, std::nullopt);
        return;
    }
    Require(!first.isNull(), "a null picture was returned");
    Require(first.width() <= Pictures::LargestSide && first.height() <= Pictures::LargestSide &&
                qint64{first.width()} * first.height() <= Pictures::LargestPixelCount,
            "the picture is larger than the limits");
    Require(DecodeOverFilledMemory(bytes, 0xAA) == first, "pixels depend on what memory held");
    CheckCorner(bytes, first);
}

namespace {

// Hashes the rows given, checking them against the size announced.
class RowHash : public Pictures::RowStream {
public:
    void Begin(int width, int height) override {
        Require(width > 0 && height > 0 && qint64{width} * height <= Pictures::LargestStreamedPixelCount,
                "the streamed picture's size is beyond the limits");
        width_ = width;
        height_ = height;
    }
    bool Row(const std::uint8_t* rgba) override {
        Require(++rows_ <= height_, "more rows than announced");
        hash_.addData(QByteArrayView(rgba, qsizetype{width_} * 4));
        return true;
    }
    QByteArray Result() { return hash_.result(); }

private:
    int width_ = 0;
    int height_ = 0;
    int rows_ = 0;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
};

QByteArray StreamedHash(std::span<const std::uint8_t> bytes, bool partial) {
    RowHash hash;
    try {
        Pictures::StreamPicture(bytes, "fuzz", {.leastWidth = 96, .leastHeight = 48, .partial = partial},
                                hash);
    } catch (const Routines::Failure& failure) {
        Require(failure.Code() == Routines::FailureCode::InvalidPicture,
                "unexpected failure: " + failure.Description());
        return "refused";
    }
    return hash.Result();
}

// Fits the picture as the converter does: refused, or grey values of the fit
// rectangle's size, each within black and white.
void CheckFitted(std::span<const std::uint8_t> bytes, bool partial) {
    try {
        const auto fitted = Pictures::ReadFittedPicture(
            bytes, "fuzz", {.placement = Routines::Placement::Fitted, .partial = partial});
        if (!fitted) return;
        const Routines::ScreenRect where = Routines::FitRectangle(fitted->width, fitted->height);
        Require(fitted->grey.width == where.width && fitted->grey.height == where.height &&
                    fitted->grey.values.size() == static_cast<std::size_t>(where.width) * where.height,
                "the fitted picture is not the fit rectangle's size");
        for (const float value : fitted->grey.values)
            Require(value >= -0.01f && value <= 255.01f, "a fitted grey value beyond black and white");
    } catch (const Routines::Failure& failure) {
        Require(failure.Code() == Routines::FailureCode::InvalidPicture,
                "unexpected failure: " + failure.Description());
    }
}

}  // namespace

void CheckStreamedPicture(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    for (const bool partial : {false, true}) {
        Require(StreamedHash(bytes, partial) == StreamedHash(bytes, partial),
                "rows differ from one read to the next");
        CheckFitted(bytes, partial);
    }
}

bool ShownByTheWindow(const QByteArray& bytes) {
    try {
        Pictures::DecodePictureCorner(bytes, QStringLiteral("replay"),
                                      QSize(Routines::ScreenWidth, Routines::ScreenHeight));
        return true;
    } catch (const Routines::Failure&) {
        return false;
    }
}

std::string PictureSummary(const QByteArray& bytes, const std::string& name) {
    try {
        const QImage picture = Pictures::DecodePicture(bytes, QString::fromStdString(name))
                                   .convertToFormat(QImage::Format_ARGB32);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (int y = 0; y < picture.height(); ++y)
            hash.addData(QByteArrayView(picture.constScanLine(y), picture.width() * 4));
        return std::to_string(picture.width()) + "x" + std::to_string(picture.height()) + " " +
               hash.result().toHex().toStdString();
    } catch (const Routines::Failure& failure) {
        return "refused " + std::to_string(failure.Number());
    }
}

}  // namespace FuzzChecks
