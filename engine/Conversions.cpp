#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Failure.h"
#include "MessageBoxes.h"
#include "Routines.h"

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

std::optional<std::string_view> GroupOfDigit(std::string_view digit) {
    if (digit.size() == 1) {
        for (const auto& entry : DigitTable) {
            if (entry.digit == digit.front()) return entry.group;
        }
    }
    return std::nullopt;
}

std::optional<char> DigitOfGroup(std::string_view group) {
    for (const auto& entry : DigitTable) {
        if (entry.group == group) return entry.digit;
    }
    return std::nullopt;
}

void ShowInputError() { ShowMessageBox("Error in input", "ERROR!!!", BoxIcon::None); }

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

// Keeps a description readable when the text is long.
std::string Quoted(const std::string& text) {
    constexpr std::size_t shown = 16;
    if (text.size() <= shown) return '"' + text + '"';
    return '"' + text.substr(0, shown) + "...\"";
}

}  // namespace

std::string ByteToHex(std::uint8_t value) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 0x0F]};
}

std::uint8_t HexToByte(const std::string& text) {
    if (text.empty()) {
        throw Failure(FailureCode::TypeMismatch, "an empty text is not a hexadecimal number");
    }
    unsigned value = 0;
    bool tooLarge = false;
    for (const char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            throw Failure(FailureCode::TypeMismatch, Quoted(text) + " is not a hexadecimal number");
        }
        // Once past a byte the value only grows, so stop accumulating rather than overflow.
        if (!tooLarge) {
            value = value * 16 + static_cast<unsigned>(digit);
            tooLarge = value > 0xFF;
        }
    }
    if (tooLarge) {
        throw Failure(FailureCode::Overflow,
                      "the hexadecimal number " + Quoted(text) + " does not fit in a byte");
    }
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

void HexToScreenBits() {
    std::string bits;
    bits.reserve(ScreenBitCount);
    for (const auto& pair : BitHex) {
        bits += HexToBits(pair);
    }
    ImageBits = std::move(bits);
}

void ScreenBitsToBytes() {
    std::array<std::uint8_t, BitFileSize> bytes{};
    for (std::size_t i = 0; i < BitFileSize; ++i) {
        bytes[i] = HexToByte(BitsToHex(SaveBits, 8 * i + 1));
    }
    BitBytes = bytes;
}

}  // namespace Routines
