#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Failure.h"
#include "FileAccess.h"
#include "MessageBoxes.h"
#include "Routines.h"
#include "Words.h"

namespace Routines {

namespace {

// Reads the start of a logo file into its buffer and its pixel bytes into
// NokiaHex. A file too short to hold every pixel byte changes nothing.
template <std::size_t Size>
Truth LoadLogo(const std::string& path, std::array<std::uint8_t, Size>& buffer, std::size_t headerSize,
               const char* kind) {
    const std::vector<std::uint8_t> bytes = ReadFileStart(path, Size);
    if (bytes.size() < Size) {
        throw LogoFileTooShort(path, bytes.size(), kind, Size);
    }
    // Nothing can fail from here on: the pairs are written into the strings in place.
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    BytesToHex(std::span(bytes).subspan(headerSize, LogoPixelCount), NokiaHex);
    return TruthTrue;
}

}  // namespace

Truth LoadNolFile(const std::string& path) { return LoadLogo(path, NolBuffer, NolHeaderSize, ".nol"); }

Truth LoadNggFile(const std::string& path) { return LoadLogo(path, NggBuffer, NggHeaderSize, ".ngg"); }

void NokiaHexToBits() {
    std::string bits(LogoPixelCount, '\0');
    std::size_t kept = 0;
    for (const auto& pair : NokiaHex) {
        // The pixel bytes '0' and '1' are the pairs "30" and "31".
        if (pair.size() == 2 && pair[0] == '3' && (pair[1] == '0' || pair[1] == '1')) {
            bits[kept++] = pair[1];
        } else {
            // The byte is dropped, so the pixels after it move one place up.
            ShowMessageBox(InvalidLogoDataBox);
        }
    }
    bits.resize(kept);
    ImageBits = std::move(bits);
}

void DrawNokiaLogo(ImageView& view) {
    ScreenMask set{};
    for (int row = 0; row < LogoHeight; ++row) {
        for (int column = 0; column < LogoWidth; ++column) {
            // Characters past the end of the text leave their pixels white.
            const auto k = static_cast<std::size_t>(row * LogoWidth + column);
            set[PixelIndex(LogoLeft + column, LogoTop + row)] = k < ImageBits.size() && ImageBits[k] == '1';
        }
    }
    view.Clear();
    view.SetBlackPixels(set);
}

}  // namespace Routines
