#include "MadePictures.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <png.h>
#include <stdexcept>
#include <vector>

Bytes ExifTiff(int orientation) {
    // Header, one directory of one entry (tag 274, SHORT, count 1), no next directory.
    return {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
            1,   18,  0, 3,  0, 0, 0, 1, 0, static_cast<std::uint8_t>(orientation),
            0,   0,   0, 0,  0, 0};
}

Bytes MakeJpeg(int width, int height, const Painter& paint, const MadeOptions& options) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &buffer, &length);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (options.progressive) jpeg_simple_progression(&info);
    std::vector<jpeg_scan_info> scans;
    if (options.scanPerCoefficient) {
        // The DC of all three components, then every AC coefficient of each
        // alone: 190 scans, a valid progression.
        scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
        for (int component = 0; component < 3; ++component) {
            for (int coefficient = 1; coefficient < DCTSIZE2; ++coefficient)
                scans.push_back({1, {component, 0, 0, 0}, coefficient, coefficient, 0, 0});
        }
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    if (options.orientation != 0) {
        Bytes app1 = {'E', 'x', 'i', 'f', 0, 0};
        const Bytes tiff = ExifTiff(options.orientation);
        app1.insert(app1.end(), tiff.begin(), tiff.end());
        jpeg_write_marker(&info, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
    }
    Bytes row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) paint(x, y, row.data() + 3 * x);
        JSAMPROW rows = row.data();
        jpeg_write_scanlines(&info, &rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes bytes(buffer, buffer + length);
    std::free(buffer);
    return bytes;
}

namespace {

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* bytes = static_cast<Bytes*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

void Flush(png_structp) {}

}  // namespace

Bytes MakePng(int width, int height, const Painter& paint, const MadeOptions& options) {
    Bytes bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) throw std::runtime_error("libpng could not write the test picture");
    png_set_write_fn(png, &bytes, Append, Flush);
    if (options.pngLevel >= 0) png_set_compression_level(png, options.pngLevel);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, options.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    Bytes exif;
    if (options.orientation != 0) {
        exif = ExifTiff(options.orientation);
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()), exif.data());
    }
    std::vector<Bytes> rows(static_cast<std::size_t>(height), Bytes(static_cast<std::size_t>(width) * 3));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) paint(x, y, rows[y].data() + 3 * x);
        pointers.push_back(rows[y].data());
    }
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

Painter StoredAs(int orientation, int uprightWidth, int uprightHeight, Painter upright) {
    const bool swaps = orientation >= 5;
    const int width = swaps ? uprightHeight : uprightWidth;
    const int height = swaps ? uprightWidth : uprightHeight;
    // Where the stored rows and columns lie in the upright picture, by the Exif
    // tag's description: row 0 at the top, right, bottom or left, column 0 at
    // the left, top, right or bottom.
    return [=](int x, int y, std::uint8_t* rgb) {
        switch (orientation) {
            case 2:  // mirrored left to right
                return upright(width - 1 - x, y, rgb);
            case 3:  // turned half round
                return upright(width - 1 - x, height - 1 - y, rgb);
            case 4:  // mirrored top to bottom
                return upright(x, height - 1 - y, rgb);
            case 5:  // row 0 is the left side, column 0 the top
                return upright(y, x, rgb);
            case 6:  // row 0 is the right side, column 0 the top
                return upright(height - 1 - y, x, rgb);
            case 7:  // row 0 is the right side, column 0 the bottom
                return upright(height - 1 - y, width - 1 - x, rgb);
            case 8:  // row 0 is the left side, column 0 the bottom
                return upright(y, width - 1 - x, rgb);
            default:
                return upright(x, y, rgb);
        }
    };
}

void Landscape(int x, int y, std::uint8_t* rgb) {
    const double value = 128 + 60 * std::sin(x / 37.0) * std::cos(y / 23.0) + 50 * std::sin((x + y) / 151.0);
    rgb[0] = static_cast<std::uint8_t>(std::lround(value));
    rgb[1] = static_cast<std::uint8_t>((x * 255) / 1000 % 256);
    rgb[2] = static_cast<std::uint8_t>((y * 255) / 800 % 256);
}
