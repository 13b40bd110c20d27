#pragma once

// What opening one picture costs: its time, the memory it adds to the
// process's peak, and how it ended. Run it in a child of its own (InChild.h)
// so that the peak is the read's alone.

#include <chrono>
#include <cstdio>
#include <string>

#include "Failure.h"
#include "PeakMemory.h"

namespace Bench {

struct ReadFigures {
    double milliseconds = 0;
    double mebibytes = 0;
    char outcome[64] = {};
};

// Times read(), which returns what it made of the picture; a refusal is
// "refused NUMBER".
template <class Read>
ReadFigures TimedRead(const Read& read) {
    ReadFigures figures;
    const long before = PeakKiB();
    const auto start = std::chrono::steady_clock::now();
    std::string outcome;
    try {
        outcome = read();
    } catch (const Routines::Failure& failure) {
        outcome = "refused " + std::to_string(failure.Number());
    }
    figures.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    figures.mebibytes = static_cast<double>(PeakKiB() - before) / 1024;
    std::snprintf(figures.outcome, sizeof figures.outcome, "%s", outcome.c_str());
    return figures;
}

}  // namespace Bench
