#pragma once

#include <string>

namespace Routines {

enum class BoxIcon { None, Critical };

// Modal message boxes with one OK button. Lines of a text are separated by a
// lone carriage return.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void Show(const std::string& text, const std::string& title, BoxIcon icon) = 0;
};

// The boxes the engine's routines show go to the installed implementation;
// with none installed (nullptr) they are written to standard error.
void SetMessageBoxes(MessageBoxes* boxes);
void ShowMessageBox(const std::string& text, const std::string& title, BoxIcon icon);

}  // namespace Routines
