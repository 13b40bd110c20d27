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

// Makes `boxes` the sink of the boxes the engine's routines show, for as long
// as this object lives. The sink installed last and still alive is the one
// used; with none, the boxes are written to standard error.
class ScopedMessageBoxes {
public:
    explicit ScopedMessageBoxes(MessageBoxes& boxes);
    ~ScopedMessageBoxes();
    ScopedMessageBoxes(const ScopedMessageBoxes&) = delete;
    ScopedMessageBoxes& operator=(const ScopedMessageBoxes&) = delete;

private:
    MessageBoxes& boxes_;
    friend void ShowMessageBox(const std::string& text, const std::string& title, BoxIcon icon);
};

void ShowMessageBox(const std::string& text, const std::string& title, BoxIcon icon);

}  // namespace Routines
