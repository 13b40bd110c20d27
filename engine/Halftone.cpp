#include "Halftone.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

namespace Routines {

namespace {

std::size_t Index(int x, int y, int width) { return static_cast<std::size_t>(y) * width + x; }

// One neighbour that receives a share of a pixel's error, as seen when
// scanning to the right; scanning to the left mirrors dx.
struct ErrorShare {
    int dx;
    int dy;
    double weight;
};

constexpr std::array<ErrorShare, 4> FloydSteinbergShares{
    {{1, 0, 7.0 / 16}, {-1, 1, 3.0 / 16}, {0, 1, 5.0 / 16}, {1, 1, 1.0 / 16}}};
// Six eighths: a quarter of every error is dropped on purpose, which keeps
// highlights and shadows clean.
constexpr std::array<ErrorShare, 6> AtkinsonShares{
    {{1, 0, 1.0 / 8}, {2, 0, 1.0 / 8}, {-1, 1, 1.0 / 8}, {0, 1, 1.0 / 8}, {1, 1, 1.0 / 8}, {0, 2, 1.0 / 8}}};
constexpr std::array<ErrorShare, 12> JarvisShares{{{1, 0, 7.0 / 48},
                                                   {2, 0, 5.0 / 48},
                                                   {-2, 1, 3.0 / 48},
                                                   {-1, 1, 5.0 / 48},
                                                   {0, 1, 7.0 / 48},
                                                   {1, 1, 5.0 / 48},
                                                   {2, 1, 3.0 / 48},
                                                   {-2, 2, 1.0 / 48},
                                                   {-1, 2, 3.0 / 48},
                                                   {0, 2, 5.0 / 48},
                                                   {1, 2, 3.0 / 48},
                                                   {2, 2, 1.0 / 48}}};
constexpr std::array<ErrorShare, 12> StuckiShares{{{1, 0, 8.0 / 42},
                                                   {2, 0, 4.0 / 42},
                                                   {-2, 1, 2.0 / 42},
                                                   {-1, 1, 4.0 / 42},
                                                   {0, 1, 8.0 / 42},
                                                   {1, 1, 4.0 / 42},
                                                   {2, 1, 2.0 / 42},
                                                   {-2, 2, 1.0 / 42},
                                                   {-1, 2, 2.0 / 42},
                                                   {0, 2, 4.0 / 42},
                                                   {1, 2, 2.0 / 42},
                                                   {2, 2, 1.0 / 42}}};
constexpr std::array<ErrorShare, 10> SierraShares{{{1, 0, 5.0 / 32},
                                                   {2, 0, 3.0 / 32},
                                                   {-2, 1, 2.0 / 32},
                                                   {-1, 1, 4.0 / 32},
                                                   {0, 1, 5.0 / 32},
                                                   {1, 1, 4.0 / 32},
                                                   {2, 1, 2.0 / 32},
                                                   {-1, 2, 2.0 / 32},
                                                   {0, 2, 3.0 / 32},
                                                   {1, 2, 2.0 / 32}}};

// Serpentine: even rows left to right, odd rows right to left, so that the
// error never drifts one way and leaves no diagonal streaks. Each pixel is set
// when its value with the error it received is below the threshold, and passes
// on what that decision got wrong. A kernel that passes on the whole error
// keeps doing so near the edges: the shares that would fall outside go to the
// neighbours inside. Atkinson, which drops a quarter on purpose, also drops
// what falls outside.
std::vector<bool> DiffuseError(const GreyPicture& picture, std::span<const ErrorShare> shares,
                               float threshold) {
    const int width = picture.width;
    const int height = picture.height;
    std::vector<double> values(picture.values.begin(), picture.values.end());
    std::vector<bool> set(values.size(), false);
    double kernelWeight = 0;
    for (const ErrorShare& share : shares) kernelWeight += share.weight;
    for (int y = 0; y < height; ++y) {
        const bool leftward = y % 2 == 1;
        for (int step = 0; step < width; ++step) {
            const int x = leftward ? width - 1 - step : step;
            const double value = values[Index(x, y, width)];
            const bool dark = value < threshold;
            set[Index(x, y, width)] = dark;
            const double error = value - (dark ? 0.0 : 255.0);
            double inside = 0;
            for (const ErrorShare& share : shares) {
                const int nx = x + (leftward ? -share.dx : share.dx);
                if (nx >= 0 && nx < width && y + share.dy < height) inside += share.weight;
            }
            if (inside == 0) continue;
            const bool wholeError = std::abs(kernelWeight - 1.0) < 1e-9;
            const double scale = wholeError ? 1.0 / inside : 1.0;
            for (const ErrorShare& share : shares) {
                const int nx = x + (leftward ? -share.dx : share.dx);
                const int ny = y + share.dy;
                if (nx >= 0 && nx < width && ny < height)
                    values[Index(nx, ny, width)] += error * share.weight * scale;
            }
        }
    }
    return set;
}

std::vector<bool> AgainstLevels(const GreyPicture& picture, float threshold, auto levelAt) {
    std::vector<bool> set(picture.values.size(), false);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x)
            set[Index(x, y, picture.width)] =
                picture.values[Index(x, y, picture.width)] < levelAt(x, y) + threshold - MidGrey;
    }
    return set;
}

