#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
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

// The byte of eight characters "0" or "1", bit 0 first; -1 for any other text.
int ValueOfBits(std::string_view bits) {
    if (bits.size() != 8) return -1;
    int value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        const char c = bits[static_cast<std::size_t>(bit)];
        if (c != '0' && c != '1') return -1;
        value |= (c - '0') << bit;
    }
    return value;
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

// The pairs and groups the engine itself writes are read directly; anything
// else goes through HexToBits or BitsToHex, with their boxes and failures.

void HexToScreenBits() {
    std::string bits;
    bits.reserve(ScreenBitCount);
    for (const auto& pair : BitHex) {
        const int value = ValueOfPair(pair);
        if (value < 0) {
            bits += HexToBits(pair);
            continue;
        }
        char text[8];
        for (int bit = 0; bit < 8; ++bit) text[bit] = (value >> bit & 1) != 0 ? '1' : '0';
        bits.append(text, sizeof text);
    }
    ImageBits = std::move(bits);
}

void ScreenBitsToBytes() {
    std::array<std::uint8_t, BitFileSize> bytes{};
    for (std::size_t i = 0; i < BitFileSize; ++i) {
        // Byte i is characters 8i to 8i + 7, bit 0 first.
        const int value = ValueOfBits(std::string_view(SaveBits).substr(std::min(8 * i, SaveBits.size()), 8));
        bytes[i] = value >= 0 ? static_cast<std::uint8_t>(value) : HexToByte(BitsToHex(SaveBits, 8 * i + 1));
    }
    BitBytes = bytes;
}

}  // namespace Routines
