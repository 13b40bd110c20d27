#include "ScreenOutputs.h"

#include <cctype>
#include <cstdint>
#include <vector>

namespace Routines {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

bool IsIdentifierCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Bytes as "0x.., " C initialisers, 12 to a line, each line indented.
std::string CInitialisers(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    text.reserve(bytes.size() * 6 + bytes.size() / 12 * 4 + 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text.append(i % 12 == 0 ? "    0x" : " 0x");
        text.push_back(HexDigits[bytes[i] >> 4]);
        text.push_back(HexDigits[bytes[i] & 15]);
        if (i + 1 < bytes.size()) text.push_back(',');
        if (i % 12 == 11 || i + 1 == bytes.size()) text.push_back('\n');
    }
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::string CIdentifier(std::string_view name) {
    std::string identifier;
    for (const char c : name) identifier += IsIdentifierCharacter(c) ? c : '_';
    if (identifier.empty() || identifier.front() == '_' ||
        (identifier.front() >= '0' && identifier.front() <= '9'))
        identifier.insert(0, "picture_");
    return identifier;
}

std::string CHeader(const MonoPicture& picture, ByteLayout layout, std::string_view name, bool progmem) {
    const std::string id = CIdentifier(name);
    const std::string macro = Upper(id);
    const std::vector<std::uint8_t> bytes = Pack(picture, layout);
    const std::string width = std::to_string(picture.Width());
    const std::string height = std::to_string(picture.Height());
    const std::string layoutName(LayoutName(layout));
    std::string text = "/* " + id + ": " + width + " x " + height + " one-bit picture, byte layout " +
                       layoutName + ", " + std::to_string(bytes.size()) +
                       " bytes; a set bit is a set (dark) pixel. */\n" + "#ifndef " + macro + "_H\n#define " +
                       macro + "_H\n\n#include <stdint.h>\n";
    if (progmem) text += "#include <avr/pgmspace.h>\n";
    text += "\n#define " + macro + "_WIDTH " + width + "\n#define " + macro + "_HEIGHT " + height +
            "\n#define " + macro + "_LAYOUT \"" + layoutName + "\"\n\n";
    text += "static const uint8_t " + id + "[]" + (progmem ? " PROGMEM" : "") + " = {\n";
    text += CInitialisers(bytes);
    text += "};\n\n#endif /* " + macro + "_H */\n";
    return text;
}

std::string Xbm(const MonoPicture& picture, std::string_view name) {
    const std::string id = CIdentifier(name);
    std::string text = "#define " + id + "_width " + std::to_string(picture.Width()) + "\n#define " + id +
                       "_height " + std::to_string(picture.Height()) + "\nstatic unsigned char " + id +
                       "_bits[] = {\n";
    text += CInitialisers(Pack(picture, ByteLayout::RowsLsbFirst));
    text += "};\n";
    return text;
}

std::string HexBytes(const MonoPicture& picture, ByteLayout layout) {
    const std::vector<std::uint8_t> bytes = Pack(picture, layout);
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        text.push_back(HexDigits[bytes[i] >> 4]);
        text.push_back(HexDigits[bytes[i] & 15]);
        text += i % 16 == 15 || i + 1 == bytes.size() ? '\n' : ' ';
    }
    return text;
}

std::string Pbm(const MonoPicture& picture) {
    const std::vector<std::uint8_t> bytes = Pack(picture, ByteLayout::RowsMsbFirst);
    std::string text =
        "P4\n" + std::to_string(picture.Width()) + " " + std::to_string(picture.Height()) + "\n";
    text.append(bytes.begin(), bytes.end());
    return text;
}

std::string Preview(const MonoPicture& picture, PreviewStyle style) {
    const int w = picture.Width();
    const int h = picture.Height();
    const bool ascii = style == PreviewStyle::Ascii;
    std::string across;
    for (int x = 0; x < w; ++x) across += ascii ? "-" : "─";
    std::string text = (ascii ? "+" : "┌") + across + (ascii ? "+\n" : "┐\n");
    const int step = ascii ? 1 : 2;
    for (int y = 0; y < h; y += step) {
        text += ascii ? "|" : "│";
        for (int x = 0; x < w; ++x) {
            const bool top = picture.At(x, y);
            if (ascii) {
                text += top ? '#' : ' ';
                continue;
            }
            const bool bottom = y + 1 < h && picture.At(x, y + 1);
            text += top && bottom ? "█" : top ? "▀" : bottom ? "▄" : " ";
        }
        text += ascii ? "|\n" : "│\n";
    }
    text += (ascii ? "+" : "└") + across + (ascii ? "+\n" : "┘\n");
    return text;
}

}  // namespace Routines
