#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <sys/mount.h>

#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

#include "ErrorTrap.h"
#include "Failure.h"
#include "PictureView.h"
#include "ProgramIcon.h"
#include "Routines.h"
#include "TestSupport.h"
#include "frmMain.h"

using Mode = FileDialogBackend::Mode;
using Box = RecordingBoxes::Box;

namespace {

const QStringList BitFilters{"Bit Files (*.bit)"};
const QStringList BmpFilters{"Bmp Files (*.bmp)"};
const QStringList NokiaFilters{"Nokia Operator Logo (*.nol)", "Nokia Group Graphic (*.ngg)"};

std::string GenericText(int number, const std::string& description) {
    return "Error Number: " + std::to_string(number) +
           " Occured.\rThis number and the following description\rshould be send to the developer\r\r" +
           description;
}

bool SameBox(const Box& box, const std::string& text, const std::string& title) {
    return box.text == text && box.title == title && box.icon == Routines::BoxIcon::Critical;
}

// A Nokia logo file: header, then one "0" or "1" per pixel, row by row.
QByteArray LogoFile(int headerSize, const std::function<bool(int, int)>& isSet) {
    QByteArray bytes(headerSize, 'H');
    for (int y = 0; y < 14; ++y) {
        for (int x = 0; x < 72; ++x) bytes.append(isSet(x, y) ? '1' : '0');
    }
    return bytes;
}

bool FirstLogoRow(int, int y) { return y == 0; }

QImage Picture(QSize size, const std::function<QRgb(int, int)>& colour) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, colour(x, y));
    }
    return image;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void windowFrameAndIcon();
    void tabOrder();
    void cancelledCommandDoesNothing_data();
    void cancelledCommandDoesNothing();
    void saveCommandsProposeTheirNameEveryTime();
    void settingsCarryOverBetweenCommands();
    void trapShowsTheGenericBox_data();
    void trapShowsTheGenericBox();
    void openBitOfMissingFileShowsGenericBox();
    void wrongLengthBitShowsOnlyTheRefusal_data();
    void wrongLengthBitShowsOnlyTheRefusal();
    void saveBitFailureShowsWritingError();
    void bitmapThenBitThenSaveBitCountsBoth();
    void bitmapSizeDecidesWhatIsSeen_data();
    void bitmapSizeDecidesWhatIsSeen();
    void badBitmapLeavesViewAsItWas_data();
    void badBitmapLeavesViewAsItWas();
    void saveBmpAtStartWritesTheBackgroundColour();
    void saveBmpOnFullDiskKeepsEarlierFile();
    void nonWhiteBaseSavesEveryPixelSet();
    void openNokiaGoesByNameEnding_data();
    void openNokiaGoesByNameEnding();

private:
    QString Path(const QString& name) const { return dir_->filePath(name); }
    void Click(QPushButton* button, const std::optional<QString>& answer) {
        dialog_->answers.push_back(answer);
        button->click();
        QVERIFY2(!dialog_->unscripted, "the dialog was shown more often than scripted");
    }
    QImage Shown() const { return window_->picMain->PersistentImage(); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ScriptedDialog> dialog_;
    std::unique_ptr<RecordingBoxes> boxes_;
    std::unique_ptr<frmMain> window_;
};

void MainWindowTest::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    dialog_ = std::make_unique<ScriptedDialog>();
    boxes_ = std::make_unique<RecordingBoxes>();
    window_ = std::make_unique<frmMain>(dialog_.get(), boxes_.get());
}

void MainWindowTest::cleanup() {
    window_.reset();
    boxes_.reset();
    dialog_.reset();
    dir_.reset();
}

void MainWindowTest::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Open Bit") << "cmdOpenBit"
                              << "Open Bit"
                              << "Open a Binary file containing a Bitmap" << QRect(8, 8, 73, 25);
    QTest::newRow("Open Nokia") << "cmdOpenNokia"
                                << "Open Nokia"
                                << "Open a Nokia Graphic" << QRect(8, 32, 73, 25);
    QTest::newRow("Open BMP") << "cmdOpenBMP"
                              << "Open BMP"
                              << "Open a Windows Bitmap" << QRect(8, 56, 73, 25);
    QTest::newRow("Save BMP") << "cmdSaveBMP"
                              << "Save BMP"
                              << "Save image as a Windows Bitmap" << QRect(192, 8, 73, 25);
    QTest::newRow("Save Bit") << "cmdSavePic"
                              << "Save Bit"
                              << "Save image as binary data readable by the Lyra" << QRect(192, 32, 73, 25);
    QTest::newRow("About") << "cmdAbout"
                           << "About"
                           << "Show Copyright Information" << QRect(192, 56, 73, 25);
}

