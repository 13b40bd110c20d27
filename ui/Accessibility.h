#pragma once

#include <QAccessible>
#include <QString>

class QWidget;

namespace Accessibility {

// Presents the widget to assistive technology in the given role (an image,
// a window of its own) rather than as the unnamed pane a plain widget is.
// An empty name leaves the default: a window's title.
void Describe(QWidget* widget, QAccessible::Role role, const QString& name = {},
              const QString& description = {});

}  // namespace Accessibility
