#pragma once

// The screen image engine: the module-level image buffers and all format and
// pixel logic of the Lyra's 96 x 48 screen picture.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Failure.h"
#include "ImageView.h"
#include "MessageBoxes.h"
#include "ScreenLayout.h"

namespace Routines {

// Routines that report success return a 16-bit truth value.
using Truth = std::int16_t;
inline constexpr Truth TruthTrue = -1;
inline constexpr Truth TruthFalse = 0;

// The .bit file is the screen's bits (ScreenLayout.h); a Nokia logo file is
// a header, then one byte per logo pixel.
inline constexpr std::size_t NolHeaderSize = 20;
inline constexpr std::size_t NggHeaderSize = 16;
inline constexpr std::size_t NolFileSize = NolHeaderSize + LogoPixelCount;  // 1028
inline constexpr std::size_t NggFileSize = NggHeaderSize + LogoPixelCount;  // 1024

// ---- Module state: lives for the whole process, initially empty. ----

// The content of a .bit file, and the same bytes as hex pairs.
extern std::array<std::uint8_t, BitFileSize> BitBytes;
extern std::array<std::string, BitFileSize> BitHex;
// The bit text the next drawing routine draws: screen bit order after a .bit
// file, logo order after a Nokia logo.
extern std::string ImageBits;
// The bit text sampled from the view, in screen bit order.
extern std::string SaveBits;
// The first bytes of the last .nol and .ngg file read, and one hex pair per
// logo pixel byte.
extern std::array<std::uint8_t, NolFileSize> NolBuffer;
extern std::array<std::uint8_t, NggFileSize> NggBuffer;
extern std::array<std::string, LogoPixelCount> NokiaHex;

// ---- Hex and bit text conversions ----

// 0 -> "00", 10 -> "0A", 255 -> "FF".
std::string ByteToHex(std::uint8_t value);
// Each byte's ByteToHex pair into the string of the same index, reusing the strings.
void BytesToHex(std::span<const std::uint8_t> bytes, std::span<std::string> pairs);
// "FF" -> 255. Raises TypeMismatch for text that is not hexadecimal and
// Overflow for a value above 255.
std::uint8_t HexToByte(const std::string& text);
// A hex pair to eight bit characters, bit 0 first: "01" -> "10000000".
// A digit outside the table shows the "Error in input" box.
std::string HexToBits(const std::string& pair);
// The eight characters from the 1-based position back to a hex pair: the
// inverse of HexToBits. A group outside the table shows "Error in input".
std::string BitsToHex(const std::string& text, std::size_t position);
// BitHex -> ImageBits (4608 characters, screen bit order).
void HexToScreenBits();
// SaveBits -> BitBytes.
void ScreenBitsToBytes();

// ---- Screen image and view ----

// Clears the view and draws ImageBits, read in screen bit order, in black.
void DrawScreen(ImageView& view);
// Samples the whole 96 x 48 view into SaveBits by the colour rule (IsSet).
void SampleScreen(const ImageView& view);

// ---- The .bit file ----

// Takes the 576 bytes of a .bit file into BitBytes and BitHex. Any other
// length is refused with a box and TruthFalse, leaving the buffers as they were.
Truth LoadBitBytes(std::span<const std::uint8_t> bytes);
// The same for the file at path, read only when its length is right; a file
// that cannot be read raises a Failure.
Truth LoadBitFile(const std::string& path);
// Samples the view and writes it as a .bit file. Any failure gives
// TruthFalse and leaves an earlier file at the path untouched.
Truth SaveBitFile(const std::string& path, const ImageView& view);

// ---- Nokia logo import ----

// Take the first 1028 (.nol) or 1024 (.ngg) bytes of a logo file into its
// buffer and fill NokiaHex from its pixel bytes. Too few bytes raise a
// Failure that quotes name, and change nothing.
Truth LoadNolBytes(std::span<const std::uint8_t> bytes, const std::string& name);
Truth LoadNggBytes(std::span<const std::uint8_t> bytes, const std::string& name);
// The same for the start of the file at path; a missing or unreadable file
// raises a Failure too.
Truth LoadNolFile(const std::string& path);
Truth LoadNggFile(const std::string& path);
// NokiaHex -> ImageBits in logo order; each invalid pixel byte shows one
// "Invalid Data" box and is dropped.
void NokiaHexToBits();
// Clears the view and draws ImageBits, in logo order, centred in the screen.
void DrawNokiaLogo(ImageView& view);

}  // namespace Routines
