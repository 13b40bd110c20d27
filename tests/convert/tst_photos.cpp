// Photos through the real pelorin-convert: a fitted JPEG or PNG is read row
// by row, upright by its Exif orientation, beyond the whole-picture readers'
// limits, and gives the bytes the whole-picture path gives the same pixels.
// Every picture is made here (tests/pictures/MadePictures.h).

#include <cstdint>
#include <utility>
#include <zlib.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "ConverterProcess.h"
#include "MadePictures.h"

namespace {

QByteArray Held(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// The upright picture of the orientation tests: a dark top-left quarter on a
// light ground, which no turn or mirror maps onto itself.
bool DarkQuarter(int x, int y, int width, int height) { return x < width / 2 && y < height / 2; }

// The upright uprightWidth x uprightHeight picture with the dark quarter, as
// the orientation stores it.
Painter StoredQuarter(int orientation, int uprightWidth, int uprightHeight) {
    return StoredAs(orientation, uprightWidth, uprightHeight, [=](int x, int y, std::uint8_t* rgb) {
        rgb[0] = rgb[1] = rgb[2] = DarkQuarter(x, y, uprightWidth, uprightHeight) ? 30 : 225;
    });
}

void Flat(int, int, std::uint8_t* rgb) { rgb[0] = rgb[1] = rgb[2] = 200; }

Bytes Make(const QString& format, int width, int height, const Painter& paint,
           const MadeOptions& options = {}) {
    return format == QLatin1String("png") ? MakePng(width, height, paint, options)
                                          : MakeJpeg(width, height, paint, options);
}

// The PNG's header claiming another size (its checksum mended); the image
// data stays as small as it was.
Bytes WithStatedSize(Bytes png, std::uint32_t width, std::uint32_t height) {
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, png.data() + 12, 17);
    for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return png;
}

// The PNG with a text chunk after its header whose checksum is wrong: damage
// found before the first row.
Bytes WithDamagedText(Bytes png) {
    const Bytes chunk = {0, 0, 0, 5, 't', 'E', 'X', 't', 'a', 0, 'b', 'c', 'd', 1, 2, 3, 4};
    png.insert(png.begin() + 33, chunk.begin(), chunk.end());
    return png;
}

// The pixels of a .pbm the converter wrote.
QImage Screen(const QByteArray& pbm) { return QImage::fromData(pbm, "PBM"); }

// The pixels of the screen that differ from its dark top-left quarter, as
// "x,y" words (empty when the screen shows just the quarter).
QString AwayFromQuarter(const QImage& screen) {
    QStringList wrong;
    for (int y = 0; y < screen.height(); ++y) {
        for (int x = 0; x < screen.width(); ++x) {
            const bool expected = DarkQuarter(x, y, screen.width(), screen.height());
            if ((qGray(screen.pixel(x, y)) < 128) != expected) wrong << QStringLiteral("%1,%2").arg(x).arg(y);
        }
    }
    return wrong.join(QLatin1Char(' '));
}

}  // namespace

class PhotosTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
        return name;
    }
    ConverterRun Run(const QStringList& arguments, const QByteArray& input = {}) {
        return RunConverter(dir_.path(), arguments, input);
    }

