// The picture formats read through Qt's plugins (WebP, TIFF, GIF, icons, SVG)
// and the text formats, each behind the same bounds, and the window's read of
// only the corner it shows.

#include <algorithm>
#include <functional>
#include <optional>

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "Failure.h"
#include "Formats.h"
#include "Pictures.h"

namespace {

QByteArray Encoded(const QImage& image, const QByteArray& format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image)) qFatal("cannot write the test picture as %s", format.constData());
    return bytes;
}

// Black on white: the top-left pixel black, the rest white, with a red pixel
// at (2, 1) to tell the channels apart.
QImage Marked(QSize size, QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, format);
    image.fill(Qt::white);
    image.setPixel(0, 0, qRgb(0, 0, 0));
    if (image.width() > 2 && image.height() > 1) image.setPixel(2, 1, qRgb(255, 0, 0));
    return image;
}

void AppendLittle(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The size an icon's directory states for the image: its header's, 0 for
// 256 or more.
std::pair<int, int> StatedSize(const QByteArray& image) {
    const bool png = image.startsWith("\x89PNG");
    const qint64 width = png ? qFromBigEndian<quint32>(image.constData() + 16)
                             : qFromLittleEndian<qint32>(image.constData() + 4);
    const qint64 height = png ? qFromBigEndian<quint32>(image.constData() + 20)
                              : qFromLittleEndian<qint32>(image.constData() + 8) / 2;
    return {width < 256 ? int(width) : 0, height < 256 ? int(height) : 0};
}

// A Windows icon of the given images, each stored as given, with the
// directory stating their sizes, or `stated` for each side where given.
QByteArray Icon(const QList<QByteArray>& images, int stated = -1) {
    QByteArray bytes;
    AppendLittle(bytes, 0, 2);
    AppendLittle(bytes, 1, 2);
    AppendLittle(bytes, static_cast<quint32>(images.size()), 2);
    qint64 offset = 6 + 16 * images.size();
    for (const QByteArray& image : images) {
        const auto [width, height] = StatedSize(image);
        bytes.append(static_cast<char>(stated >= 0 ? stated : width));
        bytes.append(static_cast<char>(stated >= 0 ? stated : height));
        AppendLittle(bytes, 0, 2);  // colours, reserved
        AppendLittle(bytes, 1, 2);  // planes
        AppendLittle(bytes, 32, 2);
        AppendLittle(bytes, static_cast<quint32>(image.size()), 4);
        AppendLittle(bytes, static_cast<quint32>(offset), 4);
        offset += image.size();
    }
    for (const QByteArray& image : images) bytes += image;
    return bytes;
}

// The bitmap image Qt's icon writer stores for the picture.
QByteArray IconBitmapEntry(const QImage& image) {
    const QByteArray icon = Encoded(image, "ico");
    return icon.mid(qFromLittleEndian<quint32>(icon.constData() + 18));
}

// A PNG whose header states the given size over a picture of 1 x 1.
QByteArray PngStating(quint32 width, quint32 height) {
    QByteArray png = Encoded(Marked({1, 1}), "png");
    qToBigEndian(width, png.data() + 16);
    qToBigEndian(height, png.data() + 20);
    return png;
}

// A little-endian TIFF of one grey strip stating the given size.
struct TiffPage {
    quint32 width;
    quint32 height;
    char grey;
};

// A little-endian TIFF of 8-bit grey pages, each one strip of its grey (of
// 64 bytes at most, whatever size it states).
QByteArray Tiff(const QList<TiffPage>& pages) {
    QByteArray bytes("II*\0", 4);
    AppendLittle(bytes, 8, 4);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const TiffPage& page = pages[i];
        const auto strip = static_cast<quint32>(std::min<quint64>(quint64{page.width} * page.height, 64));
        const auto data = static_cast<quint32>(bytes.size() + 2 + 8 * 12 + 4);
        const QList<std::pair<int, quint32>> entries{{256, page.width},  {257, page.height}, {258, 8},
                                                     {259, 1},           {262, 1},           {273, data},
                                                     {278, page.height}, {279, strip}};
        AppendLittle(bytes, static_cast<quint32>(entries.size()), 2);
        for (const auto& [tag, value] : entries) {
            AppendLittle(bytes, static_cast<quint32>(tag), 2);
            AppendLittle(bytes, 4, 2);  // LONG
            AppendLittle(bytes, 1, 4);
            AppendLittle(bytes, value, 4);
        }
        AppendLittle(bytes, i + 1 < pages.size() ? data + strip : 0, 4);
        bytes.append(strip, page.grey);
    }
    return bytes;
}

