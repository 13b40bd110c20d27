#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "Failure.h"
#include "MessageBoxes.h"
#include "Routines.h"
#include "Words.h"

namespace Routines {

namespace {

struct DigitGroup {
    char digit;
    std::string_view group;  // least significant bit first
};

// Exact, upper-case only: a lower-case digit is not in the table.
constexpr std::array<DigitGroup, 16> DigitTable{{
    {'0', "0000"},
    {'1', "1000"},
    {'2', "0100"},
    {'3', "1100"},
    {'4', "0010"},
    {'5', "1010"},
    {'6', "0110"},
    {'7', "1110"},
    {'8', "0001"},
    {'9', "1001"},
    {'A', "0101"},
    {'B', "1101"},
    {'C', "0011"},
    {'D', "1011"},
    {'E', "0111"},
    {'F', "1111"},
}};

constexpr std::string_view HexDigits = "0123456789ABCDEF";

// The value of each character that is a digit of the table, -1 for the rest.
constexpr std::array<int, 256> DigitValues = [] {
    std::array<int, 256> values{};
    values.fill(-1);
    for (std::size_t value = 0; value < DigitTable.size(); ++value) {
        values[static_cast<unsigned char>(DigitTable[value].digit)] = static_cast<int>(value);
    }
    return values;
}();

// Each byte's bit text, bit 0 first: the low digit's group, then the high one's.
constexpr std::array<std::array<char, 8>, 256> ByteBits = [] {
    std::array<std::array<char, 8>, 256> texts{};
    for (std::size_t byte = 0; byte < texts.size(); ++byte) {
        const auto low = DigitTable[byte & 0x0F].group;
        const auto high = DigitTable[byte >> 4].group;
        for (std::size_t bit = 0; bit < 4; ++bit) {
            texts[byte][bit] = low[bit];
            texts[byte][bit + 4] = high[bit];
        }
    }
    return texts;
}();

// The lookups below rely on the table being in digit order, each group the
// digit's value least significant bit first.
constexpr bool TableInDigitOrder() {
    for (std::size_t value = 0; value < DigitTable.size(); ++value) {
        if (DigitTable[value].digit != HexDigits[value]) return false;
        for (std::size_t bit = 0; bit < 4; ++bit) {
            if (DigitTable[value].group[bit] != ((value >> bit & 1) != 0 ? '1' : '0')) return false;
        }
    }
    return true;
}
static_assert(HexDigits.size() == DigitTable.size() && TableInDigitOrder());

// The byte of a pair of two table digits, -1 for any other text.
int ValueOfPair(std::string_view pair) {
    if (pair.size() != 2) return -1;
    const int high = DigitValues[static_cast<unsigned char>(pair[0])];
    const int low = DigitValues[static_cast<unsigned char>(pair[1])];
    return high < 0 || low < 0 ? -1 : high << 4 | low;
}

// The byte of eight characters "0"/"1", bit 0 first; -1 if any is something else.
int ValueOfBits(const char* bits) {
    // All eight characters in one word, the first in the low byte, so that
    // both the check and the packing take a few instructions.
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&word, bits, sizeof word);
    } else {
        for (int i = 7; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(bits[i]);
    }
    constexpr std::uint64_t zeros = 0x3030303030303030;  // eight '0'
    if ((word & ~std::uint64_t{0x0101010101010101}) != zeros) return -1;
    // Moves the low bit of byte k to bit 56 + k; no two products overlap.
    return static_cast<int>(((word & 0x0101010101010101) * 0x0102040810204080) >> 56);
}

std::optional<std::string_view> GroupOfDigit(std::string_view digit) {
    if (digit.size() != 1) return std::nullopt;
    const int value = DigitValues[static_cast<unsigned char>(digit.front())];
    if (value < 0) return std::nullopt;
    return DigitTable[static_cast<std::size_t>(value)].group;
}

std::optional<char> DigitOfGroup(std::string_view group) {
    if (group.size() != 4) return std::nullopt;
    int value = 0;
    for (std::size_t bit = 0; bit < 4; ++bit) {
        if (group[bit] != '0' && group[bit] != '1') return std::nullopt;
        value |= (group[bit] - '0') << bit;
    }
    return DigitTable[static_cast<std::size_t>(value)].digit;
}

void ShowInputError() { ShowMessageBox(InputErrorBox); }

// Characters from a 1-based position, as many as there are: past the end of
// the text the piece is shorter or empty.
std::string_view Piece(std::string_view text, std::size_t position, std::size_t length) {
    const std::size_t start = position - 1;
    if (start >= text.size()) return {};
    return text.substr(start, length);
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string ByteToHex(std::uint8_t value) { return {HexDigits[value >> 4], HexDigits[value & 0x0F]}; }

void BytesToHex(std::span<const std::uint8_t> bytes, std::span<std::string> pairs) {
    if (bytes.size() != pairs.size()) throw Failure(FailureCode::InternalError, "one hex pair per byte");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // A pair from an earlier file is overwritten in place.
        if (pairs[i].size() != 2) pairs[i].resize(2);
        pairs[i][0] = HexDigits[bytes[i] >> 4];
        pairs[i][1] = HexDigits[bytes[i] & 0x0F];
    }
}

std::uint8_t HexToByte(const std::string& text) {
    if (text.empty()) throw NotHexadecimal(text);
    unsigned value = 0;
    bool tooLarge = false;
    for (const char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) throw NotHexadecimal(text);
        // Once past a byte the value only grows, so stop accumulating rather than overflow.
        if (!tooLarge) {
            value = value * 16 + static_cast<unsigned>(digit);
            tooLarge = value > 0xFF;
        }
    }
    if (tooLarge) throw NotAByte(text);
    return static_cast<std::uint8_t>(value);
}

