#include "MessageBoxes.h"

#include <iostream>
#include <string>

namespace Routines {

namespace {

MessageBoxes* installedBoxes = nullptr;

}  // namespace

void SetMessageBoxes(MessageBoxes* boxes) { installedBoxes = boxes; }

void ShowMessageBox(const std::string& text, const std::string& title, BoxIcon icon) {
    if (installedBoxes != nullptr) {
        installedBoxes->Show(text, title, icon);
        return;
    }
    // Without a window system to show it in, the box's text still reaches the user.
    std::string lines = text;
    for (char& c : lines) {
        if (c == '\r') c = '\n';
    }
    std::cerr << (icon == BoxIcon::Critical ? "[critical] " : "") << title << ": " << lines << '\n';
}

}  // namespace Routines
