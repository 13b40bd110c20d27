#include "RowStream.h"

#include "Failure.h"

namespace Pictures {

void RefusePicture(const std::string& name, const std::string& reason) {
    throw Routines::Failure(Routines::FailureCode::InvalidPicture, Routines::Quoted(name) + ": " + reason);
}

void CheckStatedSize(std::int64_t width, std::int64_t height, const std::string& name) {
    if (width <= 0 || height <= 0) RefusePicture(name, "the picture's size cannot be read");
    if (width > LargestStreamedSide || height > LargestStreamedSide ||
        width * height > LargestStreamedPixelCount) {
        RefusePicture(name, "the picture is " + std::to_string(width) + " x " + std::to_string(height) +
                                ", beyond the limit of " + std::to_string(LargestStreamedPixelCount) +
                                " pixels and " + std::to_string(LargestStreamedSide) +
                                " pixels a side, which --fit does not lift");
    }
}

}  // namespace Pictures
