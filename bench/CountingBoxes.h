#pragma once

// Message boxes that only count, for benchmarks that run the engine's
// commands: a box on a valid file is a wrong answer.

#include <string>

#include "MessageBoxes.h"

namespace Bench {

class CountingBoxes : public Routines::MessageBoxes {
public:
    void Show(const std::string&, const std::string&, Routines::BoxIcon) override { ++shown; }
    long shown = 0;
};

}  // namespace Bench
