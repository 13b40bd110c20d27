// The loaders look at a file's length or read only its first bytes, so a file
// of gigabytes costs no more than a small one. Each benchmark runs on a small
// file and on a sparse 4 GiB one; the times should match, and the peak memory
// (max_rss_kib) stays small.

#include <benchmark/benchmark.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

#include "Routines.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t FourGiB = std::uintmax_t{4} << 30;

class SilentBoxes : public Routines::MessageBoxes {
public:
    void Show(const std::string&, const std::string&, Routines::BoxIcon) override {}
};

// A file of the given length whose first bytes are a valid logo.
std::string MakeFile(const std::string& name, std::uintmax_t length) {
    const fs::path path = fs::temp_directory_path() / ("pelorin-bench-" + name);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << std::string(Routines::NolHeaderSize, 'H') << std::string(Routines::LogoPixelCount, '1');
    }
    fs::resize_file(path, length);
    return path.string();
}

long PeakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_LoadBitFile(benchmark::State& state) {
    SilentBoxes boxes;
    Routines::SetMessageBoxes(&boxes);
    const auto path = MakeFile("load.bit", static_cast<std::uintmax_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Routines::LoadBitFile(path));
    }
    state.counters["max_rss_kib"] = static_cast<double>(PeakKiB());
    fs::remove(path);
    Routines::SetMessageBoxes(nullptr);
}
BENCHMARK(BM_LoadBitFile)->Arg(Routines::BitFileSize)->Arg(FourGiB);

void BM_LoadNolFile(benchmark::State& state) {
    const auto path = MakeFile("load.nol", static_cast<std::uintmax_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Routines::LoadNolFile(path));
    }
    state.counters["max_rss_kib"] = static_cast<double>(PeakKiB());
    fs::remove(path);
}
BENCHMARK(BM_LoadNolFile)->Arg(Routines::NolFileSize)->Arg(FourGiB);

}  // namespace

BENCHMARK_MAIN();
