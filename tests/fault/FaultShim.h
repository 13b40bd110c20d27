#pragma once

// The control surface of the preloaded fault shim. Tests find these functions
// with dlsym, so a run without the shim fails instead of passing unharmed.

enum class FaultMode {
    Fail,           // the call fails with the given error
    Short,          // a write takes half the bytes
    ShortThenFail,  // a write takes half the bytes, the next one fails
    Interrupt,      // the call is interrupted (EINTR) before doing anything
    Kill,           // the process is killed (SIGKILL) at the call
};

extern "C" {
// Arms one fault: the next call named call ("write", "fsync", "close",
// "rename", "linkat") on a file in folder; fdatasync counts as "fsync", and
// "tmpfile" is an open that creates an unnamed file.
void PelorinInjectFault(const char* call, FaultMode mode, int error, const char* folder);
// How often the armed fault fired since it was armed.
int PelorinFaultsFired();
}
