#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QStyleOptionButton>

#include "PictureView.h"
#include "ProgramIcon.h"
#include "QtTestSupport.h"
#include "frmSplash.h"

namespace {

// A dark colour scheme, as desktops set it: dark base and window colours, light text.
QPalette DarkPalette() {
    QPalette palette;
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
        palette.setColor(role, QColor(0x24, 0x24, 0x24));
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        palette.setColor(role, QColor(0xEE, 0xEE, 0xEE));
    return palette;
}

// The room the style gives a control's caption: a button's contents less
// its frame, a label's contents rectangle.
QRect CaptionRoom(QWidget* control) {
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    }
    return control->contentsRect();
}

QString Caption(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    return qobject_cast<QLabel*>(control)->text();
}

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        QApplication::setPalette(QPalette());
        QApplication::setFont(QFont());
    }

    // Under a dark scheme the view stays white like the device's screen, so
    // nothing the user did not draw is saved as set.
    void darkSchemeKeepsThePicture_data() {
        QTest::addColumn<bool>("openBitFirst");
        QTest::newRow("Open Bit, Save Bit") << true;
        QTest::newRow("Save BMP right after start") << false;
    }

    void darkSchemeKeepsThePicture() {
        QFETCH(bool, openBitFirst);
        QApplication::setPalette(DarkPalette());
        MainWindowFixture f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        if (openBitFirst) {
            const QByteArray diagonal = BitFileBytes([](int x, int y) { return x / 2 == y; });
            WriteBytes(f.Path("diagonal.bit"), diagonal);
            f.Click(f.window.cmdOpenBit, QStringLiteral("diagonal.bit"));
            f.Click(f.window.cmdSavePic, QStringLiteral("saved.bit"));
            QCOMPARE(ReadBytes(f.Path("saved.bit")), diagonal);
        } else {
            f.Click(f.window.cmdSaveBMP, QStringLiteral("start.bmp"));
            const QImage saved(f.Path("start.bmp"));
            QCOMPARE(saved.size(), QSize(96, 48));
            QCOMPARE(saved.convertToFormat(QImage::Format_RGB32),
                     Picture({96, 48}, [](int, int) { return qRgb(255, 255, 255); }));
        }
        QVERIFY(f.boxes.shown.empty());
    }

    // Whatever the desktop's font size, each caption is whole inside its
    // control, in the desktop's font family.
    void captionsFitTheirControls_data() {
        QTest::addColumn<int>("pointSize");
        for (int size : {9, 10, 11, 12}) QTest::addRow("%d pt", size) << size;
    }

    void captionsFitTheirControls() {
        QFETCH(int, pointSize);
        QFont desktop = QApplication::font();
        desktop.setPointSize(pointSize);
        QApplication::setFont(desktop);
        MainWindowFixture f;
        frmSplash about;
        QList<QWidget*> controls;
        for (QPushButton* button : f.window.findChildren<QPushButton*>()) controls << button;
        controls << about.lblTitle << about.lblCopyright << about.cmdClose;
        QCOMPARE(controls.size(), 9);
        for (QWidget* control : controls) {
            const QFontMetricsF metrics(control->font());
            const QRect room = CaptionRoom(control);
            const QString what = control->objectName() + QStringLiteral(" at %1 pt").arg(pointSize);
            QVERIFY2(metrics.horizontalAdvance(Caption(control)) <= room.width(), qPrintable(what));
            QVERIFY2(metrics.height() <= room.height(), qPrintable(what));
            if (control != about.lblTitle) {
                QCOMPARE(control->font().family(), desktop.family());
                QVERIFY2(control->font().pointSizeF() <= pointSize, qPrintable(what));
            }
        }
    }

    // The icon is read once at start-up and shared, not built anew for each window.
    void iconIsReadOnce() {
        const qint64 icon = ProgramIcon::Icon().cacheKey();
        QCOMPARE(ProgramIcon::Icon().cacheKey(), icon);
        MainWindowFixture f;
        QCOMPARE(f.window.windowIcon().cacheKey(), icon);
    }

    // Assistive technology is told what the view is and that the About
    // window is a window of its own.
    void accessibleRolesAndNames() {
        MainWindowFixture f;
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(f.window.picMain);
        QVERIFY(view);
        QCOMPARE(view->role(), QAccessible::Graphic);
        QVERIFY(!view->text(QAccessible::Name).isEmpty());
        QVERIFY(!view->text(QAccessible::Description).isEmpty());

        QAccessibleInterface* main = QAccessible::queryAccessibleInterface(&f.window);
        QVERIFY(main);
        QCOMPARE(main->role(), QAccessible::Window);
        QCOMPARE(main->text(QAccessible::Name), QStringLiteral("Pelorin"));

        frmSplash about;
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&about);
        QVERIFY(window);
        QCOMPARE(window->role(), QAccessible::Window);
        QVERIFY(window->text(QAccessible::Name).contains(QStringLiteral("Pelorin")));
        QVERIFY(!window->parent() || window->parent()->role() == QAccessible::Application);
    }
};

PELORIN_TEST_MAIN(DesktopTest)
#include "tst_Desktop.moc"
