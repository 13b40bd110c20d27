#pragma once

// The checks each fuzz target runs on one input, shared by the libFuzzer
// targets and by the replay driver that runs the committed corpora in every
// test run. A wrong answer prints what was wrong and aborts.

#include <cstddef>
#include <cstdint>
#include <string>

#include <QByteArray>

namespace FuzzChecks {

// A .bit file: loaded, drawn, sampled and saved again, it must come back byte
// for byte; any other length is refused with one box and changes nothing.
void CheckBitFile(const std::uint8_t* data, std::size_t size);

// The first byte picks .nol (even) or .ngg (odd); the rest is the file. A
// short file changes nothing; otherwise each pixel byte other than "0" or "1"
// shows one "Invalid Data" box and the others are drawn in order.
void CheckNokiaLogo(const std::uint8_t* data, std::size_t size);

// A picture for Open BMP: refused with an invalid-picture failure, or decoded
// to a picture of sane size whose every pixel comes from the file: decoding it
// again over fresh memory filled with other bytes gives the same pixels. The
// fill is glibc's; under the address sanitizer both decodes see its own, so
// scripts/fuzz.sh replays what the fuzzing found in the plain build as well.
// The window's read of the view's corner must give the same pixels there,
// and refuse what the whole read refuses, but for a PNG or JPEG larger than
// the whole read takes, which it shows by its corner, and an SVG, which it
// draws only there.
void CheckPicture(const std::uint8_t* data, std::size_t size);

// A JPEG or PNG through the streaming readers, fitted to the screen, strictly
// and with partial pictures allowed: refused with an invalid-picture failure,
// or rows of the size announced, no more of them than announced, and the same
// rows when read again.
void CheckStreamedPicture(const std::uint8_t* data, std::size_t size);

// Whether Open BMP shows the picture: its read of the view's corner.
bool ShownByTheWindow(const QByteArray& bytes);

// One line for the differential test: the picture's size and a hash of its
// pixels, or the failure's number.
std::string PictureSummary(const QByteArray& bytes, const std::string& name);

}  // namespace FuzzChecks
