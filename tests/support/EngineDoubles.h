#pragma once

// Test doubles for the engine's view and message boxes, for the engine tests
// and the fuzz checks alike.

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

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

}  // namespace pelorin_test