// Void and cluster on a torus: the energy of a cell is the Gaussian-weighted
// count of set cells around it; the tightest cluster is the set cell of
// highest energy, the largest void the clear cell of lowest.
class VoidAndCluster {
public:
    VoidAndCluster() : weights_(Cells), energy_(Cells, 0.0), set_(Cells, false) {
        constexpr double sigma = 1.5;
        for (int dy = 0; dy < BlueNoiseSize; ++dy) {
            for (int dx = 0; dx < BlueNoiseSize; ++dx) {
                const int wx = std::min(dx, BlueNoiseSize - dx);
                const int wy = std::min(dy, BlueNoiseSize - dy);
                weights_[Index(dx, dy, BlueNoiseSize)] = std::exp(-(wx * wx + wy * wy) / (2 * sigma * sigma));
            }
        }
    }

    std::vector<int> Ranks() {
        // A tenth of the cells set at random (a fixed seed: the same mask everywhere) ...
        std::mt19937 random(20261210u);
        int ones = 0;
        while (ones < Cells / 10) {
            const int cell = static_cast<int>(random() % Cells);
            if (!set_[cell]) Toggle(cell), ++ones;
        }
        // ... then spread evenly by moving the tightest cluster to the largest void.
        for (int moves = 0; moves < Cells; ++moves) {
            const int cluster = Extreme(true);
            Toggle(cluster);
            const int hole = Extreme(false);
            Toggle(hole);
            if (hole == cluster) break;
        }
        const std::vector<bool> initial = set_;
        const std::vector<double> initialEnergy = energy_;

        std::vector<int> ranks(Cells, 0);
        for (int rank = ones - 1; rank >= 0; --rank) {
            const int cluster = Extreme(true);
            Toggle(cluster);
            ranks[cluster] = rank;
        }
        set_ = initial;
        energy_ = initialEnergy;
        for (int rank = ones; rank < Cells; ++rank) {
            const int hole = Extreme(false);
            Toggle(hole);
            ranks[hole] = rank;
        }
        return ranks;
    }

private:
    static constexpr int Cells = BlueNoiseSize * BlueNoiseSize;

    void Toggle(int cell) {
        const double sign = set_[cell] ? -1.0 : 1.0;
        set_[cell] = !set_[cell];
        const int cx = cell % BlueNoiseSize;
        const int cy = cell / BlueNoiseSize;
        for (int y = 0; y < BlueNoiseSize; ++y) {
            const int dy = (y - cy + BlueNoiseSize) % BlueNoiseSize;
            for (int x = 0; x < BlueNoiseSize; ++x) {
                const int dx = (x - cx + BlueNoiseSize) % BlueNoiseSize;
                energy_[Index(x, y, BlueNoiseSize)] += sign * weights_[Index(dx, dy, BlueNoiseSize)];
            }
        }
    }

    // The set cell of highest energy (cluster) or the clear cell of lowest (void).
    int Extreme(bool cluster) const {
        int found = -1;
        for (int cell = 0; cell < Cells; ++cell) {
            if (set_[cell] != cluster) continue;
            if (found < 0 || (cluster ? energy_[cell] > energy_[found] : energy_[cell] < energy_[found]))
                found = cell;
        }
        return found;
    }

    std::vector<double> weights_;
    std::vector<double> energy_;
    std::vector<bool> set_;
};

constexpr int Window = 7;
constexpr double WindowPixels = Window * Window;
constexpr double C1 = (0.01 * 255) * (0.01 * 255);
constexpr double C2 = (0.03 * 255) * (0.03 * 255);

// The sums one SSIM window needs.
struct WindowSums {
    double x = 0;   // of the picture's values
    double xx = 0;  // of their squares
    double b = 0;   // of the result's values (0 or 255)
    double xb = 0;  // of the products
};