// An extended WebP header stating the canvas size, with no image after it.
QByteArray WebpStating(quint32 width, quint32 height) {
    QByteArray chunk("VP8X");
    AppendLittle(chunk, 10, 4);
    AppendLittle(chunk, 0, 4);
    AppendLittle(chunk, width - 1, 3);
    AppendLittle(chunk, height - 1, 3);
    QByteArray bytes("RIFF");
    AppendLittle(bytes, static_cast<quint32>(4 + chunk.size()), 4);
    return bytes + "WEBP" + chunk;
}

// A GIF of two 4 x 2 frames, the first white and the second black, its
// codes three bits wide (a clear code after every two pixels).
QByteArray TwoFrameGif() {
    const auto frame = [](int colour) {
        QList<int> codes{4};
        for (int i = 0; i < 8; ++i) {
            codes << colour;
            if (i % 2 == 1) codes << 4;
        }
        codes << 5;
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        for (int code : codes) {
            bits |= static_cast<quint32>(code) << count;
            for (count += 3; count >= 8; count -= 8, bits >>= 8) data.append(static_cast<char>(bits & 0xFF));
        }
        if (count > 0) data.append(static_cast<char>(bits));
        QByteArray block("\x2c", 1);
        for (int field : {0, 0, 4, 2}) AppendLittle(block, static_cast<quint32>(field), 2);
        block.append('\0');
        block.append('\2');
        block.append(static_cast<char>(data.size()));
        return block + data + QByteArray(1, '\0');
    };
    QByteArray bytes("GIF89a");
    for (int field : {4, 2}) AppendLittle(bytes, static_cast<quint32>(field), 2);
    bytes += QByteArray("\x80\0\0\xff\xff\xff\0\0\0", 9);
    return bytes + frame(0) + frame(1) + ";";
}

QByteArray Svg(const QByteArray& body, const QByteArray& size = "width=\"30\" height=\"20\"",
               const QByteArray& prologue = {}) {
    return prologue +
           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" " + size +
           ">" + body + "</svg>";
}

// Each group of the chain uses the one before it ten times: 10^depth rects.
QByteArray UseBomb(int depth) {
    QByteArray body = "<defs><rect id=\"g0\" width=\"1\" height=\"1\"/>";
    for (int level = 1; level <= depth; ++level) {
        body += "<g id=\"g" + QByteArray::number(level) + "\">" +
                ("<use xlink:href=\"#g" + QByteArray::number(level - 1) + "\"/>").repeated(10) + "</g>";
    }
    return Svg(body + "</defs><use xlink:href=\"#g" + QByteArray::number(depth) + "\"/>");
}

// Each group uses the one before it once: nested `depth` deep as drawn.
QByteArray UseChain(int depth) {
    QByteArray body = "<defs><rect id=\"g0\" width=\"1\" height=\"1\"/>";
    for (int level = 1; level <= depth / 2; ++level) {
        body += "<g id=\"g" + QByteArray::number(level) + "\"><use xlink:href=\"#g" +
                QByteArray::number(level - 1) + "\"/></g>";
    }
    return Svg(body + "</defs><use xlink:href=\"#g" + QByteArray::number(depth / 2) + "\"/>");
}

// The svg element, `groups` groups inside one another and a rect.
QByteArray Nested(int groups) {
    return Svg(QByteArray("<g>").repeated(groups) + "<rect width=\"5\" height=\"5\"/>" +
               QByteArray("</g>").repeated(groups));
}

// An XPM of the size given, declaring `colours` colours of two characters
// each (every pixel the first).
QByteArray Xpm(int width, int height, int colours) {
    QByteArray bytes = "/* XPM */\nstatic char *p[] = {\n\"" + QByteArray::number(width) + " " +
                       QByteArray::number(height) + " " + QByteArray::number(colours) + " 3\",\n";
    const auto code = [](int i) {
        QByteArray text;
        for (int k = 0; k < 3; ++k, i /= 90) text.append(static_cast<char>('#' + i % 90));
        return text.replace('\\', '!').replace('"', '~');
    };
    for (int i = 0; i < colours; ++i)
        bytes +=
            "\"" + code(i) + " c #" + QByteArray::number(i % 0xFFFFFF, 16).rightJustified(6, '0') + "\",\n";
    for (int y = 0; y < height; ++y) bytes += "\"" + code(0).repeated(width) + "\",\n";
    return bytes + "};\n";
}

