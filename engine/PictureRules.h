#pragma once

// How a picture of any size becomes the screen: where it goes, and whether the
// window's colour rule or tone adjustment and halftoning decide its pixels.

#include <optional>

#include "Halftone.h"
#include "ImageView.h"
#include "MonoPicture.h"
#include "PictureToScreen.h"
#include "Resample.h"
#include "Tone.h"

namespace Routines {

enum class Placement {
    // As drawn, at the top-left corner, when the picture fits within the
    // screen (logos, drawings, screen pictures); scaled to fit when it is
    // larger either way (photos).
    AsDrawnOrFitted,
    // As the window shows any picture: top-left corner, clipped.
    TopLeft,
    // Scaled to fit, keeping its aspect ratio, centred.
    Fitted,
};

struct PictureRules {
    Placement placement = Placement::AsDrawnOrFitted;
    std::optional<int> threshold;
    std::optional<Dithering> dithering;
    // Set when any tone option was asked for: the whole set, the others at
    // their defaults.
    std::optional<ToneOptions> tone;
    // What transparent pixels are laid on before they become grey.
    Colour background = White;
};

// Whether a picture of this size is scaled to fit a screen of screenWidth x
// screenHeight (the Lyra's by default) under the placement.
bool IsFitted(int width, int height, Placement placement, int screenWidth = ScreenWidth,
              int screenHeight = ScreenHeight);

// Whether the window's colour rule decides (only pure white is clear): for a
// picture drawn as it is, when no threshold, dithering or tone was asked for.
// Otherwise the picture is made grey, its tone adjusted (auto levels by
// default when fitted, nothing when drawn as it is) and halftoned (the best
// method by default, a plain threshold when only a threshold is given).
bool UsesColourRule(int width, int height, const PictureRules& rules, int screenWidth = ScreenWidth,
                    int screenHeight = ScreenHeight);

// What drawing found: how many grey tones the placed picture shows, and what
// share of its area came out set.
struct PictureOutcome {
    int tones = 0;
    double setShare = 0;
};

// Clears the view and draws the picture by the rules.
PictureOutcome DrawPicture(ImageView& view, const RgbaPicture& picture, const PictureRules& rules);

// The picture by the same rules on a clear screen of width x height (each 1 ..
// MonoPicture::MaxSide; another size raises a Failure). What drawing found
// goes to outcome when given.
MonoPicture PictureToMono(const RgbaPicture& picture, const PictureRules& rules, int width, int height,
                          PictureOutcome* outcome = nullptr);

// The same for a picture that is fitted (IsFitted) and whose grey form (see
// Resample.h, laid on rules.background) was already reduced to its fit
// rectangle, FitRectangle(pictureWidth, pictureHeight, width, height), as its
// rows were decoded: the same tone and halftoning as PictureToMono gives the
// whole picture.
MonoPicture FittedGreyToMono(GreyPicture reduced, int pictureWidth, int pictureHeight,
                             const PictureRules& rules, int width, int height,
                             PictureOutcome* outcome = nullptr);

// A result nearly all set or all clear from a picture of many tones: the
// picture is lost, and the user should hear what would help.
bool LooksLost(const PictureOutcome& outcome);

}  // namespace Routines