double WindowSsim(const WindowSums& s) {
    const double n = WindowPixels;
    const double meanX = s.x / n;
    const double meanB = s.b / n;
    const double unbias = n / (n - 1);
    const double varX = (s.xx / n - meanX * meanX) * unbias;
    const double varB = (255.0 * s.b / n - meanB * meanB) * unbias;
    const double cov = (s.xb / n - meanX * meanB) * unbias;
    return ((2 * meanX * meanB + C1) * (2 * cov + C2)) /
           ((meanX * meanX + meanB * meanB + C1) * (varX + varB + C2));
}

// The search's state: the result, the sums of every window with their SSIM,
// and the blurred difference between result and picture; each toggle
// updates only what it touches.
class SearchState {
public:
    SearchState(const GreyPicture& picture, std::vector<bool> set, const SearchWeights& weights)
        : picture_(picture),
          width_(picture.width),
          height_(picture.height),
          windowsX_(std::max(0, width_ - Window + 1)),
          windowsY_(std::max(0, height_ - Window + 1)),
          set_(std::move(set)),
          sums_(static_cast<std::size_t>(windowsX_) * windowsY_),
          ssim_(sums_.size()),
          blurredDifference_(picture.values.size(), 0.0),
          inverseNorm_(picture.values.size(), 1.0),
          kernelSquares_(picture.values.size(), 0.0) {
        const int radius = std::max(1, static_cast<int>(std::ceil(3 * weights.toneSigma)));
        kernelSide_ = 2 * radius + 1;
        kernel_.resize(static_cast<std::size_t>(kernelSide_) * kernelSide_);
        double total = 0;
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                total += kernel_[Index(dx + radius, dy + radius, kernelSide_)] =
                    std::exp(-(dx * dx + dy * dy) / (2.0 * weights.toneSigma * weights.toneSigma));
        for (double& k : kernel_) k /= total;
        // As GaussianBlur does, the kernel is renormalised where the picture's
        // edges cut it: the tone near the border, a third of a 96 x 48
        // picture's pixels, counts as much as anywhere else.
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                double inside = 0;
                ForKernel(x, y, [&](std::size_t, double k) { inside += k; });
                inverseNorm_[Index(x, y, width_)] = 1.0 / inside;
            }
        }
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                double squares = 0;
                ForKernel(x, y, [&](std::size_t i, double k) {
                    squares += k * k * inverseNorm_[i] * inverseNorm_[i];
                });
                kernelSquares_[Index(x, y, width_)] = squares;
            }
        }
        toneScale_ = weights.toneWeight / (static_cast<double>(picture.values.size()) * 255.0 * 255.0);

        for (int wy = 0; wy < windowsY_; ++wy) {
            for (int wx = 0; wx < windowsX_; ++wx) {
                WindowSums& s = sums_[Index(wx, wy, windowsX_)];
                for (int y = wy; y < wy + Window; ++y) {
                    for (int x = wx; x < wx + Window; ++x) {
                        const double value = Value(x, y);
                        const double result = Result(x, y);
                        s.x += value;
                        s.xx += value * value;
                        s.b += result;
                        s.xb += value * result;
                    }
                }
                ssim_[Index(wx, wy, windowsX_)] = WindowSsim(s);
            }
        }
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) Spread(x, y, Result(x, y) - Value(x, y));
    }

    double Structure() const {
        double structure = 0;
        for (double s : ssim_) structure += s;
        return ssim_.empty() ? 0.0 : structure / static_cast<double>(ssim_.size());
    }

    double Objective() const {
        const double structure = Structure();
        double tone = 0;
        for (double e : blurredDifference_) tone += e * e;
        return structure - toneScale_ * tone;
    }

    // How much the objective rises when the pixel at (x, y) flips.
    double ToggleGain(int x, int y) const {
        const double change = set_[Index(x, y, width_)] ? 255.0 : -255.0;
        double structure = 0;
        ForWindows(x, y, [&](std::size_t w) {
            WindowSums s = sums_[w];
            s.b += change;
            s.xb += change * Value(x, y);
            structure += WindowSsim(s) - ssim_[w];
        });
        double tone = 0;
        ForKernel(x, y, [&](std::size_t i, double k) {
            tone += 2 * blurredDifference_[i] * change * k * inverseNorm_[i];
        });
        tone += change * change * kernelSquares_[Index(x, y, width_)];
        const double structureScale = ssim_.empty() ? 0.0 : 1.0 / static_cast<double>(ssim_.size());
        return structure * structureScale - toneScale_ * tone;
    }

    void Toggle(int x, int y) {
        const double change = set_[Index(x, y, width_)] ? 255.0 : -255.0;
        set_[Index(x, y, width_)] = !set_[Index(x, y, width_)];
        ForWindows(x, y, [&](std::size_t w) {
            sums_[w].b += change;
            sums_[w].xb += change * Value(x, y);
            ssim_[w] = WindowSsim(sums_[w]);
        });
        Spread(x, y, change);
    }

    bool IsSet(int x, int y) const { return set_[Index(x, y, width_)]; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::vector<bool>& Set() const { return set_; }

private:
    double Value(int x, int y) const { return picture_.values[Index(x, y, width_)]; }
    double Result(int x, int y) const { return set_[Index(x, y, width_)] ? 0.0 : 255.0; }

    template <typename Visit>
    void ForWindows(int x, int y, Visit visit) const {
        for (int wy = std::max(0, y - Window + 1); wy <= std::min(y, windowsY_ - 1); ++wy)
            for (int wx = std::max(0, x - Window + 1); wx <= std::min(x, windowsX_ - 1); ++wx)
                visit(Index(wx, wy, windowsX_));
    }

    template <typename Visit>
    void ForKernel(int x, int y, Visit visit) const {
        const int radius = kernelSide_ / 2;
        for (int ny = std::max(0, y - radius); ny <= std::min(height_ - 1, y + radius); ++ny)
            for (int nx = std::max(0, x - radius); nx <= std::min(width_ - 1, x + radius); ++nx)
                visit(Index(nx, ny, width_), kernel_[Index(nx - x + radius, ny - y + radius, kernelSide_)]);
    }

    void Spread(int x, int y, double change) {
        ForKernel(x, y,
                  [&](std::size_t i, double k) { blurredDifference_[i] += change * k * inverseNorm_[i]; });
    }

    const GreyPicture& picture_;
    int width_;
    int height_;
    int windowsX_;
    int windowsY_;
    std::vector<bool> set_;
    std::vector<WindowSums> sums_;
    std::vector<double> ssim_;
    std::vector<double> blurredDifference_;
    // The renormalised kernel's weight at pixel i is kernel_ * inverseNorm_[i].
    std::vector<double> inverseNorm_;
    // The sum of the squares of the renormalised weights a pixel spreads.
    std::vector<double> kernelSquares_;
    std::vector<double> kernel_;
    int kernelSide_ = 0;
    double toneScale_ = 0;
};

