#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <sys/mount.h>

#include <QBuffer>
#include <QDir>
#include <QPushButton>
#include <QScopeGuard>

#include "ErrorTrap.h"
#include "Failure.h"
#include "PictureView.h"
#include "ProgramIcon.h"
#include "QtTestSupport.h"

using Mode = FileDialogBackend::Mode;
Q_DECLARE_METATYPE(std::exception_ptr)

namespace {

const QString GenericTitle = QStringLiteral("An Error Occured");
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

QString GenericText(int number, const QString& description) {
    return QStringLiteral(
               "Error Number: %1 Occured.\rThis number and the following description\r"
               "should be send to the developer\r\r")
               .arg(number) +
           description;
}

// The first line of the generic box.
QString GenericStart(int number) { return QStringLiteral("Error Number: %1 Occured.\r").arg(number); }

// A Nokia logo file: header, then one "0" or "1" per pixel; only the logo's first row is set.
QByteArray LogoFile(int headerSize) {
    QByteArray bytes(headerSize, 'H');
    for (int y = 0; y < 14; ++y) bytes += QByteArray(72, y == 0 ? '1' : '0');
    return bytes;
}

QByteArray BmpBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { f_.emplace(); }
    void cleanup() { f_.reset(); }

    void layout() {
        frmMain& window = f_->window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Pelorin"));
        QCOMPARE(window.size(), QSize(270, 84));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        // A fixed frame with the system menu and the close button only.
        QCOMPARE(window.windowFlags(), Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        const struct {
            const char* name;
            const char* caption;
            const char* toolTip;
            QRect geometry;
        } buttons[] = {
            {"cmdOpenBit", "Open Bit", "Open a Binary file containing a Bitmap", {8, 8, 73, 25}},
            {"cmdOpenNokia", "Open Nokia", "Open a Nokia Graphic", {8, 32, 73, 25}},
            {"cmdOpenBMP", "Open BMP", "Open a Windows Bitmap", {8, 56, 73, 25}},
            {"cmdSaveBMP", "Save BMP", "Save image as a Windows Bitmap", {192, 8, 73, 25}},
            {"cmdSavePic", "Save Bit", "Save image as binary data readable by the Lyra", {192, 32, 73, 25}},
            {"cmdAbout", "About", "Show Copyright Information", {192, 56, 73, 25}},
        };
        QWidget* previous = nullptr;  // the tab order follows the table, then the view
        for (const auto& expected : buttons) {
            auto* button = window.findChild<QPushButton*>(expected.name);
            QVERIFY2(button, expected.name);
            QCOMPARE(button->text(), expected.caption);
            QCOMPARE(button->toolTip(), expected.toolTip);
            QCOMPARE(button->geometry(), expected.geometry);
            QVERIFY(!button->autoDefault() && !button->isDefault() && !button->testAttribute(Qt::WA_SetFont));
            if (previous) QCOMPARE(previous->nextInFocusChain(), button);
            previous = button;
        }
        QCOMPARE(previous->nextInFocusChain(), window.picMain);
        QCOMPARE(window.findChild<PictureView*>(QStringLiteral("picMain")), window.picMain);
        QCOMPARE(window.picMain->geometry(), QRect(88, 8, 96, 48));
        QCOMPARE(window.picMain->minimumSize(), window.picMain->maximumSize());
        QCOMPARE(window.picMain->focusPolicy(), Qt::NoFocus);
        QCOMPARE(window.picMain->toolTip(), QStringLiteral("Show the current image"));

        // 32 x 32 in 16 colours, 48 x 48 and 32 x 32 in 256; each drawn, with a transparent margin.
        const QList<QImage> images = ProgramIcon::Images();
        QCOMPARE(images.size(), 3);
        const int sides[] = {32, 48, 32};
        const int colours[] = {16, 256, 256};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(images[i].size(), QSize(sides[i], sides[i]));
            QCOMPARE(images[i].format(), QImage::Format_Indexed8);
            QCOMPARE(images[i].colorCount(), colours[i]);
            QCOMPARE(qAlpha(images[i].pixel(0, 0)), 0);
            QVERIFY(images[i].pixelIndex(sides[i] / 2, sides[i] / 3) != 0);
        }
        QCOMPARE(window.windowIcon().availableSizes(), (QList<QSize>{{32, 32}, {48, 48}}));
    }

