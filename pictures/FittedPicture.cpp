#include "FittedPicture.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "FileAccess.h"
#include "Orientation.h"
#include "PictureToScreen.h"
#include "StreamedPicture.h"

namespace Pictures {

namespace {

// Folds decoded rows, in the stored orientation, into the fit rectangle's
// size turned the same way; an interlaced PNG's passes as they come.
class FittingStream : public RowStream {
public:
    FittingStream(int storedTargetWidth, int storedTargetHeight, Routines::Colour background)
        : targetWidth_(storedTargetWidth), targetHeight_(storedTargetHeight), background_(background) {}

    void Begin(int width, int height) override {
        reducer_.emplace(width, height, targetWidth_, targetHeight_);
        width_ = width;
        height_ = height;
        grey_.resize(static_cast<std::size_t>(width));
    }
    bool Row(const std::uint8_t* rgba) override {
        Routines::GreyRow({rgba, 4 * grey_.size()}, background_, grey_);
        reducer_->AddRow(grey_);
        ++rows_;
        return true;
    }
    bool TakesPasses() const override { return true; }
    bool PassRow(int y, int firstColumn, int columnStep, int count, const std::uint8_t* rgba) override {
        const std::span<float> grey(grey_.data(), static_cast<std::size_t>(count));
        Routines::GreyRow({rgba, 4 * grey.size()}, background_, grey);
        reducer_->AddPixels(y, grey, firstColumn, columnStep);
        // How much of each target pixel the passes so far have covered, for a
        // picture cut short within them.
        if (!covered_) {
            covered_.emplace(width_, height_, targetWidth_, targetHeight_);
            ones_.assign(grey_.size(), 1.0f);
        }
        covered_->AddPixels(y, std::span<const float>(ones_).first(grey.size()), firstColumn, columnStep);
        return true;
    }
    // The reduced picture. Of a damaged picture, rows never given are the
    // background, and pixels of passes never given take the mean of those
    // that came.
    Routines::GreyPicture Result(bool damaged) {
        const auto size = static_cast<std::size_t>(targetWidth_) * targetHeight_;
        const float background = BackgroundGrey();
        if (!reducer_) return {targetWidth_, targetHeight_, std::vector<float>(size, background)};
        if (covered_) {
            Routines::GreyPicture reduced = reducer_->Result();
            if (!damaged) return reduced;
            const Routines::GreyPicture covered = covered_->Result();
            for (std::size_t i = 0; i < size; ++i)
                reduced.values[i] =
                    covered.values[i] > 0 ? reduced.values[i] / covered.values[i] : background;
            return reduced;
        }
        std::fill(grey_.begin(), grey_.end(), background);
        for (; rows_ < height_; ++rows_) reducer_->AddRow(grey_);
        return reducer_->Result();
    }

private:
    float BackgroundGrey() const {
        const std::uint8_t clear[4] = {0, 0, 0, 0};
        float grey = 0;
        Routines::GreyRow(clear, background_, {&grey, 1});
        return grey;
    }

    int targetWidth_;
    int targetHeight_;
    Routines::Colour background_;
    std::optional<Routines::AreaReducer> reducer_;
    std::optional<Routines::AreaReducer> covered_;
    std::vector<float> grey_;
    std::vector<float> ones_;
    int width_ = 0;
    int height_ = 0;
    int rows_ = 0;
};

std::optional<FittedGrey> ReadFitted(const PictureSource& source, const std::string& name,
                                     const FitRequest& request) {
    const StreamedFormat format =
        source.file != nullptr ? SniffStreamed(source.file) : SniffStreamed(source.bytes);
    if (format == StreamedFormat::Other) return std::nullopt;
    const StreamResult header =
        PeekPicture(source, name, {.orient = request.orient, .partial = request.partial});
    const bool swaps = SwapsSides(header.orientation);
    FittedGrey fitted;
    fitted.width = swaps ? header.storedHeight : header.storedWidth;
    fitted.height = swaps ? header.storedWidth : header.storedHeight;
    if (!Routines::IsFitted(fitted.width, fitted.height, request.placement, request.screenWidth,
                            request.screenHeight))
        return std::nullopt;

    const Routines::ScreenRect where =
        Routines::FitRectangle(fitted.width, fitted.height, request.screenWidth, request.screenHeight);
    FittingStream stream(swaps ? where.height : where.width, swaps ? where.width : where.height,
                         request.background);
    const StreamResult read = StreamPicture(source, name,
                                            {.leastWidth = where.width,
                                             .leastHeight = where.height,
                                             .orient = request.orient,
                                             .partial = request.partial},
                                            stream);
    Routines::GreyPicture stored = stream.Result(!read.damage.empty());
    fitted.grey = {where.width, where.height,
                   Upright(stored.values, stored.width, stored.height, read.orientation)};
    fitted.damage = read.damage;
    return fitted;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::optional<FittedGrey> ReadFittedPicture(std::span<const std::uint8_t> bytes, const std::string& name,
                                            const FitRequest& request) {
    return ReadFitted(PictureSource(bytes), name, request);
}

std::optional<FittedGrey> ReadFittedPictureFile(const std::string& enginePath, const std::string& name,
                                                const FitRequest& request) {
    Routines::FileLength(enginePath);
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(enginePath.c_str(), "rb"));
    // What cannot be opened goes to the whole-picture readers, which say why.
    if (!file) return std::nullopt;
    return ReadFitted(PictureSource(file.get()), name, request);
}

}  // namespace Pictures