// The pixels whose 3 x 3 neighbourhood in the picture spans at least `level`
// grey values.
std::vector<bool> EdgePixels(const GreyPicture& picture, float level) {
    std::vector<bool> edge(picture.values.size(), level <= 0);
    if (level <= 0) return edge;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            float low = 255;
            float high = 0;
            for (int ny = std::max(0, y - 1); ny <= std::min(picture.height - 1, y + 1); ++ny) {
                for (int nx = std::max(0, x - 1); nx <= std::min(picture.width - 1, x + 1); ++nx) {
                    low = std::min(low, picture.values[Index(nx, ny, picture.width)]);
                    high = std::max(high, picture.values[Index(nx, ny, picture.width)]);
                }
            }
            edge[Index(x, y, picture.width)] = high - low >= level;
        }
    }
    return edge;
}

// Gains below this are rounding, not improvement.
constexpr double LeastGain = 1e-9;

}  // namespace

const std::vector<int>& BlueNoiseRanks() {
    static const std::vector<int> ranks = VoidAndCluster().Ranks();
    return ranks;
}

double Structure(const GreyPicture& picture, const std::vector<bool>& set) {
    return SearchState(picture, set, {}).Structure();
}

double SearchObjective(const GreyPicture& picture, const std::vector<bool>& set,
                       const SearchWeights& weights) {
    return SearchState(picture, set, weights).Objective();
}