void MainWindowTest::layout() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, toolTip);
    QFETCH(QRect, geometry);
    auto* button = window_->findChild<QPushButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), toolTip);
    QCOMPARE(button->geometry(), geometry);
    QVERIFY(!button->autoDefault());
    QVERIFY(!button->isDefault());
    QVERIFY(!button->testAttribute(Qt::WA_SetFont));
}

void MainWindowTest::windowFrameAndIcon() {
    frmMain& window = *window_;
    QCOMPARE(window.windowTitle(), QStringLiteral("Pelorin"));
    QCOMPARE(window.size(), QSize(270, 84));
    QCOMPARE(window.minimumSize(), QSize(270, 84));
    QCOMPARE(window.maximumSize(), QSize(270, 84));
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::Window));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    auto* view = window.findChild<PictureView*>(QStringLiteral("picMain"));
    QCOMPARE(view, window.picMain);
    QCOMPARE(view->geometry(), QRect(88, 8, 96, 48));
    QCOMPARE(view->toolTip(), QStringLiteral("Show the current image"));

    const QList<QImage> images = ProgramIcon::Images();
    QCOMPARE(images.size(), 3);
    const QSize sizes[] = {{32, 32}, {48, 48}, {32, 32}};
    const int colours[] = {16, 256, 256};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(images[i].size(), sizes[i]);
        QCOMPARE(images[i].format(), QImage::Format_Indexed8);
        QCOMPARE(images[i].colorCount(), colours[i]);
        // Not blank: the drawing uses several colours and leaves a transparent margin.
        QCOMPARE(qAlpha(images[i].pixel(0, 0)), 0);
        QVERIFY(images[i].pixelIndex(sizes[i].width() / 2, sizes[i].height() / 3) != 0);
    }
    const QList<QSize> available = window.windowIcon().availableSizes();
    QVERIFY(available.contains(QSize(32, 32)));
    QVERIFY(available.contains(QSize(48, 48)));
}

void MainWindowTest::tabOrder() {
    const QList<QWidget*> expected{window_->cmdOpenBit, window_->cmdOpenNokia, window_->cmdOpenBMP,
                                   window_->cmdSaveBMP, window_->cmdSavePic,   window_->cmdAbout,
                                   window_->picMain};
    QList<QWidget*> chain{window_->cmdOpenBit};
    for (QWidget* next = window_->cmdOpenBit->nextInFocusChain(); chain.size() < expected.size() + 1;
         next = next->nextInFocusChain()) {
        if (expected.contains(next) || next == window_.get()) chain.append(next);
    }
    QCOMPARE(chain.mid(0, expected.size()), expected);
}

void MainWindowTest::cancelledCommandDoesNothing_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode");
    for (const char* name : {"cmdOpenBit", "cmdOpenNokia", "cmdOpenBMP"}) {
        QTest::newRow(name) << name << static_cast<int>(Mode::Open);
    }
    for (const char* name : {"cmdSavePic", "cmdSaveBMP"})
        QTest::newRow(name) << name << static_cast<int>(Mode::Save);
}

void MainWindowTest::cancelledCommandDoesNothing() {
    QFETCH(QString, button);
    QFETCH(int, mode);
    window_->picMain->SetPixel(3, 4, Routines::Black);
    const QImage before = Shown();
    Click(window_->findChild<QPushButton*>(button), std::nullopt);
    QCOMPARE(dialog_->calls.size(), 1u);
    QCOMPARE(static_cast<int>(dialog_->calls[0].mode), mode);
    QVERIFY(boxes_->shown.empty());
    QCOMPARE(FirstDifference(Shown(), before), QString());
    QVERIFY(QDir(dir_->path()).isEmpty());
}

