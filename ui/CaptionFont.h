#pragma once

class QWidget;

namespace CaptionFont {

// Gives the window the desktop's font family at the largest size, no larger
// than the desktop's, at which the caption of every button and label that
// takes the window's font is whole inside its fixed-size control.
void FitCaptions(QWidget* window);

}  // namespace CaptionFont