    // Each command's dialog settings, and what the next dialog finds of them.
    void dialogSettingsCarryOver() {
        const QStringList bit{"Bit Files (*.bit)"};
        const QStringList bmp{"Bmp Files (*.bmp)"};
        const QStringList nokia{"Nokia Operator Logo (*.nol)", "Nokia Group Graphic (*.ngg)"};
        frmMain& w = f_->window;
        const struct {
            QPushButton* button;
            const char* answer;  // empty: cancel
            Mode mode;
            QStringList filters;
            const char* suffix;
            QString proposed;
        } steps[] = {
            {w.cmdSavePic, "other.bit", Mode::Save, bit, "bit", "Screen.bit"},
            {w.cmdSavePic, "again.bit", Mode::Save, bit, "bit", "Screen.bit"},
            // An open command offers the last path again and leaves the default extension.
            {w.cmdOpenBit, "", Mode::Open, bit, "bit", f_->Path("again.bit")},
            {w.cmdOpenBMP, "", Mode::Open, bmp, "bit", f_->Path("again.bit")},
            {w.cmdSaveBMP, "one.bmp", Mode::Save, bmp, "bmp", ""},
            {w.cmdOpenNokia, "", Mode::Open, nokia, "bmp", f_->Path("one.bmp")},
            {w.cmdSaveBMP, "", Mode::Save, bmp, "bmp", ""},
            {w.cmdOpenBit, "", Mode::Open, bit, "bmp", ""},
            {w.cmdSaveBMP, "two.bmp", Mode::Save, bmp, "bmp", ""},
        };
        for (const auto& step : steps) {
            f_->Click(step.button, step.answer);
            const auto& call = f_->dialog.calls.back();
            QCOMPARE(call.mode, step.mode);
            QCOMPARE(call.nameFilters, step.filters);
            QCOMPARE(call.defaultSuffix, step.suffix);
            QCOMPARE(call.proposedName, step.proposed);
        }
        QVERIFY(f_->boxes.shown.empty());
        QVERIFY(w.cmdfile().CancelError);
        for (const char* name : {"other.bit", "again.bit"}) QCOMPARE(ReadBytes(f_->Path(name)).size(), 576);
        for (const char* name : {"one.bmp", "two.bmp"}) QVERIFY(ReadBytes(f_->Path(name)).startsWith("BM"));
    }