std::vector<bool> StructureSearch(const GreyPicture& picture, std::vector<bool> start,
                                  const SearchWeights& weights) {
    SearchState state(picture, std::move(start), weights);
    constexpr std::array<std::array<int, 2>, 4> neighbours{{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};
    // A change moves the gains of the pixels that share a window with it or
    // whose blurred difference overlaps its own, and of their neighbours; a
    // pass looks again only at pixels within that reach of a change made in
    // the pass before or in this one, so the late passes cost little.
    const int reach = std::max(Window - 1, 2 * static_cast<int>(std::ceil(3 * weights.toneSigma))) + 1;
    std::vector<int> lastChange(picture.values.size(), 0);
    const std::vector<bool> edge = EdgePixels(picture, weights.edgeLevel);
    const auto changed = [&](int x, int y, int pass) {
        for (int ny = std::max(0, y - reach); ny <= std::min(state.Height() - 1, y + reach); ++ny)
            for (int nx = std::max(0, x - reach); nx <= std::min(state.Width() - 1, x + reach); ++nx)
                lastChange[Index(nx, ny, state.Width())] = pass;
    };
    for (int pass = 0; pass < weights.maxPasses; ++pass) {
        bool improved = false;
        for (int y = 0; y < state.Height(); ++y) {
            for (int x = 0; x < state.Width(); ++x) {
                if (lastChange[Index(x, y, state.Width())] < pass - 1 || !edge[Index(x, y, state.Width())])
                    continue;
                if (state.ToggleGain(x, y) > LeastGain) {
                    state.Toggle(x, y);
                    changed(x, y, pass);
                    improved = true;
                    continue;
                }
                // A swap with a neighbour of the other colour moves a dot
                // without changing the tone.
                for (const auto& [dx, dy] : neighbours) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= state.Width() || ny >= state.Height()) continue;
                    if (state.IsSet(nx, ny) == state.IsSet(x, y)) continue;
                    const double first = state.ToggleGain(x, y);
                    state.Toggle(x, y);
                    if (first + state.ToggleGain(nx, ny) > LeastGain) {
                        state.Toggle(nx, ny);
                        changed(x, y, pass);
                        improved = true;
                        break;
                    }
                    state.Toggle(x, y);
                }
            }
        }
        if (!improved) break;
    }
    return state.Set();
}

std::vector<bool> RemoveStrayDots(const GreyPicture& picture, std::vector<bool> set, double share) {
    const int width = picture.width;
    const int height = picture.height;
    const std::vector<bool> before = set;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool dark = before[Index(x, y, width)];
            bool alone = true;
            double sum = 0;
            int count = 0;
            for (int ny = std::max(0, y - 1); ny <= std::min(height - 1, y + 1); ++ny) {
                for (int nx = std::max(0, x - 1); nx <= std::min(width - 1, x + 1); ++nx) {
                    sum += picture.values[Index(nx, ny, width)];
                    ++count;
                    if ((nx != x || ny != y) && before[Index(nx, ny, width)] == dark) alone = false;
                }
            }
            if (!alone || count < 9) continue;
            // How many pixels' worth of the dot's colour the neighbourhood holds.
            const double mean = sum / count;
            const double worth = count * (dark ? 255.0 - mean : mean) / 255.0;
            if (worth < share) set[Index(x, y, width)] = !dark;
        }
    }
    return set;
}

std::vector<bool> BestSearch(const GreyPicture& picture, float threshold, const SearchWeights& weights) {
    GreyPicture start = picture;
    if (weights.startSharpen != 0.0f) {
        ToneOptions sharpen;
        sharpen.autoLevels = false;
        sharpen.sharpenAmount = weights.startSharpen;
        AdjustTone(start, sharpen);
    }
    std::vector<bool> set = StructureSearch(picture, DiffuseError(start, AtkinsonShares, threshold), weights);
    return weights.strayShare > 0 ? RemoveStrayDots(picture, std::move(set), weights.strayShare) : set;
}

std::vector<bool> Halftone(const GreyPicture& picture, Dithering dithering, float threshold) {
    switch (dithering) {
        case Dithering::FloydSteinberg:
            return DiffuseError(picture, FloydSteinbergShares, threshold);
        case Dithering::Atkinson:
            return DiffuseError(picture, AtkinsonShares, threshold);
        case Dithering::Jarvis:
            return DiffuseError(picture, JarvisShares, threshold);
        case Dithering::Stucki:
            return DiffuseError(picture, StuckiShares, threshold);
        case Dithering::Sierra:
            return DiffuseError(picture, SierraShares, threshold);
        case Dithering::Best:
            return BestSearch(picture, threshold, {});
        case Dithering::Ordered:
            return AgainstLevels(picture, threshold, [](int x, int y) { return OrderedLevel(x, y); });
        case Dithering::BlueNoise: {
            const std::vector<int>& ranks = BlueNoiseRanks();
            constexpr float cells = BlueNoiseSize * BlueNoiseSize;
            return AgainstLevels(picture, threshold, [&ranks](int x, int y) {
                return (ranks[Index(x % BlueNoiseSize, y % BlueNoiseSize, BlueNoiseSize)] + 0.5f) * 255.0f /
                       cells;
            });
        }
        case Dithering::None:
            break;
    }
    return AgainstLevels(picture, threshold, [](int, int) { return MidGrey; });
}

std::vector<bool> PictureToPixels(GreyPicture fitted, const ToneOptions& tone, Dithering dithering,
                                  float threshold) {
    AdjustTone(fitted, tone);
    return Halftone(fitted, dithering, threshold);
}

}  // namespace Routines
