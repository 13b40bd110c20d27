#include "Commands.h"

#include <algorithm>
#include <cctype>

#include "Routines.h"

namespace Routines {

namespace {

std::optional<LogoKind> LogoKindOfEnding(std::string_view ending) {
    if (ending == "nol") return LogoKind::OperatorLogo;
    if (ending == "ngg") return LogoKind::GroupGraphic;
    return std::nullopt;
}

bool DrawLoadedBit(Truth loaded, ImageView& view) {
    if (loaded != TruthTrue) return false;
    HexToScreenBits();
    DrawScreen(view);
    return true;
}

bool DrawLoadedLogo(Truth loaded, ImageView& view) {
    if (loaded != TruthTrue) return false;
    NokiaHexToBits();
    DrawNokiaLogo(view);
    return true;
}

}  // namespace

std::optional<LogoKind> LogoKindOfName(std::string_view name) {
    return name.size() < 3 ? std::nullopt : LogoKindOfEnding(name.substr(name.size() - 3));
}

std::optional<LogoKind> LogoKindOfFile(std::span<const std::uint8_t> start, std::string_view name) {
    const auto startsWith = [&](std::string_view magic) {
        return start.size() >= magic.size() && std::equal(magic.begin(), magic.end(), start.begin());
    };
    if (startsWith("NOL")) return LogoKind::OperatorLogo;
    if (startsWith("NGG")) return LogoKind::GroupGraphic;
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    std::string ending(name.substr(dot + 1));
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return LogoKindOfEnding(ending);
}

bool OpenBit(std::span<const std::uint8_t> bytes, ImageView& view) {
    return DrawLoadedBit(LoadBitBytes(bytes), view);
}

bool OpenBitFile(const std::string& path, ImageView& view) { return DrawLoadedBit(LoadBitFile(path), view); }

bool OpenLogo(LogoKind kind, std::span<const std::uint8_t> bytes, const std::string& name, ImageView& view) {
    return DrawLoadedLogo(
        kind == LogoKind::OperatorLogo ? LoadNolBytes(bytes, name) : LoadNggBytes(bytes, name), view);
}

bool OpenLogoFile(LogoKind kind, const std::string& path, ImageView& view) {
    return DrawLoadedLogo(kind == LogoKind::OperatorLogo ? LoadNolFile(path) : LoadNggFile(path), view);
}

std::array<std::uint8_t, BitFileSize> ScreenBytes(const ImageView& view) {
    SampleScreen(view);
    ScreenBitsToBytes();
    return BitBytes;
}

}  // namespace Routines
