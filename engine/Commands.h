#pragma once

// The window's commands on the screen, written once: Open Bit, Open Nokia and
// the screen's bytes as Save Bit writes them. The window runs them on its
// view, pelorin-convert on a canvas in memory; each reads a file by its path
// or takes bytes already read. A command that is refused has shown its box.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ImageView.h"
#include "ScreenLayout.h"

namespace Routines {

enum class LogoKind {
    OperatorLogo,  // .nol
    GroupGraphic,  // .ngg
};

// Which logo a name is by the window's rule: its last three characters, with
// case, "nol" or "ngg". Any other name is no logo, and Open Nokia then does
// nothing, whichever filter the user picked.
std::optional<LogoKind> LogoKindOfName(std::string_view name);

// Which logo a file is by pelorin-convert's rule: its first bytes, "NOL" or
// "NGG", and only when they are neither, its ending in any case. So the
// converter reads a group graphic named "group.nol" and a logo named
// "LOGO.NOL", which the window refuses or leaves alone: a deliberate
// difference, kept by the agreement test.
std::optional<LogoKind> LogoKindOfFile(std::span<const std::uint8_t> start, std::string_view name);

// Open Bit: draws the .bit file's screen on the view. False when it was refused.
bool OpenBit(std::span<const std::uint8_t> bytes, ImageView& view);
bool OpenBitFile(const std::string& path, ImageView& view);

// Open Nokia: draws the logo centred on the view. name is what failures quote.
bool OpenLogo(LogoKind kind, std::span<const std::uint8_t> bytes, const std::string& name, ImageView& view);
bool OpenLogoFile(LogoKind kind, const std::string& path, ImageView& view);

// The view's pixels by the colour rule, as the bytes of a .bit file.
std::array<std::uint8_t, BitFileSize> ScreenBytes(const ImageView& view);

}  // namespace Routines
