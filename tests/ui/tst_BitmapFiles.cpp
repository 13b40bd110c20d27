#include <QElapsedTimer>
#include <QTemporaryDir>

#include "BitmapFiles.h"
#include "Failure.h"
#include "TestSupport.h"

using Routines::FailureCode;

namespace {

// Runs the read and gives the failure it raised, if any.
std::optional<Routines::Failure> ReadFailure(const QString& path) {
    try {
        BitmapFiles::ReadPicture(path);
    } catch (const Routines::Failure& failure) {
        return failure;
    }
    return std::nullopt;
}

BitmapLayout Checkered(int bitCount) {
    BitmapLayout layout;
    layout.width = 13;  // rows need padding at every depth
    layout.height = 7;
    layout.bitCount = bitCount;
    if (bitCount <= 8) {
        layout.palette = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
        layout.pixel = [](int x, int y) { return static_cast<quint32>((x + y) % 2); };
    } else {
        layout.pixel = [](int x, int y) { return (x + y) % 2 ? 0x000000u : 0xFFFFFFu; };
    }
    return layout;
}

QImage CheckeredImage() {
    QImage image(13, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 13; ++x) image.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    return image;
}

}  // namespace

class BitmapFilesTest : public QObject {
    Q_OBJECT

private slots:
    void writtenBitmapReadsBack();
    void missingFileIsNamed();
    void noPictureIsRefusedWithTheReason_data();
    void noPictureIsRefusedWithTheReason();
    void bitmapCutShortIsRefused_data();
    void bitmapCutShortIsRefused();
    void nonsensicalHeaderIsRefused_data();
    void nonsensicalHeaderIsRefused();
    void enormousHeaderFailsQuickly();
    void oneBitColoursAreReadAsColours_data();
    void oneBitColoursAreReadAsColours();
    void otherFormatsAreRead();
    void writingIntoMissingFolderFailsNamingThePath();

private:
    QTemporaryDir dir_;
};

void BitmapFilesTest::writtenBitmapReadsBack() {
    QImage image(96, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 96; ++x) image.setPixel(x, y, qRgb(x * 2, y * 5, (x * y) % 256));
    }
    const QString path = dir_.filePath(QStringLiteral("pattern.bmp"));
    BitmapFiles::WriteBitmap(image, path);
    QVERIFY(ReadBytes(path).startsWith("BM"));
    QCOMPARE(FirstDifference(BitmapFiles::ReadPicture(path).convertToFormat(QImage::Format_RGB32), image),
             QString());
}

void BitmapFilesTest::missingFileIsNamed() {
    const QString path = dir_.filePath(QStringLiteral("missing.bmp"));
    const auto failure = ReadFailure(path);
    QVERIFY(failure);
    QCOMPARE(failure->Code(), FailureCode::FileNotFound);
    QVERIFY(QString::fromStdString(failure->Description()).contains(path));
}

void BitmapFilesTest::noPictureIsRefusedWithTheReason_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text") << QByteArray("this is no picture\n");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("bitmap magic only") << QByteArray("BM");
    QTest::newRow("bitmap header cut in the info header") << BitmapBytes(Checkered(24)).left(30);
}

void BitmapFilesTest::noPictureIsRefusedWithTheReason() {
    QFETCH(QByteArray, content);
    const QString path = dir_.filePath(QStringLiteral("not_a_picture.bmp"));
    WriteBytes(path, content);
    const auto failure = ReadFailure(path);
    QVERIFY(failure);
    QCOMPARE(failure->Code(), FailureCode::InvalidPicture);
    const QString description = QString::fromStdString(failure->Description());
    QVERIFY2(description.contains(path), qPrintable(description));
    // A reason follows the path.
    QVERIFY2(description.length() > description.indexOf(path) + path.length() + 4, qPrintable(description));
}

void BitmapFilesTest::bitmapCutShortIsRefused_data() {
    QTest::addColumn<QByteArray>("whole");
    BitmapLayout core = Checkered(24);
    core.coreHeader = true;
    BitmapLayout topDown = Checkered(24);
    topDown.topDown = true;
    BitmapLayout bitfields = Checkered(32);
    bitfields.bitfields = true;
    QTest::newRow("24 bits") << BitmapBytes(Checkered(24));
    QTest::newRow("1 bit") << BitmapBytes(Checkered(1));
    QTest::newRow("8 bits") << BitmapBytes(Checkered(8));
    QTest::newRow("32 bits with colour masks") << BitmapBytes(bitfields);
    QTest::newRow("core header") << BitmapBytes(core);
    QTest::newRow("rows from the top") << BitmapBytes(topDown);
}

void BitmapFilesTest::bitmapCutShortIsRefused() {
    QFETCH(QByteArray, whole);
    const QString path = dir_.filePath(QStringLiteral("cut_short.bmp"));
    WriteBytes(path, whole);
    QCOMPARE(FirstDifference(BitmapFiles::ReadPicture(path).convertToFormat(QImage::Format_RGB32),
                             CheckeredImage()),
             QString());

    for (int missing : {1, 4, static_cast<int>(whole.size()) / 3}) {
        WriteBytes(path, whole.chopped(missing));
        const auto failure = ReadFailure(path);
        QVERIFY2(failure, qPrintable(QStringLiteral("%1 bytes missing").arg(missing)));
        QCOMPARE(failure->Code(), FailureCode::InvalidPicture);
        QVERIFY(QString::fromStdString(failure->Description()).contains(path));
    }
}

