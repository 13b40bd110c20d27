#include <QPainter>
#include <QPalette>

#include "Failure.h"
#include "PictureView.h"
#include "TestSupport.h"

namespace {

QImage Filled(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QImage Expected(QColor background, const std::function<void(QImage&)>& draw = {}) {
    QImage image = Filled(96, 48, background).convertToFormat(QImage::Format_RGB32);
    if (draw) draw(image);
    return image;
}

QRgb Opaque(QRgb colour) { return colour | 0xFF000000; }

}  // namespace

class PictureViewTest : public QObject {
    Q_OBJECT

private slots:
    void startsInTheBackgroundColour();
    void readPixelGivesRedInTheLowByte_data();
    void readPixelGivesRedInTheLowByte();
    void drawingOutsideIsClippedAndReadingOutsideFails();
    void clearKeepsTheBackgroundPicture();
    void backgroundPictureIsClippedToTheView_data();
    void backgroundPictureIsClippedToTheView();
    void newBackgroundPictureReplacesPictureAndDrawnPixels();
    void transparentPictureShowsTheBackgroundColour();
    void paletteChangeIsHonoured();
    void paintedImageIsThePersistentImage();
    void denseScreenKeepsSharpLogicalPixels();
};

void PictureViewTest::startsInTheBackgroundColour() {
    PictureView view;
    QCOMPARE(view.size(), QSize(96, 48));
    QCOMPARE(view.minimumSize(), view.maximumSize());
    QCOMPARE(view.focusPolicy(), Qt::NoFocus);
    QCOMPARE(view.toolTip(), QStringLiteral("Show the current image"));
    // The standard scheme's base colour is white, so a cleared view reads white.
    QCOMPARE(view.palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(FirstDifference(view.PersistentImage(), Expected(Qt::white)), QString());
    QCOMPARE(view.ReadPixel(0, 0), Routines::White);
    QCOMPARE(view.ReadPixel(95, 47), Routines::White);
}

void PictureViewTest::readPixelGivesRedInTheLowByte_data() {
    QTest::addColumn<Routines::Colour>("colour");
    QTest::addColumn<QColor>("shown");
    QTest::newRow("black") << Routines::Colour{0x000000} << QColor(0, 0, 0);
    QTest::newRow("red") << Routines::Colour{0x0000FF} << QColor(255, 0, 0);
    QTest::newRow("green") << Routines::Colour{0x00FF00} << QColor(0, 255, 0);
    QTest::newRow("blue") << Routines::Colour{0xFF0000} << QColor(0, 0, 255);
    QTest::newRow("almost white") << Routines::Colour{0xFEFFFF} << QColor(255, 255, 254);
}

void PictureViewTest::readPixelGivesRedInTheLowByte() {
    QFETCH(Routines::Colour, colour);
    QFETCH(QColor, shown);
    PictureView view;
    view.SetPixel(95, 47, colour);
    QCOMPARE(view.ReadPixel(95, 47), colour);
    QCOMPARE(view.PersistentImage().pixelColor(95, 47), shown);
    QCOMPARE(view.ReadPixel(94, 47), Routines::White);
}

void PictureViewTest::drawingOutsideIsClippedAndReadingOutsideFails() {
    PictureView view;
    view.SetPixel(96, 0, Routines::Black);
    view.SetPixel(-1, 10, Routines::Black);
    QCOMPARE(FirstDifference(view.PersistentImage(), Expected(Qt::white)), QString());
    QVERIFY_THROWS_EXCEPTION(Routines::Failure, view.ReadPixel(0, 48));
}

void PictureViewTest::clearKeepsTheBackgroundPicture() {
    PictureView view;
    view.SetBackgroundPicture(Filled(10, 10, Qt::red));
    view.SetPixel(50, 20, Routines::Black);
    view.SetPixel(5, 5, Routines::Black);
    view.Clear();
    QCOMPARE(
        FirstDifference(
            view.PersistentImage(),
            Expected(Qt::white, [](QImage& image) { QPainter(&image).fillRect(0, 0, 10, 10, Qt::red); })),
        QString());
}

void PictureViewTest::backgroundPictureIsClippedToTheView_data() {
    QTest::addColumn<QSize>("pictureSize");
    QTest::newRow("larger") << QSize(300, 200);
    QTest::newRow("wider") << QSize(120, 20);
    QTest::newRow("smaller") << QSize(40, 20);
    QTest::newRow("exact") << QSize(96, 48);
}

void PictureViewTest::backgroundPictureIsClippedToTheView() {
    QFETCH(QSize, pictureSize);
    // Every pixel of the picture has its own colour, so a shift or a scale shows.
    QImage picture(pictureSize, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x, y, 128));
    }
    PictureView view;
    view.SetBackgroundPicture(picture);
    const QImage expected =
        Expected(Qt::white, [&](QImage& image) { QPainter(&image).drawImage(0, 0, picture); });
    QCOMPARE(FirstDifference(view.PersistentImage(), expected), QString());
    QCOMPARE(view.size(), QSize(96, 48));
}

