#include <functional>
#include <vector>

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>

#include "ConverterProcess.h"
#include "PictureToScreen.h"
#include "QtTestSupport.h"

using IsSet = std::function<bool(int, int)>;
Q_DECLARE_METATYPE(IsSet)

namespace {

constexpr int Width = 96;
constexpr int Height = 48;

QImage Grey(QSize size, const std::function<int(int, int)>& level) {
    return Picture(size, [&](int x, int y) { return qRgb(level(x, y), level(x, y), level(x, y)); });
}

QImage WithAlpha(QSize size, const std::function<QRgb(int, int)>& colour) {
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, colour(x, y));
    return image;
}

// The engine's decisions on a uniform grey screen, for the dithering rows.
IsSet Dithered(int level, Routines::Dithering dithering, int threshold) {
    const std::vector<std::uint8_t> field(Width * Height, static_cast<std::uint8_t>(level));
    const std::vector<bool> set = Routines::SetPixels(field, Width, Height, dithering, threshold);
    return [set](int x, int y) { return static_cast<bool>(set[static_cast<std::size_t>(y * Width + x)]); };
}

// A portable bitmap of the screen: "P4", the size, then rows of 12 bytes,
// leftmost pixel in the high bit, 1 for black.
QByteArray PbmFile(const IsSet& isSet) {
    QByteArray bytes("P4\n96 48\n");
    for (int y = 0; y < Height; ++y) {
        for (int byte = 0; byte < Width / 8; ++byte) {
            int value = 0;
            for (int bit = 0; bit < 8; ++bit) value |= (isSet(8 * byte + bit, y) ? 0x80 : 0) >> bit;
            bytes += static_cast<char>(value);
        }
    }
    return bytes;
}

const IsSet Pattern = [](int x, int y) { return (3 * x + y) % 5 == 0 || (x == 95 && y == 47); };

}  // namespace

class ConverterTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString Path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void pictureOptions_data() {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<IsSet>("expected");

        // Columns repeat: near-white, white, transparent black, dark grey.
        const QImage stripes = WithAlpha({120, 60}, [](int x, int) {
            const QRgb colours[] = {qRgb(255, 255, 254), qRgb(255, 255, 255), qRgba(0, 0, 0, 0),
                                    qRgb(64, 64, 64)};
            return colours[x % 4];
        });
        const IsSet stripesSet = [](int x, int) { return x % 4 == 0 || x % 4 == 3; };
        QTest::newRow("only pure white is clear, clipped to 96 x 48")
            << stripes << QStringList{} << stripesSet;
        QTest::newRow("invert") << stripes << QStringList{"--invert"}
                                << IsSet([=](int x, int y) { return !stripesSet(x, y); });

        const QImage ramp = Grey({Width, Height}, [](int x, int) { return x * 255 / 95; });
        QTest::newRow("threshold") << ramp << QStringList{"--threshold", "100"}
                                   << IsSet([](int x, int) { return x * 255 / 95 < 100; });
        QTest::newRow("threshold inverted") << ramp << QStringList{"--threshold=100", "--invert"}
                                            << IsSet([](int x, int) { return x * 255 / 95 >= 100; });
        // Luminance 0.299 R + 0.587 G + 0.114 B: red 76, green 150, blue 29.
        const QImage primaries = Picture({3, 1}, [](int x, int) {
            const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
            return colours[x];
        });
        QTest::newRow("luminance weights")
            << primaries << QStringList{"--threshold", "100"}
            << IsSet([](int x, int y) { return y == 0 && (x == 0 || x == 2); });

        const QImage small = Picture({10, 5}, [](int, int) { return qRgb(0, 0, 0); });
        const IsSet smallSet = [](int x, int y) { return x < 10 && y < 5; };
        QTest::newRow("small picture at the top left") << small << QStringList{} << smallSet;
        QTest::newRow("small picture inverted")
            << small << QStringList{"--invert"} << IsSet([=](int x, int y) { return !smallSet(x, y); });

