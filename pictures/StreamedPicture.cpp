#include "StreamedPicture.h"

#include <cstring>

#include "JpegReader.h"
#include "Orientation.h"
#include "PngReader.h"

namespace Pictures {

namespace {

StreamOptions StoredLeast(const FitOptions& options) {
    return {.leastWidth = options.leastWidth,
            .leastHeight = options.leastHeight,
            .leastIsUpright = options.orient,
            .partial = options.partial};
}

}  // namespace

StreamedFormat SniffStreamed(std::span<const std::uint8_t> bytes) {
    static constexpr std::uint8_t Png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (bytes.size() >= 3 && bytes[0] == 0xff && bytes[1] == 0xd8 && bytes[2] == 0xff)
        return StreamedFormat::Jpeg;
    if (bytes.size() >= sizeof Png && std::memcmp(bytes.data(), Png, sizeof Png) == 0)
        return StreamedFormat::Png;
    return StreamedFormat::Other;
}

StreamResult StreamPicture(std::span<const std::uint8_t> bytes, const std::string& name,
                           const FitOptions& options, RowStream& stream) {
    StreamResult result;
    switch (SniffStreamed(bytes)) {
        case StreamedFormat::Jpeg:
            result = ReadJpeg(bytes, name, StoredLeast(options), stream);
            break;
        case StreamedFormat::Png:
            result = ReadPng(bytes, name, StoredLeast(options), stream);
            break;
        case StreamedFormat::Other:
            RefusePicture(name, "not a JPEG or PNG picture");
    }
    if (!options.orient) result.orientation = 1;
    return result;
}

}  // namespace Pictures