void MainWindowTest::saveCommandsProposeTheirNameEveryTime() {
    Click(window_->cmdSavePic, Path("other.bit"));
    Click(window_->cmdSavePic, Path("again.bit"));
    Click(window_->cmdSaveBMP, Path("one.bmp"));
    Click(window_->cmdOpenBit, Path("other.bit"));
    Click(window_->cmdSaveBMP, Path("two.bmp"));
    QVERIFY(boxes_->shown.empty());
    QCOMPARE(dialog_->calls.size(), 5u);
    QCOMPARE(dialog_->calls[0].proposedName, QStringLiteral("Screen.bit"));
    QCOMPARE(dialog_->calls[1].proposedName, QStringLiteral("Screen.bit"));
    QCOMPARE(dialog_->calls[2].proposedName, QString());
    QCOMPARE(dialog_->calls[3].proposedName, Path("one.bmp"));
    QCOMPARE(dialog_->calls[4].proposedName, QString());
    for (const char* name : {"other.bit", "again.bit"}) QCOMPARE(ReadBytes(Path(name)).size(), 576);
    for (const char* name : {"one.bmp", "two.bmp"}) QVERIFY(ReadBytes(Path(name)).startsWith("BM"));
}

void MainWindowTest::settingsCarryOverBetweenCommands() {
    const QString saved = Path("saved.bit");
    Click(window_->cmdSavePic, saved);
    Click(window_->cmdOpenBit, std::nullopt);
    Click(window_->cmdOpenBMP, std::nullopt);
    Click(window_->cmdSaveBMP, std::nullopt);
    Click(window_->cmdOpenNokia, std::nullopt);
    Click(window_->cmdOpenBit, std::nullopt);
    QVERIFY(boxes_->shown.empty());
    QVERIFY(window_->cmdfile().CancelError);

    struct Expected {
        Mode mode;
        QStringList filters;
        QString suffix;
        QString proposed;
    };
    const Expected expected[] = {
        {Mode::Save, BitFilters, "bit", "Screen.bit"},
        {Mode::Open, BitFilters, "bit", saved},  // the saved path is offered again
        {Mode::Open, BmpFilters, "bit", saved},  // an open command leaves the default extension
        {Mode::Save, BmpFilters, "bmp", ""},
        {Mode::Open, NokiaFilters, "bmp", ""},
        {Mode::Open, BitFilters, "bmp", ""},
    };
    QCOMPARE(dialog_->calls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& call = dialog_->calls[i];
        QCOMPARE(call.mode, expected[i].mode);
        QCOMPARE(call.nameFilters, expected[i].filters);
        QCOMPARE(call.defaultSuffix, expected[i].suffix);
        QCOMPARE(call.proposedName, expected[i].proposed);
    }
}

void MainWindowTest::trapShowsTheGenericBox_data() {
    QTest::addColumn<int>("thrown");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");
    const auto described = [](Routines::FailureCode code, const char* detail) {
        return QString::fromStdString(Routines::Failure(code, detail).Description());
    };
    QTest::newRow("failure") << 0 << 481
                             << described(Routines::FailureCode::InvalidPicture, "\"a.bmp\": bad");
    QTest::newRow("other exception") << 1 << 51 << described(Routines::FailureCode::InternalError, "boom");
    QTest::newRow("out of memory") << 2 << 7
                                   << described(Routines::FailureCode::OutOfMemory, "std::bad_alloc");
    QTest::newRow("cancel") << 3 << 0 << "";
}

void MainWindowTest::trapShowsTheGenericBox() {
    QFETCH(int, thrown);
    QFETCH(int, number);
    QFETCH(QString, description);
    bool after = false;
    RunTrapped(*boxes_, [&] {
        switch (thrown) {
            case 0:
                throw Routines::Failure(Routines::FailureCode::InvalidPicture, "\"a.bmp\": bad");
            case 1:
                throw std::runtime_error("boom");
            case 2:
                throw std::bad_alloc();
            default:
                throw Routines::Failure(Routines::FailureCode::Cancelled, "");
        }
        after = true;
    });
    QVERIFY(!after);
    if (number == 0) {
        QVERIFY(boxes_->shown.empty());
        return;
    }
    QCOMPARE(boxes_->shown.size(), 1u);
    QCOMPARE(QString::fromStdString(boxes_->shown[0].text),
             QString::fromStdString(GenericText(number, description.toStdString())));
    QCOMPARE(boxes_->shown[0].title, std::string("An Error Occured"));
    QCOMPARE(boxes_->shown[0].icon, Routines::BoxIcon::Critical);
}

