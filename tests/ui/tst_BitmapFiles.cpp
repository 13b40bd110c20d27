#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>

#include "Failure.h"
#include "FileAccess.h"
#include "Pictures.h"
#include "QtTestSupport.h"

namespace {

enum class Header { Info, Core, TopDown, Bitfields };

bool Checkered(int x, int y) { return (x + y) % 2 == 1; }

void Append(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A Windows bitmap built field by field. Set pixels take palette entry 1 (or
// black at 24 and 32 bits), the others entry 0 (or white).
QByteArray Bitmap(int width, int height, int bitCount, Header header = Header::Info,
                  const QList<QRgb>& palette = {qRgb(255, 255, 255), qRgb(0, 0, 0)},
                  const std::function<bool(int, int)>& isSet = Checkered) {
    const bool core = header == Header::Core;
    const QList<QRgb> colours = bitCount <= 8 ? palette : QList<QRgb>{};
    QByteArray info;
    Append(info, core ? 12 : 40, 4);
    Append(info, static_cast<quint32>(width), core ? 2 : 4);
    Append(info, static_cast<quint32>(header == Header::TopDown ? -height : height), core ? 2 : 4);
    Append(info, 1, 2);
    Append(info, static_cast<quint32>(bitCount), 2);
    if (!core) {
        // Compression, image size, resolution, colours used and important.
        for (quint32 field : {header == Header::Bitfields ? 3u : 0u, 0u, 0u, 0u, quint32(colours.size()), 0u})
            Append(info, field, 4);
        if (header == Header::Bitfields)
            for (quint32 mask : {0xFF0000u, 0x00FF00u, 0x0000FFu}) Append(info, mask, 4);
    }
    for (QRgb colour : colours) Append(info, colour & 0xFFFFFF, core ? 3 : 4);

    // Rows from the bottom unless marked top-down, each padded to four bytes. At
    // 24 and 32 bits white is all ones, so the bits can be packed from the top.
    QByteArray pixels;
    for (int i = 0; i < height; ++i) {
        const int y = header == Header::TopDown ? i : height - 1 - i;
        std::string bits;
        for (int x = 0; x < width; ++x) {
            const quint32 value = bitCount >= 24 ? (isSet(x, y) ? 0u : ~0u) : (isSet(x, y) ? 1u : 0u);
            for (int bit = bitCount - 1; bit >= 0; --bit) bits += (value >> bit) & 1 ? '1' : '0';
        }
        bits.resize((bits.size() + 31) / 32 * 32, '0');
        for (std::size_t at = 0; at < bits.size(); at += 8)
            pixels.append(static_cast<char>(std::stoi(bits.substr(at, 8), nullptr, 2)));
    }
    QByteArray file("BM");
    Append(file, static_cast<quint32>(14 + info.size() + pixels.size()), 4);
    Append(file, 0, 4);
    Append(file, static_cast<quint32>(14 + info.size()), 4);
    return file + info + pixels;
}

// A sound 4 x 4 bitmap, with data to spare, whose header then claims other values.
QByteArray ClaimingHeader(qint32 width, qint32 height, quint16 bitCount) {
    QByteArray bytes = Bitmap(4, 4, 24) + QByteArray(4096, '\0');
    qToLittleEndian(width, bytes.data() + 18);
    qToLittleEndian(height, bytes.data() + 22);
    qToLittleEndian(bitCount, bytes.data() + 28);
    return bytes;
}

// A 4 x 3 run-length encoded bitmap (compression 1: 8 bits, 2: 4 bits) whose
// palette entry i is PaletteColour(i).
QRgb PaletteColour(int index) { return qRgb(index * 16, 255 - index * 16, 100); }

QByteArray RunLengthBitmap(int bitCount, const QByteArray& data, int height = 3) {
    QByteArray file("BM");
    const int colours = 1 << bitCount;
    const quint32 offset = 14 + 40 + 4 * colours;
    for (quint32 field : {offset + quint32(data.size()), 0u, offset}) Append(file, field, 4);
    for (quint32 field : {40u, 4u, quint32(height)}) Append(file, field, 4);
    Append(file, 1, 2);
    Append(file, static_cast<quint32>(bitCount), 2);
    for (quint32 field : {bitCount == 8 ? 1u : 2u, quint32(data.size()), 0u, 0u, quint32(colours), 0u})
        Append(file, field, 4);
    for (int i = 0; i < colours; ++i) Append(file, PaletteColour(i) & 0xFFFFFF, 4);
    return file + data;
}

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int value : values) bytes.append(static_cast<char>(value));
    return bytes;
}

// What a row puts at its path before the test reads or writes there.
using MakeAt = std::function<void(const QString&)>;
void MakeNothing(const QString&) {}
void MakePipe(const QString& path) { QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0); }
void MakeFolder(const QString& path) { QVERIFY(QDir().mkdir(path)); }

