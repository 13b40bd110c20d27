#pragma once

// Test doubles for the engine's view and message boxes, and the fixture that
// gives each engine test known buffers and a folder of its own.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Files.h"
#include "Routines.h"

namespace pelorin_test {

using Pixel = std::pair<int, int>;  // (x, y)

// An in-memory 96 x 48 image view; a cleared view shows its background colour.
class FakeView : public Routines::ImageView {
public:
    explicit FakeView(Routines::Colour background = Routines::White) : background_(background) { Clear(); }

    void Clear() override { pixels_.fill(background_); }
    void SetPixel(int x, int y, Routines::Colour colour) override { pixels_[Index(x, y)] = colour; }
    Routines::Colour ReadPixel(int x, int y) const override { return pixels_[Index(x, y)]; }

    // Every set pixel, row by row.
    std::vector<Pixel> DarkPixels() const {
        std::vector<Pixel> dark;
        for (int y = 0; y < Routines::ScreenHeight; ++y)
            for (int x = 0; x < Routines::ScreenWidth; ++x)
                if (Routines::IsSet(ReadPixel(x, y))) dark.emplace_back(x, y);
        return dark;
    }

private:
    static std::size_t Index(int x, int y) {
        if (x < 0 || x >= Routines::ScreenWidth || y < 0 || y >= Routines::ScreenHeight)
            throw std::out_of_range("pixel outside the view: " + std::to_string(x) + ", " +
                                    std::to_string(y));
        return static_cast<std::size_t>(y * Routines::ScreenWidth + x);
    }

    Routines::Colour background_;
    std::array<Routines::Colour, Routines::ScreenWidth * Routines::ScreenHeight> pixels_{};
};

// A view whose lower rows cannot be read, as when the window goes away during a save.
struct BrokenView : FakeView {
    Routines::Colour ReadPixel(int x, int y) const override {
        if (y >= 20) throw std::runtime_error("the view cannot be read");
        return FakeView::ReadPixel(x, y);
    }
};

using ShownBox = std::tuple<std::string, std::string, Routines::BoxIcon>;  // text, title, icon

struct RecordingBoxes : Routines::MessageBoxes {
    void Show(const std::string& text, const std::string& title, Routines::BoxIcon icon) override {
        shown.emplace_back(text, title, icon);
    }
    std::vector<ShownBox> shown;
};

inline const ShownBox InputErrorBox{"Error in input", "ERROR!!!", Routines::BoxIcon::None};
inline const ShownBox NotBitFileBox{"This is not a valid .bit file", "Error in Input file!!!",
                                    Routines::BoxIcon::Critical};
inline const ShownBox InvalidDataBox{"Invalid Data", "ERROR!!!", Routines::BoxIcon::Critical};

// The call must raise a Failure with this code whose description contains each of the texts.
template <typename Call>
void ExpectFailure(Call call, Routines::FailureCode code, std::initializer_list<std::string> named = {}) {
    try {
        call();
        ADD_FAILURE() << "no failure raised";
    } catch (const Routines::Failure& failure) {
        EXPECT_EQ(failure.Code(), code) << failure.Description();
        for (const auto& text : named)
            EXPECT_NE(failure.Description().find(text), std::string::npos) << failure.Description();
    }
}

// Module state is global: every test starts from known buffers, records its
// boxes and gets a new, empty folder.
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
        std::string name = (fs::temp_directory_path() / "pelorin-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(name.data()), nullptr);
        folder = name;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    RecordingBoxes boxes;
    Routines::ScopedMessageBoxes installedBoxes{boxes};
    fs::path folder;
};

}  // namespace pelorin_test
