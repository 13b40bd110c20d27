// The halftoning quality benchmark: every picture given is fitted to the
// screen by the engine, halftoned by each of Pelorin's methods, and compared,
// with the results the peers made of the same picture (one folder of PBM files
// per peer), to the fitted grey picture: structure (mean SSIM of 7 x 7 windows)
// and tone error (RMS difference after a Gaussian blur of 2 pixels), each at the
// best alignment within one pixel. Prints the figures, the wins and the goals.
//
//   halftone_quality OUT_DIR PEER=DIR... -- PICTURE...
//
// OUT_DIR receives the fitted grey pictures and every method's result, for the
// contact sheet and the blind comparisons.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include "Halftone.h"
#include "PictureToScreen.h"
#include "Resample.h"
#include "Tone.h"

using namespace Routines;

namespace {

struct Figures {
    double structure = 0;
    double toneError = 0;
};

struct Method {
    std::string name;
    std::vector<bool> (*run)(const GreyPicture&);
};

GreyPicture Fitted(const QImage& image, int width, int height) {
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    AreaReducer reducer(rgba.width(), rgba.height(), width, height);
    std::vector<float> row(static_cast<std::size_t>(rgba.width()));
    for (int y = 0; y < rgba.height(); ++y) {
        GreyRow({rgba.constScanLine(y), static_cast<std::size_t>(4 * rgba.width())}, White, row);
        reducer.AddRow(row);
    }
    return reducer.Result();
}

GreyPicture Crop(const GreyPicture& picture, int left, int top, int width, int height) {
    GreyPicture crop{width, height, std::vector<float>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            crop.values[static_cast<std::size_t>(y) * width + x] =
                picture.values[static_cast<std::size_t>(y + top) * picture.width + x + left];
    return crop;
}

GreyPicture AsGrey(const std::vector<bool>& set, int width, int height) {
    GreyPicture grey{width, height, std::vector<float>(set.size())};
    for (std::size_t i = 0; i < set.size(); ++i) grey.values[i] = set[i] ? 0.0f : 255.0f;
    return grey;
}

double ToneError(const GreyPicture& reference, const GreyPicture& result) {
    const GreyPicture a = GaussianBlur(reference, 2.0f);
    const GreyPicture b = GaussianBlur(result, 2.0f);
    double sum = 0;
    for (std::size_t i = 0; i < a.values.size(); ++i)
        sum += (a.values[i] - b.values[i]) * (a.values[i] - b.values[i]);
    return std::sqrt(sum / static_cast<double>(a.values.size()));
}

// The result laid on the reference shifted by up to one pixel each way; the
// shift of highest structure counts, over the area both cover.
Figures Compare(const GreyPicture& reference, const GreyPicture& result) {
    Figures best{-2, 0};
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int left = std::max(0, dx);
            const int top = std::max(0, dy);
            const int right = std::min(reference.width, result.width + dx);
            const int bottom = std::min(reference.height, result.height + dy);
            if (right - left < 7 || bottom - top < 7) continue;
            const GreyPicture a = Crop(reference, left, top, right - left, bottom - top);
            const GreyPicture b = Crop(result, left - dx, top - dy, right - left, bottom - top);
            std::vector<bool> set(b.values.size());
            for (std::size_t i = 0; i < set.size(); ++i) set[i] = b.values[i] < 128;
            const double structure = Structure(a, set);
            if (structure > best.structure) best = {structure, ToneError(a, b)};
        }
    }
    return best;
}

void WritePbm(const std::vector<bool>& set, int width, int height, const QString& path) {
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = set[static_cast<std::size_t>(y) * width + x] ? 0 : 255;
    image.save(path, "PBM");
}

void WritePgm(const GreyPicture& grey, const QString& path) {
    QImage image(grey.width, grey.height, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height; ++y)
        for (int x = 0; x < grey.width; ++x)
            image.scanLine(y)[x] =
                static_cast<uchar>(std::lround(grey.values[static_cast<std::size_t>(y) * grey.width + x]));
    image.save(path, "PGM");
}