void BitmapFilesTest::nonsensicalHeaderIsRefused_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bitCount");
    QTest::newRow("no width") << 0 << 4 << 24;
    QTest::newRow("no height") << 4 << 0 << 24;
    QTest::newRow("negative width") << -4 << 4 << 24;
    QTest::newRow("largest width") << 0x7FFFFFFF << 1 << 24;
    QTest::newRow("most negative height") << 4 << static_cast<int>(0x80000000u) << 24;
    QTest::newRow("no bits per pixel") << 4 << 4 << 0;
    QTest::newRow("64 bits per pixel") << 4 << 4 << 64;
}

void BitmapFilesTest::nonsensicalHeaderIsRefused() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bitCount);
    // A sound 4 x 4 bitmap whose header is then changed; the data stays long enough.
    BitmapLayout layout;
    layout.width = 4;
    layout.height = 4;
    QByteArray bytes = BitmapBytes(layout) + QByteArray(4096, '\0');
    qToLittleEndian<qint32>(width, bytes.data() + 18);
    qToLittleEndian<qint32>(height, bytes.data() + 22);
    qToLittleEndian<quint16>(static_cast<quint16>(bitCount), bytes.data() + 28);
    const QString path = dir_.filePath(QStringLiteral("nonsense.bmp"));
    WriteBytes(path, bytes);
    const auto failure = ReadFailure(path);
    QVERIFY(failure);
    QCOMPARE(failure->Code(), FailureCode::InvalidPicture);
}

void BitmapFilesTest::enormousHeaderFailsQuickly() {
    BitmapLayout layout;
    layout.width = 4;
    layout.height = 4;
    QByteArray bytes = BitmapBytes(layout);
    qToLittleEndian<qint32>(30000, bytes.data() + 18);
    qToLittleEndian<qint32>(30000, bytes.data() + 22);
    const QString path = dir_.filePath(QStringLiteral("enormous.bmp"));
    WriteBytes(path, bytes);
    QElapsedTimer timer;
    timer.start();
    const auto failure = ReadFailure(path);
    QVERIFY(timer.elapsed() < 1000);
    QVERIFY(failure);
    QCOMPARE(failure->Code(), FailureCode::InvalidPicture);
}

void BitmapFilesTest::oneBitColoursAreReadAsColours_data() {
    QTest::addColumn<QRgb>("colour0");
    QTest::addColumn<QRgb>("colour1");
    QTest::newRow("white then black") << qRgb(255, 255, 255) << qRgb(0, 0, 0);
    QTest::newRow("black then white") << qRgb(0, 0, 0) << qRgb(255, 255, 255);
    QTest::newRow("red then blue") << qRgb(255, 0, 0) << qRgb(0, 0, 255);
    QTest::newRow("white then grey") << qRgb(255, 255, 255) << qRgb(128, 128, 128);
}

void BitmapFilesTest::oneBitColoursAreReadAsColours() {
    QFETCH(QRgb, colour0);
    QFETCH(QRgb, colour1);
    BitmapLayout layout;
    layout.width = 10;
    layout.height = 5;
    layout.bitCount = 1;
    layout.palette = {colour0, colour1};
    // Index 1 only in the first column and the last row.
    layout.pixel = [](int x, int y) { return x == 0 || y == 4 ? 1u : 0u; };
    const QString path = dir_.filePath(QStringLiteral("palette_order.bmp"));
    WriteBytes(path, BitmapBytes(layout));
    const QImage picture = BitmapFiles::ReadPicture(path);
    QCOMPARE(picture.size(), QSize(10, 5));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 10; ++x) {
            QCOMPARE(picture.pixel(x, y) | 0xFF000000, (x == 0 || y == 4 ? colour1 : colour0) | 0xFF000000);
        }
    }
}

void BitmapFilesTest::otherFormatsAreRead() {
    const QString path = dir_.filePath(QStringLiteral("checkered.png"));
    QVERIFY(CheckeredImage().save(path, "PNG"));
    QCOMPARE(FirstDifference(BitmapFiles::ReadPicture(path).convertToFormat(QImage::Format_RGB32),
                             CheckeredImage()),
             QString());
}

void BitmapFilesTest::writingIntoMissingFolderFailsNamingThePath() {
    const QString path = dir_.filePath(QStringLiteral("no_such_folder/picture.bmp"));
    try {
        BitmapFiles::WriteBitmap(CheckeredImage(), path);
        QFAIL("the write succeeded");
    } catch (const Routines::Failure& failure) {
        QVERIFY(QString::fromStdString(failure.Description()).contains(path));
    }
    QVERIFY(!QFile::exists(path));
}

PELORIN_TEST_MAIN(BitmapFilesTest)
#include "tst_BitmapFiles.moc"
