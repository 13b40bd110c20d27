#include "StreamedPicture.h"

#include <cstdio>
#include <cstring>

#include "JpegReader.h"
#include "PngReader.h"

namespace Pictures {

namespace {

StreamOptions StoredLeast(const FitOptions& options) {
    return {.leastWidth = options.leastWidth,
            .leastHeight = options.leastHeight,
            .leastIsUpright = options.orient,
            .partial = options.partial};
}

// The reader the source's first bytes call for; a file is read from where it
// is and left there.
StreamResult Read(const PictureSource& source, const std::string& name, const StreamOptions& options,
                  bool orient, RowStream& stream) {
    const long at = source.file != nullptr ? std::ftell(source.file) : 0;
    const StreamedFormat format =
        source.file != nullptr ? SniffStreamed(source.file) : SniffStreamed(source.bytes);
    StreamResult result;
    switch (format) {
        case StreamedFormat::Jpeg:
            result = ReadJpeg(source, name, options, stream);
            break;
        case StreamedFormat::Png:
            result = ReadPng(source, name, options, stream);
            break;
        case StreamedFormat::Other:
            RefusePicture(name, "not a JPEG or PNG picture");
    }
    if (source.file != nullptr) std::fseek(source.file, at, SEEK_SET);
    if (!orient) result.orientation = 1;
    return result;
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

StreamedFormat SniffStreamed(std::FILE* file) {
    std::uint8_t start[8] = {};
    const long at = std::ftell(file);
    const std::size_t read = std::fread(start, 1, sizeof start, file);
    std::fseek(file, at, SEEK_SET);
    return SniffStreamed(std::span<const std::uint8_t>(start, read));
}

StreamResult StreamPicture(const PictureSource& source, const std::string& name, const FitOptions& options,
                           RowStream& stream) {
    return Read(source, name, StoredLeast(options), options.orient, stream);
}

StreamResult PeekPicture(const PictureSource& source, const std::string& name, const FitOptions& options) {
    class NoRows : public RowStream {
    public:
        void Begin(int, int) override {}
        bool Row(const std::uint8_t*) override { return false; }
    } none;
    StreamOptions header = StoredLeast(options);
    header.headerOnly = true;
    return Read(source, name, header, options.orient, none);
}

}  // namespace Pictures