private slots:
    void streamedEqualsWholePicture_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("standardInput");
        QTest::newRow("png fitted") << "png" << 300 << 150 << 0 << QStringList() << false;
        QTest::newRow("png fitted from standard input") << "png" << 300 << 150 << 0 << QStringList() << true;
        QTest::newRow("png fitted, other screen, atkinson")
            << "png" << 250 << 190 << 0 << QStringList{"--size", "128x64", "--dither", "atkinson"} << false;
        QTest::newRow("png fitted up, threshold")
            << "png" << 64 << 40 << 0 << QStringList{"--fit", "--threshold", "120"} << false;
        QTest::newRow("png on a background")
            << "png" << 333 << 77 << 0 << QStringList{"--background", "black"} << false;
        // 108 is under 8/7 of 96: the decoder's full scale, as Qt decodes it.
        QTest::newRow("jpeg fitted at full scale") << "jpeg" << 108 << 54 << 0 << QStringList() << false;
        // Drawn as they are, the pictures are taken as stored by the
        // whole-picture readers, whatever their orientation.
        QTest::newRow("png drawn as it is, turned") << "png" << 80 << 40 << 3 << QStringList() << false;
        QTest::newRow("png --exact, turned") << "png" << 300 << 150 << 3 << QStringList{"--exact"} << false;
        QTest::newRow("jpeg --exact") << "jpeg" << 300 << 150 << 0 << QStringList{"--exact"} << false;
    }

    // The same pixels as a bitmap go through the whole-picture readers: the
    // screens are equal byte for byte.
    void streamedEqualsWholePicture() {
        QFETCH(QString, format);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, orientation);
        QFETCH(QStringList, options);
        QFETCH(bool, standardInput);
        const QByteArray photo = Held(Make(format, width, height, Landscape, {.orientation = orientation}));
        const QImage decoded = QImage::fromData(photo);
        QVERIFY(!decoded.isNull());
        const QString bitmap = Write(QStringLiteral("whole.bmp"), Encoded(decoded, "bmp"));
        const ConverterRun whole = Run(QStringList{bitmap, "-o", "-", "--to", "pbm"} + options);
        QCOMPARE(whole.exitCode, 0);
        const QString name = Write(QStringLiteral("photo.") + format, photo);
        const ConverterRun streamed = standardInput
                                          ? Run(QStringList{"-", "-o", "-", "--to", "pbm"} + options, photo)
                                          : Run(QStringList{name, "-o", "-", "--to", "pbm"} + options);
        QCOMPARE(streamed.exitCode, 0);
        QCOMPARE(streamed.err,
                 QByteArray(whole.err).replace("whole.bmp", (standardInput ? "-" : name).toUtf8()));
        QCOMPARE(streamed.out, whole.out);
    }

    void turnsUpright_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("orientation");
        for (const char* format : {"jpeg", "png"}) {
            for (int orientation = 1; orientation <= 8; ++orientation)
                QTest::addRow("%s %d", format, orientation) << QString::fromLatin1(format) << orientation;
        }
    }

    // A 200 x 100 picture with a dark top-left quarter, stored each of the
    // eight ways, fills the screen with that quarter once upright; with
    // --no-orient it comes out as the stored pixels without any tag.
    void turnsUpright() {
        QFETCH(QString, format);
        QFETCH(int, orientation);
        const bool swaps = orientation >= 5;
        const int width = swaps ? 100 : 200;
        const int height = swaps ? 200 : 100;
        const Painter stored = StoredQuarter(orientation, 200, 100);
        const QString tagged = Write("tagged." + format,
                                     Held(Make(format, width, height, stored, {.orientation = orientation})));
        const QString untagged = Write("untagged." + format, Held(Make(format, width, height, stored)));

        const ConverterRun upright = Run({tagged, "-o", "-", "--to", "pbm"});
        QCOMPARE(upright.exitCode, 0);
        const QImage screen = Screen(upright.out);
        QCOMPARE(screen.size(), QSize(96, 48));
        QCOMPARE(AwayFromQuarter(screen), QString());

        const ConverterRun asStored = Run({tagged, "--no-orient", "-o", "-", "--to", "pbm"});
        const ConverterRun plain = Run({untagged, "-o", "-", "--to", "pbm"});
        QCOMPARE(asStored.exitCode, 0);
        QCOMPARE(asStored.out, plain.out);
        if (orientation != 1) QVERIFY(asStored.out != upright.out);
    }

    void readsBeyondTheWholePictureLimits_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<int>("pngLevel");
        QTest::addColumn<bool>("standardInput");
        QTest::newRow("baseline jpeg of 18 megapixels") << "jpeg" << 6000 << 3000 << false << -1 << false;
        QTest::newRow("progressive jpeg of 12.5 megapixels") << "jpeg" << 5000 << 2500 << true << -1 << false;
        QTest::newRow("png of 6.5 megapixels") << "png" << 3600 << 1800 << false << -1 << false;
        QTest::newRow("interlaced png of 6.5 megapixels") << "png" << 3600 << 1800 << true << -1 << false;
        QTest::newRow("interlaced png of 20 megapixels") << "png" << 6400 << 3200 << true << -1 << false;
        QTest::newRow("png file over 8 MiB, uncompressed") << "png" << 2400 << 1200 << false << 0 << false;
        QTest::newRow("png over 8 MiB on standard input") << "png" << 2400 << 1200 << false << 0 << true;
    }

    // Each of these was refused by the whole-picture readers' 4194304 pixels
    // (the interlaced PNG of 20 megapixels by the streaming reader too),
    // 16 megapixels for a JPEG read smaller, or 8 MiB; fitted, they read, and
    // their dark quarter fills the screen's (each is twice as wide as high).
    void readsBeyondTheWholePictureLimits() {
        QFETCH(QString, format);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, progressive);
        QFETCH(int, pngLevel);
        QFETCH(bool, standardInput);
        const MadeOptions made{.progressive = progressive, .interlaced = progressive, .pngLevel = pngLevel};
        const Bytes photo = Make(format, width, height, StoredQuarter(1, width, height), made);
        if (pngLevel == 0) QVERIFY(photo.size() > 8u << 20);
        const QString name = Write("large." + format, Held(photo));
        const ConverterRun run = standardInput ? Run({"-", "-o", "-", "--to", "pbm"}, Held(photo))
                                               : Run({name, "-o", "-", "--to", "pbm"});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(AwayFromQuarter(Screen(run.out)), QString());
    }

    void refusesBeyondTheStreamedLimits_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("png") << "png" << QStringList();
        QTest::newRow("png --fit") << "png" << QStringList{"--fit"};
        QTest::newRow("jpeg") << "jpeg" << QStringList();
    }

    // A picture claiming 100000 x 100000 (a PNG) or 60000 x 60000 (a JPEG)
    // with a tiny stream is refused from its header: one line naming the
    // limit and --fit once, nothing written.
    void refusesBeyondTheStreamedLimits() {
        QFETCH(QString, format);
        QFETCH(QStringList, options);
        Bytes photo = Make(format, 16, 16, Flat);
        if (format == QLatin1String("png")) {
            photo = WithStatedSize(std::move(photo), 100000, 100000);
        } else {
            for (std::size_t i = 2; i + 9 < photo.size(); ++i) {
                if (photo[i] == 0xff && photo[i + 1] == 0xc0) {
                    photo[i + 5] = photo[i + 7] = 0xea;  // 60000
                    photo[i + 6] = photo[i + 8] = 0x60;
                    break;
                }
            }
        }
        const QString name = Write("claims." + format, Held(photo));
        const ConverterRun run = Run(QStringList{name, "-o", "out.bit"} + options);
        QCOMPARE(run.exitCode, 1);
        const QList<QByteArray> lines = run.ErrorLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains("limit of 100000000 pixels"), lines[0]);
        QCOMPARE(lines[0].count("--fit"), 1);
        QVERIFY(!QFile::exists(dir_.filePath("out.bit")));
    }

    void partialPictures_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<bool>("damagedText");
        QTest::newRow("png with a damaged text chunk") << "png" << false << true;
        QTest::newRow("png") << "png" << false << false;
        QTest::newRow("interlaced png") << "png" << true << false;
        QTest::newRow("baseline jpeg") << "jpeg" << false << false;
        QTest::newRow("progressive jpeg") << "jpeg" << true << false;
    }

    // A fitted photo cut at 60 % (or with a damaged chunk ahead of its rows)
    // is refused, naming it; --partial converts what was decoded, with one
    // warning line.
    void partialPictures() {
        QFETCH(QString, format);
        QFETCH(bool, progressive);
        QFETCH(bool, damagedText);
        Bytes photo =
            Make(format, 640, 320, Landscape, {.progressive = progressive, .interlaced = progressive});
        if (damagedText)
            photo = WithDamagedText(std::move(photo));
        else
            photo.resize(photo.size() * 6 / 10);
        const QString name = Write("cut." + format, Held(photo));
        const ConverterRun refused = Run({name, "-o", "refused.bit"});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.ErrorLines().size(), 1);
        QVERIFY2(refused.err.contains("cut." + format.toLatin1()), refused.err);
        QVERIFY(!QFile::exists(dir_.filePath("refused.bit")));

        const ConverterRun accepted = Run({name, "--partial", "-o", "accepted.bit"});
        QCOMPARE(accepted.exitCode, 0);
        QCOMPARE(accepted.ErrorLines().size(), 1);
        QVERIFY2(accepted.err.contains("warning: converted as far as it was decoded"), accepted.err);
        QVERIFY(QFile::exists(dir_.filePath("accepted.bit")));
    }
};

QTEST_GUILESS_MAIN(PhotosTest)
#include "tst_photos.moc"
