#pragma once

// Test doubles for the engine's view and message boxes, and helpers that
// build test files in a temporary folder.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "Routines.h"

namespace pelorin_test {

namespace fs = std::filesystem;
using Routines::Colour;
using Pixel = std::pair<int, int>;  // (x, y)

// An in-memory 96 x 48 image view; a cleared view shows its background colour.
class FakeView : public Routines::ImageView {
public:
    explicit FakeView(Colour background = Routines::White) : background_(background) { Clear(); }

    void Clear() override { pixels_.fill(background_); }
    void SetPixel(int x, int y, Colour colour) override { pixels_[Index(x, y)] = colour; }
    Colour ReadPixel(int x, int y) const override { return pixels_[Index(x, y)]; }

    // Every pixel that is not white, row by row.
    std::vector<Pixel> DarkPixels() const {
        std::vector<Pixel> dark;
        for (int y = 0; y < Routines::ScreenHeight; ++y) {
            for (int x = 0; x < Routines::ScreenWidth; ++x) {
                if (ReadPixel(x, y) != Routines::White) dark.emplace_back(x, y);
            }
        }
        return dark;
    }

    bool operator==(const FakeView& other) const { return pixels_ == other.pixels_; }

private:
    static std::size_t Index(int x, int y) {
        if (x < 0 || x >= Routines::ScreenWidth || y < 0 || y >= Routines::ScreenHeight) {
            throw std::out_of_range("pixel outside the view: " + std::to_string(x) + ", " +
                                    std::to_string(y));
        }
        return static_cast<std::size_t>(y * Routines::ScreenWidth + x);
    }

    Colour background_;
    std::array<Colour, Routines::ScreenWidth * Routines::ScreenHeight> pixels_{};
};

// A view whose pixels cannot be read, as when the window has gone away.
class BrokenView : public FakeView {
public:
    Colour ReadPixel(int x, int y) const override {
        if (y >= 20) throw std::runtime_error("the view cannot be read");
        return FakeView::ReadPixel(x, y);
    }
};

struct ShownBox {
    std::string text;
    std::string title;
    Routines::BoxIcon icon = Routines::BoxIcon::None;
    bool operator==(const ShownBox&) const = default;
};

class RecordingBoxes : public Routines::MessageBoxes {
public:
    void Show(const std::string& text, const std::string& title, Routines::BoxIcon icon) override {
        shown.push_back({text, title, icon});
    }
    std::vector<ShownBox> shown;
};

inline const ShownBox InputErrorBox{"Error in input", "ERROR!!!", Routines::BoxIcon::None};
inline const ShownBox NotBitFileBox{"This is not a valid .bit file", "Error in Input file!!!",
                                    Routines::BoxIcon::Critical};
inline const ShownBox InvalidDataBox{"Invalid Data", "ERROR!!!", Routines::BoxIcon::Critical};

using Bytes = std::vector<std::uint8_t>;

inline void WriteBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!stream) throw std::runtime_error("cannot write test file " + path.string());
}

inline Bytes ReadBytes(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("pelorin-") + test->test_suite_name() + "-" + test->name();
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '/' || c == ' '; }, '_');
        path_ = fs::temp_directory_path() / name;
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& Path() const { return path_; }

    // The names of everything in the folder, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path path_;
};

// Module state is global: every test starts from known buffers and records its boxes.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        Routines::BitBytes.fill(0);
        Routines::BitHex.fill("");
        Routines::ImageBits.clear();
        Routines::SaveBits.clear();
        Routines::NolBuffer.fill(0);
        Routines::NggBuffer.fill(0);
        Routines::NokiaHex.fill("");
        Routines::SetMessageBoxes(&boxes);
    }
    void TearDown() override { Routines::SetMessageBoxes(nullptr); }

    RecordingBoxes boxes;
    TempFolder folder;
};

}  // namespace pelorin_test
