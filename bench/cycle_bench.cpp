// One command cycle of the engine against the floor of its work, on a tmpfs
// folder (/dev/shm), so that the disk does not hide the engine's own cost.
//
// The floor is a plain function that reads the same file bytes, packs the
// bits and writes the 576 bytes the same durable way as a save: an unnamed
// temporary file, fsync, a name, rename. A second floor writes through a named
// temporary file instead, as saves did before they had to leave nothing behind
// when killed; its ratio is printed beside the first. The engine's cycles are
// those of Open Nokia and Open Bit followed by Save Bit, drawn into an
// in-memory view. Every benchmark checks the file it wrote against the
// expected bytes: a wrong answer fails the run. At the end the ratio
// engine / floor is printed for each cycle.
//
// With --one-save=floor or --one-save=engine the program instead runs one
// .nol cycle over an earlier file and exits, so that `strace -c -f` can
// count the system calls of one cycle; all else the two runs do is the same.

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "Commands.h"
#include "CountingBoxes.h"
#include "Routines.h"
#include "ScreenCanvas.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t BitFileSize = 576;
constexpr std::size_t NolHeaderSize = 20;
constexpr int LogoLeft = 12, LogoTop = 17, LogoWidth = 72, LogoHeight = 14;

bool failed = false;

using SilentBoxes = Bench::CountingBoxes;

// An in-memory 96 x 48 view, white when cleared.
using MemoryView = Routines::ScreenCanvas;

// The test pictures, built from the file layout: byte 96·n + x holds column x
// of band n, its low bit the band's top row.
struct Pictures {
    fs::path folder;
    std::string bitPath, nolPath;
    Bytes bitBytes;     // a random full-screen picture, and the .bit file holding it
    Bytes logoAsBytes;  // the .bit bytes of the random logo in the .nol file
};

Pictures MakePictures() {
    Pictures pictures;
    std::string base = fs::exists("/dev/shm") ? "/dev/shm" : fs::temp_directory_path().string();
    std::string name = base + "/pelorin-cycle-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    pictures.folder = name;
    if (base != "/dev/shm") std::fprintf(stderr, "no /dev/shm: measuring in %s\n", name.c_str());

    std::mt19937 random(2024);
    pictures.bitBytes.resize(BitFileSize);
    for (auto& byte : pictures.bitBytes) byte = static_cast<std::uint8_t>(random());

    std::string logo(LogoWidth * LogoHeight, '0');
    for (auto& pixel : logo) pixel = random() % 2 == 0 ? '0' : '1';
    pictures.logoAsBytes.assign(BitFileSize, 0);
    for (int band = 0; band < 6; ++band) {
        for (int x = 0; x < 96; ++x) {
            for (int bit = 0; bit < 8; ++bit) {
                const int y = 8 * band + bit;
                const bool inLogo =
                    x >= LogoLeft && x < LogoLeft + LogoWidth && y >= LogoTop && y < LogoTop + LogoHeight;
                if (inLogo && logo[(y - LogoTop) * LogoWidth + (x - LogoLeft)] == '1')
                    pictures.logoAsBytes[96 * band + x] |= static_cast<std::uint8_t>(1 << bit);
            }
        }
    }

    pictures.bitPath = name + "/picture.bit";
    pictures.nolPath = name + "/logo.nol";
    std::ofstream(pictures.bitPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(pictures.bitBytes.data()), BitFileSize);
    std::ofstream(pictures.nolPath, std::ios::binary) << std::string(NolHeaderSize, 'H') << logo;
    return pictures;
}

const Pictures& TestPictures() {
    static const Pictures pictures = MakePictures();
    return pictures;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void Fail(benchmark::State& state, const char* why) {
    failed = true;
    state.SkipWithError(why);
}

void CheckSaved(benchmark::State& state, const std::string& path, const Bytes& expected) {
    if (ReadBytes(path) != expected) Fail(state, "the saved file does not hold the expected bytes");
}

// ---- The floor: plain POSIX calls, nothing more than the work needs ----

bool ReadWhole(const std::string& path, std::uint8_t* buffer, std::size_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool read = ::read(fd, buffer, size) == static_cast<ssize_t>(size);
    return ::close(fd) == 0 && read;
}

enum class Temporary { Unnamed, Named };

template <Temporary kind>
bool WriteDurably(const std::string& path, const std::array<std::uint8_t, BitFileSize>& bytes) {
    const std::string temporary = path + ".tmp";
    const std::string folder = fs::path(path).parent_path().string();
    const int fd = kind == Temporary::Unnamed
                       ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644)
                       : ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    written = ::fsync(fd) == 0 && written;
    if (kind == Temporary::Unnamed) {
        const std::string source = "/proc/self/fd/" + std::to_string(fd);
        written = ::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0 &&
                  written;
    }
    written = ::close(fd) == 0 && written;
    return written && ::rename(temporary.c_str(), path.c_str()) == 0;
}

// The floor draws nothing, so it takes no view.
template <Temporary kind>
bool FloorNolCycle(const std::string& from, const std::string& to, MemoryView&) {
    std::array<std::uint8_t, NolHeaderSize + LogoWidth * LogoHeight> nol;
    if (!ReadWhole(from, nol.data(), nol.size())) return false;
    std::array<std::uint8_t, BitFileSize> packed{};
    for (int j = 0; j < LogoWidth * LogoHeight; ++j) {
        const int x = LogoLeft + j % LogoWidth, y = LogoTop + j / LogoWidth;
        if (nol[NolHeaderSize + j] == '1') packed[96 * (y / 8) + x] |= static_cast<std::uint8_t>(1 << y % 8);
    }
    return WriteDurably<kind>(to, packed);
}

