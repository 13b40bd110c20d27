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

        const auto logoPixel = [](int x, int y) { return (x * y) % 3 == 1; };
        QByteArray invalid = LogoFile("NOL", 20, logoPixel);
        invalid[20 + 100] = '7';
        QTest::newRow(".bit") << "in.bit" << BitFileBytes([](int x, int y) { return (x ^ y) % 3 == 0; })
                              << "cmdOpenBit";
        QTest::newRow(".nol") << "in.nol" << LogoFile("NOL", 20, logoPixel) << "cmdOpenNokia";
        QTest::newRow(".ngg") << "in.ngg" << LogoFile("NGG", 16, logoPixel) << "cmdOpenNokia";
        QTest::newRow(".nol with an invalid pixel byte") << "bad.nol" << invalid << "cmdOpenNokia";

        const QImage large = Picture({120, 70}, Mixed);
        const QImage small = Picture({50, 20}, Mixed);
        QTest::newRow("24-bit bitmap, larger than the screen")
            << "large.bmp" << Encoded(large, "bmp") << "cmdOpenBMP";
        QTest::newRow("1-bit bitmap")
            << "mono.bmp" << Encoded(large.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), "bmp")
            << "cmdOpenBMP";
        QTest::newRow("small png") << "small.png" << Encoded(small, "png") << "cmdOpenBMP";
        QTest::newRow("png with transparency") << "alpha.png" << Encoded(WithAlpha(), "png") << "cmdOpenBMP";
        QTest::newRow("gif") << "in.gif" << GifFile(large) << "cmdOpenBMP";
        QTest::newRow("ppm") << "in.ppm" << Encoded(large, "ppm") << "cmdOpenBMP";
        QTest::newRow("pgm") << "in.pgm" << Encoded(large.convertToFormat(QImage::Format_Grayscale8), "pgm")
                             << "cmdOpenBMP";
        QTest::newRow("pbm") << "in.pbm" << Encoded(large.convertToFormat(QImage::Format_Mono), "pbm")
                             << "cmdOpenBMP";
        if (QImageWriter::supportedImageFormats().contains("jpeg"))
            QTest::newRow("jpeg") << "in.jpg" << Encoded(large, "jpeg") << "cmdOpenBMP";
    }

    void sameBitFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, button);
        MainWindowFixture f;
        WriteBytes(f.Path(name), bytes);

        f.Click(f.window.findChild<QPushButton*>(button), name);
        f.Click(f.window.cmdSavePic, QStringLiteral("window.bit"));
        const QByteArray fromWindow = ReadBytes(f.Path("window.bit"));
        QCOMPARE(fromWindow.size(), 576);

        const ConverterRun run = RunConverter(f.dir.path(), {name, "-o", "converter.bit"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(ReadBytes(f.Path("converter.bit")), fromWindow);
    }
};

PELORIN_TEST_MAIN(WindowAgreementTest)
#include "tst_window_agreement.moc"