void MainWindowTest::openBitOfMissingFileShowsGenericBox() {
    const QString missing = Path("missing.bit");
    Click(window_->cmdOpenBit, missing);
    QCOMPARE(boxes_->shown.size(), 1u);
    const QString text = QString::fromStdString(boxes_->shown[0].text);
    QVERIFY2(text.startsWith(QStringLiteral("Error Number: 53 Occured.\r")), qPrintable(text));
    QVERIFY2(text.contains(missing), qPrintable(text));
    QCOMPARE(boxes_->shown[0].title, std::string("An Error Occured"));
}

void MainWindowTest::wrongLengthBitShowsOnlyTheRefusal_data() {
    QTest::addColumn<int>("length");
    QTest::newRow("575 bytes") << 575;
    QTest::newRow("577 bytes") << 577;
    QTest::newRow("empty") << 0;
}

void MainWindowTest::wrongLengthBitShowsOnlyTheRefusal() {
    QFETCH(int, length);
    WriteBytes(Path("diagonal.bit"), BitFileBytes([](int x, int y) { return x == 2 * y; }));
    Click(window_->cmdOpenBit, Path("diagonal.bit"));
    const QImage before = Shown();
    QCOMPARE(before.pixel(20, 10), qRgb(0, 0, 0));

    WriteBytes(Path("wrong_length.bit"), QByteArray(length, '\xFF'));
    Click(window_->cmdOpenBit, Path("wrong_length.bit"));
    QCOMPARE(boxes_->shown.size(), 1u);
    QVERIFY(SameBox(boxes_->shown[0], "This is not a valid .bit file", "Error in Input file!!!"));
    QCOMPARE(FirstDifference(Shown(), before), QString());
}

void MainWindowTest::saveBitFailureShowsWritingError() {
    const QString path = Path("no_such_folder/Screen.bit");
    Click(window_->cmdSavePic, path);
    QCOMPARE(boxes_->shown.size(), 1u);
    QVERIFY(SameBox(boxes_->shown[0], "Error writing to file" + path.toStdString(), "Error!!!"));
}

void MainWindowTest::bitmapThenBitThenSaveBitCountsBoth() {
    // Red in columns 0-9 from the bitmap, black in columns 50-59 from the .bit file.
    QVERIFY(Picture({96, 48}, [](int x, int) {
                return x < 10 ? qRgb(255, 0, 0) : qRgb(255, 255, 255);
            }).save(Path("red_band.bmp"), "BMP"));
    WriteBytes(Path("black_band.bit"), BitFileBytes([](int x, int) { return x >= 50 && x < 60; }));
    Click(window_->cmdOpenBMP, Path("red_band.bmp"));
    Click(window_->cmdOpenBit, Path("black_band.bit"));
    QCOMPARE(Shown().pixel(5, 20), qRgb(255, 0, 0));
    QCOMPARE(Shown().pixel(55, 20), qRgb(0, 0, 0));
    Click(window_->cmdSavePic, Path("both.bit"));
    QVERIFY(boxes_->shown.empty());

    const QByteArray saved = ReadBytes(Path("both.bit"));
    QCOMPARE(saved.size(), 576);
    QCOMPARE(BitFileSetCount(saved), 2 * 10 * 48);
    QVERIFY(BitFilePixel(saved, 0, 0));
    QVERIFY(BitFilePixel(saved, 9, 47));
    QVERIFY(BitFilePixel(saved, 59, 47));
    QVERIFY(!BitFilePixel(saved, 30, 20));
}

void MainWindowTest::bitmapSizeDecidesWhatIsSeen_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("larger") << QSize(200, 100);
    QTest::newRow("smaller") << QSize(40, 20);
}

