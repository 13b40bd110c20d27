#pragma once

// The files the tests make and read back, in standard C++ for every test:
// the engine's, the fault injection's and the fuzz checks'.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace pelorin_test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!stream) throw std::runtime_error("cannot write test file " + path.string());
}

// The whole file; empty when it cannot be read.
inline Bytes ReadBytes(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// The names of everything in a folder, sorted.
inline std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace pelorin_test
