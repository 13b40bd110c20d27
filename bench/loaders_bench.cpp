// The loaders look at a file's length or read only its first bytes, so a file
// of gigabytes costs no more than a small one. Each benchmark runs on a small
// file and on a sparse 4 GiB one; the times should match, and the peak memory
// (max_rss_kib) stays small. Each benchmark checks the loader's answer: the
// small file is read, the 4 GiB .bit file refused, the 4 GiB .nol file read
// from its start; a wrong answer fails the run.

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "CountingBoxes.h"
#include "PeakMemory.h"
#include "Routines.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uintmax_t FourGiB = std::uintmax_t{4} << 30;

bool failed = false;

using Bench::CountingBoxes;

void Fail(benchmark::State& state, const char* why) {
    failed = true;
    state.SkipWithError(why);
}

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

// LoadBitFile: reads a 576-byte file, refuses a 4 GiB one by its length.
void BM_LoadBitFile(benchmark::State& state) {
    CountingBoxes boxes;
    const Routines::ScopedMessageBoxes installed(boxes);
    const auto length = static_cast<std::uintmax_t>(state.range(0));
    const bool valid = length == Routines::BitFileSize;
    const auto path = MakeFile("load.bit", length);
    const Routines::Truth expected = valid ? Routines::TruthTrue : Routines::TruthFalse;
    Routines::BitHex.fill("");
    for (auto _ : state) {
        if (Routines::LoadBitFile(path) != expected) {
            Fail(state, "LoadBitFile gave the wrong answer");
            break;
        }
    }
    // The file starts with the logo's header letters 'H' (0x48) and its '1' pixels (0x31).
    const bool readRight = Routines::BitHex[0] == "48" && Routines::BitHex[575] == "31";
    const bool boxesRight = boxes.shown == (valid ? 0 : static_cast<long>(state.iterations()));
    if (!state.error_occurred() && (readRight != valid || !boxesRight))
        Fail(state, "LoadBitFile read the wrong bytes or showed the wrong boxes");
    state.counters["max_rss_kib"] = static_cast<double>(Bench::PeakKiB());
    fs::remove(path);
}
BENCHMARK(BM_LoadBitFile)->Arg(Routines::BitFileSize)->Arg(FourGiB);

// LoadNolFile: reads the logo from the first 1028 bytes of a small or a 4 GiB file.
void BM_LoadNolFile(benchmark::State& state) {
    const auto path = MakeFile("load.nol", static_cast<std::uintmax_t>(state.range(0)));
    Routines::NokiaHex.fill("");
    for (auto _ : state) {
        if (Routines::LoadNolFile(path) != Routines::TruthTrue) {
            Fail(state, "LoadNolFile refused a valid logo");
            break;
        }
    }
    const bool allSet = std::all_of(Routines::NokiaHex.begin(), Routines::NokiaHex.end(),
                                    [](const std::string& pair) { return pair == "31"; });
    if (!state.error_occurred() && !allSet) Fail(state, "LoadNolFile read the wrong pixel bytes");
    state.counters["max_rss_kib"] = static_cast<double>(Bench::PeakKiB());
    fs::remove(path);
}
BENCHMARK(BM_LoadNolFile)->Arg(Routines::NolFileSize)->Arg(FourGiB);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (failed) std::fprintf(stderr, "a loader gave a wrong answer\n");
    return failed ? 1 : 0;
}
