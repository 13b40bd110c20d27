// Opens every file of the hostile picture corpus as Open BMP does, each in a
// child process of its own, and prints the time to the picture or the
// refusal and the extra peak memory, beside the targets (100 ms, 64 MiB),
// worst file last.
//
//   hostile_figures FOLDER

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QImage>
#include <QString>

#include "Failure.h"
#include "InChild.h"
#include "Pictures.h"
#include "TimedRead.h"

namespace {

namespace fs = std::filesystem;

constexpr double TargetMilliseconds = 100;
constexpr double TargetMebibytes = 64;
// Open BMP reads only the corner its view shows.
const QSize View(96, 48);

using Figures = Bench::ReadFigures;

// Runs in the child: Qt's plugins are loaded by a first small picture, so
// that only what this file costs counts.
Figures Measure(const QString& path, const QString& warmUp) {
    try {
        Pictures::ReadPictureCorner(warmUp, View);
    } catch (const Routines::Failure&) {
    }
    return Bench::TimedRead([&] {
        const QImage picture = Pictures::ReadPictureCorner(path, View);
        return "picture " + std::to_string(picture.width()) + "x" + std::to_string(picture.height());
    });
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hostile_figures FOLDER\n");
        return 2;
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(argv[1]))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    const QString warmUp = QString::fromStdString(files.front().string());

    std::vector<std::pair<Figures, std::string>> results;
    for (const auto& file : files) {
        int status = 0;
        const auto measured =
            Bench::InChild([&] { return Measure(QString::fromStdString(file.string()), warmUp); }, &status);
        Figures figures = measured.value_or(Figures{});
        if (!measured)
            std::snprintf(figures.outcome, sizeof figures.outcome, "child died (status %d)", status);
        results.emplace_back(figures, file.filename().string());
    }
    std::sort(results.begin(), results.end(), [](const auto& a, const auto& b) {
        return a.first.milliseconds / TargetMilliseconds + a.first.mebibytes / TargetMebibytes <
               b.first.milliseconds / TargetMilliseconds + b.first.mebibytes / TargetMebibytes;
    });
    std::printf("%-55s %-22s %9s %7s %10s %7s\n", "file", "outcome", "ms", "/100ms", "extra MiB", "/64MiB");
    for (const auto& [figures, name] : results) {
        std::printf("%-55s %-22s %9.2f %7.3f %10.2f %7.3f\n", name.c_str(), figures.outcome,
                    figures.milliseconds, figures.milliseconds / TargetMilliseconds, figures.mebibytes,
                    figures.mebibytes / TargetMebibytes);
    }
    return 0;
}
