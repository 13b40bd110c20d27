#include <QImageWriter>
#include <QPushButton>

#include "ConverterProcess.h"
#include "QtTestSupport.h"

namespace {

// Colours that sit on both sides of the colour rule: white, near-white, greys and black.
QRgb Mixed(int x, int y) {
    const QRgb colours[] = {qRgb(255, 255, 255), qRgb(254, 255, 255), qRgb(255, 255, 255),
                            qRgb(128, 128, 128), qRgb(0, 0, 0),       qRgb(255, 255, 255),
                            qRgb(200, 10, 30)};
    return colours[(x * 5 + y * 3) % 7];
}

QImage WithAlpha() {
    QImage image(100, 50, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            // Transparent, opaque and faint pixels, among them near-white ones that stay white on white.
            const int alphas[] = {0, 255, 1, 128};
            const int levels[] = {0, 253, 255};
            image.setPixel(x, y, qRgba(levels[y % 3], levels[y % 3], levels[y % 3], alphas[x % 4]));
        }
    }
    return image;
}

}  // namespace

// Open in the window, Save Bit, and the converter on the same file: the same 576 bytes.
class WindowAgreementTest : public QObject {
    Q_OBJECT

private slots:
    void sameBitFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("button");  // the window's open command
        // The converter's options that give the window's rule: none for screen
        // pictures, logos and pictures within the screen; --exact for larger pictures,
        // which it otherwise fits as photos.
        QTest::addColumn<QStringList>("options");

        const auto logoPixel = [](int x, int y) { return (x * y) % 3 == 1; };
        QByteArray invalid = LogoFile("NOL", 20, logoPixel);
        invalid[20 + 100] = '7';
        QTest::newRow(".bit") << "in.bit" << BitFileBytes([](int x, int y) { return (x ^ y) % 3 == 0; })
                              << "cmdOpenBit" << QStringList{};
        QTest::newRow(".nol") << "in.nol" << LogoFile("NOL", 20, logoPixel) << "cmdOpenNokia"
                              << QStringList{};
        QTest::newRow(".ngg") << "in.ngg" << LogoFile("NGG", 16, logoPixel) << "cmdOpenNokia"
                              << QStringList{};
        QTest::newRow(".nol with an invalid pixel byte")
            << "bad.nol" << invalid << "cmdOpenNokia" << QStringList{};

        const QStringList Exact{"--exact"};
        const QImage large = Picture({120, 70}, Mixed);
        const QImage small = Picture({50, 20}, Mixed);
        QTest::newRow("24-bit bitmap, larger than the screen")
            << "large.bmp" << Encoded(large, "bmp") << "cmdOpenBMP" << Exact;
        QTest::newRow("1-bit bitmap")
            << "mono.bmp" << Encoded(large.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), "bmp")
            << "cmdOpenBMP" << Exact;
        QTest::newRow("small png") << "small.png" << Encoded(small, "png") << "cmdOpenBMP" << QStringList{};
        QTest::newRow("small png, exact") << "small.png" << Encoded(small, "png") << "cmdOpenBMP" << Exact;
        // Beyond the limits of a whole read: both read only the corner they show.
        const QImage huge = Picture({3000, 2100}, [](int x, int y) { return Mixed(x % 7, y % 5); });
        QTest::newRow("png of 6.3 megapixels") << "huge.png" << Encoded(huge, "png") << "cmdOpenBMP" << Exact;
        if (QImageWriter::supportedImageFormats().contains("jpeg"))
            QTest::newRow("jpeg of 6.3 megapixels")
                << "huge.jpg" << Encoded(huge, "jpeg") << "cmdOpenBMP" << Exact;
        QTest::newRow("png with transparency")
            << "alpha.png" << Encoded(WithAlpha(), "png") << "cmdOpenBMP" << Exact;
        QTest::newRow("gif") << "in.gif" << GifFile(large) << "cmdOpenBMP" << Exact;
        QTest::newRow("ppm") << "in.ppm" << Encoded(large, "ppm") << "cmdOpenBMP" << Exact;
        QTest::newRow("pgm") << "in.pgm" << Encoded(large.convertToFormat(QImage::Format_Grayscale8), "pgm")
                             << "cmdOpenBMP" << Exact;
        QTest::newRow("pbm") << "in.pbm" << Encoded(large.convertToFormat(QImage::Format_Mono), "pbm")
                             << "cmdOpenBMP" << Exact;
        if (QImageWriter::supportedImageFormats().contains("jpeg"))
            QTest::newRow("jpeg") << "in.jpg" << Encoded(large, "jpeg") << "cmdOpenBMP" << Exact;
    }

    void sameBitFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, button);
        QFETCH(QStringList, options);
        MainWindowFixture f;
        WriteBytes(f.Path(name), bytes);

        f.Click(f.window.findChild<QPushButton*>(button), name);
        f.Click(f.window.cmdSavePic, QStringLiteral("window.bit"));
        const QByteArray fromWindow = ReadBytes(f.Path("window.bit"));
        QCOMPARE(fromWindow.size(), 576);

        const ConverterRun run =
            RunConverter(f.dir.path(), QStringList{name, "-o", "converter.bit"} + options);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(ReadBytes(f.Path("converter.bit")), fromWindow);
    }

    // Where a logo's name and content disagree the programs differ, by
    // decision: the window goes by the name's last three letters alone, the
    // converter by the content first.
    void logoKinds_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("windowBox");  // empty: the window shows none
        QTest::addColumn<bool>("windowDrawsIt");
        const auto logoPixel = [](int x, int y) { return (x + y) % 4 == 0; };
        QTest::newRow("group graphic named group.nol")
            << "group.nol" << LogoFile("NGG", 16, logoPixel) << "Error Number: 62" << false;
        QTest::newRow("operator logo named LOGO.NOL")
            << "LOGO.NOL" << LogoFile("NOL", 20, logoPixel) << "" << false;
    }

    void logoKinds() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, windowBox);
        QFETCH(bool, windowDrawsIt);
        MainWindowFixture f;
        WriteBytes(f.Path(name), bytes);
        f.Click(f.window.cmdOpenNokia, name);
        if (windowBox.isEmpty()) {
            QVERIFY(f.boxes.shown.empty());
        } else {
            QVERIFY(!f.boxes.shown.empty());
            QVERIFY2(f.boxes.shown.front().text.contains(windowBox), qPrintable(f.boxes.shown.front().text));
        }
        f.Click(f.window.cmdSavePic, QStringLiteral("window.bit"));
        const QByteArray blank = BitFileBytes([](int, int) { return false; });
        QCOMPARE(ReadBytes(f.Path("window.bit")) != blank, windowDrawsIt);

        // The converter reads the logo by its start and draws it.
        const ConverterRun run = RunConverter(f.dir.path(), {name, "-o", "converter.bit"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(ReadBytes(f.Path("converter.bit")) != blank);
    }
};

PELORIN_TEST_MAIN(WindowAgreementTest)
#include "tst_window_agreement.moc"
