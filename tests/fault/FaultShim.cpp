// Preloaded (LD_PRELOAD) into the fault-injection tests: wraps the system
// calls a save makes and, once armed, makes the next matching one fail, stop
// short, be interrupted or kill the process. Only calls on files in the armed
// folder are touched, so the test's own output goes through.

#include "FaultShim.h"

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

struct Armed {
    std::string call;
    FaultMode mode = FaultMode::Fail;
    int error = 0;
    std::string folder;
    bool active = false;
    int fired = 0;
} armed;

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

bool InFolder(const char* path) {
    return path != nullptr && std::strncmp(path, armed.folder.c_str(), armed.folder.size()) == 0;
}

bool DescriptorInFolder(int descriptor) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    char target[4096];
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length < 0) return false;
    target[length] = '\0';
    return InFolder(target);
}

// Whether this call is the armed one; it fires once.
bool Fires(const char* call, bool inFolder) {
    if (!armed.active || armed.call != call || !inFolder) return false;
    armed.active = false;
    ++armed.fired;
    if (armed.mode == FaultMode::Kill) ::raise(SIGKILL);
    return true;
}

int Fail() {
    errno = armed.error;
    return -1;
}

// Only the creation of an unnamed file (O_TMPFILE) is a point to fail.
int OpenFile(const char* name, const char* path, int flags, va_list arguments) {
    const int mode = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, int) : 0;
    if ((flags & O_TMPFILE) == O_TMPFILE && Fires("tmpfile", InFolder(path))) return Fail();
    return Real<int (*)(const char*, int, ...)>(name)(path, flags, mode);
}

}  // namespace

extern "C" {

void PelorinInjectFault(const char* call, FaultMode mode, int error, const char* folder) {
    armed.call = call;
    armed.mode = mode;
    armed.error = error;
    armed.folder = folder;
    armed.active = true;
    armed.fired = 0;
}

int PelorinFaultsFired() { return armed.fired; }

ssize_t write(int descriptor, const void* data, size_t count) {
    static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    if (Fires("write", DescriptorInFolder(descriptor))) {
        switch (armed.mode) {
            case FaultMode::Interrupt:
                errno = EINTR;
                return -1;
            case FaultMode::ShortThenFail:
                // The next write fails: the disk filled up after the first half.
                armed.active = true;
                armed.mode = FaultMode::Fail;
                [[fallthrough]];
            case FaultMode::Short:
                return real(descriptor, data, count / 2);
            default:
                return Fail();
        }
    }
    return real(descriptor, data, count);
}

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int result = OpenFile("open", path, flags, arguments);
    va_end(arguments);
    return result;
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int result = OpenFile("open64", path, flags, arguments);
    va_end(arguments);
    return result;
}

int fsync(int descriptor) {
    static const auto real = Real<int (*)(int)>("fsync");
    return Fires("fsync", DescriptorInFolder(descriptor)) ? Fail() : real(descriptor);
}

int fdatasync(int descriptor) {
    static const auto real = Real<int (*)(int)>("fdatasync");
    return Fires("fsync", DescriptorInFolder(descriptor)) ? Fail() : real(descriptor);
}

int close(int descriptor) {
    static const auto real = Real<int (*)(int)>("close");
    if (Fires("close", DescriptorInFolder(descriptor))) {
        // The descriptor is gone whatever close reports.
        real(descriptor);
        return Fail();
    }
    return real(descriptor);
}

int rename(const char* from, const char* to) {
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    return Fires("rename", InFolder(to)) ? Fail() : real(from, to);
}

int renameat(int fromFolder, const char* from, int toFolder, const char* to) {
    static const auto real = Real<int (*)(int, const char*, int, const char*)>("renameat");
    return Fires("rename", InFolder(to)) ? Fail() : real(fromFolder, from, toFolder, to);
}

int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) {
    static const auto real = Real<int (*)(int, const char*, int, const char*, int)>("linkat");
    return Fires("linkat", InFolder(to)) ? Fail() : real(fromFolder, from, toFolder, to, flags);
}

}  // extern "C"