    void trapShowsTheGenericBox_data() {
        QTest::addColumn<std::exception_ptr>("thrown");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* tag, auto thrown, const QString& text) {
            QTest::newRow(tag) << std::make_exception_ptr(thrown) << text;
        };
        row("failure", Routines::Failure(Routines::FailureCode::InvalidPicture, "\"a.bmp\": bad"),
            GenericText(481, "Invalid picture: \"a.bmp\": bad"));
        row("other exception", std::runtime_error("boom"), GenericText(51, "Internal error: boom"));
        row("out of memory", std::bad_alloc(), GenericText(7, "Out of memory: std::bad_alloc"));
    }

    void trapShowsTheGenericBox() {
        QFETCH(std::exception_ptr, thrown);
        QFETCH(QString, text);
        RunTrapped(f_->boxes, [&] { std::rethrow_exception(thrown); });
        QCOMPARE(f_->boxes.shown.size(), 1u);
        QCOMPARE(f_->boxes.shown[0].text, text);
        QCOMPARE(f_->boxes.shown[0].title, GenericTitle);
        QCOMPARE(f_->boxes.shown[0].icon, Routines::BoxIcon::Critical);
    }

    void failedOrCancelledCommandChangesNothing_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");        // the file chosen; empty: cancel
        QTest::addColumn<QByteArray>("content");  // of that file; null: none made
        // The box shown, "%1" standing for the path; a generic box must name the
        // path after its given start, every other box is given whole.
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("title");
        const auto row = [](const char* tag, const char* button, const char* name, const QByteArray& content,
                            const QString& box = {}, const QString& title = GenericTitle) {
            QTest::newRow(tag) << QString(button) << QString(name) << content << box << title;
        };
        row("Open Bit cancelled", "cmdOpenBit", "", {});
        row("Open Nokia cancelled", "cmdOpenNokia", "", {});
        row("Open BMP cancelled", "cmdOpenBMP", "", {});
        row("Save Bit cancelled", "cmdSavePic", "", {});
        row("Save BMP cancelled", "cmdSaveBMP", "", {});
        row("Open Bit of a missing file", "cmdOpenBit", "missing.bit", {},
            GenericText(53, "File not found: \"%1\""));
        for (int length : {575, 577, 0}) {
            row(QByteArray("Open Bit of " + QByteArray::number(length) + " bytes").constData(), "cmdOpenBit",
                "wrong_length.bit", QByteArray(length, '\xFF'), "This is not a valid .bit file",
                "Error in Input file!!!");
        }
        row("Save Bit into a missing folder", "cmdSavePic", "no_such_folder/Screen.bit", {},
            "Error writing to file%1", "Error!!!");
        row("Open BMP of a missing file", "cmdOpenBMP", "missing.bmp", {}, GenericStart(53));
        row("Open BMP of no picture", "cmdOpenBMP", "text.bmp", "plain text, not a picture\n",
            GenericStart(481));
        row("Open BMP of a bitmap cut short", "cmdOpenBMP", "cut_short.bmp",
            BmpBytes(Picture({96, 48}, [](int, int) { return Black; })).chopped(960), GenericStart(481));
        row("Save BMP into a missing folder", "cmdSaveBMP", "no_such_folder/picture.bmp", {},
            GenericStart(53));
        // Only the name's ending decides, with case.
        row("Open Nokia, upper-case NOL", "cmdOpenNokia", "logo.NOL", LogoFile(20));
        row("Open Nokia, mixed-case Ngg", "cmdOpenNokia", "logo.Ngg", LogoFile(16));
        row("Open Nokia, bitmap name", "cmdOpenNokia", "logo.bmp", LogoFile(20));
        row("Open Nokia, group graphic too short for .nol", "cmdOpenNokia", "short.nol", LogoFile(16),
            GenericStart(62));
    }

    void failedOrCancelledCommandChangesNothing() {
        QFETCH(QString, button);
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, box);
        QFETCH(QString, title);
        // An earlier picture: a bitmap, and a .bit file drawn over it.
        WriteBytes(f_->Path("earlier.bmp"),
                   BmpBytes(Picture({30, 30}, [](int x, int) { return qRgb(x * 8, 0, 0); })));
        WriteBytes(f_->Path("diagonal.bit"), BitFileBytes([](int x, int y) { return x == 2 * y; }));
        f_->Click(f_->window.cmdOpenBMP, "earlier.bmp");
        f_->Click(f_->window.cmdOpenBit, "diagonal.bit");
        const QImage before = f_->Shown();
        QCOMPARE(before.pixel(40, 20), Black);
        if (!content.isNull()) WriteBytes(f_->Path(name), content);
        const QStringList files = QDir(f_->dir.path()).entryList(QDir::Files);

        f_->Click(f_->window.findChild<QPushButton*>(button), name);
        QCOMPARE(f_->Shown(), before);
        QCOMPARE(QDir(f_->dir.path()).entryList(QDir::Files), files);
        QCOMPARE(f_->boxes.shown.size(), box.isEmpty() ? 0u : 1u);
        if (box.isEmpty()) return;
        const QString path = f_->Path(name);
        const QString text = f_->boxes.shown[0].text;
        const QString expected = QString(box).replace(QStringLiteral("%1"), path);
        if (title == GenericTitle) {
            QVERIFY2(text.startsWith(expected) && text.contains(path), qPrintable(text));
        } else {
            QCOMPARE(text, expected);
        }
        QCOMPARE(f_->boxes.shown[0].title, title);
        QCOMPARE(f_->boxes.shown[0].icon, Routines::BoxIcon::Critical);
    }

    // A name with no byte form is refused with the generic box; nothing is
    // read or written under another name.
    void namesWithoutBytesAreRefused_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("ending");
        QTest::newRow("Save Bit") << "cmdSavePic"
                                  << ".bit";
        QTest::newRow("Save BMP") << "cmdSaveBMP"
                                  << ".bmp";
        QTest::newRow("Open Bit") << "cmdOpenBit"
                                  << ".bit";
    }

    void namesWithoutBytesAreRefused() {
        QFETCH(QString, button);
        QFETCH(QString, ending);
        const QString name = QStringLiteral("lone") + QChar(0xD800) + ending;
        // Where a lossy encoding of the name would land.
        WriteBytes(f_->Path(QStringLiteral("lone?") + ending), "keep");
        WriteBytes(f_->Path(QStringLiteral("lone\uFFFD") + ending), "keep");
        const QStringList files = QDir(f_->dir.path()).entryList(QDir::Files);

        f_->Click(f_->window.findChild<QPushButton*>(button), name);
        QCOMPARE(QDir(f_->dir.path()).entryList(QDir::Files), files);
        QCOMPARE(ReadBytes(f_->Path(QStringLiteral("lone?") + ending)), QByteArray("keep"));
        QCOMPARE(ReadBytes(f_->Path(QStringLiteral("lone\uFFFD") + ending)), QByteArray("keep"));
        QCOMPARE(f_->boxes.shown.size(), 1u);
        QCOMPARE(f_->boxes.shown[0].title, GenericTitle);
        QVERIFY2(f_->boxes.shown[0].text.contains(QStringLiteral("Error Number: 75")),
                 qPrintable(f_->boxes.shown[0].text));
    }

    // Another main window that comes and goes takes the engine's boxes only while it exists.
    void engineBoxesStayWithTheWindowWhenAnotherCloses() {
        {
            ScriptedDialog otherDialog;
            RecordingBoxes otherBoxes;
            frmMain other(&otherDialog, &otherBoxes);
        }
        WriteBytes(f_->Path("short.bit"), QByteArray(575, '\0'));
        f_->Click(f_->window.cmdOpenBit, "short.bit");
        QCOMPARE(f_->boxes.shown.size(), 1u);
        QCOMPARE(f_->boxes.shown[0].text, QStringLiteral("This is not a valid .bit file"));
    }

    void bitmapThenBitThenSaveBitCountsBoth() {
        // Red in columns 0-9 from the bitmap, black in columns 50-59 from the .bit file.
        QVERIFY(Picture({96, 48}, [](int x, int) {
                    return x < 10 ? qRgb(255, 0, 0) : White;
                }).save(f_->Path("red_band.bmp"), "BMP"));
        WriteBytes(f_->Path("black_band.bit"), BitFileBytes([](int x, int) { return x >= 50 && x < 60; }));
        f_->Click(f_->window.cmdOpenBMP, "red_band.bmp");
        f_->Click(f_->window.cmdOpenBit, "black_band.bit");
        QCOMPARE(f_->Shown(), Picture({96, 48}, [](int x, int) {
                     return x < 10 ? qRgb(255, 0, 0) : x >= 50 && x < 60 ? Black : White;
                 }));
        f_->Click(f_->window.cmdSavePic, "both.bit");
        QVERIFY(f_->boxes.shown.empty());
        QCOMPARE(ReadBytes(f_->Path("both.bit")),
                 BitFileBytes([](int x, int) { return x < 10 || (x >= 50 && x < 60); }));
    }

    void pictureSizeDecidesWhatIsSeen_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("larger bitmap") << QSize(200, 100) << QByteArray("BMP");
        QTest::newRow("smaller bitmap") << QSize(40, 20) << QByteArray("BMP");
        QTest::newRow("wider, lower bitmap") << QSize(120, 20) << QByteArray("BMP");
        QTest::newRow("smaller picture of another format") << QSize(40, 20) << QByteArray("PNG");
        QTest::newRow("smaller TIFF") << QSize(40, 20) << QByteArray("TIFF");
        // Beyond the 4 megapixels of a whole read: only its corner is read.
        QTest::newRow("PNG of 6 megapixels") << QSize(3000, 2000) << QByteArray("PNG");
    }

    void pictureSizeDecidesWhatIsSeen() {
        QFETCH(QSize, size);
        QFETCH(QByteArray, format);
        // Dark pixels, each of its own colour so that a shift or a scale shows, on white.
        const auto colour = [](int x, int y) { return (x + 2 * y) % 7 == 0 ? qRgb(x, y, 128) : White; };
        QVERIFY(Picture(size, colour).save(f_->Path("picture"), format.constData()));
        // An earlier picture and drawn pixels are replaced whole.
        f_->window.picMain->SetBackgroundPicture(Picture({96, 48}, [](int, int) { return qRgb(0, 255, 0); }));
        f_->window.picMain->SetPixel(90, 40, Routines::Black);
        f_->Click(f_->window.cmdOpenBMP, "picture");
        f_->Click(f_->window.cmdSavePic, "picture.bit");
        f_->Click(f_->window.cmdSaveBMP, "copy.bmp");
        QVERIFY(f_->boxes.shown.empty());

        const QImage shown = Picture({96, 48}, [&](int x, int y) {
            return x < size.width() && y < size.height() ? colour(x, y) : White;
        });
        QCOMPARE(f_->Shown(), shown);
        QCOMPARE(ReadBytes(f_->Path("picture.bit")),
                 BitFileBytes([&](int x, int y) { return shown.pixel(x, y) != White; }));
        QCOMPARE(QImage(f_->Path("copy.bmp")).convertToFormat(QImage::Format_RGB32), shown);
    }

    void saveBmpAtStartWritesTheBackgroundColour() {
        f_->Click(f_->window.cmdSaveBMP, "start.bmp");
        const QImage white = Picture({96, 48}, [](int, int) { return White; });
        QCOMPARE(QImage(f_->Path("start.bmp")).convertToFormat(QImage::Format_RGB32), white);
        // Open BMP reads it back.
        f_->window.picMain->SetPixel(1, 1, Routines::Black);
        f_->Click(f_->window.cmdOpenBMP, "start.bmp");
        QCOMPARE(f_->Shown(), white);
        f_->Click(f_->window.cmdSavePic, "start.bit");
        QCOMPARE(ReadBytes(f_->Path("start.bit")), QByteArray(576, '\0'));
        QVERIFY(f_->boxes.shown.empty());
    }

    void saveBmpOnFullDiskKeepsEarlierFile() {
        // A small file system of our own, filled up; needs the right to mount.
        const QByteArray mountPoint = QFile::encodeName(f_->dir.path());
        if (::mount("pelorin-test", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0) {
            const QByteArray reason =
                QByteArray("cannot mount a small tmpfs to fill: ") + std::strerror(errno);
            QSKIP(reason.constData());
        }
        const auto unmount = qScopeGuard([&] { ::umount2(mountPoint.constData(), MNT_DETACH); });

        f_->Click(f_->window.cmdSaveBMP, "picture.bmp");
        QVERIFY(f_->boxes.shown.empty());
        const QByteArray earlier = ReadBytes(f_->Path("picture.bmp"));
        QVERIFY(earlier.startsWith("BM"));
        QFile filler(f_->Path("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'x')) > 0) {
        }
        filler.close();

        f_->window.picMain->SetPixel(10, 10, Routines::Black);
        f_->Click(f_->window.cmdSaveBMP, "picture.bmp");
        QCOMPARE(f_->boxes.shown.size(), 1u);
        const QString text = f_->boxes.shown[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("Error Number: ")) && text.contains(f_->Path("picture.bmp")),
                 qPrintable(text));
        QCOMPARE(ReadBytes(f_->Path("picture.bmp")), earlier);
        QCOMPARE(QDir(f_->dir.path()).entryList(QDir::Files), (QStringList{"filler", "picture.bmp"}));
    }

    // The view is white whatever the palette, so a cleared view saves clear.
    void nonWhiteBaseSavesAClearView() {
        QPalette palette = f_->window.picMain->palette();
        palette.setColor(QPalette::Base, QColor(240, 240, 240));
        f_->window.picMain->setPalette(palette);
        f_->window.picMain->Clear();
        f_->Click(f_->window.cmdSavePic, "grey.bit");
        QCOMPARE(ReadBytes(f_->Path("grey.bit")), QByteArray(576, '\0'));
    }

    void openNokiaDrawsTheLogo_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("firstRowSet");  // black pixels in the logo's first row, screen row 17
        QTest::newRow("operator logo") << "logo.nol" << LogoFile(20) << 72;
        QTest::newRow("group graphic") << "logo.ngg" << LogoFile(16) << 72;
        // Read from offset 20, the first four pixel bytes are taken for header.
        QTest::newRow("group graphic named .nol") << "group.nol" << LogoFile(16) + "0000" << 68;
    }

    void openNokiaDrawsTheLogo() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, firstRowSet);
        f_->window.picMain->SetPixel(0, 0, Routines::Black);  // cleared before drawing
        WriteBytes(f_->Path(name), content);
        f_->Click(f_->window.cmdOpenNokia, name);
        QVERIFY(f_->boxes.shown.empty());
        QCOMPARE(f_->Shown(), Picture({96, 48}, [&](int x, int y) {
                     return y == 17 && x >= 12 && x < 12 + firstRowSet ? Black : White;
                 }));
    }

private:
    std::optional<MainWindowFixture> f_;
};

PELORIN_TEST_MAIN(MainWindowTest)
#include "tst_frmMain.moc"
