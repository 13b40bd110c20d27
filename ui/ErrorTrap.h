#pragma once

#include <functional>

#include "MessageBoxes.h"

// Runs one file command to its end. A cancelled file dialog ends it silently;
// any other failure ends it with the generic error box.
void RunTrapped(Routines::MessageBoxes& boxes, const std::function<void()>& command);
