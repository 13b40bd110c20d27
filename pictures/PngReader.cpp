#include "PngReader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <vector>

#include "Orientation.h"

namespace Pictures {

namespace {

// The chunks read by libpng that would cost memory or time and change no
// pixel: text (compressed or not), colour profiles, suggested palettes.
constexpr png_byte Skipped[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0hIST\0tIME\0pCAL\0sCAL\0sTER\0";
constexpr int SkippedCount = 10;

// The largest extra chunk kept (an eXIf block): more is refused.
constexpr png_alloc_size_t LargestChunk = 1 << 20;

struct Source {
    std::span<const std::uint8_t> bytes;
    std::FILE* file = nullptr;
    std::size_t offset = 0;
};

void ReadBytes(png_structp png, png_bytep into, png_size_t length) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (source->file != nullptr) {
        if (std::fread(into, 1, length, source->file) != length) png_error(png, "the file is cut short");
        return;
    }
    if (source->bytes.size() - source->offset < length) png_error(png, "the file is cut short");
    std::memcpy(into, source->bytes.data() + source->offset, length);
    source->offset += length;
}

struct Trap {
    std::string message;
    bool strict = true;
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* trap = static_cast<Trap*>(png_get_error_ptr(png));
    if (trap->message.empty()) trap->message = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp png, png_const_charp message) {
    auto* trap = static_cast<Trap*>(png_get_error_ptr(png));
    if (trap->message.empty()) trap->message = message;
    if (trap->strict) png_longjmp(png, 1);
}

enum class Outcome { Whole, Stopped, Damaged, Refused, TooLarge, Interlaced };

struct Decoding {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Trap trap;
    Source source;
    StreamResult result;
    std::vector<std::uint8_t> rows;
    std::int64_t statedWidth = 0;
    std::int64_t statedHeight = 0;
    bool interlaced = false;
    bool headerOnly = false;
};

void SetTransforms(png_structp png, png_infop info) {
    const int colourType = png_get_color_type(png, info);
    png_set_expand(png);  // palettes, grey under 8 bits and transparency chunks
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
}

// An interlaced picture pass by pass, each pass's rows as libpng gives them
// without putting the picture together: memory follows one row.
Outcome DecodePasses(Decoding& d, RowStream& stream) {
    png_read_update_info(d.png, d.info);
    const auto width = static_cast<png_uint_32>(d.statedWidth);
    const auto height = static_cast<png_uint_32>(d.statedHeight);
    d.rows.resize(static_cast<std::size_t>(width) * 4);
    d.result.width = d.result.storedWidth;
    d.result.height = d.result.storedHeight;
    stream.Begin(d.result.width, d.result.height);
    for (int pass = 0; pass < PNG_INTERLACE_ADAM7_PASSES; ++pass) {
        const png_uint_32 columns = PNG_PASS_COLS(width, pass);
        const png_uint_32 rows = PNG_PASS_ROWS(height, pass);
        if (columns == 0 || rows == 0) continue;  // libpng skips an empty pass
        for (png_uint_32 row = 0; row < rows; ++row) {
            png_read_row(d.png, d.rows.data(), nullptr);
            if (!stream.PassRow(static_cast<int>(PNG_ROW_FROM_PASS_ROW(row, pass)),
                                static_cast<int>(PNG_COL_FROM_PASS_COL(0, pass)),
                                1 << PNG_PASS_COL_SHIFT(pass), static_cast<int>(columns), d.rows.data()))
                return Outcome::Stopped;
        }
    }
    png_read_end(d.png, nullptr);
    return d.trap.message.empty() ? Outcome::Whole : Outcome::Damaged;
}

// The libpng calls, in a function with no objects to destroy, so that an
// error may jump back into it.
Outcome Decode(Decoding& d, RowStream& stream) {
    if (setjmp(png_jmpbuf(d.png)) != 0) return d.result.storedWidth > 0 ? Outcome::Damaged : Outcome::Refused;
    png_set_read_fn(d.png, &d.source, ReadBytes);
    png_set_sig_bytes(d.png, static_cast<int>(d.source.offset));
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(d.png, PNG_HANDLE_CHUNK_NEVER, Skipped, SkippedCount);
    png_set_chunk_malloc_max(d.png, LargestChunk);
    png_set_user_limits(d.png, PNG_USER_WIDTH_MAX, PNG_USER_HEIGHT_MAX);
    // Every chunk's CRC already catches damaged image data; zlib's own
    // Adler-32 over the inflated bytes would cost a twentieth of the reading.
    png_set_option(d.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_read_info(d.png, d.info);

    d.statedWidth = png_get_image_width(d.png, d.info);
    d.statedHeight = png_get_image_height(d.png, d.info);
    d.result.storedWidth = static_cast<int>(d.statedWidth);
    d.result.storedHeight = static_cast<int>(d.statedHeight);
    if (d.statedWidth > LargestStreamedSide || d.statedHeight > LargestStreamedSide ||
        d.statedWidth * d.statedHeight > LargestStreamedPixelCount)
        return Outcome::TooLarge;
    png_bytep exif = nullptr;
    png_uint_32 exifLength = 0;
    if (png_get_eXIf_1(d.png, d.info, &exifLength, &exif) != 0)
        d.result.orientation = TiffOrientation({exif, exifLength});
    if (d.headerOnly) return Outcome::Stopped;

    SetTransforms(d.png, d.info);
    if (png_get_interlace_type(d.png, d.info) == PNG_INTERLACE_ADAM7 && stream.TakesPasses())
        return DecodePasses(d, stream);
    const int passes = png_set_interlace_handling(d.png);
    png_read_update_info(d.png, d.info);
    const auto width = static_cast<std::size_t>(d.statedWidth);
    const auto height = static_cast<std::size_t>(d.statedHeight);
    if (passes > 1 && d.statedWidth * d.statedHeight > InterlacedPixelBudget) return Outcome::Interlaced;
    d.rows.resize(width * 4 * (passes > 1 ? height : 1));
    d.interlaced = passes > 1;
    if (passes > 1) {
        // Every pass adds pixels to rows already given; the picture is whole after the last.
        for (int pass = 0; pass < passes; ++pass) {
            for (std::size_t y = 0; y < height; ++y)
                png_read_row(d.png, d.rows.data() + y * width * 4, nullptr);
        }
    }
    d.result.width = d.result.storedWidth;
    d.result.height = d.result.storedHeight;
    stream.Begin(d.result.width, d.result.height);
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = d.rows.data() + (passes > 1 ? y * width * 4 : 0);
        if (passes == 1) png_read_row(d.png, row, nullptr);
        if (!stream.Row(row)) return Outcome::Stopped;
    }
    png_read_end(d.png, nullptr);
    return d.trap.message.empty() ? Outcome::Whole : Outcome::Damaged;
}

}  // namespace

StreamResult ReadPng(const PictureSource& source, const std::string& name, const StreamOptions& options,
                     RowStream& stream) {
    static constexpr std::uint8_t Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::uint8_t start[sizeof Signature] = {};
    if (source.file != nullptr) {
        if (std::fread(start, 1, sizeof start, source.file) != sizeof start) RefusePicture(name, "not a PNG");
    } else if (source.bytes.size() >= sizeof Signature) {
        std::memcpy(start, source.bytes.data(), sizeof start);
    }
    if (std::memcmp(start, Signature, sizeof Signature) != 0) RefusePicture(name, "not a PNG");
    Decoding d;
    d.source = {.bytes = source.bytes, .file = source.file, .offset = sizeof Signature};
    d.headerOnly = options.headerOnly;
    d.trap.strict = !options.partial;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &d.trap, OnError, OnWarning);
    if (d.png == nullptr) RefusePicture(name, "out of memory");
    d.info = png_create_info_struct(d.png);
    const Outcome outcome = d.info == nullptr ? Outcome::Refused : Decode(d, stream);
    png_destroy_read_struct(&d.png, &d.info, nullptr);

