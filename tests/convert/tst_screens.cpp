// One-bit screens of any size through the real pelorin-convert: raw bytes in
// each layout read and written back, XBM read by Qt, the C header's names, the
// turns and mirrors, and the thumbnailer's command line on each file type.

#include <functional>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>

#include "ConverterProcess.h"
#include "QtTestSupport.h"

namespace {

// Where pixel (x, y) of a W-wide picture is in each layout, written from the
// layouts' descriptions: {byte, bit}.
std::pair<int, int> Place(const QString& layout, int width, int x, int y) {
    const int rowBytes = (width + 7) / 8;
    if (layout == QLatin1String("bands-lsb-top")) return {y / 8 * width + x, y % 8};
    if (layout == QLatin1String("bands-msb-top")) return {y / 8 * width + x, 7 - y % 8};
    if (layout == QLatin1String("rows-msb-first")) return {y * rowBytes + x / 8, 7 - x % 8};
    return {y * rowBytes + x / 8, x % 8};
}

int ByteCount(const QString& layout, int width, int height) {
    return layout.startsWith(QLatin1String("bands")) ? (height + 7) / 8 * width : (width + 7) / 8 * height;
}

bool IsBlack(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

}  // namespace

class ScreensTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString Path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void rawLayoutsReadBack_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        for (const char* layout : {"bands-lsb-top", "bands-msb-top", "rows-msb-first", "rows-lsb-first"}) {
            for (const QSize size :
                 {QSize(96, 48), QSize(128, 64), QSize(13, 11), QSize(1, 1), QSize(84, 45)}) {
                QTest::addRow("%s %dx%d", layout, size.width(), size.height())
                    << QString::fromLatin1(layout) << size.width() << size.height();
            }
        }
    }

    // Raw bytes -> PNG and XBM with exactly the pixels the layout puts there,
    // and -> the same layout again with the same bytes (padding cleared).
    void rawLayoutsReadBack() {
        QFETCH(QString, layout);
        QFETCH(int, width);
        QFETCH(int, height);
        QByteArray raw(ByteCount(layout, width, height), '\0');
        for (qsizetype i = 0; i < raw.size(); ++i) raw[i] = static_cast<char>((i * 167 + 61) % 251);
        WriteBytes(Path("in.raw"), raw);
        const QStringList reading = {"in.raw", "--from-layout", layout, "--size",
                                     QStringLiteral("%1x%2").arg(width).arg(height)};

        QCOMPARE(RunConverter(dir_.path(), reading + QStringList{"-o", "out.png"}).exitCode, 0);
        QCOMPARE(RunConverter(dir_.path(), reading + QStringList{"-o", "out.xbm"}).exitCode, 0);
        QByteArray cleared(raw.size(), '\0');
        const QImage png(Path("out.png"));
        const QImage xbm = QImage::fromData(ReadBytes(Path("out.xbm")), "XBM");
        QCOMPARE(png.size(), QSize(width, height));
        QCOMPARE(xbm.size(), QSize(width, height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const auto [byte, bit] = Place(layout, width, x, y);
                const bool set = (static_cast<unsigned char>(raw[byte]) >> bit & 1) != 0;
                if (set) cleared[byte] = static_cast<char>(cleared[byte] | 1 << bit);
                QVERIFY2(IsBlack(png, x, y) == set, qPrintable(QStringLiteral("png %1,%2").arg(x).arg(y)));
                QVERIFY2(IsBlack(xbm, x, y) == set, qPrintable(QStringLiteral("xbm %1,%2").arg(x).arg(y)));
            }
        }
        QCOMPARE(
            RunConverter(dir_.path(), reading + QStringList{"--layout", layout, "-o", "out.bit"}).exitCode,
            0);
        QCOMPARE(ReadBytes(Path("out.bit")), cleared);
    }

    // A black picture on a screen of another size: the set pixels are exactly
    // the rectangle it lands on, worked out here by hand.
    void picturesAtOtherSizes_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QRect>("expected");
        const QStringList fit{"--fit", "--threshold", "128"};
        QTest::newRow("fit same proportions") << QSize(200, 100) << "128x64" << fit << QRect(0, 0, 128, 64);
        QTest::newRow("fit taller, odd screen") << QSize(30, 60) << "100x37" << fit << QRect(40, 0, 19, 37);
        QTest::newRow("fit wider, tiny screen") << QSize(50, 10) << "13x21" << fit << QRect(0, 9, 13, 3);
        QTest::newRow("exact clips right")
            << QSize(150, 20) << "100x37" << QStringList{"--exact"} << QRect(0, 0, 100, 20);
        QTest::newRow("exact clips both")
            << QSize(7, 9) << "5x3" << QStringList{"--exact"} << QRect(0, 0, 5, 3);
        QTest::newRow("small one as drawn")
            << QSize(10, 10) << "33x17" << QStringList{} << QRect(0, 0, 10, 10);
        QTest::newRow("larger one fitted")
            << QSize(66, 17) << "33x17" << QStringList{"--threshold", "128"} << QRect(0, 4, 33, 9);
    }

    void picturesAtOtherSizes() {
        QFETCH(QSize, picture);
        QFETCH(QString, size);
        QFETCH(QStringList, options);
        QFETCH(QRect, expected);
        QImage black(picture, QImage::Format_RGB32);
        black.fill(Qt::black);
        QVERIFY(black.save(dir_.filePath("black.png")));
        QCOMPARE(
            RunConverter(dir_.path(), QStringList{"black.png", "--size", size, "-o", "out.png"} + options)
                .exitCode,
            0);
        const QImage out(dir_.filePath("out.png"));
        const QStringList sides = size.split(QLatin1Char('x'));
        QCOMPARE(out.size(), QSize(sides[0].toInt(), sides[1].toInt()));
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                QVERIFY2((out.pixel(x, y) == qRgb(0, 0, 0)) == expected.contains(x, y),
                         qPrintable(QStringLiteral("pixel %1, %2").arg(x).arg(y)));
    }

    void screenFilesRefuseOtherSizes() {
        QFile bit(dir_.filePath("in.bit"));
        QVERIFY(bit.open(QIODevice::WriteOnly));
        bit.write(QByteArray(576, '\0'));
        bit.close();
        const ConverterRun run = RunConverter(dir_.path(), {"in.bit", "--size", "128x64", "-o", "out.h"});
        QVERIFY(run.exitCode != 0);
        QVERIFY(run.err.contains("applies to pictures only"));
    }

    void rawInputOfTheWrongLengthIsRefused() {
        WriteBytes(Path("short.raw"), QByteArray(15, '\0'));
        const ConverterRun run = RunConverter(dir_.path(), {"short.raw", "--from-layout", "rows-msb-first",
                                                            "--size", "9x8", "-o", "refused.png"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("holds 15 bytes"));
        QVERIFY(!QFile::exists(Path("refused.png")));
    }

    void turnsAndMirrors_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("where");  // where the .bit's only set pixel, (0, 0), goes
        QTest::newRow("rotate 90") << QStringList{"--rotate", "90"} << QSize(48, 96) << QPoint(47, 0);
        QTest::newRow("rotate 180") << QStringList{"--rotate", "180"} << QSize(96, 48) << QPoint(95, 47);
        QTest::newRow("rotate 270") << QStringList{"--rotate", "270"} << QSize(48, 96) << QPoint(0, 95);
        QTest::newRow("flip h") << QStringList{"--flip", "h"} << QSize(96, 48) << QPoint(95, 0);
        QTest::newRow("flip v") << QStringList{"--flip", "v"} << QSize(96, 48) << QPoint(0, 47);
    }

    void turnsAndMirrors() {
        QFETCH(QStringList, options);
        QFETCH(QSize, size);
        QFETCH(QPoint, where);
        WriteBytes(Path("corner.bit"), BitFileBytes([](int x, int y) { return x == 0 && y == 0; }));
        QCOMPARE(RunConverter(dir_.path(), QStringList{"corner.bit", "-o", "turned.png"} + options).exitCode,
                 0);
        const QImage turned(Path("turned.png"));
        QCOMPARE(turned.size(), size);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) QCOMPARE(IsBlack(turned, x, y), QPoint(x, y) == where);
    }

    void cHeaderNamesAndSizes_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("name from the file")
            << QStringList{"-o", "my-logo.h"}
            << QStringList{"#define MY_LOGO_WIDTH 96", "#define MY_LOGO_HEIGHT 48",
                           "#define MY_LOGO_LAYOUT \"bands-lsb-top\"", "static const uint8_t my_logo[] = {"};
        QTest::newRow("--name, --progmem, turned")
            << QStringList{"-o",       "x.h", "--name",   "boot",          "--progmem",
                           "--rotate", "90",  "--layout", "rows-msb-first"}
            << QStringList{"#include <avr/pgmspace.h>", "#define BOOT_WIDTH 48", "#define BOOT_HEIGHT 96",
                           "#define BOOT_LAYOUT \"rows-msb-first\"",
                           "static const uint8_t boot[] PROGMEM = {"};
        QTest::newRow("standard output")
            << QStringList{"-o", "-", "--to", "c"} << QStringList{"static const uint8_t picture[] = {"};
    }

    void cHeaderNamesAndSizes() {
        QFETCH(QStringList, options);
        QFETCH(QStringList, lines);
        WriteBytes(Path("in.bit"), BitFileBytes([](int x, int y) { return (x + y) % 3 == 0; }));
        const ConverterRun run = RunConverter(dir_.path(), QStringList{"in.bit"} + options);
        QCOMPARE(run.exitCode, 0);
        const QByteArray header = options[1] == QLatin1String("-") ? run.out : ReadBytes(Path(options[1]));
        const QStringList written = QString::fromUtf8(header).split('\n');
        for (const QString& line : lines) QVERIFY2(written.contains(line), qPrintable(line));
    }

    void asciiPreviewIsFramed() {
        WriteBytes(Path("in.bit"), BitFileBytes([](int x, int y) { return x == 1 && y == 0; }));
        const ConverterRun run = RunConverter(dir_.path(), {"in.bit", "--preview=ascii"});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = QString::fromLatin1(run.out).split('\n');
        QCOMPARE(lines.size(), 51);  // 48 rows and two frame lines, each ended
        QCOMPARE(lines[0], QLatin1Char('+') + QString(96, '-') + QLatin1Char('+'));
        QCOMPARE(lines[1], QStringLiteral("| #") + QString(94, ' ') + QLatin1Char('|'));
        QCOMPARE(lines[49], lines[0]);
    }

    void thumbnailerMakesScaledPngs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("scale");
        const auto pixel = [](int x, int y) { return (x * 5 + y * 3) % 7 == 0; };
        QTest::newRow(".bit at 128") << "a.bit" << BitFileBytes(pixel) << 128 << 1;
        QTest::newRow(".bit at 256") << "a.bit" << BitFileBytes(pixel) << 256 << 2;
        QTest::newRow(".nol at 512") << "a.nol" << LogoFile("NOL", 20, pixel) << 512 << 5;
        QTest::newRow(".ngg at 64") << "a.ngg" << LogoFile("NGG", 16, pixel) << 64 << 1;
    }

    // Runs the Exec line of the installed thumbnailer, %s, %i and %o filled in.
    void thumbnailerMakesScaledPngs() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(int, size);
        QFETCH(int, scale);
        WriteBytes(Path(name), bytes);
        QSettings entry(QStringLiteral(PELORIN_THUMBNAILER), QSettings::IniFormat);
        const QString exec = entry.value(QStringLiteral("Thumbnailer Entry/Exec")).toString();
        QStringList words = exec.split(' ', Qt::SkipEmptyParts);
        QCOMPARE(words.takeFirst(), QStringLiteral("pelorin-convert"));
        words.replaceInStrings(QStringLiteral("%s"), QString::number(size));
        words.replaceInStrings(QStringLiteral("%i"), Path(name));
        words.replaceInStrings(QStringLiteral("%o"), Path("thumb.png"));
        QCOMPARE(RunConverter(dir_.path(), words).exitCode, 0);

        const QImage thumbnail(Path("thumb.png"));
        QCOMPARE(thumbnail.size(), QSize(96 * scale, 48 * scale));
        QCOMPARE(RunConverter(dir_.path(), {name, "-o", "plain.png"}).exitCode, 0);
        const QImage plain(Path("plain.png"));
        for (int y = 0; y < thumbnail.height(); ++y)
            for (int x = 0; x < thumbnail.width(); ++x)
                QCOMPARE(IsBlack(thumbnail, x, y), IsBlack(plain, x / scale, y / scale));
    }
};

PELORIN_TEST_MAIN(ScreensTest)
#include "tst_screens.moc"
