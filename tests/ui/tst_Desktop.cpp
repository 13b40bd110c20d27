#include <QPalette>

#include "TestSupport.h"

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

}  // namespace

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QApplication::setPalette(QPalette()); }

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
};

PELORIN_TEST_MAIN(DesktopTest)
#include "tst_Desktop.moc"
