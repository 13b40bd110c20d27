#include "JpegReader.h"

#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>
#include <vector>

#include "Orientation.h"

namespace Pictures {

namespace {

constexpr int Exif = JPEG_APP0 + 1;
constexpr int BlockBytes = DCTSIZE2 * static_cast<int>(sizeof(JCOEF));

// libjpeg's error manager, extended with where to return on an error and
// what the first error or warning said. Warnings (a premature end, corrupt
// data) count as damage: the read stops there unless partial pictures are
// accepted.
struct ErrorTrap {
    jpeg_error_mgr manager{};
    std::jmp_buf back{};
    bool stopOnWarning = true;
    char message[JMSG_LENGTH_MAX] = {};
    bool damaged = false;
};

void Remember(j_common_ptr info) {
    auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
    if (!trap->damaged) (*info->err->format_message)(info, trap->message);
    trap->damaged = true;
}

[[noreturn]] void OnError(j_common_ptr info) {
    Remember(info);
    std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->back, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level >= 0) return;  // trace messages
    Remember(info);
    if (reinterpret_cast<ErrorTrap*>(info->err)->stopOnWarning)
        std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->back, 1);
}

// Not inlined into the functions that set a jump point, where its locals
// would have to survive a jump.
[[gnu::noinline]] std::int64_t CoefficientBytes(const jpeg_decompress_struct& info) {
    std::int64_t bytes = 0;
    for (int i = 0; i < info.num_components; ++i) {
        const jpeg_component_info& component = info.comp_info[i];
        const std::int64_t rows =
            (component.height_in_blocks + component.v_samp_factor - 1) / component.v_samp_factor;
        bytes += std::int64_t{component.width_in_blocks} * rows * component.v_samp_factor * BlockBytes;
    }
    return bytes;
}

// Sets the smallest scale M/8 whose output is at least least x least.
void ChooseScale(jpeg_decompress_struct& info, int leastWidth, int leastHeight) {
    info.scale_denom = 8;
    for (unsigned eighths = 1; eighths <= 8; ++eighths) {
        info.scale_num = eighths;
        jpeg_calc_output_dimensions(&info);
        if (leastWidth <= 0 || leastHeight <= 0) continue;
        if (static_cast<int>(info.output_width) >= leastWidth &&
            static_cast<int>(info.output_height) >= leastHeight)
            return;
    }
}

// CMYK as Adobe's encoders store it, inverted: the colour is the ink's
// complement times the black's.
void CmykToRgba(const std::uint8_t* cmyk, std::uint8_t* rgba, int width) {
    for (int x = 0; x < width; ++x, cmyk += 4, rgba += 4) {
        for (int c = 0; c < 3; ++c) rgba[c] = static_cast<std::uint8_t>(cmyk[c] * cmyk[3] / 255);
        rgba[3] = 255;
    }
}

// Watches the scans as libjpeg reads them, and stops at one too many.
struct ScanWatch {
    jpeg_progress_mgr manager{};
    std::jmp_buf* back = nullptr;
    bool tooMany = false;
};

void OnProgress(j_common_ptr info) {
    auto* watch = reinterpret_cast<ScanWatch*>(info->progress);
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number <= LargestJpegScanCount) return;
    watch->tooMany = true;
    std::longjmp(*watch->back, 1);
}

enum class Outcome { Whole, Stopped, Damaged, Refused };

struct Decoding {
    jpeg_decompress_struct info{};
    ErrorTrap trap;
    ScanWatch scans;
    StreamResult result;
    std::string refusal;
    std::vector<std::uint8_t> decoded;
    std::vector<std::uint8_t> rgba;
};

