#include "MessageBoxes.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

namespace Routines {

namespace {

// The live scopes in the order they were made. A scope may end before a later
// one (two windows closed in any order), so each removes itself wherever it is.
std::vector<const ScopedMessageBoxes*>& LiveScopes() {
    static std::vector<const ScopedMessageBoxes*> scopes;
    return scopes;
}

}  // namespace

ScopedMessageBoxes::ScopedMessageBoxes(MessageBoxes& boxes) : boxes_(boxes) { LiveScopes().push_back(this); }

ScopedMessageBoxes::~ScopedMessageBoxes() {
    auto& scopes = LiveScopes();
    scopes.erase(std::find(scopes.begin(), scopes.end(), this));
}

void ShowMessageBox(const std::string& text, const std::string& title, BoxIcon icon) {
    const auto& scopes = LiveScopes();
    if (!scopes.empty()) {
        scopes.back()->boxes_.Show(text, title, icon);
        return;
    }
    // Without a window system to show it in, the box's text still reaches the user.
    std::string lines = text;
    std::replace(lines.begin(), lines.end(), '\r', '\n');
    std::cerr << (icon == BoxIcon::Critical ? "[critical] " : "") << title << ": " << lines << '\n';
}

}  // namespace Routines