void MainWindowTest::bitmapSizeDecidesWhatIsSeen() {
    QFETCH(QSize, size);
    const auto isDark = [](int x, int y) { return (x + 2 * y) % 7 == 0; };
    const QImage picture =
        Picture(size, [&](int x, int y) { return isDark(x, y) ? qRgb(0, 0, 128) : qRgb(255, 255, 255); });
    QVERIFY(picture.save(Path("picture.bmp"), "BMP"));
    Click(window_->cmdOpenBMP, Path("picture.bmp"));
    Click(window_->cmdSavePic, Path("picture.bit"));
    Click(window_->cmdSaveBMP, Path("copy.bmp"));
    QVERIFY(boxes_->shown.empty());

    const QRect inside = QRect(QPoint(0, 0), size);
    const QByteArray bits = ReadBytes(Path("picture.bit"));
    int expectedCount = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 96; ++x) {
            const bool dark = inside.contains(x, y) && isDark(x, y);
            expectedCount += dark ? 1 : 0;
            QVERIFY2(BitFilePixel(bits, x, y) == dark, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
        }
    }
    QCOMPARE(BitFileSetCount(bits), expectedCount);
    const QImage copy(Path("copy.bmp"));
    QCOMPARE(copy.size(), QSize(96, 48));
    QCOMPARE(FirstDifference(copy.convertToFormat(QImage::Format_RGB32), Shown()), QString());
}

void MainWindowTest::badBitmapLeavesViewAsItWas_data() {
    QTest::addColumn<QByteArray>("content");
    QByteArray whole;
    {
        QBuffer buffer(&whole);
        buffer.open(QIODevice::WriteOnly);
        Picture({96, 48}, [](int, int) { return qRgb(0, 0, 0); }).save(&buffer, "BMP");
    }
    QByteArray enormous = whole.left(200);
    qToLittleEndian<qint32>(30000, enormous.data() + 18);
    qToLittleEndian<qint32>(30000, enormous.data() + 22);
    QTest::newRow("bitmap cut short") << whole.chopped(96 * 3 * 10);
    QTest::newRow("not a picture") << QByteArray("plain text, not a picture\n");
    QTest::newRow("enormous size in the header") << enormous;
}

void MainWindowTest::badBitmapLeavesViewAsItWas() {
    QFETCH(QByteArray, content);
    QVERIFY(Picture({30, 30}, [](int x, int) { return qRgb(x * 8, 0, 0); }).save(Path("good.bmp"), "BMP"));
    Click(window_->cmdOpenBMP, Path("good.bmp"));
    window_->picMain->SetPixel(60, 30, Routines::Black);
    const QImage before = Shown();

    WriteBytes(Path("bad.bmp"), content);
    QElapsedTimer timer;
    timer.start();
    Click(window_->cmdOpenBMP, Path("bad.bmp"));
    QVERIFY(timer.elapsed() < 1000);
    QCOMPARE(boxes_->shown.size(), 1u);
    const QString text = QString::fromStdString(boxes_->shown[0].text);
    QVERIFY2(text.startsWith(QStringLiteral("Error Number: 481 Occured.\r")), qPrintable(text));
    QVERIFY2(text.contains(Path("bad.bmp")), qPrintable(text));
    QCOMPARE(FirstDifference(Shown(), before), QString());
}

void MainWindowTest::saveBmpAtStartWritesTheBackgroundColour() {
    Click(window_->cmdSaveBMP, Path("start.bmp"));
    QVERIFY(boxes_->shown.empty());
    const QImage saved(Path("start.bmp"));
    QCOMPARE(saved.size(), QSize(96, 48));
    const QImage white = Picture({96, 48}, [](int, int) { return qRgb(255, 255, 255); });
    QCOMPARE(FirstDifference(saved.convertToFormat(QImage::Format_RGB32), white), QString());

    window_->picMain->SetPixel(1, 1, Routines::Black);
    Click(window_->cmdOpenBMP, Path("start.bmp"));
    QCOMPARE(FirstDifference(Shown(), white), QString());
    Click(window_->cmdSavePic, Path("start.bit"));
    QCOMPARE(ReadBytes(Path("start.bit")), QByteArray(576, '\0'));
}

