#pragma once

#include "MessageBoxes.h"

class QWidget;

// The engine's message boxes as modal Qt message boxes over the main window.
class QtMessageBoxes : public Routines::MessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* owner);
    void Show(const std::string& text, const std::string& title, Routines::BoxIcon icon) override;

private:
    QWidget* owner_;
};