// The columns of the tables that put something at a path.
void AddTargetColumns() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<MakeAt>("make");
    QTest::addColumn<Routines::FailureCode>("code");
}

// The failure that reading raises, if any.
std::optional<Routines::Failure> ReadFailure(const QString& path) {
    try {
        Pictures::ReadPicture(path);
    } catch (const Routines::Failure& failure) {
        return failure;
    }
    return std::nullopt;
}

}  // namespace

class BitmapFilesTest : public QObject {
    Q_OBJECT

private slots:
    void refusedWithTheReason_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text") << QByteArray("this is no picture\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("bitmap magic only") << QByteArray("BM");
        QTest::newRow("bitmap header cut in the info header") << Bitmap(13, 7, 24).left(30);
        QTest::newRow("no width") << ClaimingHeader(0, 4, 24);
        QTest::newRow("no height") << ClaimingHeader(4, 0, 24);
        QTest::newRow("negative width") << ClaimingHeader(-4, 4, 24);
        QTest::newRow("largest width") << ClaimingHeader(0x7FFFFFFF, 1, 24);
        QTest::newRow("most negative height") << ClaimingHeader(4, static_cast<qint32>(0x80000000u), 24);
        QTest::newRow("no bits per pixel") << ClaimingHeader(4, 4, 0);
        QTest::newRow("64 bits per pixel") << ClaimingHeader(4, 4, 64);
        QTest::newRow("enormous size") << ClaimingHeader(30000, 30000, 24);
        QTest::newRow("run-length encoded, stored top-down") << [] {
            QByteArray bytes = RunLengthBitmap(8, Bytes({0, 1}));
            qToLittleEndian<qint32>(-3, bytes.data() + 22);
            return bytes;
        }();
        QTest::newRow("8-bit run-length encoding at 4 bits") << [] {
            QByteArray bytes = RunLengthBitmap(4, Bytes({0, 1}));
            qToLittleEndian<quint32>(1, bytes.data() + 30);
            return bytes;
        }();
        QTest::newRow("palette cut short") << RunLengthBitmap(8, Bytes({0, 1})).left(500);
        // A PNG named .bmp whose text chunk claims 2 GiB the file does not hold.
        QTest::newRow("PNG chunk longer than the file") << QByteArray(
            "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x08\0\0\0\x08\x08\0\0\0\0----"
            "\x80\0\0\0tEXtComment",
            8 + 25 + 15);
        QTest::newRow("unknown format") << QByteArray("\0\0\1\0\1\0 an icon", 14);
    }

    void refusedWithTheReason() {
        QFETCH(QByteArray, content);
        const QString path = dir_.filePath(QStringLiteral("not_a_picture.bmp"));
        WriteBytes(path, content);
        const auto failure = ReadFailure(path);
        QVERIFY(failure);
        QCOMPARE(failure->Code(), Routines::FailureCode::InvalidPicture);
        // The path, then the reason.
        const QString description = QString::fromStdString(failure->Description());
        QVERIFY2(description.contains(path + "\": ") && !description.endsWith(QStringLiteral(": ")),
                 qPrintable(description));
    }

    // Open BMP refuses a JPEG or XBM cut short as the unreadable picture it
    // is; a reader that accepts damage gets what was decoded and the reason.
    void cutShortPicturesAreRefused_data() {
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("jpeg") << QByteArray("jpeg");
        QTest::newRow("xbm") << QByteArray("xbm");
    }

    void cutShortPicturesAreRefused() {
        QFETCH(QByteArray, format);
        QImage picture(240, 160, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                picture.setPixel(x, y, qRgb(x % 256, y * 3 % 256, (x ^ y) % 256));
        QByteArray whole;
        QBuffer buffer(&whole);
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(QImageWriter(&buffer, format)
                    .write(format == "xbm" ? picture.convertToFormat(QImage::Format_Mono) : picture));
        const QString path = dir_.filePath(QStringLiteral("cut.") + QString::fromLatin1(format));
        WriteBytes(path, whole);
        QString damage;
        QVERIFY(!Pictures::ReadPicture(path, Pictures::Size::Whole, &damage).isNull());
        QCOMPARE(damage, QString());

        WriteBytes(path, whole.left(whole.size() / 2));
        const auto failure = ReadFailure(path);
        QVERIFY(failure);
        QCOMPARE(failure->Code(), Routines::FailureCode::InvalidPicture);
        QVERIFY2(QString::fromStdString(failure->Description()).contains(QStringLiteral("cut short")),
                 failure->Description().c_str());
        QVERIFY(!Pictures::ReadPicture(path, Pictures::Size::Whole, &damage).isNull());
        QVERIFY(!damage.isEmpty());
    }

    void bitmapCutShortIsRefused_data() {
        QTest::addColumn<QByteArray>("whole");
        QTest::newRow("24 bits") << Bitmap(13, 7, 24);  // 13 wide: rows need padding at every depth
        QTest::newRow("1 bit") << Bitmap(13, 7, 1);
        QTest::newRow("8 bits") << Bitmap(13, 7, 8);
        QTest::newRow("32 bits with colour masks") << Bitmap(13, 7, 32, Header::Bitfields);
        QTest::newRow("core header") << Bitmap(13, 7, 24, Header::Core);
        QTest::newRow("rows from the top") << Bitmap(13, 7, 24, Header::TopDown);
    }

    void bitmapCutShortIsRefused() {
        QFETCH(QByteArray, whole);
        const QString path = dir_.filePath(QStringLiteral("cut_short.bmp"));
        WriteBytes(path, whole);
        QCOMPARE(Pictures::ReadPicture(path).convertToFormat(QImage::Format_RGB32),
                 Picture({13, 7},
                         [](int x, int y) { return Checkered(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255); }));
        for (int missing : {1, 4, static_cast<int>(whole.size()) / 3}) {
            WriteBytes(path, whole.chopped(missing));
            const auto failure = ReadFailure(path);
            QVERIFY2(failure, qPrintable(QStringLiteral("%1 bytes missing").arg(missing)));
            QCOMPARE(failure->Code(), Routines::FailureCode::InvalidPicture);
            QVERIFY(QString::fromStdString(failure->Description()).contains(path));
        }
    }

    void oneBitColoursAreReadAsColours_data() {
        QTest::addColumn<QRgb>("colour0");
        QTest::addColumn<QRgb>("colour1");
        QTest::newRow("white then black") << qRgb(255, 255, 255) << qRgb(0, 0, 0);
        QTest::newRow("black then white") << qRgb(0, 0, 0) << qRgb(255, 255, 255);
        QTest::newRow("red then blue") << qRgb(255, 0, 0) << qRgb(0, 0, 255);
        QTest::newRow("white then grey") << qRgb(255, 255, 255) << qRgb(128, 128, 128);
    }

    void oneBitColoursAreReadAsColours() {
        QFETCH(QRgb, colour0);
        QFETCH(QRgb, colour1);
        // Entry 1 only in the first column and the last row.
        const auto isSet = [](int x, int y) { return x == 0 || y == 4; };
        const QString path = dir_.filePath(QStringLiteral("palette_order.bmp"));
        WriteBytes(path, Bitmap(10, 5, 1, Header::Info, {colour0, colour1}, isSet));
        QCOMPARE(Pictures::ReadPicture(path).convertToFormat(QImage::Format_RGB32),
                 Picture({10, 5}, [&](int x, int y) { return isSet(x, y) ? colour1 : colour0; }));
    }

    // Skipped pixels, and pixels the data never reaches, take palette entry 0;
    // runs past the right edge are cut there, not carried to the next row.
    void runLengthBitmapsDecode_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("rows");  // palette indexes in hex, top row first
        const auto rle8 = [](std::initializer_list<int> data) { return RunLengthBitmap(8, Bytes(data)); };
        const auto rle4 = [](std::initializer_list<int> data) { return RunLengthBitmap(4, Bytes(data)); };
        QTest::newRow("end of bitmap only") << rle8({0, 1}) << QStringList{"0000", "0000", "0000"};
        QTest::newRow("runs and end of line")
            << rle8({2, 5, 0, 0, 4, 1, 0, 1}) << QStringList{"0000", "1111", "5500"};
        QTest::newRow("delta skips") << rle8({0, 2, 1, 1, 1, 7, 0, 1}) << QStringList{"0000", "0700", "0000"};
        QTest::newRow("literal run, padded")
            << rle8({0, 3, 1, 2, 3, 0, 0, 0, 1, 9, 0, 1}) << QStringList{"0000", "9000", "1230"};
        QTest::newRow("data cut short") << rle8({3, 4}) << QStringList{"0000", "0000", "4440"};
        QTest::newRow("run past the right edge")
            << rle8({6, 3, 1, 8, 0, 1}) << QStringList{"0000", "0000", "3333"};
        QTest::newRow("4 bits, runs alternate")
            << rle4({5, 0x12, 0, 1}) << QStringList{"0000", "0000", "1212"};
        QTest::newRow("4 bits, literal run")
            << rle4({0, 3, 0x45, 0x60, 0, 0, 2, 0xF0, 0, 1}) << QStringList{"0000", "f000", "4560"};
    }

    void runLengthBitmapsDecode() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, rows);
        const QImage picture = Pictures::DecodePicture(file, QStringLiteral("rle.bmp"));
        QCOMPARE(picture.convertToFormat(QImage::Format_RGB32), Picture({4, 3}, [&](int x, int y) {
                     return PaletteColour(rows[y].mid(x, 1).toInt(nullptr, 16));
                 }));
    }

    // Nothing that could block is opened: a pipe with no writer is refused at once.
    void onlyRegularFilesAreRead_data() {
        AddTargetColumns();
        QTest::newRow("named pipe") << "pipe.bmp" << MakeAt(MakePipe)
                                    << Routines::FailureCode::PathAccessError;
        QTest::newRow("device through a link")
            << "null.bmp" << MakeAt([](const QString& path) { QFile::link("/dev/null", path); })
            << Routines::FailureCode::PathAccessError;
        QTest::newRow("folder") << "folder.bmp" << MakeAt(MakeFolder)
                                << Routines::FailureCode::PathAccessError;
        QTest::newRow("missing") << "missing.bmp" << MakeAt(MakeNothing)
                                 << Routines::FailureCode::FileNotFound;
        QTest::newRow("larger than any picture") << "huge.bmp" << MakeAt([](const QString& path) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("BM") == 2 && file.resize(9 << 20));
        }) << Routines::FailureCode::InvalidPicture;
    }

    void onlyRegularFilesAreRead() {
        QFETCH(Routines::FailureCode, code);
        const QString path = PreparedTarget();
        const auto failure = ReadFailure(path);
        QVERIFY(failure);
        QCOMPARE(failure->Code(), code);
        QVERIFY2(QString::fromStdString(failure->Description()).contains(path), failure->what());
    }

    // Save BMP refuses what Save Bit refuses, with the same number and description.
    void bothSavesRefuseTheSameTargets_data() {
        AddTargetColumns();
        QTest::newRow("named pipe") << "save_pipe.bmp" << MakeAt(MakePipe)
                                    << Routines::FailureCode::PathAccessError;
        QTest::newRow("loop of links") << "loop.bmp" << MakeAt([](const QString& path) {
            QFile::link(path + ".other", path);
            QFile::link(path, path + ".other");
        }) << Routines::FailureCode::PathAccessError;
        QTest::newRow("folder") << "save_folder.bmp" << MakeAt(MakeFolder)
                                << Routines::FailureCode::PathAccessError;
        QTest::newRow("name too long")
            << QString(300, 'n') << MakeAt(MakeNothing) << Routines::FailureCode::PathAccessError;
        QTest::newRow("missing folder")
            << "missing/picture.bmp" << MakeAt(MakeNothing) << Routines::FailureCode::FileNotFound;
    }

    void bothSavesRefuseTheSameTargets() {
        QFETCH(Routines::FailureCode, code);
        const QString path = PreparedTarget();
        const QStringList before =
            QDir(dir_.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden);
        std::optional<Routines::Failure> bmp;
        std::optional<Routines::Failure> bit;
        try {
            Pictures::WriteBitmap(QImage(96, 48, QImage::Format_RGB32), path);
        } catch (const Routines::Failure& failure) {
            bmp = failure;
        }
        try {
            Routines::WriteFileAtomically(QFile::encodeName(path).toStdString(), {1, 2, 3});
        } catch (const Routines::Failure& failure) {
            bit = failure;
        }
        QVERIFY(bmp && bit);
        QCOMPARE(bmp->Code(), code);
        QCOMPARE(bmp->Number(), bit->Number());
        QCOMPARE(bmp->Description(), bit->Description());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden), before);
    }

private:
    // The row's path, with what the row puts there.
    QString PreparedTarget() {
        QFETCH(QString, name);
        QFETCH(MakeAt, make);
        const QString path = dir_.filePath(name);
        make(path);
        return path;
    }

    QTemporaryDir dir_;
};

PELORIN_TEST_MAIN(BitmapFilesTest)
#include "tst_BitmapFiles.moc"