// The libjpeg calls, in a function with no objects to destroy, so that an
// error may jump back into it.
Outcome Decode(Decoding& d, const PictureSource& source, const StreamOptions& options, RowStream& stream) {
    jpeg_decompress_struct& info = d.info;
    if (setjmp(d.trap.back) != 0) return d.result.storedWidth > 0 ? Outcome::Damaged : Outcome::Refused;
    if (source.file != nullptr)
        jpeg_stdio_src(&info, source.file);
    else
        jpeg_mem_src(&info, source.bytes.data(), static_cast<unsigned long>(source.bytes.size()));
    jpeg_save_markers(&info, Exif, 0xffff);
    jpeg_read_header(&info, TRUE);

    d.result.storedWidth = static_cast<int>(info.image_width);
    d.result.storedHeight = static_cast<int>(info.image_height);
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
        if (marker->marker == Exif)
            d.result.orientation = ExifBlockOrientation({marker->data, marker->data_length});
    }
    const std::int64_t width = info.image_width;
    const std::int64_t height = info.image_height;
    if (width <= 0 || height <= 0 || width > LargestStreamedSide || height > LargestStreamedSide ||
        width * height > LargestStreamedPixelCount) {
        d.refusal = "size";
        return Outcome::Refused;
    }
    if (info.progressive_mode && CoefficientBytes(info) > ProgressiveCoefficientBudget) {
        d.refusal = "coefficients";
        return Outcome::Refused;
    }
    if (options.headerOnly) return Outcome::Stopped;
    info.mem->max_memory_to_use = ProgressiveCoefficientBudget + (std::int64_t{32} << 20);

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    const bool swap = options.leastIsUpright && SwapsSides(d.result.orientation);
    ChooseScale(info, swap ? options.leastHeight : options.leastWidth,
                swap ? options.leastWidth : options.leastHeight);
    d.scans.manager.progress_monitor = OnProgress;
    d.scans.back = &d.trap.back;
    info.progress = &d.scans.manager;
    jpeg_start_decompress(&info);
    const int rowWidth = static_cast<int>(info.output_width);
    d.decoded.resize(static_cast<std::size_t>(rowWidth) * 4);
    if (cmyk) d.rgba.resize(d.decoded.size());
    d.result.width = rowWidth;
    d.result.height = static_cast<int>(info.output_height);
    stream.Begin(d.result.width, d.result.height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = d.decoded.data();
        jpeg_read_scanlines(&info, &row, 1);
        const std::uint8_t* given = d.decoded.data();
        if (cmyk) {
            CmykToRgba(given, d.rgba.data(), rowWidth);
            given = d.rgba.data();
        }
        if (!stream.Row(given)) return Outcome::Stopped;
    }
    jpeg_finish_decompress(&info);
    return d.trap.damaged ? Outcome::Damaged : Outcome::Whole;
}

}  // namespace

std::int64_t JpegCoefficientBytes(std::span<const std::uint8_t> bytes) {
    Decoding d;
    d.info.err = jpeg_std_error(&d.trap.manager);
    d.trap.manager.error_exit = OnError;
    d.trap.manager.emit_message = OnMessage;
    jpeg_create_decompress(&d.info);
    std::int64_t result = 0;
    if (setjmp(d.trap.back) == 0) {
        jpeg_mem_src(&d.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
        jpeg_read_header(&d.info, TRUE);
        result = CoefficientBytes(d.info);
    }
    jpeg_destroy_decompress(&d.info);
    return result;
}

StreamResult ReadJpeg(const PictureSource& source, const std::string& name, const StreamOptions& options,
                      RowStream& stream) {
    Decoding d;
    d.info.err = jpeg_std_error(&d.trap.manager);
    d.trap.manager.error_exit = OnError;
    d.trap.manager.emit_message = OnMessage;
    d.trap.stopOnWarning = !options.partial;
    jpeg_create_decompress(&d.info);
    const Outcome outcome = Decode(d, source, options, stream);
    // Only a header read whole has the components' blocks counted.
    const std::int64_t coefficients = d.refusal == "coefficients" ? CoefficientBytes(d.info) : 0;
    jpeg_destroy_decompress(&d.info);

    if (d.refusal == "size") CheckStatedSize(d.result.storedWidth, d.result.storedHeight, name);
    if (d.refusal == "coefficients") {
        RefusePicture(name, "this progressive JPEG needs " + std::to_string(coefficients >> 20) +
                                " MiB for its coefficients, beyond the limit of " +
                                std::to_string(ProgressiveCoefficientBudget >> 20) + " MiB");
    }
    if (d.scans.tooMany)
        RefusePicture(name, "JPEG with more than " + std::to_string(LargestJpegScanCount) + " scans");
    if (outcome == Outcome::Refused)
        RefusePicture(name, std::string("not a readable JPEG (") + d.trap.message + ")");
    if (outcome == Outcome::Damaged) {
        if (!options.partial || d.result.width == 0)
            RefusePicture(name, std::string("the JPEG is damaged or cut short (") + d.trap.message + ")");
        d.result.damage = d.trap.message;
    }
    return d.result;
}

}  // namespace Pictures