template <Temporary kind>
bool FloorBitCycle(const std::string& from, const std::string& to, MemoryView&) {
    std::array<std::uint8_t, BitFileSize> packed;
    return ReadWhole(from, packed.data(), packed.size()) && WriteDurably<kind>(to, packed);
}

// ---- The engine's cycles ----

bool EngineNolCycle(const std::string& from, const std::string& to, MemoryView& view) {
    return Routines::OpenLogoFile(Routines::LogoKind::OperatorLogo, from, view) &&
           Routines::SaveBitFile(to, view) == Routines::TruthTrue;
}

bool EngineBitCycle(const std::string& from, const std::string& to, MemoryView& view) {
    return Routines::OpenBitFile(from, view) && Routines::SaveBitFile(to, view) == Routines::TruthTrue;
}

using Cycle = bool (*)(const std::string& from, const std::string& to, MemoryView& view);

// Times a cycle from the file at `from` to a .bit file, then checks the bytes
// it saved; a message box on the way is a wrong answer too.
void RunCycle(benchmark::State& state, Cycle cycle, const std::string& from, const char* saveAs,
              const Bytes& expected) {
    const std::string to = (TestPictures().folder / saveAs).string();
    SilentBoxes boxes;
    const Routines::ScopedMessageBoxes installed(boxes);
    MemoryView view;
    for (auto _ : state) {
        if (!cycle(from, to, view)) return Fail(state, "the cycle failed");
    }
    if (boxes.shown != 0) return Fail(state, "a valid file showed a message box");
    CheckSaved(state, to, expected);
}

// Floor: read a .nol, pack its logo pixels into .bit bytes, write them durably.
void BM_FloorNol(benchmark::State& state) {
    RunCycle(state, FloorNolCycle<Temporary::Unnamed>, TestPictures().nolPath, "floor-nol.bit",
             TestPictures().logoAsBytes);
}

// The same floor through a named temporary file.
void BM_NamedFloorNol(benchmark::State& state) {
    RunCycle(state, FloorNolCycle<Temporary::Named>, TestPictures().nolPath, "named-floor-nol.bit",
             TestPictures().logoAsBytes);
}

// Engine: Open Nokia then Save Bit, as the window runs them.
void BM_EngineNol(benchmark::State& state) {
    RunCycle(state, EngineNolCycle, TestPictures().nolPath, "engine-nol.bit", TestPictures().logoAsBytes);
}

// Floor: read a .bit and write its 576 bytes durably.
void BM_FloorBit(benchmark::State& state) {
    RunCycle(state, FloorBitCycle<Temporary::Unnamed>, TestPictures().bitPath, "floor-bit.bit",
             TestPictures().bitBytes);
}

// The same floor through a named temporary file.
void BM_NamedFloorBit(benchmark::State& state) {
    RunCycle(state, FloorBitCycle<Temporary::Named>, TestPictures().bitPath, "named-floor-bit.bit",
             TestPictures().bitBytes);
}

// Engine: Open Bit then Save Bit, as the window runs them.
void BM_EngineBit(benchmark::State& state) {
    RunCycle(state, EngineBitCycle, TestPictures().bitPath, "engine-bit.bit", TestPictures().bitBytes);
}

BENCHMARK(BM_FloorNol)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NamedFloorNol)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineNol)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorBit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NamedFloorBit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EngineBit)->Unit(benchmark::kMicrosecond);

// Reports as usual and keeps each benchmark's fastest CPU time per iteration
// (of its repetitions, or their mean when only that is reported): user and
// system time of this process, steadier than the wall clock on a shared machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            const bool mean = run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean";
            if ((run.run_type != Run::RT_Iteration && !mean) || run.error_occurred) continue;
            const std::string name = run.run_name.function_name;
            const double time = run.GetAdjustedCPUTime();
            auto found = fastest.find(name);
            if (found == fastest.end() || time < found->second) fastest[name] = time;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> fastest;
};

void PrintRatio(const RatioReporter& reporter, const char* cycle, const char* engine, const char* floor,
                const char* namedFloor) {
    const auto e = reporter.fastest.find(engine), f = reporter.fastest.find(floor),
               n = reporter.fastest.find(namedFloor);
    if (e == reporter.fastest.end() || f == reporter.fastest.end() || n == reporter.fastest.end()) return;
    const double ratio = e->second / f->second;
    std::printf(
        "%s cycle, CPU time: engine %.2f us, floor %.2f us, ratio %.2f (target at most 2.5)%s; "
        "named-temporary floor %.2f us, ratio %.2f\n",
        cycle, e->second, f->second, ratio, ratio <= 2.5 ? "" : "  <- above the target", n->second,
        e->second / n->second);
}

int RunOneSave(const std::string& which) {
    const auto& pictures = TestPictures();
    const std::string to = (pictures.folder / "one-save.bit").string();
    // As in the timed cycles, the save replaces an earlier file.
    std::ofstream(to, std::ios::binary) << std::string(BitFileSize, '\0');
    MemoryView view;
    const bool done =
        (which == "floor" ? FloorNolCycle<Temporary::Unnamed> : EngineNolCycle)(pictures.nolPath, to, view);
    const bool right = done && ReadBytes(to) == pictures.logoAsBytes;
    fs::remove_all(pictures.folder);
    return right ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--one-save=", 0) == 0) return RunOneSave(argument.substr(11));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintRatio(reporter, ".nol", "BM_EngineNol", "BM_FloorNol", "BM_NamedFloorNol");
    PrintRatio(reporter, ".bit", "BM_EngineBit", "BM_FloorBit", "BM_NamedFloorBit");
    fs::remove_all(TestPictures().folder);
    if (failed) std::fprintf(stderr, "a benchmark gave a wrong answer\n");
    return failed ? 1 : 0;
}
