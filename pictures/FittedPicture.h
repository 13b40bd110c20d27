#pragma once

// Photos fitted to a screen straight from their JPEG or PNG rows: decoded at
// the smallest scale that still gives the fit rectangle, each row made grey
// and folded into the fitted size as it comes, then turned upright by the
// Exif orientation. Memory follows a few decoded rows and the screen, not the
// picture (a progressive JPEG keeps its coefficients, see JpegReader.h), so
// the limits are the readers' (LargestStreamedPixelCount) and a file is read
// as it is decoded, never held whole. Standard C++ and the readers, no Qt.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "ImageView.h"
#include "PictureRules.h"
#include "Resample.h"

namespace Pictures {

struct FitRequest {
    Routines::Placement placement = Routines::Placement::AsDrawnOrFitted;
    int screenWidth = Routines::ScreenWidth;
    int screenHeight = Routines::ScreenHeight;
    // What transparent pixels lie on when made grey.
    Routines::Colour background = Routines::White;
    // Turn the picture upright by its Exif orientation; off keeps it as stored.
    bool orient = true;
    // Accept a picture cut short or damaged as far as it decodes.
    bool partial = false;
};

struct FittedGrey {
    // The grey picture (Resample.h) at the fit rectangle's size, upright.
    Routines::GreyPicture grey;
    // The whole picture's size, upright, which the fit rectangle is made from.
    int width = 0;
    int height = 0;
    // What was wrong with a damaged picture let through by `partial`; empty
    // for a whole picture.
    std::string damage;
};

// The picture fitted as the request asks. Nothing when it is neither a JPEG
// nor a PNG, or when, upright, it is not fitted under the request's placement
// (it is then drawn as it is, by the whole-picture readers). A picture beyond
// the readers' limits, unreadable, or damaged without `partial` raises the
// InvalidPicture failure naming `name`.
std::optional<FittedGrey> ReadFittedPicture(std::span<const std::uint8_t> bytes, const std::string& name,
                                            const FitRequest& request);
// The same for a file, read as it is decoded; a folder, pipe or device is
// refused by the engine's file edge as for any picture, before it is opened.
std::optional<FittedGrey> ReadFittedPictureFile(const std::string& enginePath, const std::string& name,
                                                const FitRequest& request);

}  // namespace Pictures
