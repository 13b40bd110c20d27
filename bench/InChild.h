#pragma once

// Runs a measurement in a child process of its own, so that the peak memory
// it reports is its own and a crash ends only the child.

#include <optional>
#include <sys/wait.h>
#include <type_traits>
#include <unistd.h>

namespace Bench {

// The measure's result as the child sent it back, or nothing when the child
// died first (the exit status in `status`).
template <class Measure>
auto InChild(const Measure& measure, int* status = nullptr) -> std::optional<decltype(measure())> {
    using Result = decltype(measure());
    static_assert(std::is_trivially_copyable_v<Result>);
    int channel[2];
    if (::pipe(channel) != 0) return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const Result result = measure();
        const bool sent = ::write(channel[1], &result, sizeof result) == sizeof result;
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    Result result{};
    const bool received = ::read(channel[0], &result, sizeof result) == sizeof result;
    ::close(channel[0]);
    int exitStatus = 0;
    ::waitpid(child, &exitStatus, 0);
    if (status) *status = exitStatus;
    if (!received) return std::nullopt;
    return result;
}

}  // namespace Bench
