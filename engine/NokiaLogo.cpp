#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Failure.h"
#include "FileAccess.h"
#include "MessageBoxes.h"
#include "Routines.h"

namespace Routines {

namespace {

// Reads the start of a logo file into its buffer and its pixel bytes into
// NokiaHex. A file too short to hold every pixel byte changes nothing.
template <std::size_t Size>
Truth LoadLogo(const std::string& path, std::array<std::uint8_t, Size>& buffer, std::size_t headerSize,
               const char* kind) {
    const std::vector<std::uint8_t> bytes = ReadFileStart(path, Size);
    if (bytes.size() < Size) {
        throw Failure(FailureCode::FileTooShort, QuotedPath(path) + " holds " + std::to_string(bytes.size()) +
                                                     " bytes, too short to be a Nokia logo (a " + kind +
                                                     " file needs at least " + std::to_string(Size) + ")");
    }
    std::array<std::string, LogoPixelCount> hex;
    for (std::size_t j = 0; j < LogoPixelCount; ++j) {
        hex[j] = ByteToHex(bytes[headerSize + j]);
    }
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    NokiaHex = std::move(hex);
    return TruthTrue;
}

}  // namespace

Truth LoadNolFile(const std::string& path) { return LoadLogo(path, NolBuffer, NolHeaderSize, ".nol"); }

Truth LoadNggFile(const std::string& path) { return LoadLogo(path, NggBuffer, NggHeaderSize, ".ngg"); }

void NokiaHexToBits() {
    std::string bits;
    bits.reserve(LogoPixelCount);
    for (const auto& pair : NokiaHex) {
        if (pair == "30") {
            bits += '0';
        } else if (pair == "31") {
            bits += '1';
        } else {
            // The byte is dropped, so the pixels after it move one place up.
            ShowMessageBox("Invalid Data", "ERROR!!!", BoxIcon::Critical);
        }
    }
    ImageBits = std::move(bits);
}

void DrawNokiaLogo(ImageView& view) {
    view.Clear();
    std::size_t k = 0;
    for (int y = LogoTop; y < LogoTop + LogoHeight; ++y) {
        for (int x = LogoLeft; x < LogoLeft + LogoWidth; ++x) {
            if (k < ImageBits.size() && ImageBits[k] == '1') {
                view.SetPixel(x, y, Black);
            }
            ++k;
        }
    }
}

}  // namespace Routines
