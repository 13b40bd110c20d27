#pragma once

// A one-bit picture of any screen size: its width, its height and its pixels
// row by row, top row first, each true where the pixel is set (dark).

#include <cstddef>
#include <optional>
#include <vector>

namespace Routines {

class MonoPicture {
public:
    static constexpr int MaxSide = 1024;

    // A clear picture, or nothing when a side is outside 1 .. MaxSide.
    static std::optional<MonoPicture> Clear(int width, int height) {
        if (width < 1 || height < 1 || width > MaxSide || height > MaxSide) return std::nullopt;
        return MonoPicture(width, height);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool At(int x, int y) const { return pixels_[Index(x, y)] != 0; }
    void Set(int x, int y, bool set) { pixels_[Index(x, y)] = set ? 1 : 0; }

    bool operator==(const MonoPicture&) const = default;

private:
    MonoPicture(int width, int height)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height) {}
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

    int width_;
    int height_;
    std::vector<unsigned char> pixels_;
};

}  // namespace Routines
