#include "CaptionFont.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace CaptionFont {
namespace {

// Below this a smaller font helps no one: the caption is unreadable anyway.
constexpr double SmallestPointSize = 6.0;
constexpr double PointStep = 0.5;

// The room for a caption: a push button's contents less the padding its
// style keeps between frame and text, a label's contents rectangle.
QSizeF Room(QWidget* control) {
    if (auto* button = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect contents =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const int padding = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
        return QSizeF(contents.width() - padding, contents.height());
    }
    return control->contentsRect().size();
}

QString Caption(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    return static_cast<QLabel*>(control)->text();
}

bool AllFit(const QList<QWidget*>& controls, const QFont& font) {
    const QFontMetricsF metrics(font);
    for (QWidget* control : controls) {
        const QSizeF room = Room(control);
        if (metrics.horizontalAdvance(Caption(control)) > room.width() || metrics.height() > room.height())
            return false;
    }
    return true;
}

}  // namespace

void FitCaptions(QWidget* window) {
    QList<QWidget*> controls;
    // The window's own controls; those with a font of their own keep it.
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if ((qobject_cast<QAbstractButton*>(child) || qobject_cast<QLabel*>(child)) &&
            !child->testAttribute(Qt::WA_SetFont))
            controls << child;
    }
    QFont font = window->font();
    if (font.pointSizeF() <= 0) return;  // sized in pixels by the desktop: left as it is
    while (!AllFit(controls, font) && font.pointSizeF() - PointStep >= SmallestPointSize)
        font.setPointSizeF(font.pointSizeF() - PointStep);
    if (font != window->font()) window->setFont(font);
}

}  // namespace CaptionFont