// Pelorin's methods as the converter runs them with --fit and the levels left alone.
std::vector<bool> WithMethod(const GreyPicture& picture, Dithering dithering, ToneOptions tone = {}) {
    tone.autoLevels = false;
    return PictureToPixels(picture, tone, dithering);
}

// Linear light, for the choice of working space: the grey values turned into
// light intensities before Atkinson decides.
std::vector<bool> AtkinsonInLinearLight(const GreyPicture& picture) {
    GreyPicture linear = picture;
    for (float& v : linear.values) {
        const float c = v / 255.0f;
        v = 255.0f * (c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f));
    }
    return Halftone(linear, Dithering::Atkinson);
}

const std::vector<Method>& Methods() {
    static const std::vector<Method> methods{
        {"best", [](const GreyPicture& p) { return WithMethod(p, Dithering::Best); }},
        // For reference: the search let loose on every pixel from plain Atkinson,
        // with no stray dots removed. It measures better and draws mazes.
        {"best-everywhere",
         [](const GreyPicture& p) {
             SearchWeights everywhere;
             everywhere.edgeLevel = 0;
             everywhere.startSharpen = 0;
             everywhere.strayShare = 0;
             return BestSearch(p, MidGrey, everywhere);
         }},
        {"atkinson", [](const GreyPicture& p) { return WithMethod(p, Dithering::Atkinson); }},
        {"floyd-steinberg", [](const GreyPicture& p) { return WithMethod(p, Dithering::FloydSteinberg); }},
        {"jarvis", [](const GreyPicture& p) { return WithMethod(p, Dithering::Jarvis); }},
        {"stucki", [](const GreyPicture& p) { return WithMethod(p, Dithering::Stucki); }},
        {"sierra", [](const GreyPicture& p) { return WithMethod(p, Dithering::Sierra); }},
        {"blue-noise", [](const GreyPicture& p) { return WithMethod(p, Dithering::BlueNoise); }},
        {"atkinson-linear-light", AtkinsonInLinearLight},
        {"atkinson-sharpened",
         [](const GreyPicture& p) {
             ToneOptions tone;
             tone.sharpenAmount = 0.5f;
             return PictureToPixels(p, tone, Dithering::Atkinson);
         }},
        {"defaults", [](const GreyPicture& p) { return PictureToPixels(p, ToneOptions{}, Dithering::Best); }},
    };
    return methods;
}

