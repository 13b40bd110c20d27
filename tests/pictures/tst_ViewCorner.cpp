// Open BMP's view shows the top-left 96 x 48 of a picture, and reads only
// that: the corner read must give the pixels of the whole read, cut, for
// every picture, and show a picture too large to read whole by its corner.

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "Failure.h"
#include "MadePictures.h"
#include "Pictures.h"

namespace {

const QSize Corner(96, 48);

QByteArray Encoded(const QImage& image, const QByteArray& format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, format).write(image))
        qFatal("cannot write the test picture as %s", format.constData());
    return bytes;
}

QByteArray FromBytes(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// A picture of every kind of pixel: tones, colours and, where the format
// holds them, every degree of transparency.
QImage Ramps(QSize size, QImage::Format format) {
    QImage image(size, QImage::Format_RGBA64);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            // Near white in steps finer than 8 bits: what a rounding
            // difference would turn from set to clear.
            const int fine = 65535 - (x * 7 + y * 3) % 300;
            image.setPixelColor(x, y,
                                QColor::fromRgba64(qRgba64(fine, (x * 911) % 65536, (y * 1499) % 65536,
                                                           y % 4 == 0 ? 65535 : (x * 4099 + y) % 65536)));
        }
    }
    return image.convertToFormat(format);
}

QImage Palette(QSize size) {
    QImage image(size, QImage::Format_Indexed8);
    image.setColorTable({qRgba(255, 255, 255, 255), qRgba(0, 0, 0, 255), qRgba(255, 255, 255, 0),
                         qRgba(200, 30, 40, 128), qRgba(254, 255, 255, 255)});
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, (x / 3 + y) % 5);
    return image;
}

void Noise(int x, int y, std::uint8_t* rgb) {
    std::uint32_t hash = static_cast<std::uint32_t>(x) * 2654435761u ^ static_cast<std::uint32_t>(y) * 40503u;
    for (int c = 0; c < 3; ++c, hash = hash * 1664525u + 1013904223u)
        rgb[c] = static_cast<std::uint8_t>(hash >> 24);
}

Routines::RgbaPicture WholeReadCut(const QByteArray& bytes) {
    const QImage whole = Pictures::DecodePicture(bytes, QStringLiteral("picture"));
    return Pictures::RgbaPixels(whole.copy(QRect(QPoint(), Corner).intersected(whole.rect())));
}

Routines::RgbaPicture CornerRead(const QByteArray& bytes) {
    return Pictures::RgbaPixels(Pictures::DecodePictureCorner(bytes, QStringLiteral("picture"), Corner));
}

}  // namespace