void MainWindowTest::saveBmpOnFullDiskKeepsEarlierFile() {
    // A small file system of our own, filled up; needs the right to mount.
    const QByteArray mountPoint = QFile::encodeName(dir_->path());
    if (::mount("pelorin-test", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0) {
        const QByteArray reason = QByteArray("cannot mount a small tmpfs to fill: ") + std::strerror(errno);
        QSKIP(reason.constData());
    }
    const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });

    const QString target = Path("picture.bmp");
    Click(window_->cmdSaveBMP, target);
    QVERIFY(boxes_->shown.empty());
    const QByteArray earlier = ReadBytes(target);
    QVERIFY(earlier.startsWith("BM"));

    QFile filler(Path("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(4096, 'x')) > 0) {
    }
    filler.close();

    window_->picMain->SetPixel(10, 10, Routines::Black);
    Click(window_->cmdSaveBMP, target);
    QCOMPARE(boxes_->shown.size(), 1u);
    const QString text = QString::fromStdString(boxes_->shown[0].text);
    QVERIFY2(text.startsWith(QStringLiteral("Error Number: ")), qPrintable(text));
    QVERIFY2(text.contains(target), qPrintable(text));
    QCOMPARE(ReadBytes(target), earlier);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), (QStringList{"filler", "picture.bmp"}));
}

void MainWindowTest::nonWhiteBaseSavesEveryPixelSet() {
    QPalette palette = window_->picMain->palette();
    palette.setColor(QPalette::Base, QColor(240, 240, 240));
    window_->picMain->setPalette(palette);
    window_->picMain->Clear();
    Click(window_->cmdSavePic, Path("grey.bit"));
    QCOMPARE(ReadBytes(Path("grey.bit")), QByteArray(576, '\xFF'));
}

void MainWindowTest::openNokiaGoesByNameEnding_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    // How many pixels of the logo's first row (screen row 17) end up black;
    // -1 when the view must stay as it was.
    QTest::addColumn<int>("firstRowSet");
    QTest::addColumn<int>("failureNumber");
    const QByteArray operatorLogo = LogoFile(20, FirstLogoRow);
    const QByteArray groupGraphic = LogoFile(16, FirstLogoRow);
    QTest::newRow("operator logo") << "logo.nol" << operatorLogo << 72 << 0;
    QTest::newRow("group graphic") << "logo.ngg" << groupGraphic << 72 << 0;
    QTest::newRow("upper-case NOL") << "logo.NOL" << operatorLogo << -1 << 0;
    QTest::newRow("mixed-case Ngg") << "logo.Ngg" << groupGraphic << -1 << 0;
    QTest::newRow("bitmap name") << "logo.bmp" << operatorLogo << -1 << 0;
    // Read from offset 20, the first four pixel bytes are taken for header.
    QTest::newRow("group graphic named .nol") << "group.nol" << groupGraphic + "0000" << 68 << 0;
    QTest::newRow("group graphic too short for .nol") << "short.nol" << groupGraphic << -1 << 62;
}

void MainWindowTest::openNokiaGoesByNameEnding() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, firstRowSet);
    QFETCH(int, failureNumber);
    window_->picMain->SetPixel(0, 0, Routines::Black);
    const QImage before = Shown();
    WriteBytes(Path(name), content);
    Click(window_->cmdOpenNokia, Path(name));

    if (failureNumber == 0) {
        QVERIFY(boxes_->shown.empty());
    } else {
        QCOMPARE(boxes_->shown.size(), 1u);
        QVERIFY(QString::fromStdString(boxes_->shown[0].text)
                    .startsWith(QStringLiteral("Error Number: %1 Occured.\r").arg(failureNumber)));
    }
    if (firstRowSet < 0) {
        QCOMPARE(FirstDifference(Shown(), before), QString());
        return;
    }
    const QImage shown = Shown();
    QCOMPARE(shown.pixel(0, 0), qRgb(255, 255, 255));  // cleared before drawing
    for (int x = 0; x < 96; ++x) {
        const bool set = x >= 12 && x < 12 + firstRowSet;
        QCOMPARE(shown.pixel(x, 17), set ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        QCOMPARE(shown.pixel(x, 18), qRgb(255, 255, 255));
    }
}

PELORIN_TEST_MAIN(MainWindowTest)
#include "tst_frmMain.moc"