double MillisecondsPerPicture(const GreyPicture& picture, Dithering dithering) {
    constexpr int runs = 20;
    const auto start = std::chrono::steady_clock::now();
    std::size_t count = 0;
    for (int i = 0; i < runs; ++i) count += WithMethod(picture, dithering).size();
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return count > 0 ? spent.count() / runs : 0.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT_DIR PEER=DIR... -- PICTURE...\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    std::vector<std::pair<std::string, QString>> peers;
    int argument = 2;
    for (; argument < argc && std::string(argv[argument]) != "--"; ++argument) {
        const std::string peer = argv[argument];
        const auto equals = peer.find('=');
        peers.emplace_back(peer.substr(0, equals), QString::fromStdString(peer.substr(equals + 1)));
    }
    ++argument;

    std::vector<std::string> tools;
    for (const Method& method : Methods()) tools.push_back(method.name);
    for (const auto& [name, dir] : peers) tools.push_back(name);
    std::map<std::string, std::vector<Figures>> figures;
    std::vector<std::string> pictures;
    double bestMs = 0;
    double floydMs = 0;

    std::printf("%-28s", "picture (structure / tone)");
    for (const std::string& tool : tools) std::printf(" %22.22s", tool.c_str());
    std::printf("\n");
    for (; argument < argc; ++argument) {
        const QString path = QString::fromLocal8Bit(argv[argument]);
        const QImage image(path);
        if (image.isNull()) {
            std::fprintf(stderr, "cannot read %s\n", argv[argument]);
            return 1;
        }
        const QString name = QFileInfo(path).completeBaseName();
        const ScreenRect fit = FitRectangle(image.width(), image.height());
        const GreyPicture fitted = Fitted(image, fit.width, fit.height);
        out.mkpath("fitted");
        WritePgm(fitted, out.filePath("fitted/" + name + ".pgm"));
        pictures.push_back(name.toStdString());
        std::printf("%-28.28s", name.toLocal8Bit().constData());
        for (const Method& method : Methods()) {
            const std::vector<bool> set = method.run(fitted);
            out.mkpath(QString::fromStdString(method.name));
            WritePbm(set, fitted.width, fitted.height,
                     out.filePath(QString::fromStdString(method.name) + "/" + name + ".pbm"));
            figures[method.name].push_back(Compare(fitted, AsGrey(set, fitted.width, fitted.height)));
        }
        for (const auto& [peer, dir] : peers) {
            const QImage result =
                QImage(dir + "/" + name + ".pbm").convertToFormat(QImage::Format_Grayscale8);
            GreyPicture grey{result.width(), result.height(), {}};
            for (int y = 0; y < result.height(); ++y)
                for (int x = 0; x < result.width(); ++x) grey.values.push_back(result.constScanLine(y)[x]);
            figures[peer].push_back(result.isNull() ? Figures{} : Compare(fitted, grey));
        }
        for (const std::string& tool : tools)
            std::printf("          %.3f / %5.1f", figures[tool].back().structure,
                        figures[tool].back().toneError);
        std::printf("\n");
        const GreyPicture screenSized = ResampleArea(fitted, ScreenWidth, ScreenHeight);
        bestMs += MillisecondsPerPicture(screenSized, Dithering::Best);
        floydMs += MillisecondsPerPicture(screenSized, Dithering::FloydSteinberg);
    }
    const double count = static_cast<double>(pictures.size());
    if (pictures.empty()) return 1;

    std::map<std::string, Figures> means;
    std::printf("%-28s", "mean");
    for (const std::string& tool : tools) {
        for (const Figures& f : figures[tool]) {
            means[tool].structure += f.structure / count;
            means[tool].toneError += f.toneError / count;
        }
        std::printf("          %.3f / %5.1f", means[tool].structure, means[tool].toneError);
    }
    std::printf("\n%-28s", "best's structure higher on");
    for (const std::string& tool : tools) {
        int wins = 0;
        for (std::size_t i = 0; i < pictures.size(); ++i)
            wins += figures["best"][i].structure > figures[tool][i].structure ? 1 : 0;
        std::printf(" %15d of %3zu", wins, pictures.size());
    }
    std::printf("\n\n");

    std::string bestPeer;
    double peerTone = 1e9;
    for (const auto& [peer, dir] : peers) {
        if (bestPeer.empty() || means[peer].structure > means[bestPeer].structure) bestPeer = peer;
        peerTone = std::min(peerTone, means[peer].toneError);
    }
    int aboveEveryPeer = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        bool above = true;
        for (const auto& [peer, dir] : peers)
            above = above && figures["best"][i].structure > figures[peer][i].structure;
        aboveEveryPeer += above ? 1 : 0;
    }
    const double structureRatio = bestPeer.empty() ? 0 : means["best"].structure / means[bestPeer].structure;
    const double toneRatio = peers.empty() ? 0 : means["best"].toneError / peerTone;
    const double share = aboveEveryPeer / count;
    std::printf("goal: mean structure of best %.3f = %.2f x the best peer's (%s, %.3f); at least 1.10: %s\n",
                means["best"].structure, structureRatio, bestPeer.c_str(), means[bestPeer].structure,
                structureRatio >= 1.10 ? "met" : "NOT MET");
    std::printf("goal: best above every peer on %d of %zu pictures (%.0f %%); at least 90 %%: %s\n",
                aboveEveryPeer, pictures.size(), 100 * share, share >= 0.9 ? "met" : "NOT MET");
    std::printf("goal: mean tone error of best %.1f = %.2f x the best peer's (%.1f); at most 2: %s\n",
                means["best"].toneError, toneRatio, peerTone, toneRatio <= 2.0 ? "met" : "NOT MET");
    std::printf(
        "goal: best %.2f ms per 96 x 48 picture (floyd-steinberg %.3f ms, ratio %.0f); at most 30 ms: %s\n",
        bestMs / count, floydMs / count, floydMs > 0 ? bestMs / floydMs : 0.0,
        bestMs / count <= 30 ? "met" : "NOT MET");
    return 0;
}
