#pragma once

// Halftoning a grey picture to set and clear pixels: error diffusion with
// several kernels (serpentine), a blue-noise mask, and a structure-aware
// search; and the whole path from a fitted grey picture to the screen's pixels.

#include <vector>

#include "PictureToScreen.h"
#include "Resample.h"
#include "Tone.h"

namespace Routines {

// Which pixels of the grey picture are set (true = black), row by row,
// deciding around `threshold` on the 0-255 scale (128 is the middle).
std::vector<bool> Halftone(const GreyPicture& picture, Dithering dithering, float threshold = MidGrey);

// The rank of every cell of the blue-noise mask, 0 to BlueNoiseSize² - 1, row
// by row: a void-and-cluster mask made by this program at first use.
inline constexpr int BlueNoiseSize = 64;
const std::vector<int>& BlueNoiseRanks();

// The structure of a one-bit result against its grey picture: the mean SSIM
// of 7 x 7 windows (uniform weights, sample variances, K1 = 0.01, K2 = 0.03)
// that lie wholly inside the picture, set pixels counting as 0 and clear ones
// as 255. 1 means every window matches; a picture smaller than a window gives 0.
double Structure(const GreyPicture& picture, const std::vector<bool>& set);

// What the structure-aware search maximises: Structure minus a tone term, the
// mean square of the difference between the result and the picture both blurred
// by a Gaussian of ToneSigma pixels, in units of the full range squared, times
// ToneWeight. The search starts from `start` and toggles single pixels or swaps
// neighbours while that raises the objective; it returns its last state.
// The weights chosen by the quality benchmark (bench/halftone_quality.sh, 21
// pictures): a tone term of sigma 2 weighted 11; weight 8 gave more structure
// and a larger tone error, 16 less and a smaller one. Three passes; the search
// stops earlier when a pass changes nothing.
// Let loose on every pixel, the search draws worm-like edges and mazes into
// soft and noisy parts of photos and streaks into smooth gradients; blind
// judges preferred ImageMagick's cleaner flat parts. So it looks only at
// pixels whose 3 x 3 neighbourhood spans edgeLevel grey values or more (40;
// 30 let texture back in, 60 lost structure), starting from serpentine Atkinson
// of the picture sharpened by startSharpen (0.5), and lone dots are removed
// afterwards (strayShare 2). On the benchmark, best alone keeps a mean
// structure of 0.290 at a tone error of 13.7 (searching everywhere from plain
// Atkinson: 0.297 at 8.5, the benchmark's "best-everywhere" row); with auto
// levels, the converter's defaults for a photo, 0.318 at 28.9, against
// ImageMagick's Floyd-Steinberg 0.300 at 51.6. About 9 ms per 96 x 48
// picture, 90 to 130 times Floyd-Steinberg.
// What the benchmark measured and the eye refused: the search everywhere with
// more passes, tone weight 11 to 1, reaches 0.302 at 9.0 to 0.348 at 29, all
// of it mazes; starting it from Floyd-Steinberg of levels 0-200 adds 0.01;
// toggling whole 3 x 3 or 5 x 5 blocks found nothing more; searching the flat
// parts for tone alone (0.293 at 8.1) scattered lone dots into the shadows;
// a cost on unlike neighbours only made the worms fatter.
struct SearchWeights {
    float toneSigma = 2.0f;
    double toneWeight = 11.0;
    int maxPasses = 3;
    float startSharpen = 0.5f;
    float edgeLevel = 40.0f;
    double strayShare = 2.0;
};
double SearchObjective(const GreyPicture& picture, const std::vector<bool>& set,
                       const SearchWeights& weights = {});
std::vector<bool> StructureSearch(const GreyPicture& picture, std::vector<bool> start,
                                  const SearchWeights& weights = {});

// Clears every set pixel whose eight neighbours are all clear, and sets every
// clear one whose eight are all set, where the picture's 3 x 3 neighbourhood
// holds less than `share` of a pixel's worth of that dot's colour: such a dot
// is noise the neighbourhood's tone does not ask for. Pixels on the picture's
// border are left as they are.
std::vector<bool> RemoveStrayDots(const GreyPicture& picture, std::vector<bool> set, double share);

// Best: the search started from serpentine Atkinson of the picture sharpened
// by startSharpen, then stray dots removed.
std::vector<bool> BestSearch(const GreyPicture& picture, float threshold, const SearchWeights& weights);

// The converter's path for a picture already fitted to its place: tone
// adjusted, then halftoned. Returns the set pixels of the fitted picture.
std::vector<bool> PictureToPixels(GreyPicture fitted, const ToneOptions& tone, Dithering dithering,
                                  float threshold = MidGrey);

}  // namespace Routines
