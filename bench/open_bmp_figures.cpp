// Opens large pictures as Open BMP does (the picture's corner read, then the
// view's placement) and prints the time and extra peak memory of each beside
// the targets (100 ms, 64 MiB), and beside the whole read the window made
// before, which refuses a picture of more than 4 megapixels. Each
// measurement runs in a child process of its own, after a warm-up that loads
// the decoders.
//
//   open_bmp_figures [FOLDER]   the pictures are made in FOLDER (a temporary one by default)

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <jpeglib.h>
#include <string>
#include <vector>
#include <zlib.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "Failure.h"
#include "InChild.h"
#include "PictureView.h"
#include "Pictures.h"
#include "TimedRead.h"

namespace {

constexpr double TargetMilliseconds = 100;
constexpr double TargetMebibytes = 64;
const QSize View(96, 48);

// A picture whose rows are alike: flat colour compresses to little.
using RowPainter = std::function<void(int y, std::vector<std::uint8_t>& rgb)>;

void FlatRow(int, std::vector<std::uint8_t>& rgb) {
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = 200;
        rgb[i + 1] = 120;
        rgb[i + 2] = 40;
    }
}

void GradientRow(int y, std::vector<std::uint8_t>& rgb) {
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>((i / 3 + y) * (i % 3 + 1));
}

QByteArray Chunk(const char* type, const QByteArray& data) {
    QByteArray chunk(4, '\0');
    qToBigEndian(static_cast<quint32>(data.size()), chunk.data());
    const QByteArray body = QByteArray(type) + data;
    QByteArray crc(4, '\0');
    qToBigEndian(static_cast<quint32>(::crc32(0, reinterpret_cast<const Bytef*>(body.constData()),
                                              static_cast<uInt>(body.size()))),
                 crc.data());
    return chunk + body + crc;
}

// An 8-bit RGB PNG, not interlaced, deflated row by row.
QByteArray MakePng(int width, int height, const RowPainter& paint) {
    QByteArray header(13, '\0');
    qToBigEndian(static_cast<quint32>(width), header.data());
    qToBigEndian(static_cast<quint32>(height), header.data() + 4);
    header[8] = 8;
    header[9] = 2;
    z_stream stream{};
    deflateInit(&stream, Z_BEST_COMPRESSION);
    QByteArray data;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3 + 1);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
    std::vector<Bytef> out(1 << 20);
    for (int y = 0; y < height; ++y) {
        paint(y, rgb);
        std::copy(rgb.begin(), rgb.end(), row.begin() + 1);
        stream.next_in = row.data();
        stream.avail_in = static_cast<uInt>(row.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            deflate(&stream, flush);
            data.append(reinterpret_cast<const char*>(out.data()),
                        static_cast<qsizetype>(out.size() - stream.avail_out));
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", header) + Chunk("IDAT", data) + Chunk("IEND", {});
}

// A baseline JPEG through libjpeg.
QByteArray MakeJpeg(int width, int height, const RowPainter& paint) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &buffer, &length);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        paint(y, rgb);
        JSAMPROW row = rgb.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(length));
    std::free(buffer);
    return bytes;
}

using Figures = Bench::ReadFigures;

enum class Read { Corner, Whole };

// Runs in the child: the view made and both decoders loaded by small
// pictures first, so that only what opening this file costs counts.
Figures Measure(const QString& path, Read read, const QStringList& warmUps) {
    PictureView view;
    for (const QString& warmUp : warmUps)
        view.SetBackgroundPicture(Pictures::ReadPictureCorner(warmUp, View));
    return Bench::TimedRead([&] {
        view.SetBackgroundPicture(read == Read::Corner ? Pictures::ReadPictureCorner(path, View)
                                                       : Pictures::ReadPicture(path));
        return std::string("shown");
    });
}

QString Write(const QString& folder, const QString& name, const QByteArray& bytes) {
    const QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) std::exit(1);
    return path;
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    const QStringList warmUps{Write(folder, "warm_up.png", MakePng(8, 8, GradientRow)),
                              Write(folder, "warm_up.jpg", MakeJpeg(8, 8, GradientRow))};
    struct Picture {
        const char* name;
        QByteArray bytes;
    };
    const std::vector<Picture> pictures{
        {"png_100mp_flat_10000x10000.png", MakePng(10000, 10000, FlatRow)},
        {"jpeg_baseline_100mp_flat_10000x10000.jpg", MakeJpeg(10000, 10000, FlatRow)},
        {"png_4mp_gradient_2048x2048.png", MakePng(2048, 2048, GradientRow)},
        {"jpeg_baseline_4mp_gradient_2048x2048.jpg", MakeJpeg(2048, 2048, GradientRow)},
    };
    std::printf("%-42s %9s | %-12s %9s %7s %10s %7s | %-12s %9s %10s %8s %8s\n", "picture", "file KiB",
                "Open BMP", "ms", "/100ms", "extra MiB", "/64MiB", "whole read", "ms", "extra MiB",
                "ms ratio", "MiB ratio");
    for (const Picture& picture : pictures) {
        const QString path = Write(folder, picture.name, picture.bytes);
        Figures figures[2];
        for (const Read read : {Read::Corner, Read::Whole}) {
            const auto measured = Bench::InChild([&] { return Measure(path, read, warmUps); });
            figures[int(read)] = measured.value_or(Figures{});
            if (!measured) std::snprintf(figures[int(read)].outcome, sizeof figures[0].outcome, "child died");
        }
        const Figures& corner = figures[int(Read::Corner)];
        const Figures& whole = figures[int(Read::Whole)];
        std::printf("%-42s %9lld | %-12s %9.2f %7.3f %10.2f %7.3f | %-12s %9.2f %10.2f %8.3f %8.3f\n",
                    picture.name, static_cast<long long>(picture.bytes.size() / 1024), corner.outcome,
                    corner.milliseconds, corner.milliseconds / TargetMilliseconds, corner.mebibytes,
                    corner.mebibytes / TargetMebibytes, whole.outcome, whole.milliseconds, whole.mebibytes,
                    corner.milliseconds / whole.milliseconds,
                    whole.mebibytes > 0 ? corner.mebibytes / whole.mebibytes : 0.0);
    }
    return 0;
}