std::string HexToBits(const std::string& pair) {
    std::string result;
    std::optional<std::string_view> previous;
    // Low digit first, so that the text starts with bit 0.
    for (const std::size_t position : {std::size_t{2}, std::size_t{1}}) {
        auto group = GroupOfDigit(Piece(pair, position, 1));
        if (!group) {
            ShowInputError();
            group = previous;
        }
        if (group) result += *group;
        previous = group;
    }
    return result;
}

std::string BitsToHex(const std::string& text, std::size_t position) {
    if (position == 0) {
        throw Failure(FailureCode::InvalidArgument, "a bit text position counts from 1, not 0");
    }
    std::string result;
    std::optional<char> previous;
    for (const std::size_t offset : {std::size_t{0}, std::size_t{4}}) {
        auto digit = DigitOfGroup(Piece(text, position + offset, 4));
        if (!digit) {
            ShowInputError();
            digit = previous;
        }
        // Each digit goes in front: the first group is the low digit.
        if (digit) result.insert(result.begin(), *digit);
        previous = digit;
    }
    return result;
}

// Pairs and groups as the engine writes them take a table lookup; anything
// else goes through HexToBits or BitsToHex, with their boxes and failures.

void HexToScreenBits() {
    // No pair gives more than eight characters, so the text never outgrows this.
    std::string bits(ScreenBitCount, '\0');
    std::size_t filled = 0;
    for (const auto& pair : BitHex) {
        const int value = ValueOfPair(pair);
        if (value >= 0) {
            const auto& byteBits = ByteBits[static_cast<std::size_t>(value)];
            std::memcpy(bits.data() + filled, byteBits.data(), byteBits.size());
            filled += byteBits.size();
        } else {
            const std::string slow = HexToBits(pair);
            std::memcpy(bits.data() + filled, slow.data(), slow.size());
            filled += slow.size();
        }
    }
    bits.resize(filled);
    ImageBits = std::move(bits);
}

void ScreenBitsToBytes() {
    std::array<std::uint8_t, BitFileSize> bytes{};
    const std::string& bits = SaveBits;
    for (std::size_t i = 0; i < BitFileSize; ++i) {
        const std::size_t start = 8 * i;  // byte i is characters 8i to 8i + 7
        const int value = start + 8 <= bits.size() ? ValueOfBits(bits.data() + start) : -1;
        bytes[i] = value >= 0 ? static_cast<std::uint8_t>(value) : HexToByte(BitsToHex(bits, start + 1));
    }
    BitBytes = bytes;
}

}  // namespace Routines
