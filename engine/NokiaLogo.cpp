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

// Takes the start of a logo file into its buffer and its pixel bytes into
// NokiaHex. Bytes too few to hold every pixel byte change nothing.
template <std::size_t Size>
Truth LoadLogo(std::span<const std::uint8_t> bytes, const std::string& name,
               std::array<std::uint8_t, Size>& buffer, std::size_t headerSize, const char* kind) {
    if (bytes.size() < Size) throw LogoFileTooShort(name, bytes.size(), kind, Size);
    // Nothing can fail from here on: the pairs are written into the strings in place.
    std::copy_n(bytes.begin(), Size, buffer.begin());
    BytesToHex(bytes.subspan(headerSize, LogoPixelCount), NokiaHex);
    return TruthTrue;
}

}  // namespace

Truth LoadNolBytes(std::span<const std::uint8_t> bytes, const std::string& name) {
    return LoadLogo(bytes, name, NolBuffer, NolHeaderSize, ".nol");
}

Truth LoadNggBytes(std::span<const std::uint8_t> bytes, const std::string& name) {
    return LoadLogo(bytes, name, NggBuffer, NggHeaderSize, ".ngg");
}

// Only the bytes the logo needs are read, however long the file.
Truth LoadNolFile(const std::string& path) { return LoadNolBytes(ReadFileStart(path, NolFileSize), path); }

Truth LoadNggFile(const std::string& path) { return LoadNggBytes(ReadFileStart(path, NggFileSize), path); }

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
