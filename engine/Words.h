#pragma once

// Every text and title of a box the program shows, in one place. They read
// exactly as users have always seen them, misspellings included; the engine,
// the window and the converter name them from here and never retype them.

#include "MessageBoxes.h"

namespace Routines {

// A box with a fixed text.
struct Box {
    const char* text;
    const char* title;
    BoxIcon icon;
};

// Open Bit: the file is not 576 bytes long.
inline constexpr Box NotABitFileBox{"This is not a valid .bit file", "Error in Input file!!!",
                                    BoxIcon::Critical};
// A Nokia logo's pixel byte other than '0' or '1'; shown once for each such byte.
inline constexpr Box InvalidLogoDataBox{"Invalid Data", "ERROR!!!", BoxIcon::Critical};
// A bit or hex text that is not one.
inline constexpr Box InputErrorBox{"Error in input", "ERROR!!!", BoxIcon::None};

// Save BMP could not write: the text is followed by the file's path.
inline constexpr const char* WriteErrorText = "Error writing to file";
inline constexpr const char* WriteErrorTitle = "Error!!!";

// The generic error box of a command's error trap; GenericErrorText joins its lines.
inline constexpr const char* GenericErrorTitle = "An Error Occured";
inline constexpr const char* GenericErrorNumberLead = "Error Number: ";
inline constexpr const char* GenericErrorNumberEnd = " Occured.";
inline constexpr const char* GenericErrorSecondLine = "This number and the following description";
inline constexpr const char* GenericErrorThirdLine = "should be send to the developer";

inline void ShowMessageBox(const Box& box) { ShowMessageBox(box.text, box.title, box.icon); }

}  // namespace Routines
