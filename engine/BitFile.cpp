#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Commands.h"
#include "FileAccess.h"
#include "MessageBoxes.h"
#include "Routines.h"
#include "Words.h"

namespace Routines {

Truth LoadBitBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != BitFileSize) {
        ShowMessageBox(NotABitFileBox);
        return TruthFalse;
    }
    // Nothing can fail from here on: the pairs are written into the strings in place.
    std::copy(bytes.begin(), bytes.end(), BitBytes.begin());
    BytesToHex(bytes, BitHex);
    return TruthTrue;
}

Truth LoadBitFile(const std::string& path) {
    // The length decides before anything is read, so a huge file costs
    // nothing: it is refused as no bytes at all.
    const auto bytes = ReadFileOfLength(path, BitFileSize);
    return LoadBitBytes(bytes ? std::span<const std::uint8_t>(*bytes) : std::span<const std::uint8_t>());
}

Truth SaveBitFile(const std::string& path, const ImageView& view) {
    try {
        const auto bytes = ScreenBytes(view);
        WriteFileAtomically(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
        return TruthTrue;
    } catch (...) {
        // Whatever went wrong, the caller reports it as one failed save.
        return TruthFalse;
    }
}

}  // namespace Routines
