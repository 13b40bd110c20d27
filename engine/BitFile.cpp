#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "FileAccess.h"
#include "MessageBoxes.h"
#include "Routines.h"
#include "Words.h"

namespace Routines {

namespace {

Truth RefuseBitFile() {
    ShowMessageBox(NotABitFileBox);
    return TruthFalse;
}

}  // namespace

Truth LoadBitFile(const std::string& path) {
    // The length decides before anything is read, so a huge file costs nothing.
    const auto bytes = ReadFileOfLength(path, BitFileSize);
    if (!bytes) return RefuseBitFile();

    // Nothing can fail from here on: the pairs are written into the strings in place.
    std::copy(bytes->begin(), bytes->end(), BitBytes.begin());
    BytesToHex(*bytes, BitHex);
    return TruthTrue;
}

Truth SaveBitFile(const std::string& path, const ImageView& view) {
    try {
        SampleScreen(view);
        ScreenBitsToBytes();
        WriteFileAtomically(path, std::vector<std::uint8_t>(BitBytes.begin(), BitBytes.end()));
        return TruthTrue;
    } catch (...) {
        // Whatever went wrong, the caller reports it as one failed save.
        return TruthFalse;
    }
}

}  // namespace Routines
