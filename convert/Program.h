#pragma once

#include <QStringList>

namespace Convert {

inline constexpr int ExitSuccess = 0;
inline constexpr int ExitSomeInputFailed = 1;
inline constexpr int ExitUsageError = 2;

// Runs the converter on its command line (the program name first), writing
// to standard output and standard error. Returns the exit status.
int Run(const QStringList& arguments);

}  // namespace Convert
