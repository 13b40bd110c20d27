// Reads one JPEG or PNG through the streaming readers, as the converter will:
// decoded at the least scale that fits the screen (or, with --corner, only the
// top-left rows the window shows) and each row reduced to grey as it comes.
// Prints the decoded size and the time taken; bench/streaming_vs_imagemagick.sh
// measures it against ImageMagick under /usr/bin/time.
//
//   stream_read [--corner] FILE

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <span>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>

#include "Failure.h"
#include "StreamedPicture.h"

namespace {

constexpr int ScreenWidth = 96;
constexpr int ScreenHeight = 48;

// Sums each row's grey, so that no decoded pixel goes unread.
class GreySum : public Pictures::RowStream {
public:
    explicit GreySum(int rows) : wanted_(rows) {}
    void Begin(int width, int) override { width_ = width; }
    bool Row(const std::uint8_t* rgba) override {
        for (int x = 0; x < width_; ++x, rgba += 4) sum_ += (299 * rgba[0] + 587 * rgba[1] + 114 * rgba[2]);
        return wanted_ < 0 || ++rows_ < wanted_;
    }
    std::uint64_t sum_ = 0;

private:
    int wanted_;
    int width_ = 0;
    int rows_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const bool corner = argc == 3 && std::string(argv[1]) == "--corner";
    if (argc != 2 && !corner) {
        std::fprintf(stderr, "usage: stream_read [--corner] FILE\n");
        return 2;
    }
    const std::string path = argv[argc - 1];
    const auto start = std::chrono::steady_clock::now();
    // Mapped, so that only the pages the decoder reaches are read.
    const int descriptor = open(path.c_str(), O_RDONLY);
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || status.st_size == 0) {
        std::perror(path.c_str());
        return 1;
    }
    const auto length = static_cast<std::size_t>(status.st_size);
    void* mapped = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (mapped == MAP_FAILED) {
        std::perror(path.c_str());
        return 1;
    }
    const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(mapped), length);
    GreySum sum(corner ? ScreenHeight : -1);
    try {
        const Pictures::FitOptions options =
            corner ? Pictures::FitOptions{.orient = false}
                   : Pictures::FitOptions{.leastWidth = ScreenWidth, .leastHeight = ScreenHeight};
        const Pictures::StreamResult result = Pictures::StreamPicture(bytes, path, options, sum);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%d x %d decoded %d x %d in %.1f ms (grey sum %llu)\n", result.storedWidth,
                    result.storedHeight, result.width, result.height, ms,
                    static_cast<unsigned long long>(sum.sum_));
    } catch (const Routines::Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.Description().c_str());
        return 1;
    }
    return 0;
}
