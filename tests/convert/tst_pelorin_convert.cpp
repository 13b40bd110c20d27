#include <bit>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QProcessEnvironment>

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

// Files named by raw bytes, which a QFile would decode.
void WriteRaw(const QByteArray& name, const QByteArray& bytes) {
    std::ofstream(name.toStdString(), std::ios::binary).write(bytes.constData(), bytes.size());
}

QByteArray ReadRaw(const QByteArray& name) {
    std::ifstream file(name.toStdString(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(file), {}));
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
            << stripes << QStringList{"--exact"} << stripesSet;
        QTest::newRow("invert") << stripes << QStringList{"--exact", "--invert"}
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

    // A photo larger than the screen: by default fitted, its levels set and
    // halftoned, so neither all black nor all white; under the window's rule
    // (--exact) it is nearly all set, and a hint says what would help.
    void photoDefaults_data() {
        QTest::addColumn<QImage>("photo");
        // Smooth shading and a few shapes, all darker than white.
        QTest::newRow("dark shaded photo") << Grey({640, 480}, [](int x, int y) {
            const int shade = 30 + (x + y) * 150 / 1120;
            return (x - 320) * (x - 320) + (y - 240) * (y - 240) < 120 * 120 ? shade + 60 : shade;
        });
        // A light background with a darker figure.
        QTest::newRow("light photo, dark figure") << Grey({300, 500}, [](int x, int y) {
            const bool figure = x > 100 && x < 200 && y > 150 && y < 450;
            return figure ? 60 + y % 40 : 200 + (x * 7 + y * 3) % 40;
        });
    }

    void photoDefaults() {
        QFETCH(QImage, photo);
        WriteBytes(Path("photo.png"), Encoded(photo, "png"));
        const auto setShare = [](const QByteArray& bits) {
            int set = 0;
            for (const char byte : bits) set += std::popcount(static_cast<unsigned char>(byte));
            return set / double(Width * Height);
        };

        const ConverterRun defaults = RunConverter(dir_.path(), {"photo.png", "-o", "defaults.bit"});
        QCOMPARE(defaults.exitCode, 0);
        QCOMPARE(defaults.err, QByteArray());
        const double share = setShare(ReadBytes(Path("defaults.bit")));
        QVERIFY2(share > 0.05 && share < 0.9, QByteArray::number(share).constData());

        const ConverterRun exact = RunConverter(dir_.path(), {"photo.png", "--exact", "-o", "exact.bit"});
        QCOMPARE(exact.exitCode, 0);
        QCOMPARE(setShare(ReadBytes(Path("exact.bit"))), 1.0);
        QCOMPARE(exact.ErrorLines().size(), 1);
        QVERIFY2(
            exact.err.contains("hint: the screen came out 100 % set") && exact.err.contains("--levels auto"),
            exact.err.constData());
    }

    // Transparent pixels lie on the background colour before they become grey.
    void background_data() {
        QTest::addColumn<QString>("colour");
        QTest::addColumn<bool>("set");
        QTest::newRow("white by default") << QString() << false;
        QTest::newRow("black") << "black" << true;
        QTest::newRow("dark by its code") << "#202020" << true;
        QTest::newRow("light by its code") << "#e0e0e0" << false;
    }

    void background() {
        QFETCH(QString, colour);
        QFETCH(bool, set);
        WriteBytes(Path("clear.png"),
                   Encoded(WithAlpha({20, 10}, [](int, int) { return qRgba(0, 0, 0, 0); }), "png"));
        QStringList arguments{"clear.png", "--threshold", "128", "-o", "clear.bit"};
        if (!colour.isEmpty()) arguments << "--background" << colour;
        const ConverterRun run = RunConverter(dir_.path(), arguments);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(ReadBytes(Path("clear.bit")),
                 BitFileBytes([set](int x, int y) { return set && x < 20 && y < 10; }));
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
        QTest::newRow("gif") << "in.gif" << GifFile(Picture({Width, Height}, [](int x, int y) {
            return Pattern(x, y) ? qRgb(9, 9, 9) : qRgb(255, 255, 255);
        })) << Pattern << true;
        QTest::newRow("tiff") << "in.tif"
                              << Encoded(Picture({Width, Height},
                                                 [](int x, int y) {
                                                     return Pattern(x, y) ? qRgb(9, 9, 9)
                                                                          : qRgb(255, 255, 255);
                                                 }),
                                         "tiff")
                              << Pattern << true;
        QTest::newRow("svg")
            << "in.svg"
            << QByteArray(
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"96\" height=\"48\">"
                   "<rect width=\"10\" height=\"48\"/><rect x=\"50\" width=\"4\" height=\"8\"/></svg>")
            << IsSet([](int x, int y) { return x < 10 || (x >= 50 && x < 54 && y < 8); }) << true;
    }

    // Qt draws SVG text with a graphical application's fonts, which the
    // converter does not load: such an SVG is refused, not left to stop it.
    void svgTextIsRefused() {
        WriteBytes(Path("text.svg"),
                   "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"96\" height=\"48\">"
                   "<text x=\"2\" y=\"20\">Lyra</text></svg>");
        const ConverterRun run = RunConverter(dir_.path(), {"text.svg", "-o", "text.bit"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("the SVG holds text"), run.err.constData());
        QVERIFY(!QFile::exists(Path("text.bit")));
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

    // A photo beyond the pixel limit: placed as the window places it, its
    // corner is read as the window reads it (a baseline JPEG down to the
    // corner's rows; a progressive one whole, so refused as the window refuses
    // it); scaled to fit, it is read row by row, baseline or progressive, at an
    // eighth of its size.
    void largePhotoIsReadSmallerOnlyToFit() {
        if (!QImageReader::supportedImageFormats().contains("jpeg")) QSKIP("Qt has no JPEG plugin here");
        const QImage photo = Grey(QSize(4000, 3000), [](int x, int) { return x < 2000 ? 0 : 255; });
        WriteBytes(Path("photo.jpg"), Encoded(photo, "jpeg"));
        QByteArray progressive;
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(photo));
        WriteBytes(Path("progressive.jpg"), progressive);

        const ConverterRun placed = RunConverter(dir_.path(), {"photo.jpg", "--exact", "-o", "placed.bit"});
        QVERIFY2(placed.exitCode == 0, placed.err.constData());
        QCOMPARE(ReadBytes(Path("placed.bit")), BitFileBytes([](int, int) { return true; }));
        const ConverterRun whole =
            RunConverter(dir_.path(), {"progressive.jpg", "--exact", "-o", "whole.bit"});
        QCOMPARE(whole.exitCode, 1);
        QVERIFY2(whole.err.contains("4000 x 3000 pixels is larger than"), whole.err.constData());
        QVERIFY(!QFile::exists(Path("whole.bit")));

        for (const char* name : {"photo.jpg", "progressive.jpg"}) {
            const ConverterRun fitted =
                RunConverter(dir_.path(), {name, "--fit", "--threshold", "128", "-o", "fitted.bit"});
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
    }

    // Names that are not UTF-8 reach the file system byte for byte; the
    // shell spells them, since a QProcess argument is a QString.
    void namesAreBytes_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("locale");
        QTest::newRow("output not UTF-8")
            << QByteArray("in.bit") << QByteArray("out\\377.bit") << QByteArray("C.UTF-8");
        QTest::newRow("input not UTF-8")
            << QByteArray("in\\377.bit") << QByteArray("out.bit") << QByteArray("C.UTF-8");
        QTest::newRow("input not UTF-8, C locale")
            << QByteArray("in\\377.bit") << QByteArray("out.bit") << QByteArray("C");
        QTest::newRow("both not UTF-8, in a folder of such a name")
            << QByteArray("in\\376.bit") << QByteArray("d\\300/out\\377.bit") << QByteArray("C.UTF-8");
    }

    void namesAreBytes() {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, locale);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        const auto inFolder = [&](const QByteArray& escaped) {
            QProcess printf;
            printf.start("printf", {QString::fromLatin1(escaped)});
            printf.waitForFinished();
            return folder + '/' + printf.readAllStandardOutput();
        };
        // A UTF-8 name with the replacement character, where a lossy decoding
        // of the output's name would land.
        const QByteArray bystander = inFolder("out\\357\\277\\275.bit");
        WriteRaw(bystander, "keep");
        WriteRaw(inFolder(input), BitFileBytes(Pattern));
        std::filesystem::create_directories(
            std::filesystem::path(inFolder(output).toStdString()).parent_path());

        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", QString::fromLatin1(locale));
        shell.setProcessEnvironment(environment);
        shell.start("/bin/sh", {"-c",
                                QStringLiteral("exec \"$0\" \"$(printf '%1')\" -o \"$(printf '%2')\"")
                                    .arg(QString::fromLatin1(input), QString::fromLatin1(output)),
                                QStringLiteral(PELORIN_CONVERT_PATH)});
        QVERIFY(shell.waitForFinished(30000));
        QVERIFY2(shell.exitCode() == 0, shell.readAllStandardError().constData());
        QCOMPARE(ReadRaw(inFolder(output)), BitFileBytes(Pattern));
        QCOMPARE(ReadRaw(bystander), QByteArray("keep"));
    }

    // An output that is one of the inputs, by any name, is refused before
    // anything is written: the input is kept as it was.
    void outputOntoAnInput_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("the same name") << QStringList{"in.bit", "-o", "in.bit"};
        QTest::newRow("another spelling") << QStringList{"in.bit", "-o", "./sub/../in.bit"};
        QTest::newRow("a symbolic link to it") << QStringList{"in.bit", "-o", "link.bit"};
        QTest::newRow("a hard link to it") << QStringList{"in.bit", "-o", "hard.bit"};
        QTest::newRow("a picture onto itself") << QStringList{"in.png", "--to", "png", "-o", "in.png"};
        QTest::newRow("a batch into its own folder") << QStringList{"other.nol", "in.bit", "-d", "."};
        QTest::newRow("a batch through a link to the folder") << QStringList{"in.bit", "-d", "here"};
    }

    void outputOntoAnInput() {
        QFETCH(QStringList, arguments);
        QTemporaryDir folder;
        const auto path = [&](const char* name) { return folder.filePath(QLatin1String(name)); };
        const QByteArray bit = BitFileBytes(Pattern);
        const QByteArray png = Encoded(Grey({20, 10}, [](int x, int) { return x * 10; }), "png");
        WriteBytes(path("in.bit"), bit);
        WriteBytes(path("in.png"), png);
        WriteBytes(path("other.nol"), LogoFile("NOL", 20, [](int x, int) { return x % 2 == 0; }));
        QDir(folder.path()).mkdir("sub");
        QVERIFY(QFile::link("in.bit", path("link.bit")));
        QVERIFY(QFile::link(".", path("here")));
        std::error_code linkError;
        std::filesystem::create_hard_link(path("in.bit").toStdString(), path("hard.bit").toStdString(),
                                          linkError);
        QVERIFY(!linkError);
        const QStringList before = QDir(folder.path()).entryList(QDir::Files | QDir::System);

        const ConverterRun run = RunConverter(folder.path(), arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains("is the same file as the input"), run.err.constData());
        QCOMPARE(ReadBytes(path("in.bit")), bit);
        QCOMPARE(ReadBytes(path("in.png")), png);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::System), before);
    }

    // A picture cut short fails with what was wrong and writes nothing;
    // --partial converts what was decoded, with a warning.
    void cutShortPictures_data() {
        QTest::addColumn<QByteArray>("whole");
        QTest::addColumn<QByteArray>("reason");
        QTest::addColumn<bool>("partialConverts");
        const QImage photo = Grey({200, 120}, [](int x, int y) { return (x * 3 + y * 5) % 256; });
        QByteArray progressive;
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        writer.write(photo);
        QTest::newRow("jpeg") << Encoded(photo, "jpeg") << QByteArray("JPEG") << true;
        QTest::newRow("progressive jpeg") << progressive << QByteArray("JPEG") << true;
        QTest::newRow("gif") << GifFile(Picture({90, 40},
                                                [](int x, int y) {
                                                    return x < 45 ? qRgb(255, 255, 255)
                                                                  : qRgb(x / 10 * 25, y / 10 * 60, 0);
                                                }))
                             << QByteArray("trailer") << true;
        QTest::newRow("xbm") << Encoded(photo.convertToFormat(QImage::Format_Mono), "xbm")
                             << QByteArray("closing brace") << true;
        // A fitted PNG is read row by row, as far as it goes; Qt's PNG reader,
        // which reads one drawn as it is, gives nothing of a PNG cut short.
        QTest::newRow("png") << Encoded(photo, "png") << QByteArray("cut short") << true;
        QTest::newRow("png drawn as it is")
            << Encoded(Picture({90, 40},
                               [](int x, int y) {
                                   return x < 45 ? qRgb(255, 255, 255) : qRgb(x / 10 * 25, y / 10 * 60, 0);
                               }),
                       "png")
            << QByteArray("more than the file holds") << false;
    }

    void cutShortPictures() {
        QFETCH(QByteArray, whole);
        QFETCH(QByteArray, reason);
        QFETCH(bool, partialConverts);
        const QString name = QStringLiteral("cut.%1").arg(QTest::currentDataTag()).replace(' ', '_');
        WriteBytes(Path(name), whole.left(whole.size() / 2));
        QFile::remove(Path("cut.bit"));

        const ConverterRun refused = RunConverter(dir_.path(), {name, "-o", "cut.bit"});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(name.toUtf8()) && refused.err.contains(reason),
                 refused.err.constData());
        QVERIFY(!QFile::exists(Path("cut.bit")));

        const ConverterRun partial = RunConverter(dir_.path(), {name, "--partial", "-o", "cut.bit"});
        QCOMPARE(partial.exitCode, partialConverts ? 0 : 1);
        QCOMPARE(QFile::exists(Path("cut.bit")), partialConverts);
        if (partialConverts)
            QVERIFY2(partial.err.contains("warning: converted as far as it was decoded"),
                     partial.err.constData());

        // The whole picture converts without a word.
        WriteBytes(Path(name), whole);
        const ConverterRun run = RunConverter(dir_.path(), {name, "-o", "cut.bit"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
    }

    void undecodableNamesAreShownEscaped() {
        QProcess shell;
        shell.setWorkingDirectory(dir_.path());
        shell.start("/bin/sh", {"-c", "exec \"$0\" \"$(printf 'none\\377.bit')\" -o x.bit",
                                QStringLiteral(PELORIN_CONVERT_PATH)});
        QVERIFY(shell.waitForFinished(30000));
        QCOMPARE(shell.exitCode(), 1);
        QCOMPARE(shell.readAllStandardError(),
                 QByteArray("pelorin-convert: none\\xFF.bit: Error 53: File not found: \"none\\xFF.bit\"\n"));
    }

    // Standard input is read no further than one byte past the largest
    // picture, and refused in the words a named file of that size gets.
    void endlessStandardInputIsRefused() {
        QProcess shell;
        shell.setWorkingDirectory(dir_.path());
        shell.start("/bin/sh",
                    {"-c", "exec \"$0\" - -o zero.bit </dev/zero", QStringLiteral(PELORIN_CONVERT_PATH)});
        QVERIFY(shell.waitForFinished(30000));
        QCOMPARE(shell.exitCode(), 1);
        QVERIFY2(shell.readAllStandardError().contains("more than 8388608 bytes"), "no limit named");
        QVERIFY(!QFile::exists(Path("zero.bit")));
    }

    // A .bit may begin with any bytes, also a bitmap's "BM": named or on
    // standard input, it is read as the screen it is.
    void bitStartingLikeABitmap_data() {
        QTest::addColumn<bool>("standardInput");
        QTest::newRow("named") << false;
        QTest::newRow("standard input") << true;
    }

    void bitStartingLikeABitmap() {
        QFETCH(bool, standardInput);
        QByteArray bit = BitFileBytes(Pattern);
        bit.replace(0, 2, "BM");
        WriteBytes(Path("bm.bit"), bit);
        const ConverterRun run = standardInput ? RunConverter(dir_.path(), {"-", "-o", "same.bit"}, bit)
                                               : RunConverter(dir_.path(), {"bm.bit", "-o", "same.bit"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(ReadBytes(Path("same.bit")), bit);
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
        QTest::newRow("unknown option") << QStringList{"in.bit", "-o", "x.bit", "--blur"};
        QTest::newRow("fit and exact") << QStringList{"in.bit", "-o", "x.bit", "--fit", "--exact"};
        QTest::newRow("levels upside down") << QStringList{"in.bit", "-o", "x.bit", "--levels", "200,100"};
        QTest::newRow("levels not a pair") << QStringList{"in.bit", "-o", "x.bit", "--levels", "10"};
        QTest::newRow("contrast too high") << QStringList{"in.bit", "-o", "x.bit", "--contrast", "500"};
        QTest::newRow("gamma zero") << QStringList{"in.bit", "-o", "x.bit", "--gamma", "0"};
        QTest::newRow("sharpen below zero") << QStringList{"in.bit", "-o", "x.bit", "--sharpen", "-1"};
        QTest::newRow("unknown colour") << QStringList{"in.bit", "-o", "x.bit", "--background", "nocolour"};
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
        QCOMPARE(lines.size(), 27);  // 24 lines in a frame, each ended
        const QString side = QString::fromUtf8("\u2502");
        QCOMPARE(lines[0],
                 QString::fromUtf8("\u250c") + QString(96, QChar(0x2500)) + QString::fromUtf8("\u2510"));
        QCOMPARE(lines[1], side + QString::fromUtf8("\u2580\u2584\u2588") + QString(93, ' ') + side);
        for (int row = 2; row < 24; ++row) QCOMPARE(lines[row], side + QString(96, ' ') + side);
        QCOMPARE(lines[24], side + QString(95, ' ') + QString::fromUtf8("\u2580") + side);
        QCOMPARE(lines[25],
                 QString::fromUtf8("\u2514") + QString(96, QChar(0x2500)) + QString::fromUtf8("\u2518"));
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