class ViewCornerTest : public QObject {
    Q_OBJECT

private slots:
    void cornerIsTheWholeReadCut_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QSize size(130, 70);
        QTest::newRow("PNG, RGB") << FromBytes(MakePng(130, 70, Landscape));
        QTest::newRow("PNG, RGBA with transparency") << Encoded(Ramps(size, QImage::Format_ARGB32), "png");
        QTest::newRow("PNG, palette with transparency") << Encoded(Palette(size), "png");
        QTest::newRow("PNG, one bit") << Encoded(Ramps(size, QImage::Format_Mono), "png");
        QTest::newRow("PNG, grey") << Encoded(Ramps(size, QImage::Format_Grayscale8), "png");
        QTest::newRow("PNG, 16-bit grey") << Encoded(Ramps(size, QImage::Format_Grayscale16), "png");
        QTest::newRow("PNG, 16-bit RGBA") << Encoded(Ramps(size, QImage::Format_RGBA64), "png");
        QTest::newRow("PNG, interlaced") << FromBytes(MakePng(130, 70, Landscape, {.interlaced = true}));
        QTest::newRow("PNG, smaller than the view") << Encoded(Ramps({20, 10}, QImage::Format_ARGB32), "png");
        QTest::newRow("PNG, narrower than the view") << FromBytes(MakePng(40, 300, Landscape));
        QTest::newRow("JPEG, baseline") << FromBytes(MakeJpeg(130, 70, Landscape));
        QTest::newRow("JPEG, baseline, turned by its Exif")
            << FromBytes(MakeJpeg(130, 70, Landscape, {.orientation = 6}));
        QTest::newRow("JPEG, progressive") << FromBytes(MakeJpeg(130, 70, Landscape, {.progressive = true}));
        QTest::newRow("JPEG, stray bytes before a marker, which Qt forgives")
            << FromBytes(MakeJpeg(130, 70, Landscape)).replace("\xFF\xDB", QByteArray(64, 'p') + "\xFF\xDB");
        QTest::newRow("JPEG, grey") << Encoded(Ramps(size, QImage::Format_Grayscale8), "jpeg");
        QTest::newRow("JPEG, smaller than the view") << FromBytes(MakeJpeg(21, 13, Landscape));
        QTest::newRow("bitmap") << Encoded(Ramps(size, QImage::Format_RGB32), "bmp");
        QTest::newRow("WebP") << Encoded(Ramps(size, QImage::Format_ARGB32), "webp");
        QTest::newRow("SVG") << QByteArray(
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"300\" height=\"200\">"
            "<circle cx=\"40\" cy=\"30\" r=\"27.3\" fill=\"#123\"/><path d=\"M0 0 L300 170\" "
            "stroke=\"red\"/></svg>");
    }

    void cornerIsTheWholeReadCut() {
        QFETCH(QByteArray, bytes);
        const Routines::RgbaPicture whole = WholeReadCut(bytes);
        const Routines::RgbaPicture corner = CornerRead(bytes);
        QCOMPARE(corner.width, whole.width);
        QCOMPARE(corner.height, whole.height);
        QVERIFY(corner.rgba == whole.rgba);
    }

    // Beyond the pixel limit of a whole read, a PNG or baseline JPEG is
    // shown by its corner, the same as that of a smaller picture alike there.
    void largePictureShownByItsCorner_data() {
        QTest::addColumn<QByteArray>("large");
        QTest::addColumn<QByteArray>("small");
        QTest::newRow("PNG") << FromBytes(MakePng(6000, 1000, Landscape))
                             << FromBytes(MakePng(200, 100, Landscape));
        // The same blocks of the same scale at the top left decode alike.
        // Noise does not compress: a file beyond the 8 MiB of a whole read.
        QTest::newRow("PNG of more than 8 MiB")
            << FromBytes(MakePng(3000, 1000, Noise)) << FromBytes(MakePng(200, 100, Noise));
        QTest::newRow("JPEG") << FromBytes(MakeJpeg(6000, 1000, Landscape))
                              << FromBytes(MakeJpeg(2000, 1000, Landscape));
    }

    void largePictureShownByItsCorner() {
        QFETCH(QByteArray, large);
        QFETCH(QByteArray, small);
        QVERIFY_THROWS_EXCEPTION(Routines::Failure, Pictures::DecodePicture(large, QStringLiteral("large")));
        const Routines::RgbaPicture corner = CornerRead(large);
        QCOMPARE(corner.width, Corner.width());
        QCOMPARE(corner.height, Corner.height());
        QVERIFY(corner.rgba == WholeReadCut(small).rgba);

        // The same from a file, which may be larger than a whole read's.
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("large")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(large) == large.size());
        file.close();
        QVERIFY_THROWS_EXCEPTION(Routines::Failure, Pictures::ReadPicture(file.fileName()));
        QVERIFY(Pictures::RgbaPixels(Pictures::ReadPictureCorner(file.fileName(), Corner)).rgba ==
                corner.rgba);
    }

    // Beyond the streaming readers' 100 megapixels, refused in the window's
    // words, naming that limit.
    void beyondTheStreamingLimitRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("size");
        QByteArray png = FromBytes(MakePng(300, 100, Landscape));
        qToBigEndian(quint32{20000}, png.data() + 16);
        qToBigEndian(quint32{20000}, png.data() + 20);
        QTest::newRow("PNG stating 20000 x 20000") << png << "20000 x 20000";
        QByteArray jpeg = FromBytes(MakeJpeg(300, 100, Landscape));
        const qsizetype frame = jpeg.indexOf("\xFF\xC0");
        QVERIFY(frame > 0);
        qToBigEndian(quint16{60000}, jpeg.data() + frame + 5);
        qToBigEndian(quint16{60000}, jpeg.data() + frame + 7);
        QTest::newRow("JPEG stating 60000 x 60000") << jpeg << "60000 x 60000";
    }

    void beyondTheStreamingLimitRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, size);
        try {
            CornerRead(bytes);
            QFAIL("not refused");
        } catch (const Routines::Failure& failure) {
            QCOMPARE(QString::fromStdString(failure.Description()),
                     QStringLiteral(
                         "Invalid picture: \"picture\": picture of %1 pixels is larger than 100000000 pixels")
                         .arg(size));
        }
    }

    // Cut short, a streamed picture is refused as the whole read refuses it,
    // even where the corner's rows are all there.
    void cutShortRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray png = FromBytes(MakePng(300, 300, Landscape));
        const QByteArray jpeg = FromBytes(MakeJpeg(300, 300, Landscape));
        QTest::newRow("PNG without its end") << png.chopped(12);
        QTest::newRow("PNG cut in its data") << png.left(png.size() * 3 / 4);
        QTest::newRow("JPEG cut in its data") << jpeg.left(jpeg.size() * 3 / 4);
    }

    void cutShortRefused() {
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(Routines::Failure, Pictures::DecodePicture(bytes, QStringLiteral("cut")));
        QVERIFY_THROWS_EXCEPTION(Routines::Failure, CornerRead(bytes));
    }
};

// Offscreen, whatever display the machine has: the tests draw pictures only.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ViewCornerTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ViewCorner.moc"