        // Black at alpha 1 lies on white as grey 254: set by the colour rule, not by a threshold.
        const QImage faint =
            WithAlpha({Width, Height}, [](int x, int) { return qRgba(0, 0, 0, x < 48 ? 1 : 0); });
        QTest::newRow("faint pixels on white")
            << faint << QStringList{} << IsSet([](int x, int) { return x < 48; });
        QTest::newRow("faint pixels under a threshold")
            << faint << QStringList{"--threshold", "128"} << IsSet([](int, int) { return false; });

        const QImage halves =
            Picture({192, 96}, [](int x, int) { return x < 96 ? qRgb(0, 0, 0) : qRgb(255, 255, 255); });
        QTest::newRow("fit a wide picture") << halves << QStringList{"--fit", "--threshold", "128"}
                                            << IsSet([](int x, int) { return x < 48; });
        // 10 x 40 becomes 12 x 48, centred: columns 42 to 53.
        const QImage tall = Picture({10, 40}, [](int, int) { return qRgb(0, 0, 0); });
        QTest::newRow("fit a tall picture, centred")
            << tall << QStringList{"--fit"} << IsSet([](int x, int) { return x >= 42 && x < 54; });

        const QImage grey100 = Grey({Width, Height}, [](int, int) { return 100; });
        QTest::newRow("ordered") << grey100 << QStringList{"--dither", "ordered"}
                                 << IsSet([](int x, int y) { return 100 < Routines::OrderedLevel(x, y); });
        QTest::newRow("floyd-steinberg") << grey100 << QStringList{"--dither", "floyd-steinberg"}
                                         << Dithered(100, Routines::Dithering::FloydSteinberg, 128);
        QTest::newRow("atkinson around 90")
            << grey100 << QStringList{"--dither", "atkinson", "--threshold", "90"}
            << Dithered(100, Routines::Dithering::Atkinson, 90);
    }

    void pictureOptions() {
        QFETCH(QImage, picture);
        QFETCH(QStringList, options);
        QFETCH(IsSet, expected);
        WriteBytes(Path("in.png"), Encoded(picture, "png"));
        const ConverterRun run = RunConverter(dir_.path(), QStringList{"in.png", "-o", "out.bit"} + options);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(ReadBytes(Path("out.bit")), BitFileBytes(expected));
    }

    void outputFormats_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("bit") << QStringList{"-o", "out.bit"} << "out.bit" << QByteArray("bit");
        QTest::newRow("bmp") << QStringList{"-o", "out.bmp"} << "out.bmp" << QByteArray("bmp");
        QTest::newRow("png, ending in capitals")
            << QStringList{"-o", "out.PNG"} << "out.PNG" << QByteArray("png");
        QTest::newRow("pbm") << QStringList{"-o", "out.pbm"} << "out.pbm" << QByteArray("pbm");
        QTest::newRow("--to overrides the name")
            << QStringList{"-o", "out.bit", "--to", "pbm"} << "out.bit" << QByteArray("pbm");
        QTest::newRow("folder with --to")
            << QStringList{"-d", "made/here", "--to", "png"} << "made/here/in.png" << QByteArray("png");
    }

    void outputFormats() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(QByteArray, format);
        WriteBytes(Path("in.bit"), BitFileBytes(Pattern));
        const ConverterRun run = RunConverter(dir_.path(), QStringList{"in.bit"} + arguments);
        QCOMPARE(run.exitCode, 0);
        const QByteArray written = ReadBytes(Path(output));
        if (format == "bit") {
            QCOMPARE(written, BitFileBytes(Pattern));
        } else if (format == "pbm") {
            QCOMPARE(written, PbmFile(Pattern));
        } else {
            QBuffer buffer;
            buffer.setData(written);
            QImageReader reader(&buffer);
            QCOMPARE(reader.format(), format);
            const QImage image = reader.read();
            QCOMPARE(image.size(), QSize(Width, Height));
            if (format == "png") QCOMPARE(image.depth(), 1);
            for (int y = 0; y < Height; ++y)
                for (int x = 0; x < Width; ++x)
                    QCOMPARE(image.pixel(x, y), Pattern(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }

    void inputKinds_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<IsSet>("expected");
        QTest::addColumn<bool>("knownByContent");  // standard input has no name to go by
        const auto logoPixel = [](int x, int y) { return (x + 2 * y) % 7 == 0; };
        const IsSet logoOnScreen = [=](int x, int y) {
            return x >= 12 && x < 84 && y >= 17 && y < 31 && logoPixel(x - 12, y - 17);
        };
        QTest::newRow(".bit") << "in.bit" << BitFileBytes(Pattern) << Pattern << true;
        QTest::newRow("operator logo") << "in.nol" << LogoFile("NOL", 20, logoPixel) << logoOnScreen << true;
        QTest::newRow("group graphic") << "in.ngg" << LogoFile("NGG", 16, logoPixel) << logoOnScreen << true;
        QTest::newRow("group graphic named .nol: its start decides")
            << "in.nol" << LogoFile("NGG", 16, logoPixel) << logoOnScreen << true;
        QTest::newRow("logo by its start, any name")
            << "in.dat" << LogoFile("NOL", 20, logoPixel) << logoOnScreen << true;
        QTest::newRow("logo by an ending in capitals")
            << "IN.NOL" << LogoFile("XYZ", 20, logoPixel) << logoOnScreen << false;
        QTest::newRow("gif") << "in.gif" << GifFile(Picture({100, 50}, [](int x, int y) {
            return Pattern(x, y) ? qRgb(9, 9, 9) : qRgb(255, 255, 255);
        })) << Pattern << true;
    }

    void inputKinds() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(IsSet, expected);
        QFETCH(bool, knownByContent);
        WriteBytes(Path(name), bytes);
        const ConverterRun run = RunConverter(dir_.path(), {name, "-o", "out.bit"});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(ReadBytes(Path("out.bit")), BitFileBytes(expected));

        // The same bytes on standard input, the result on standard output.
        if (!knownByContent) return;
        const ConverterRun piped = RunConverter(dir_.path(), {"-", "-o", "-", "--to", "bit"}, bytes);
        QCOMPARE(piped.exitCode, 0);
        QCOMPARE(piped.out, BitFileBytes(expected));
    }

    // A photo beyond the pixel limit: placed as the window places it, it is
    // refused as the window refuses it; scaled to fit, its decoder reads it
    // at half size instead, if it is a baseline JPEG.
    void largePhotoIsReadSmallerOnlyToFit() {
        if (!QImageReader::supportedImageFormats().contains("jpeg")) QSKIP("Qt has no JPEG plugin here");
        const QImage photo = Grey(QSize(4000, 3000), [](int x, int) { return x < 2000 ? 0 : 255; });
        WriteBytes(Path("photo.jpg"), Encoded(photo, "jpeg"));

        // A progressive JPEG keeps every coefficient of the whole picture
        // while it decodes, however small it is read: refused all the same.
        QByteArray progressive;
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(photo));
        WriteBytes(Path("progressive.jpg"), progressive);
        const ConverterRun refused = RunConverter(dir_.path(), {"progressive.jpg", "--fit", "-o", "p.bit"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains("4000 x 3000 pixels is larger than"), refused.err.constData());

        const ConverterRun placed = RunConverter(dir_.path(), {"photo.jpg", "-o", "placed.bit"});
        QCOMPARE(placed.exitCode, 1);
        QVERIFY2(placed.err.contains("4000 x 3000 pixels is larger than"), placed.err.constData());
        QVERIFY(!QFile::exists(Path("placed.bit")));

        const ConverterRun fitted =
            RunConverter(dir_.path(), {"photo.jpg", "--fit", "--threshold", "128", "-o", "fitted.bit"});
        QCOMPARE(fitted.err, QByteArray());
        QCOMPARE(fitted.exitCode, 0);
        // 4000 x 3000 fits as 64 x 48 from column 16: black up to column 47.
        const QByteArray bits = ReadBytes(Path("fitted.bit"));
        const QByteArray expected = BitFileBytes([](int x, int) { return x >= 16 && x < 48; });
        QCOMPARE(bits.size(), expected.size());
        for (int band = 0; band < Height / 8; ++band) {
            for (int x = 0; x < Width; ++x) {
                // The smooth scaler greys the one column where the halves meet.
                if (x == 47 || x == 48) continue;
                QCOMPARE(bits[band * Width + x], expected[band * Width + x]);
            }
        }
    }

    void standardInputFailuresNameIt() {
        const ConverterRun run =
            RunConverter(dir_.path(), {"-", "-o", "out.bit"}, QByteArray("NOL too short"));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.ErrorLines().size(), 1);
        QVERIFY2(run.err.startsWith("pelorin-convert: -: Error 62: File too short: \"-\" holds 13 bytes"),
                 run.err.constData());
        QVERIFY(!QFile::exists(Path("short.bit")));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("no output") << QStringList{"in.bit"};
        QTest::newRow("file and folder") << QStringList{"in.bit", "-o", "x.bit", "-d", "f"};
        QTest::newRow("file for two inputs") << QStringList{"in.bit", "in.bit", "-o", "x.bit"};
        QTest::newRow("standard output without --to") << QStringList{"in.bit", "-o", "-"};
        QTest::newRow("unknown ending") << QStringList{"in.bit", "-o", "x.gif"};
        QTest::newRow("unknown --to") << QStringList{"in.bit", "-o", "x.bit", "--to", "jpg"};
        QTest::newRow("unknown dither") << QStringList{"in.bit", "-o", "x.bit", "--dither", "random"};
        QTest::newRow("threshold too high") << QStringList{"in.bit", "-o", "x.bit", "--threshold", "256"};
        QTest::newRow("threshold not a number")
            << QStringList{"in.bit", "-o", "x.bit", "--threshold", "half"};
        QTest::newRow("unknown option") << QStringList{"in.bit", "-o", "x.bit", "--sharpen"};
        QTest::newRow("standard input into a folder") << QStringList{"-", "-d", "f"};
        QTest::newRow("standard input twice") << QStringList{"-", "-", "--preview"};
        QTest::newRow("two inputs, one name") << QStringList{"in.bit", "sub/in.png", "-d", "f"};
    }

    void usageErrors() {
        QFETCH(QStringList, arguments);
        QTemporaryDir folder;
        WriteBytes(folder.filePath("in.bit"), BitFileBytes(Pattern));
        const ConverterRun run = RunConverter(folder.path(), arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.ErrorLines().size(), 2);
        QVERIFY(run.err.startsWith("pelorin-convert: "));
        QVERIFY(run.err.endsWith("Try 'pelorin-convert --help' for more information.\n"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{"in.bit"});
    }

    // Good inputs are converted; every bad one gives one line, leaves no file
    // and keeps what was there before.
    void batchOfGoodAndBadInputs() {
        QDir(dir_.path()).mkpath("in");
        QDir(dir_.path()).mkpath("out");
        WriteBytes(Path("in/photo.png"),
                   Encoded(Picture({4, 4}, [](int, int) { return qRgb(0, 0, 0); }), "png"));
        WriteBytes(Path("in/logo.nol"), LogoFile("NOL", 20, [](int, int) { return true; }));
        WriteBytes(Path("in/screen.bit"), BitFileBytes(Pattern));
        WriteBytes(Path("in/short.bit"), QByteArray(575, '\xFF'));
        WriteBytes(Path("in/text.png"), "not a picture");
        // A bitmap header claiming 30000 x 30000 pixels in a file of 54 bytes.
        QByteArray hostile("BM");
        hostile +=
            QByteArray::fromHex("36000000000000003600000028000000307500003075000001001800000000000000");
        hostile += QByteArray(54 - hostile.size(), '\0');
        WriteBytes(Path("in/hostile.bmp"), hostile);
        WriteBytes(Path("out/short.bit"), "earlier file");

        const ConverterRun run =
            RunConverter(dir_.path(), {"in/photo.png", "in/short.bit", "in/logo.nol", "in/text.png",
                                       "in/missing.png", "in/hostile.bmp", "in/screen.bit", "-d", "out"});
        QCOMPARE(run.exitCode, 1);
        const QList<QByteArray> lines = run.ErrorLines();
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QByteArray("pelorin-convert: in/short.bit: This is not a valid .bit file"));
        QVERIFY2(
            lines[1].startsWith("pelorin-convert: in/text.png: Error 481: Invalid picture: \"in/text.png\""),
            lines[1].constData());
        QCOMPARE(lines[2],
                 QByteArray("pelorin-convert: in/missing.png: Error 53: File not found: \"in/missing.png\""));
        QVERIFY2(lines[3].startsWith("pelorin-convert: in/hostile.bmp: Error 481: "), lines[3].constData());

        QCOMPARE(QDir(Path("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"logo.bit", "photo.bit", "screen.bit", "short.bit"}));
        QCOMPARE(ReadBytes(Path("out/short.bit")), QByteArray("earlier file"));
        QCOMPARE(ReadBytes(Path("out/screen.bit")), BitFileBytes(Pattern));
        QCOMPARE(ReadBytes(Path("out/photo.bit")), BitFileBytes([](int x, int y) { return x < 4 && y < 4; }));
        QCOMPARE(ReadBytes(Path("out/logo.bit")),
                 BitFileBytes([](int x, int y) { return x >= 12 && x < 84 && y >= 17 && y < 31; }));
    }

    // The window shows one box per bad pixel byte; the converter says it once.
    void invalidLogoBytesAreCounted() {
        QByteArray logo = LogoFile("NOL", 20, [](int, int) { return false; });
        logo[20] = '2';
        logo[21] = 'x';
        logo[500] = '\0';
        WriteBytes(Path("bad.nol"), logo);
        const ConverterRun run = RunConverter(dir_.path(), {"bad.nol", "-o", "out.bit"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(
            run.err,
            QByteArray("pelorin-convert: bad.nol: warning: 3 invalid pixel bytes dropped (Invalid Data)\n"));
        QCOMPARE(ReadBytes(Path("out.bit")), BitFileBytes([](int, int) { return false; }));
    }

    void previewShowsTwoRowsPerCharacter() {
        // Column 0: upper pixel only; 1: lower only; 2: both; at the bottom right: upper of the last pair.
        const IsSet set = [](int x, int y) {
            return (x == 0 && y == 0) || (x == 1 && y == 1) || (x == 2 && y < 2) || (x == 95 && y == 46);
        };
        WriteBytes(Path("in.bit"), BitFileBytes(set));
        const ConverterRun run = RunConverter(dir_.path(), {"in.bit", "--preview"});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = QString::fromUtf8(run.out).split('\n');
        QCOMPARE(lines.size(), 25);  // 24 lines, each ended
        QCOMPARE(lines[0], QString::fromUtf8("\u2580\u2584\u2588") + QString(93, ' '));
        for (int row = 1; row < 23; ++row) QCOMPARE(lines[row], QString(96, ' '));
        QCOMPARE(lines[23], QString(95, ' ') + QString::fromUtf8("\u2580"));
        QVERIFY(!QFile::exists(Path("in.bit.bit")));

        // With the picture itself on standard output, the preview goes to standard error.
        const ConverterRun piped =
            RunConverter(dir_.path(), {"in.bit", "-o", "-", "--to", "bit", "--preview"});
        QCOMPARE(piped.out, BitFileBytes(set));
        QCOMPARE(piped.err, run.out);
    }

    void versionAndHelp() {
        const ConverterRun version = RunConverter(dir_.path(), {"--version"});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("pelorin-convert " PELORIN_VERSION "\n"));
        const ConverterRun help = RunConverter(dir_.path(), {"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith("Usage: pelorin-convert [OPTION]... INPUT... (-o OUTPUT | -d FOLDER)\n"));
        for (const char* option :
             {"--fit", "--threshold", "--dither", "--invert", "--preview", "--to", "Exit status"})
            QVERIFY2(help.out.contains(option), option);
    }
};

PELORIN_TEST_MAIN(ConverterTest)
#include "tst_pelorin_convert.moc"
