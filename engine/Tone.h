#pragma once

// Tone adjustments of a grey picture before it becomes one-bit: levels,
// gamma, contrast, brightness and an unsharp mask sized for tiny pictures.

#include <optional>

#include "Resample.h"

namespace Routines {

// The grey values that become black and white; everything between is spread
// linearly, everything outside clipped.
struct Levels {
    float low = 0;
    float high = 255;
};

struct ToneOptions {
    // No levels: the picture's own range. Auto levels (the default) take the
    // darkest and lightest 3 % of the picture's pixels as black and white,
    // stretching by 1.75 at most (see AutoLevels).
    bool autoLevels = true;
    std::optional<Levels> levels;  // fixed levels, used when autoLevels is false
    // Above 1 lightens the mid-tones: v = 255 (v / 255)^(1 / gamma).
    float gamma = 1.0f;
    // Percent: 100 doubles every distance from mid-grey, -100 makes the picture flat grey.
    float contrastPercent = 0.0f;
    // Percent of the whole range added to every value.
    float brightnessPercent = 0.0f;
    // Unsharp mask: v + amount (v - blur(v)), the blur a Gaussian of
    // SharpenRadius pixels, which is what the edges of a 96 x 48 picture are made of.
    float sharpenAmount = 0.0f;
};

inline constexpr float SharpenRadius = 0.8f;

// The levels auto levels would use: the grey values below which and above
// which `clip` of the pixels lie, when that stretches the picture's values by
// at most `maxStretch`. A narrower range (a night picture, a light logo with a
// few dark pixels) is stretched by `maxStretch` only, the levels placed so that
// the picture's mean keeps its value as far as they can while still holding
// the whole range. Chosen by eye on the quality benchmark's photos against
// ImageMagick's Floyd-Steinberg: 3 % clipped leaves dark and light parts solid
// as a half percent did not; a stretch of 1.75 at most keeps a night picture
// dark and a light logo light, where a full stretch made the one bright and
// noisy and the other dark; 1.5 left soft photos grey and noisy.
inline constexpr float MaxAutoStretch = 1.75f;
inline constexpr double AutoLevelsClip = 0.03;
Levels AutoLevels(const GreyPicture& picture, double clip = AutoLevelsClip,
                  float maxStretch = MaxAutoStretch);

// Applies, in this order: levels, gamma, contrast, brightness, sharpening;
// every value is kept within 0 to 255.
void AdjustTone(GreyPicture& picture, const ToneOptions& options);

// The picture blurred by a Gaussian of the given standard deviation, the
// kernel cut at three of them and renormalised at the picture's edges.
GreyPicture GaussianBlur(const GreyPicture& picture, float sigma);

}  // namespace Routines
