#include "PictureView.h"

#include <string>

#include <QPaintEvent>
#include <QPainter>

#include "Failure.h"
#include "PictureRules.h"
#include "Pictures.h"
#include "Routines.h"
#include "ScreenCanvas.h"

namespace {

const QRect ViewRect(0, 0, Routines::ScreenWidth, Routines::ScreenHeight);

QImage TransparentLayer() {
    QImage layer(ViewRect.size(), QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    return layer;
}

QRgb ToRgb(Routines::Colour colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

Routines::Colour ToColour(QRgb rgb) {
    return static_cast<Routines::Colour>(qRed(rgb)) | static_cast<Routines::Colour>(qGreen(rgb)) << 8 |
           static_cast<Routines::Colour>(qBlue(rgb)) << 16;
}

}  // namespace

PictureView::PictureView(QWidget* parent)
    : QWidget(parent), picture_(TransparentLayer()), drawn_(TransparentLayer()) {
    setFixedSize(ViewRect.size());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip(QStringLiteral("Show the current image"));
}

void PictureView::Clear() {
    drawn_.fill(Qt::transparent);
    composed_ = QImage();
    ScheduleRepaint();
}

void PictureView::SetPixel(int x, int y, Routines::Colour colour) {
    // Like a device context, the view clips what falls outside it.
    if (!ViewRect.contains(x, y)) return;
    const QRgb rgb = ToRgb(colour);
    drawn_.setPixel(x, y, rgb);
    if (!composed_.isNull()) composed_.setPixel(x, y, rgb);
    ScheduleRepaint();
}

void PictureView::SetBlackPixels(const Routines::ScreenMask& mask) {
    const QRgb black = ToRgb(Routines::Black);
    const bool composed = !composed_.isNull();
    for (int y = 0; y < ViewRect.height(); ++y) {
        auto* drawnLine = reinterpret_cast<QRgb*>(drawn_.scanLine(y));
        auto* composedLine = composed ? reinterpret_cast<QRgb*>(composed_.scanLine(y)) : nullptr;
        for (int x = 0; x < ViewRect.width(); ++x) {
            if (!mask[Routines::PixelIndex(x, y)]) continue;
            drawnLine[x] = black;
            if (composedLine) composedLine[x] = black;
        }
    }
    ScheduleRepaint();
}

void PictureView::ReadScreen(Routines::ScreenPixels& pixels) const {
    const QImage& image = Composed();
    for (int y = 0; y < ViewRect.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < ViewRect.width(); ++x) pixels[Routines::PixelIndex(x, y)] = ToColour(line[x]);
    }
}

void PictureView::ScheduleRepaint() {
    if (repaintScheduled_) return;
    repaintScheduled_ = true;
    update();
}

Routines::Colour PictureView::ReadPixel(int x, int y) const {
    if (!ViewRect.contains(x, y)) {
        throw Routines::PixelOutsideView(x, y);
    }
    return ToColour(Composed().pixel(x, y));
}

QImage PictureView::PersistentImage() const { return Composed().copy(); }

void PictureView::SetBackgroundPicture(const QImage& picture) {
    // The engine's picture rules place it at the top-left corner and lay it on
    // white, exactly as pelorin-convert --exact does.
    Routines::PictureRules topLeft;
    topLeft.placement = Routines::Placement::TopLeft;
    Routines::ScreenCanvas placed;
    Routines::DrawPicture(placed, Pictures::PixelsToPlace(picture, topLeft.placement), topLeft);
    Routines::ScreenPixels pixels;
    placed.ReadScreen(pixels);
    for (int y = 0; y < ViewRect.height(); ++y) {
        for (int x = 0; x < ViewRect.width(); ++x)
            picture_.setPixel(x, y, ToRgb(pixels[Routines::PixelIndex(x, y)]));
    }
    drawn_.fill(Qt::transparent);
    composed_ = QImage();
    ScheduleRepaint();
}

void PictureView::paintEvent(QPaintEvent* event) {
    repaintScheduled_ = false;
    QPainter painter(this);
    // Into the logical rectangle without smoothing, so that on a dense screen
    // each image pixel stays one sharp logical pixel.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRegion(event->region());
    painter.drawImage(rect(), Composed());
}

// White like the device's own screen, whatever the desktop's colour scheme:
// only pure white is clear, so a darker background would be saved as set pixels.
QColor PictureView::BackgroundColour() const { return Qt::white; }

const QImage& PictureView::Composed() const {
    const QColor background = BackgroundColour();
    if (composed_.isNull() || background != composedBackground_) {
        composed_ = QImage(ViewRect.size(), QImage::Format_RGB32);
        composed_.fill(background);
        QPainter painter(&composed_);
        painter.drawImage(0, 0, picture_);
        painter.drawImage(0, 0, drawn_);
        composedBackground_ = background;
    }
    return composed_;
}
