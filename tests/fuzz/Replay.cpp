// Runs the fuzz targets' checks over files and folders of files, without the
// fuzzing engine, so every test run replays the committed corpora.
//
//   pelorin_replay bit|nokia|picture|stream PATH...   check each file; a wrong answer aborts
//   pelorin_replay summary PATH...             one line per picture, for the
//                                              differential test
//
// Picture files named refused_* must be refused by Open BMP, shown_* must be
// shown by it (its read of the view's corner).

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <QByteArray>

#include "FuzzChecks.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesUnder(const std::vector<fs::path>& paths) {
    std::vector<fs::path> files;
    for (const auto& path : paths) {
        if (fs::is_directory(path)) {
            for (const auto& entry : fs::recursive_directory_iterator(path))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else {
            files.push_back(path);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

int Usage() {
    std::fprintf(stderr, "usage: pelorin_replay bit|nokia|picture|stream|summary PATH...\n");
    return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) return Usage();
    using Check = void (*)(const std::uint8_t*, std::size_t);
    const std::map<std::string, Check> checks{{"bit", FuzzChecks::CheckBitFile},
                                              {"nokia", FuzzChecks::CheckNokiaLogo},
                                              {"picture", FuzzChecks::CheckPicture},
                                              {"stream", FuzzChecks::CheckStreamedPicture}};
    const std::string mode = argv[1];
    const auto files = FilesUnder(std::vector<fs::path>(argv + 2, argv + argc));
    if (files.empty()) {
        std::fprintf(stderr, "no files to replay\n");
        return 1;
    }
    for (const auto& file : files) {
        const std::string bytes = ReadAll(file);
        if (mode == "summary") {
            std::printf(
                "%s %s\n", file.filename().c_str(),
                FuzzChecks::PictureSummary(QByteArray::fromStdString(bytes), file.filename()).c_str());
            continue;
        }
        const auto check = checks.find(mode);
        if (check == checks.end()) return Usage();
        std::fprintf(stderr, "%s\n", file.c_str());
        check->second(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        const std::string name = file.filename();
        if (mode == "picture" && (name.starts_with("refused_") || name.starts_with("shown_"))) {
            const bool refused = !FuzzChecks::ShownByTheWindow(QByteArray::fromStdString(bytes));
            if (refused != name.starts_with("refused_")) {
                std::fprintf(stderr, "wrong answer: %s was %s\n", name.c_str(),
                             refused ? "refused" : "shown");
                return 1;
            }
        }
    }
    std::printf("%zu files replayed\n", files.size());
    return 0;
}
