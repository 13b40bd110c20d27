#include "ByteLayouts.h"

#include <array>

namespace Routines {

namespace {

constexpr std::array<std::string_view, 4> LayoutNames = {"bands-lsb-top", "bands-msb-top", "rows-msb-first",
                                                         "rows-lsb-first"};

int BytesAcross(int width) { return (width + 7) / 8; }
int BandsDown(int height) { return (height + 7) / 8; }
bool IsBands(ByteLayout layout) {
    return layout == ByteLayout::BandsLsbTop || layout == ByteLayout::BandsMsbTop;
}

struct BitPlace {
    std::size_t byte;
    int bit;
};

// The one rule of each layout: where pixel (x, y) goes.
BitPlace PlaceOf(ByteLayout layout, int width, int x, int y) {
    switch (layout) {
        case ByteLayout::BandsLsbTop:
            return {static_cast<std::size_t>(y / 8) * width + x, y % 8};
        case ByteLayout::BandsMsbTop:
            return {static_cast<std::size_t>(y / 8) * width + x, 7 - y % 8};
        case ByteLayout::RowsMsbFirst:
            return {static_cast<std::size_t>(y) * BytesAcross(width) + x / 8, 7 - x % 8};
        case ByteLayout::RowsLsbFirst:
            return {static_cast<std::size_t>(y) * BytesAcross(width) + x / 8, x % 8};
    }
    return {0, 0};
}

}  // namespace

std::string_view LayoutName(ByteLayout layout) { return LayoutNames[static_cast<std::size_t>(layout)]; }

std::optional<ByteLayout> LayoutNamed(std::string_view name) {
    for (const ByteLayout layout : AllByteLayouts)
        if (LayoutName(layout) == name) return layout;
    return std::nullopt;
}

std::size_t PackedSize(ByteLayout layout, int width, int height) {
    return IsBands(layout) ? static_cast<std::size_t>(BandsDown(height)) * width
                           : static_cast<std::size_t>(BytesAcross(width)) * height;
}

std::vector<std::uint8_t> Pack(const MonoPicture& picture, ByteLayout layout) {
    std::vector<std::uint8_t> bytes(PackedSize(layout, picture.Width(), picture.Height()));
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            if (picture.At(x, y)) {
                const BitPlace place = PlaceOf(layout, picture.Width(), x, y);
                bytes[place.byte] |= static_cast<std::uint8_t>(1U << place.bit);
            }
    return bytes;
}

std::optional<MonoPicture> Unpack(std::span<const std::uint8_t> bytes, ByteLayout layout, int width,
                                  int height) {
    auto picture = MonoPicture::Clear(width, height);
    if (!picture || bytes.size() != PackedSize(layout, width, height)) return std::nullopt;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const BitPlace place = PlaceOf(layout, width, x, y);
            picture->Set(x, y, (bytes[place.byte] >> place.bit & 1U) != 0);
        }
    return picture;
}

std::optional<MonoPicture> Rotated(const MonoPicture& picture, int degrees) {
    const int w = picture.Width();
    const int h = picture.Height();
    const bool quarter = degrees == 90 || degrees == 270;
    if (!quarter && degrees != 180) return std::nullopt;
    auto turned = *MonoPicture::Clear(quarter ? h : w, quarter ? w : h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool set = picture.At(x, y);
            // Clockwise by 90: the left column becomes the top row.
            if (degrees == 90) turned.Set(h - 1 - y, x, set);
            if (degrees == 180) turned.Set(w - 1 - x, h - 1 - y, set);
            if (degrees == 270) turned.Set(y, w - 1 - x, set);
        }
    return turned;
}

MonoPicture Flipped(const MonoPicture& picture, bool horizontal) {
    MonoPicture flipped = picture;
    const int w = picture.Width();
    const int h = picture.Height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            flipped.Set(horizontal ? w - 1 - x : x, horizontal ? y : h - 1 - y, picture.At(x, y));
    return flipped;
}

MonoPicture Inverted(const MonoPicture& picture) {
    MonoPicture inverted = picture;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) inverted.Set(x, y, !picture.At(x, y));
    return inverted;
}

}  // namespace Routines
