#include "Tone.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace Routines {

namespace {

std::vector<float> GaussianKernel(float sigma) {
    const int radius = std::max(1, static_cast<int>(std::ceil(3.0f * sigma)));
    std::vector<float> kernel(2 * static_cast<std::size_t>(radius) + 1);
    for (int i = -radius; i <= radius; ++i) kernel[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
    return kernel;
}

// One pass of a kernel along rows (step 1) or columns (step width), the
// weights that fall outside the picture left out and the rest renormalised.
void BlurAlong(const std::vector<float>& in, std::vector<float>& out, int width, int height, bool columns,
               const std::vector<float>& kernel) {
    const int radius = static_cast<int>(kernel.size() / 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            float sum = 0;
            float weight = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int nx = columns ? x : x + k;
                const int ny = columns ? y + k : y;
                if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
                sum += kernel[k + radius] * in[static_cast<std::size_t>(ny) * width + nx];
                weight += kernel[k + radius];
            }
            out[static_cast<std::size_t>(y) * width + x] = sum / weight;
        }
    }
}

}  // namespace

GreyPicture GaussianBlur(const GreyPicture& picture, float sigma) {
    const std::vector<float> kernel = GaussianKernel(sigma);
    std::vector<float> across(picture.values.size());
    GreyPicture blurred{picture.width, picture.height, std::vector<float>(picture.values.size())};
    BlurAlong(picture.values, across, picture.width, picture.height, false, kernel);
    BlurAlong(across, blurred.values, picture.width, picture.height, true, kernel);
    return blurred;
}

Levels AutoLevels(const GreyPicture& picture, double clip, float maxStretch) {
    if (picture.values.empty()) return {};
    std::vector<float> sorted = picture.values;
    const std::size_t last = sorted.size() - 1;
    const auto lowIndex = static_cast<std::size_t>(static_cast<double>(last) * clip);
    const std::size_t highIndex = last - lowIndex;
    std::nth_element(sorted.begin(), sorted.begin() + lowIndex, sorted.end());
    const float low = sorted[lowIndex];
    std::nth_element(sorted.begin(), sorted.begin() + highIndex, sorted.end());
    const float high = sorted[highIndex];
    const float width = 255.0f / maxStretch;
    // A picture of one tone is left to AdjustTone, which leaves it as it is.
    if (high - low >= width || high - low < 1.0f) return {low, high};
    // Too narrow a range to stretch fully: the levels are width apart, placed
    // so that the picture's mean keeps its value where the range allows.
    double sum = 0;
    for (float v : picture.values) sum += v;
    const float mean = static_cast<float>(sum / static_cast<double>(picture.values.size()));
    const float placed = std::clamp(mean * (1.0f - 1.0f / maxStretch), high - width, low);
    return {placed, placed + width};
}

void AdjustTone(GreyPicture& picture, const ToneOptions& options) {
    std::optional<Levels> levels = options.levels;
    if (options.autoLevels) levels = AutoLevels(picture);
    // A picture of one tone has no range to stretch.
    if (levels && levels->high - levels->low < 1.0f) levels.reset();
    const float contrast = 1.0f + options.contrastPercent / 100.0f;
    const float brightness = 255.0f * options.brightnessPercent / 100.0f;
    for (float& value : picture.values) {
        float v = value;
        if (levels) v = (v - levels->low) * 255.0f / (levels->high - levels->low);
        v = std::clamp(v, 0.0f, 255.0f);
        if (options.gamma > 0 && options.gamma != 1.0f)
            v = 255.0f * std::pow(v / 255.0f, 1.0f / options.gamma);
        v = 127.5f + (v - 127.5f) * contrast + brightness;
        value = std::clamp(v, 0.0f, 255.0f);
    }
    if (options.sharpenAmount != 0.0f) {
        const GreyPicture blurred = GaussianBlur(picture, SharpenRadius);
        for (std::size_t i = 0; i < picture.values.size(); ++i) {
            const float sharp =
                picture.values[i] + options.sharpenAmount * (picture.values[i] - blurred.values[i]);
            picture.values[i] = std::clamp(sharp, 0.0f, 255.0f);
        }
    }
}

}  // namespace Routines
