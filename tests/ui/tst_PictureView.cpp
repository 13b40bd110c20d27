#include <QPalette>

#include "Failure.h"
#include "PictureView.h"
#include "QtTestSupport.h"
#include "Routines.h"

namespace {

// Every third pixel of a diagonal pattern.
Routines::ScreenMask Pattern() {
    Routines::ScreenMask mask{};
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 96; ++x) mask[Routines::PixelIndex(x, y)] = (x + 2 * y) % 3 == 0;
    return mask;
}

// Counts the paint events that reach the view.
class CountingView : public PictureView {
public:
    using PictureView::PictureView;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        PictureView::paintEvent(event);
    }
};

}  // namespace

class PictureViewTest : public QObject {
    Q_OBJECT

private slots:
    void readPixelGivesRedInTheLowByte_data() {
        QTest::addColumn<Routines::Colour>("colour");
        QTest::addColumn<QColor>("shown");
        QTest::newRow("black") << Routines::Colour{0x000000} << QColor(0, 0, 0);
        QTest::newRow("red") << Routines::Colour{0x0000FF} << QColor(255, 0, 0);
        QTest::newRow("green") << Routines::Colour{0x00FF00} << QColor(0, 255, 0);
        QTest::newRow("blue") << Routines::Colour{0xFF0000} << QColor(0, 0, 255);
        QTest::newRow("almost white") << Routines::Colour{0xFEFFFF} << QColor(255, 255, 254);
    }

    void readPixelGivesRedInTheLowByte() {
        QFETCH(Routines::Colour, colour);
        QFETCH(QColor, shown);
        PictureView view;
        view.SetPixel(95, 47, colour);
        QCOMPARE(view.ReadPixel(95, 47), colour);
        QCOMPARE(view.PersistentImage().pixelColor(95, 47), shown);
        QCOMPARE(view.ReadPixel(94, 47), Routines::White);
    }

    void drawingOutsideIsClippedAndReadingOutsideFails() {
        PictureView view;
        view.SetPixel(96, 0, Routines::Black);
        view.SetPixel(-1, 10, Routines::Black);
        QCOMPARE(view.PersistentImage(), Picture({96, 48}, [](int, int) { return qRgb(255, 255, 255); }));
        QVERIFY_THROWS_EXCEPTION(Routines::Failure, view.ReadPixel(0, 48));
    }

    // Transparent parts of the picture and the cleared view show white,
    // whatever the palette's base colour.
    void backgroundStaysWhiteWhateverThePalette() {
        QImage picture(20, 10, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        picture.setPixel(3, 3, qRgb(0, 0, 0));
        PictureView view;
        view.SetBackgroundPicture(picture);
        view.SetPixel(30, 30, Routines::Black);
        QCOMPARE(view.ReadPixel(2, 2), Routines::White);
        QCOMPARE(view.ReadPixel(3, 3), Routines::Black);

        QPalette palette = view.palette();
        palette.setColor(QPalette::Base, QColor(0x10, 0x20, 0x30));
        view.setPalette(palette);
        QCOMPARE(view.ReadPixel(2, 2), Routines::White);
        QCOMPARE(view.ReadPixel(30, 30), Routines::Black);
        view.Clear();
        QCOMPARE(view.PersistentImage(), Picture({96, 48}, [](int x, int y) {
                     return x == 3 && y == 3 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                 }));
    }

    void paintedImageIsThePersistentImage() {
        QWidget window;
        auto* view = new PictureView(&window);
        view->SetBackgroundPicture(Picture({30, 30}, [](int, int) { return qRgb(255, 0, 0); }));
        for (int i = 0; i < 48; ++i) view->SetPixel(i * 2, i, Routines::Black);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(view->grab().toImage().convertToFormat(QImage::Format_RGB32), view->PersistentImage());

        // Covered and uncovered: the window is hidden and shown again.
        window.hide();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(view->grab().toImage().convertToFormat(QImage::Format_RGB32), view->PersistentImage());
    }

    // The whole-screen calls the engine makes give what the pixel calls give,
    // also over a background picture and with the composed image cached.
    void wholeScreenCallsMatchPixelCalls_data() {
        QTest::addColumn<bool>("withPicture");
        QTest::addColumn<bool>("readFirst");
        QTest::newRow("plain") << false << false;
        QTest::newRow("plain, read before drawing") << false << true;
        QTest::newRow("over a picture") << true << false;
        QTest::newRow("over a picture, read before drawing") << true << true;
    }

    void wholeScreenCallsMatchPixelCalls() {
        QFETCH(bool, withPicture);
        QFETCH(bool, readFirst);
        PictureView whole;
        PictureView single;
        for (PictureView* view : {&whole, &single}) {
            if (withPicture)
                view->SetBackgroundPicture(
                    Picture({40, 60}, [](int x, int y) { return qRgb(x * 6, y * 4, 90); }));
            view->SetPixel(1, 1, 0x00FF00);
            if (readFirst) view->ReadPixel(0, 0);
        }
        const Routines::ScreenMask mask = Pattern();
        whole.SetBlackPixels(mask);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 96; ++x)
                if (mask[Routines::PixelIndex(x, y)]) single.SetPixel(x, y, Routines::Black);
        QCOMPARE(whole.PersistentImage(), single.PersistentImage());

        Routines::ScreenPixels pixels{};
        whole.ReadScreen(pixels);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 96; ++x) QCOMPARE(pixels[Routines::PixelIndex(x, y)], single.ReadPixel(x, y));
    }

    // Each drawing command is shown, however many pixels it sets.
    void everyDrawingCommandIsRepainted() {
        QWidget window;
        auto* view = new CountingView(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const char pixel : {'1', '0', '1'}) {
            const int before = view->paints;
            Routines::ImageBits = std::string(Routines::ScreenBitCount, pixel);
            Routines::DrawScreen(*view);
            QTRY_VERIFY(view->paints > before);
            const QRgb shown = pixel == '1' ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            QCOMPARE(view->grab().toImage().convertToFormat(QImage::Format_RGB32),
                     Picture({96, 48}, [&](int, int) { return shown; }));
        }
    }

    void denseScreenKeepsSharpLogicalPixels() {
        PictureView view;
        view.SetPixel(10, 10, Routines::Black);
        QImage dense(192, 96, QImage::Format_RGB32);
        dense.setDevicePixelRatio(2.0);
        dense.fill(Qt::green);
        view.render(&dense);
        dense.setDevicePixelRatio(1.0);
        // One logical pixel is a sharp 2 x 2 block, everything else white.
        QCOMPARE(dense, Picture({192, 96}, [](int x, int y) {
                     return x >= 20 && x < 22 && y >= 20 && y < 22 ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
                 }));
    }
};

PELORIN_TEST_MAIN(PictureViewTest)
#include "tst_PictureView.moc"