    if (outcome == Outcome::TooLarge) CheckStatedSize(d.statedWidth, d.statedHeight, name);
    if (outcome == Outcome::Interlaced) {
        RefusePicture(name, "an interlaced PNG of " + std::to_string(d.statedWidth) + " x " +
                                std::to_string(d.statedHeight) + " is beyond the limit of " +
                                std::to_string(InterlacedPixelBudget) + " pixels for interlaced pictures");
    }
    if (outcome == Outcome::Refused) RefusePicture(name, "not a readable PNG (" + d.trap.message + ")");
    if (outcome == Outcome::Damaged && options.partial && d.interlaced && d.result.width == 0) {
        // Cut short within the passes: what they filled in, the rest still clear.
        d.result.width = d.result.storedWidth;
        d.result.height = d.result.storedHeight;
        stream.Begin(d.result.width, d.result.height);
        const std::size_t rowBytes = static_cast<std::size_t>(d.result.width) * 4;
        for (std::size_t y = 0; y < static_cast<std::size_t>(d.result.height); ++y) {
            if (!stream.Row(d.rows.data() + y * rowBytes)) break;
        }
    }
    if (outcome == Outcome::Damaged) {
        if (!options.partial || d.result.width == 0)
            RefusePicture(name, "the PNG is damaged or cut short (" + d.trap.message + ")");
        d.result.damage = d.trap.message;
    }
    return d.result;
}

}  // namespace Pictures
