#pragma once

// The one-bit picture written out as text or bytes: a C header, an X11
// bitmap, plain hex bytes, a PBM (P4) file, and a preview for the terminal.

#include <string>
#include <string_view>

#include "ByteLayouts.h"
#include "MonoPicture.h"

namespace Routines {

// A valid C identifier made from a name (a file's base name, say): letters,
// digits and underscores kept, anything else an underscore, and "picture_" in
// front of one that would start with a digit, an underscore or be empty.
std::string CIdentifier(std::string_view name);

// A C header holding the picture's bytes in the layout as
// "static const uint8_t NAME[] = {...};", with its width, height and layout in
// a comment and as NAME_WIDTH, NAME_HEIGHT, NAME_LAYOUT macros. With progmem
// the array carries PROGMEM and the header includes <avr/pgmspace.h>.
std::string CHeader(const MonoPicture& picture, ByteLayout layout, std::string_view name, bool progmem);

// An X11 bitmap (XBM): NAME_width, NAME_height and NAME_bits, rows-lsb-first.
std::string Xbm(const MonoPicture& picture, std::string_view name);

// The picture's bytes in the layout as two hex digits each, 16 to a line.
std::string HexBytes(const MonoPicture& picture, ByteLayout layout);

// A binary PBM: "P4", the size, and the rows-msb-first bytes.
std::string Pbm(const MonoPicture& picture);

// The picture for the terminal, framed so the screen's edge shows. Set pixels
// are the glyphs, which the terminal draws in its foreground colour, and
// clear pixels are spaces, its background: right on a light or a dark theme
// without guessing which (COLORFGBG is set by few terminals). Blocks take two
// rows a line (upper and lower half blocks); ascii takes one row a line, '#'
// for set and ' ' for clear, in a frame of '+', '-' and '|'.
enum class PreviewStyle { Blocks, Ascii };
std::string Preview(const MonoPicture& picture, PreviewStyle style);

}  // namespace Routines