void PictureViewTest::newBackgroundPictureReplacesPictureAndDrawnPixels() {
    PictureView view;
    view.SetBackgroundPicture(Filled(96, 48, Qt::blue));
    view.SetPixel(90, 40, Routines::Black);
    view.SetBackgroundPicture(Filled(20, 10, Qt::green));
    QCOMPARE(
        FirstDifference(
            view.PersistentImage(),
            Expected(Qt::white, [](QImage& image) { QPainter(&image).fillRect(0, 0, 20, 10, Qt::green); })),
        QString());
}

void PictureViewTest::transparentPictureShowsTheBackgroundColour() {
    QImage picture = Filled(20, 10, Qt::transparent);
    picture.setPixel(3, 3, qRgba(0, 0, 0, 255));
    PictureView view;
    view.SetBackgroundPicture(picture);
    QCOMPARE(view.ReadPixel(2, 2), Routines::White);
    QCOMPARE(view.ReadPixel(3, 3), Routines::Black);

    QPalette grey = view.palette();
    grey.setColor(QPalette::Base, QColor(200, 200, 200));
    view.setPalette(grey);
    QCOMPARE(view.ReadPixel(2, 2), Routines::Colour{0xC8C8C8});
}

void PictureViewTest::paletteChangeIsHonoured() {
    PictureView view;
    view.SetPixel(1, 1, Routines::Black);
    QCOMPARE(view.ReadPixel(0, 0), Routines::White);
    QPalette palette = view.palette();
    palette.setColor(QPalette::Base, QColor(0x10, 0x20, 0x30));
    view.setPalette(palette);
    QCOMPARE(view.ReadPixel(0, 0), Routines::Colour{0x302010});
    QCOMPARE(view.ReadPixel(1, 1), Routines::Black);
    view.Clear();
    QCOMPARE(FirstDifference(view.PersistentImage(), Expected(QColor(0x10, 0x20, 0x30))), QString());
}

void PictureViewTest::paintedImageIsThePersistentImage() {
    QWidget window;
    auto* view = new PictureView(&window);
    view->SetBackgroundPicture(Filled(30, 30, Qt::red));
    for (int i = 0; i < 48; ++i) view->SetPixel(i * 2, i, Routines::Black);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(FirstDifference(shown, view->PersistentImage()), QString());

    // Covered and uncovered: the window is hidden and shown again.
    window.hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(FirstDifference(view->grab().toImage().convertToFormat(QImage::Format_RGB32), shown), QString());
}

void PictureViewTest::denseScreenKeepsSharpLogicalPixels() {
    PictureView view;
    view.SetPixel(10, 10, Routines::Black);
    QImage dense(192, 96, QImage::Format_RGB32);
    dense.setDevicePixelRatio(2.0);
    dense.fill(Qt::green);
    view.render(&dense);
    dense.setDevicePixelRatio(1.0);
    // One logical pixel is a sharp 2 x 2 block, its neighbours untouched.
    for (int y = 18; y < 24; ++y) {
        for (int x = 18; x < 24; ++x) {
            const bool inside = x >= 20 && x < 22 && y >= 20 && y < 22;
            QCOMPARE(dense.pixel(x, y), Opaque(inside ? qRgb(0, 0, 0) : qRgb(255, 255, 255)));
        }
    }
    QCOMPARE(dense.pixel(191, 95), Opaque(qRgb(255, 255, 255)));
}

PELORIN_TEST_MAIN(PictureViewTest)
#include "tst_PictureView.moc"
