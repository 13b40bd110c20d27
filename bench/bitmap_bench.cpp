// Open BMP reads a bitmap whose header claims an enormous size quickly and
// without large memory use: an uncompressed one is refused by its length, a
// compressed one by its declared number of pixels. The ordinary 96 x 48
// bitmap is there for comparison; max_rss_kib is the process's peak memory.

#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <QImage>
#include <QString>

#include "Failure.h"
#include "PeakMemory.h"
#include "Pictures.h"

namespace {

namespace fs = std::filesystem;

void Append(std::string& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A bitmap file header and info header, then the given pixel data.
std::string Bitmap(std::int32_t width, std::int32_t height, int bitCount, std::uint32_t compression,
                   const std::string& pixels) {
    const std::uint32_t paletteSize = bitCount <= 8 ? 4u << bitCount : 0;
    std::string bytes = "BM";
    Append(bytes, 54 + paletteSize + static_cast<std::uint32_t>(pixels.size()), 4);
    Append(bytes, 0, 4);
    Append(bytes, 54 + paletteSize, 4);
    for (std::uint32_t field : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
        Append(bytes, field, 4);
    Append(bytes, 1, 2);
    Append(bytes, static_cast<std::uint32_t>(bitCount), 2);
    for (std::uint32_t field : {compression, static_cast<std::uint32_t>(pixels.size()), 0u, 0u, 0u, 0u})
        Append(bytes, field, 4);
    bytes += std::string(paletteSize, '\xFF');
    return bytes + pixels;
}

QString WriteFile(const std::string& name, const std::string& bytes) {
    const fs::path path = fs::temp_directory_path() / ("pelorin-bench-" + name);
    std::ofstream(path, std::ios::binary) << bytes;
    return QString::fromStdString(path.string());
}

void Read(benchmark::State& state, const QString& path) {
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(Pictures::ReadPicture(path));
        } catch (const Routines::Failure&) {
        }
    }
    state.counters["max_rss_kib"] = static_cast<double>(Bench::PeakKiB());
    fs::remove(path.toStdString());
}

void BM_ReadOrdinaryBitmap(benchmark::State& state) {
    Read(state, WriteFile("ordinary.bmp", Bitmap(96, 48, 24, 0, std::string(96 * 3 * 48, '\x80'))));
}
BENCHMARK(BM_ReadOrdinaryBitmap);

void BM_ReadEnormousUncompressedBitmap(benchmark::State& state) {
    Read(state, WriteFile("enormous.bmp", Bitmap(30000, 30000, 24, 0, std::string(64, '\0'))));
}
BENCHMARK(BM_ReadEnormousUncompressedBitmap);

void BM_ReadEnormousCompressedBitmap(benchmark::State& state) {
    // Run-length encoded, 8 bits: one run of 255 pixels, then the end of the picture.
    Read(state,
         WriteFile("enormous_rle.bmp", Bitmap(30000, 30000, 8, 1, std::string("\xFF\x01\x00\x01", 4))));
}
BENCHMARK(BM_ReadEnormousCompressedBitmap);

}  // namespace

BENCHMARK_MAIN();