std::optional<Routines::Failure> Refusal(const std::function<void()>& read) {
    try {
        read();
    } catch (const Routines::Failure& failure) {
        return failure;
    }
    return std::nullopt;
}

}  // namespace

class PictureFormatsTest : public QObject {
    Q_OBJECT

private slots:
    // Each format told from its content, whatever the name, at its own size.
    void readsEachFormat_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRgb>("topLeft");

        const QImage marked = Marked({20, 10});
        QTest::newRow("lossless WebP") << Encoded(marked, "webp", 100) << QSize(20, 10) << qRgb(0, 0, 0);
        QTest::newRow("TIFF") << Encoded(marked, "tiff") << QSize(20, 10) << qRgb(0, 0, 0);
        QTest::newRow("TIFF: the first of two pages")
            << Tiff({{4, 2, '\xff'}, {8, 8, '\0'}}) << QSize(4, 2) << qRgb(255, 255, 255);
        QTest::newRow("GIF: the first of two frames") << TwoFrameGif() << QSize(4, 2) << qRgb(255, 255, 255);
        QTest::newRow("icon: the larger of two PNGs")
            << Icon({Encoded(Marked({16, 16}), "png"), Encoded(Marked({32, 24}), "png")}) << QSize(32, 24)
            << qRgb(0, 0, 0);
        QTest::newRow("icon: a 16 x 16 entry holding a 64 x 40 PNG")
            << Icon({Encoded(Marked({64, 40}), "png")}, 16) << QSize(64, 40) << qRgb(0, 0, 0);
        QTest::newRow("icon: the largest within the limits, beside one beyond")
            << Icon({PngStating(40000, 40000), IconBitmapEntry(Marked({24, 24}, QImage::Format_ARGB32)),
                     Encoded(Marked({8, 8}), "png")})
            << QSize(24, 24) << qRgb(0, 0, 0);
        QTest::newRow("SVG") << Svg("<rect width=\"1\" height=\"1\"/>") << QSize(30, 20) << qRgb(0, 0, 0);
        QTest::newRow("SVG at its limits: 10000 elements, nested 128 deep")
            << Svg(QByteArray("<g/>").repeated(10000 - 128) +
                   Nested(126).mid(Nested(126).indexOf("<g>")).chopped(6))
            << QSize(30, 20) << qRgb(0, 0, 0);
        QTest::newRow("SVG with a link, which is not followed")
            << Svg("<a xlink:href=\"https://example.invalid/\"><rect width=\"1\" height=\"1\"/></a>")
            << QSize(30, 20) << qRgb(0, 0, 0);
        QTest::newRow("SVG using its own definition") << Svg("<defs><rect id=\"r\" width=\"1\" height=\"1\" "
                                                             "fill=\"#00f\"/></defs><use xlink:href=\"#r\"/>")
                                                      << QSize(30, 20) << qRgb(0, 0, 255);
        QTest::newRow("SVG with an embedded PNG")
            << Svg("<image width=\"20\" height=\"10\" xlink:href=\"data:image/png;base64," +
                   Encoded(marked, "png").toBase64() + "\"/>")
            << QSize(30, 20) << qRgb(0, 0, 0);
        QTest::newRow("SVG after an XML declaration and a byte-order mark")
            << "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n" + Svg("<rect width=\"1\" height=\"1\"/>")
            << QSize(30, 20) << qRgb(0, 0, 0);
        QTest::newRow("SVG with text, in a graphical application")
            << Svg("<rect width=\"1\" height=\"1\"/><text x=\"2\" y=\"15\" font-size=\"12\">Hi</text>")
            << QSize(30, 20) << qRgb(0, 0, 0);
        QTest::newRow("XPM of as many colours as pixels") << Xpm(4, 2, 8) << QSize(4, 2) << qRgb(0, 0, 0);
    }

    void readsEachFormat() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(QRgb, topLeft);
        const QImage picture = Pictures::DecodePicture(bytes, QStringLiteral("picture"));
        QCOMPARE(picture.size(), size);
        QCOMPARE(picture.pixel(0, 0), topLeft);
    }

    // Refused before decoding, with the reason.
    void refusedWithTheReason_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");

        QTest::newRow("TIFF stating 100000 x 100000")
            << Tiff({{100000, 100000, '\x80'}}) << "larger than 4194304 pixels";
        QTest::newRow("TIFF cut short") << Encoded(Marked({64, 64}), "tiff").left(60) << "";
        QTest::newRow("WebP stating 16384 x 16384") << WebpStating(16384, 16384) << "";
        QTest::newRow("WebP cut short") << Encoded(Marked({64, 64}), "webp", 100).left(40) << "";
        QTest::newRow("icon whose every image is beyond the limits")
            << Icon({PngStating(40000, 40000), PngStating(3000, 3000)})
            << "every image of the icon is larger";
        QTest::newRow("icon whose image is cut short")
            << Icon({Encoded(Marked({16, 16}), "png")}).chopped(30) << "every image of the icon is cut short";
        QTest::newRow("icon directory cut short")
            << QByteArray("\0\0\1\0\3\0", 6) << "icon directory cut short";
        QTest::newRow("icon PNG with a chunk claiming more than it holds")
            << Icon({Encoded(Marked({16, 16}), "png").left(40) + QByteArray(12, '\0')}) << "PNG";
        QTest::newRow("XPM of 96 x 48 with 400000 colours")
            << Xpm(96, 48, 400000) << "XPM palette of 400000 colours is more than its 4608 pixels";
        QTest::newRow("XPM with more colours than the limit")
            << Xpm(1, 1, 1).replace("\"1 1 1 3\"", "\"400 400 70000 3\"") << "limit of 65536 colours";
        QTest::newRow("XPM without its values")
            << QByteArray("/* XPM */\nstatic char *p[] = {\n};\n") << "values line";
        QTest::newRow("SVG stating 100000 x 100000")
            << Svg("<rect width=\"1\" height=\"1\"/>", "width=\"100000\" height=\"100000\"")
            << "larger than 4194304 pixels";
        QTest::newRow("SVG cut short")
            << Svg("<rect width=\"1\" height=\"1\"/>").chopped(8) << "not well-formed";
        QTest::newRow("SVG nested 129 deep") << Nested(127) << "more than 128 deep";
        QTest::newRow("SVG of 10001 elements")
            << Svg(QByteArray("<rect width=\"1\" height=\"1\"/>").repeated(10000))
            << "holds more than 10000 elements";
        QTest::newRow("SVG using its groups ten times over, eight deep")
            << UseBomb(8) << "draws more than 10000 elements";
        QTest::newRow("SVG using a group within itself")
            << Svg("<g id=\"a\"><rect width=\"1\" height=\"1\"/><use xlink:href=\"#a\"/></g>")
            << "uses an element within itself";
        QTest::newRow("SVG nested 131 deep through its uses") << UseChain(129) << "more than 128 deep";
        QTest::newRow("SVG of 501 dashed lines")
            << Svg(QByteArray(
                       "<rect width=\"9\" height=\"9\" stroke=\"#000\" style=\"stroke-dasharray:1 1\"/>")
                       .repeated(501))
            << "more than 500 dashed lines";
        QTest::newRow("SVG of 300 elements at 2048 x 2048")
            << Svg(QByteArray("<rect width=\"1\" height=\"1\"/>").repeated(299),
                   "width=\"2048\" height=\"2048\"")
            << "would take too long to draw";
        QTest::newRow("SVG declaring an entity bomb")
            << Svg("<text>&c;</text>", "",
                   "<!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                   "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>")
            << "declares entities";
        QTest::newRow("SVG declaring an external entity")
            << Svg("<text>&x;</text>", "", "<!DOCTYPE svg [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>")
            << "declares entities";
        QTest::newRow("SVG embedding a PNG stating 40000 x 40000")
            << Svg("<image width=\"2\" height=\"2\" xlink:href=\"data:image/png;base64," +
                   PngStating(40000, 40000).toBase64() + "\"/>")
            << "an image embedded in the SVG is refused";
        QTest::newRow("SVG using another file's element")
            << Svg("<use xlink:href=\"other.svg#r\"/>") << "refers to \"other.svg#r\" outside itself";
        QTest::newRow("SVG embedding a PNG stating 40000 x 40000, without a media type")
            << Svg("<image width=\"2\" height=\"2\" xlink:href=\"data:base64," +
                   PngStating(40000, 40000).toBase64() + "\"/>")
            << "an image embedded in the SVG is refused";
        QTest::newRow("SVG image named like data in capitals, which the renderer reads as a file")
            << Svg("<image width=\"2\" height=\"2\" xlink:href=\"DATA:image/png;base64,AAAA\"/>")
            << "outside itself";
        QTest::newRow("SVG image by a URL")
            << Svg("<image width=\"2\" height=\"2\" href=\"http://example.invalid/a.png\"/>")
            << "outside itself";
    }

    void refusedWithTheReason() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const auto failure = Refusal([&] { Pictures::DecodePicture(bytes, QStringLiteral("hostile")); });
        QVERIFY(failure);
        QCOMPARE(failure->Code(), Routines::FailureCode::InvalidPicture);
        const QString description = QString::fromStdString(failure->Description());
        QVERIFY2(description.contains(QStringLiteral("\"hostile\": ")) && description.contains(reason),
                 qPrintable(description));
    }

    // Qt's SVG renderer reads the picture an <image> names from the disk,
    // by absolute path or relative to the current folder: an SVG that names
    // any file is refused, so no file's pixels can reach the screen.
    void svgNamingAFileIsRefused_data() {
        QTest::addColumn<QString>("reference");
        QTest::newRow("absolute path") << "%1/secret.png";
        QTest::newRow("file URL") << "file://%1/secret.png";
        QTest::newRow("relative to the current folder") << "secret.png";
    }

    void svgNamingAFileIsRefused() {
        QFETCH(QString, reference);
        QTemporaryDir folder;
        QFile secret(folder.filePath(QStringLiteral("secret.png")));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write(Encoded(QImage(40, 40, QImage::Format_RGB32), "png"));
        secret.close();
        const QString current = QDir::currentPath();
        QDir::setCurrent(folder.path());
        const QByteArray bytes =
            Svg("<image width=\"40\" height=\"40\" xlink:href=\"" +
                QString(reference).replace(QStringLiteral("%1"), folder.path()).toUtf8() + "\"/>");
        const auto failure = Refusal([&] { Pictures::DecodePicture(bytes, QStringLiteral("svg")); });
        const auto cornerFailure =
            Refusal([&] { Pictures::DecodePictureCorner(bytes, QStringLiteral("svg"), QSize(96, 48)); });
        QDir::setCurrent(current);
        QVERIFY(failure && cornerFailure);
        QVERIFY2(failure->Description().find("outside itself") != std::string::npos,
                 failure->Description().c_str());
    }

    // An SVG is drawn only at the size its caller needs: the window's corner
    // at the SVG's own scale, whatever its size, and a caller that scales the
    // picture down to fit the screen gets four times its fit rectangle.
    void svgDrawnOnlyAtTheSizeNeeded_data() {
        QTest::addColumn<QByteArray>("size");
        QTest::newRow("30 x 20") << QByteArray("width=\"30\" height=\"20\"");
        QTest::newRow("100000 x 100000") << QByteArray("width=\"100000\" height=\"100000\"");
        QTest::newRow("1000000 x 10") << QByteArray("width=\"1000000\" height=\"10\"");
        QTest::newRow("600 x 300") << QByteArray("width=\"600\" height=\"300\"");
    }

    void svgDrawnOnlyAtTheSizeNeeded() {
        QFETCH(QByteArray, size);
        const QByteArray bytes =
            Svg("<rect width=\"1\" height=\"1\"/><rect x=\"4\" width=\"1\" height=\"1\"/>", size);
        const QImage corner = Pictures::DecodePictureCorner(bytes, QStringLiteral("svg"), QSize(96, 48));
        QBuffer buffer;
        buffer.setData(bytes);
        const QSize own = QImageReader(&buffer, "svg").size();
        QCOMPARE(corner.size(), QSize(std::min(own.width(), 96), std::min(own.height(), 48)));
        QCOMPARE(corner.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(corner.pixel(4, 0), qRgb(0, 0, 0));
        QCOMPARE(qAlpha(corner.pixel(2, 0)), 0);

        const QImage shrunk =
            Pictures::DecodePicture(bytes, QStringLiteral("svg"), Pictures::Size::MayShrink);
        QVERIFY(qint64{shrunk.width()} * shrunk.height() <= Pictures::LargestPixelCount);
        QVERIFY(shrunk.width() <= own.width() && shrunk.height() <= own.height());
        // One larger than the screen at four times its fit rectangle, so
        // still larger than the screen; one within the screen as it is.
        const Routines::ScreenRect fit = Routines::FitRectangle(own.width(), own.height());
        if (own.width() <= Routines::ScreenWidth && own.height() <= Routines::ScreenHeight) {
            QCOMPARE(shrunk.size(), own);
        } else {
            QCOMPARE(shrunk.size(), QSize(4 * fit.width, 4 * fit.height));
            QVERIFY(shrunk.width() > Routines::ScreenWidth || shrunk.height() > Routines::ScreenHeight);
        }
    }
};

// Offscreen, whatever display the machine has: the tests draw pictures only.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    PictureFormatsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_PictureFormats.moc"
