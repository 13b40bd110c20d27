// What the converter takes each input for: one sniffer, for a named file and
// for the same bytes on standard input.

#include <QTemporaryDir>
#include <QTest>

#include "ConverterProcess.h"
#include "Inputs.h"
#include "QtTestSupport.h"

using Convert::InputKind;

Q_DECLARE_METATYPE(Convert::InputKind)

namespace {

QImage Drawing() {
    return Picture({40, 20},
                   [](int x, int y) { return (x + y) % 3 == 0 ? qRgb(0, 0, 0) : qRgb(250, 250, 250); });
}

bool LogoPixel(int x, int y) { return (x * y) % 5 == 1; }

// A 576-byte file whose first bytes are another format's signature.
QByteArray BitStartingWith(const QByteArray& signature) {
    QByteArray bit = BitFileBytes([](int x, int y) { return (x ^ y) % 3 == 0; });
    bit.replace(0, signature.size(), signature);
    return bit;
}

// A real 1-bit bitmap of exactly a .bit file's length: 8 x 128 pixels make
// 62 bytes of headers and palette and 512 of rows; two bytes of gap before
// the rows, which the header's offset allows for, make 576.
QByteArray BitmapOfScreenLength() {
    QImage tall(8, 128, QImage::Format_Mono);
    tall.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    tall.fill(1);
    QByteArray bitmap = Encoded(tall, "bmp");
    bitmap.insert(62, 2, '\0');
    const auto setField = [&](int at, quint32 value) {
        for (int i = 0; i < 4; ++i) bitmap[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    };
    setField(2, static_cast<quint32>(bitmap.size()));
    setField(10, 64);
    return bitmap;
}

}  // namespace

class InputKindsTest : public QObject {
    Q_OBJECT

private slots:
    void kinds_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<InputKind>("named");  // the file under its name
        QTest::addColumn<InputKind>("piped");  // the same bytes on standard input

        const QByteArray nol = LogoFile("NOL", 20, LogoPixel);
        const QByteArray ngg = LogoFile("NGG", 16, LogoPixel);
        const QByteArray bit = BitStartingWith({});
        QTest::newRow(".bit") << "in.bit" << bit << InputKind::Bit << InputKind::Bit;
        QTest::newRow(".bit in capitals") << "IN.BIT" << bit << InputKind::Bit << InputKind::Bit;
        QTest::newRow("screen bytes under another name")
            << "in.dat" << bit << InputKind::Bit << InputKind::Bit;
        for (const QByteArray& signature :
             {QByteArray("BM"), QByteArray("\x89PNG\r\n\x1a\n"), QByteArray("GIF89a"),
              QByteArray("\xFF\xD8\xFF"), QByteArray("P4\n"), QByteArray("/* XPM */"),
              QByteArray("#define")}) {
            QTest::addRow(".bit starting with %s", signature.toPercentEncoding().constData())
                << "in.bit" << BitStartingWith(signature) << InputKind::Bit << InputKind::Bit;
        }
        QTest::newRow("operator logo") << "in.nol" << nol << InputKind::Nol << InputKind::Nol;
        QTest::newRow("group graphic") << "in.ngg" << ngg << InputKind::Ngg << InputKind::Ngg;
        QTest::newRow("group graphic named .nol") << "group.nol" << ngg << InputKind::Ngg << InputKind::Ngg;
        QTest::newRow("operator logo named .NOL") << "LOGO.NOL" << nol << InputKind::Nol << InputKind::Nol;
        QTest::newRow("logo by its start, any name") << "in.dat" << nol << InputKind::Nol << InputKind::Nol;
        QTest::newRow("logo by its ending alone")
            << "in.Ngg" << LogoFile("XYZ", 16, LogoPixel) << InputKind::Ngg << InputKind::Picture;
        QTest::newRow("logo start beats a .bit's length")
            << "in.dat" << QByteArray("NOL").append(573, '0') << InputKind::Nol << InputKind::Nol;

        const QImage drawing = Drawing();
        QTest::newRow("bmp") << "in.bmp" << Encoded(drawing, "bmp") << InputKind::Picture
                             << InputKind::Picture;
        QTest::newRow("bmp of a screen's length")
            << "in.bmp" << BitmapOfScreenLength() << InputKind::Picture << InputKind::Picture;
        QTest::newRow("png") << "in.png" << Encoded(drawing, "png") << InputKind::Picture
                             << InputKind::Picture;
        QTest::newRow("gif") << "in.gif" << GifFile(drawing) << InputKind::Picture << InputKind::Picture;
        QTest::newRow("jpeg") << "in.jpg" << Encoded(drawing, "jpeg") << InputKind::Picture
                              << InputKind::Picture;
        for (const char* format : {"pbm", "pgm", "ppm", "xbm", "xpm"}) {
            QTest::addRow("%s", format)
                << QStringLiteral("in.") + QLatin1String(format) << Encoded(drawing, format)
                << InputKind::Picture << InputKind::Picture;
        }
        QTest::newRow("nothing known")
            << "in.txt" << QByteArray("plain words") << InputKind::Picture << InputKind::Picture;
    }

    // The bitmap above really is one, of a screen's length.
    void bitmapOfScreenLengthIsOne() {
        const QByteArray bitmap = BitmapOfScreenLength();
        QCOMPARE(bitmap.size(), 576);
        QCOMPARE(QImage::fromData(bitmap, "bmp").size(), QSize(8, 128));
    }

    void kinds() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(InputKind, named);
        QFETCH(InputKind, piped);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        WriteBytes(path, bytes);
        QCOMPARE(Convert::KindOfFile(path), named);
        QCOMPARE(Convert::KindOfInput(bytes, bytes.size(), QStringLiteral("-")), piped);
    }
};

QTEST_GUILESS_MAIN(InputKindsTest)
#include "tst_input_kinds.moc"
