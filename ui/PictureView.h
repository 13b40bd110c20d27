#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include "ImageView.h"

// The main window's 96 x 48 image view. It keeps its picture in three layers:
// white, the background picture of the last Open BMP and
// the pixels drawn since the last clear. Their composition is the persistent
// image: what is painted, what ReadPixel returns and what Save BMP writes.
class PictureView : public QWidget, public Routines::ImageView {
    Q_OBJECT

public:
    explicit PictureView(QWidget* parent = nullptr);

    void Clear() override;
    void SetPixel(int x, int y, Routines::Colour colour) override;
    Routines::Colour ReadPixel(int x, int y) const override;
    void SetBlackPixels(const Routines::ScreenMask& mask) override;
    void ReadScreen(Routines::ScreenPixels& pixels) const override;

    // The 96 x 48 image as shown, opaque.
    QImage PersistentImage() const;
    // Replaces the background picture with the top-left 96 x 48 of picture
    // and removes the drawn pixels. Transparent parts show the background colour.
    void SetBackgroundPicture(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Asks for one repaint of the whole view; drawing more before it comes costs nothing more.
    void ScheduleRepaint();

    QColor BackgroundColour() const;
    const QImage& Composed() const;

    QImage picture_;  // ARGB32; transparent at start, then the last picture laid on white
    QImage drawn_;    // ARGB32, transparent where nothing is drawn
    // The composition is cached; it is redone when a layer or the background colour changes.
    mutable QImage composed_;
    mutable QColor composedBackground_;
    bool repaintScheduled_ = false;
};
