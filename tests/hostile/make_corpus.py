#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (tests/fuzz/corpus) and the hostile
corpus (tests/hostile), every file built here from the formats' layouts.

Hostile pictures named refused_* must be refused and shown_* must give a
picture; the replay driver holds them to it. Run from anywhere; the output
is committed.
"""

import base64
import os
import struct
import subprocess
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SEEDS = os.path.join(ROOT, "fuzz", "corpus")
HOSTILE = os.path.join(ROOT, "hostile")


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- Windows bitmaps ----

def bitmap(width, height, bits, pixels, palette=None, compression=0, colours_used=None,
           core=False, top_down=False, data_offset=None):
    """A bitmap file around the given pixel data; palette entries as (r, g, b)."""
    if palette is None:
        palette = [(255, 255, 255), (0, 0, 0)] if bits <= 8 else []
    if core:
        info = struct.pack("<IHHHH", 12, width, height, 1, bits)
        table = b"".join(bytes((b, g, r)) for r, g, b in palette)
    else:
        used = len(palette) if colours_used is None else colours_used
        info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits,
                           compression, len(pixels), 2835, 2835, used, 0)
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + len(info) + len(table) if data_offset is None else data_offset
    header = b"BM" + struct.pack("<IHHI", 14 + len(info) + len(table) + len(pixels), 0, 0, offset)
    return header + info + table + pixels


def rows(width, height, bits, index):
    """Uncompressed rows, bottom row first, each padded to four bytes."""
    out = b""
    for y in reversed(range(height)):
        value, count = 0, 0
        line = b""
        for x in range(width):
            value = (value << bits) | index(x, y)
            count += bits
            if count == 8:
                line += bytes((value,))
                value, count = 0, 0
        if count:
            line += bytes((value << (8 - count),))
        out += line + b"\0" * (-len(line) % 4)
    return out


GREYS = [(i * 17, i * 17, i * 17) for i in range(16)]
GREYS256 = [(i, i, i) for i in range(256)]


def checkered(x, y):
    return (x + y) % 2


# ---- PNG ----

def chunk(kind, data, length=None):
    declared = len(data) if length is None else length
    return struct.pack(">I", declared) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def interlaced_rows(width, height, grey):
    """8-bit grey rows of the seven passes, each row with filter byte 0."""
    out = b""
    for left, top, step_x, step_y in ADAM7:
        columns = range(left, width, step_x)
        if not columns:
            continue
        for y in range(top, height, step_y):
            out += b"\0" + bytes(grey(x, y) for x in columns)
    return out


def png(width, height, rows_bytes=None, extra_before_end=b"", declared_size=None, interlaced=False,
        depth=8, colour_type=0):
    w, h = declared_size or (width, height)
    ihdr = chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour_type, 0, 0, 1 if interlaced else 0))
    if rows_bytes is None:
        rows_bytes = b"".join(b"\0" + bytes((x * 255 // max(width - 1, 1) for x in range(width)))
                              for _ in range(height))
    idat = chunk(b"IDAT", zlib.compress(rows_bytes))
    return b"\x89PNG\r\n\x1a\n" + ihdr + idat + extra_before_end + chunk(b"IEND", b"")


# ---- GIF ----

def gif(width, height, pixels, screen=None, cut=None):
    """Two colours; the LZW stream restarts every two codes so codes stay 3 bits wide."""
    sw, sh = screen or (width, height)
    codes = [4]
    for i, p in enumerate(pixels):
        codes.append(p)
        if i % 2 == 1:
            codes.append(4)
    codes.append(5)
    bits, count, data = 0, 0, bytearray()
    for code in codes:
        bits |= code << count
        count += 3
        while count >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        data.append(bits)
    if cut is not None:
        data = data[:cut]
    blocks = b"".join(bytes((len(data[i:i + 255]),)) + bytes(data[i:i + 255]) for i in range(0, len(data), 255))
    return (b"GIF89a" + struct.pack("<HHBBB", sw, sh, 0x80, 0, 0) + b"\xff\xff\xff\x00\x00\x00"
            + b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x02" + blocks + b"\x00\x3b")


def jpeg(progressive, size="24x16"):
    """A JPEG made by ImageMagick from a gradient, or None without it."""
    # ImageMagick by its own path: a `convert` earlier on the PATH may be a stand-in.
    convert = "/usr/bin/convert"
    if not os.access(convert, os.X_OK):
        return None
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "seed.jpg")
        options = ["-interlace", "JPEG"] if progressive else []
        subprocess.run([convert, "-size", size, "gradient:white-black", *options, "-strip", path], check=True)
        with open(path, "rb") as f:
            return f.read()


# ---- the formats of Qt's plugins ----

def tiff(width, height, pixels=None):
    """A little-endian TIFF of one 8-bit grey strip, stating the given size."""
    pixels = pixels if pixels is not None else bytes((x * 40 + y * 10) % 256 for y in range(height) for x in range(width))
    entries = [(256, width), (257, height), (258, 8), (259, 1), (262, 1), (273, 0), (277, 1), (278, height),
               (279, len(pixels))]
    directory_size = 2 + 12 * len(entries) + 4
    data_offset = 8 + directory_size
    entries[5] = (273, data_offset)
    directory = struct.pack("<H", len(entries)) + b"".join(struct.pack("<HHII", tag, 4, 1, value)
                                                            for tag, value in entries) + b"\0" * 4
    return b"II*\0" + struct.pack("<I", 8) + directory + pixels


def webp_stating(width, height):
    """An extended WebP header stating a canvas of the given size, with no image."""
    vp8x = b"VP8X" + struct.pack("<I", 10) + b"\0" * 4 + (width - 1).to_bytes(3, "little") \
        + (height - 1).to_bytes(3, "little")
    return b"RIFF" + struct.pack("<I", 4 + len(vp8x)) + b"WEBP" + vp8x


def webp(size="24x16"):
    """A lossless WebP made by ImageMagick from a gradient, or None without it."""
    # ImageMagick by its own path: a `convert` earlier on the PATH may be a stand-in.
    convert = "/usr/bin/convert"
    if not os.access(convert, os.X_OK):
        return None
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "seed.webp")
        subprocess.run([convert, "-size", size, "gradient:white-black", "-define", "webp:lossless=true",
                        "-strip", path], check=True)
        with open(path, "rb") as f:
            return f.read()


def icon(images, stated=None):
    """A Windows icon of the given images (PNG or bitmap bytes), the directory
    stating each one's own size (0 for 256 or more) unless told another."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image in images:
        if stated:
            width, height = stated
        elif image.startswith(b"\x89PNG"):
            width, height = struct.unpack(">II", image[16:24])
        else:
            width, height = struct.unpack("<ii", image[4:12])
            height //= 2
        width, height = (side if side < 256 else 0 for side in (width, height))
        directory += struct.pack("<BBBBHHII", width, height, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def icon_bitmap(width, height):
    """An icon's 32-bit bitmap: its header states twice the height, for the mask."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = b"".join(bytes((x * 16 % 256, y * 16 % 256, 128, 255)) for y in range(height) for x in range(width))
    mask = b"\0" * (((width + 31) // 32) * 4 * height)
    return header + colours + mask


def rgb_png(width, height):
    rows = b"".join(b"\0" + b"".join(bytes((x * 20 % 256, y * 30 % 256, 90)) for x in range(width))
                    for y in range(height))
    return png(width, height, rows_bytes=rows, colour_type=2)


def svg(body, size='width="30" height="20"', prologue=""):
    return (prologue + '<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" '
            + size + ">" + body + "</svg>\n").encode()


def xpm(width, height, colours):
    """An XPM of three characters a pixel, every pixel the first colour."""
    def code(i):
        return "".join(chr(0x23 + (i // 90 ** k) % 90) for k in range(3)).replace("\\", "!").replace('"', "~")
    lines = ['"%d %d %d 3"' % (width, height, colours)]
    lines += ['"%s c #%06x"' % (code(i), i % 0xFFFFFF) for i in range(colours)]
    lines += ['"' + code(0) * width + '"'] * height
    return ("/* XPM */\nstatic char *p[] = {\n" + ",\n".join(lines) + "};\n").encode()


def plugin_formats():
    """Seeds of the plugin formats' fuzz target and their hostile files."""
    seeds = os.path.join(SEEDS, "plugins")
    write(seeds, "grey_strip.tif", tiff(13, 7))
    write(seeds, "two_images.ico", icon([icon_bitmap(8, 8), rgb_png(12, 10)]))
    write(seeds, "rect_and_use.svg",
          svg('<defs><rect id="r" width="4" height="3" fill="#00f"/></defs><use xlink:href="#r"/>'
              '<circle cx="20" cy="10" r="6" stroke="red" fill="none"/><path d="M0 19 L29 0"/>'))
    write(seeds, "embedded_png.svg",
          svg('<image width="12" height="10" xlink:href="data:image/png;base64,'
              + base64.b64encode(rgb_png(12, 10)).decode() + '"/>'))
    write(seeds, "two_frames.gif", gif(4, 2, [0] * 8)[:-1] + gif(4, 2, [1] * 8)[19:])
    write(seeds, "palette.xpm", xpm(6, 4, 3))
    # Text needs fonts, which a program without a window has not: refused there.
    write(seeds, "text.svg", svg('<text x="2" y="15" font-size="12">Lyra</text>'))
    data = webp()
    if data:
        write(seeds, "gradient_lossless.webp", data)

    h = os.path.join(HOSTILE, "picture")
    write(h, "refused_tiff_claims_100000_square.tif", tiff(100000, 100000, b"\x80" * 64))
    write(h, "refused_tiff_strip_cut_short.tif", tiff(64, 64)[:400])
    write(h, "refused_webp_claims_16384_square.webp", webp_stating(16384, 16384))
    if data:
        write(h, "refused_webp_cut_short.webp", data[:len(data) // 2])
    write(h, "refused_icon_every_image_cut_short.ico", icon([rgb_png(12, 10)])[:40])
    write(h, "refused_icon_png_claims_40000_square.ico", icon([png(8, 8, declared_size=(40000, 40000))]))
    write(h, "shown_icon_png_larger_than_its_directory_says.ico", icon([rgb_png(64, 40)], stated=(16, 16)))
    write(h, "refused_svg_cut_short.svg", svg('<rect width="4" height="3"/>')[:-10])
    write(h, "refused_svg_nested_200_deep.svg", svg("<g>" * 200 + '<rect width="4" height="3"/>' + "</g>" * 200))
    write(h, "refused_svg_of_10001_elements.svg", svg("<g/>" * 10001))
    write(h, "shown_svg_of_10000_elements_nested_128_deep.svg",
          # The svg element, 126 groups and the rect nest 128 deep.
          svg("<g/>" * (10000 - 128) + "<g>" * 126 + '<rect width="4" height="3"/>' + "</g>" * 126))
    uses = "".join('<g id="g%d">%s</g>' % (level, ('<use xlink:href="#g%d"/>' % (level - 1)) * 10)
                   for level in range(1, 9))
    write(h, "refused_svg_uses_drawing_10_to_the_8_rects.svg",
          svg('<defs><rect id="g0" width="1" height="1"/>' + uses + '</defs><use xlink:href="#g8"/>'))
    write(h, "refused_svg_use_within_itself.svg",
          svg('<g id="a"><rect width="1" height="1"/><use xlink:href="#a"/></g>'))
    write(h, "refused_svg_of_501_dashed_lines.svg",
          svg('<rect width="30" height="20" fill="none" stroke="#000" stroke-dasharray="0.5"/>' * 501))
    write(h, "refused_svg_image_from_an_absolute_path.svg",
          svg('<image width="30" height="20" xlink:href="/usr/share/pixmaps/debian-logo.png"/>'))
    write(h, "refused_svg_image_from_a_relative_path.svg",
          svg('<image width="30" height="20" xlink:href="secret.png"/>'))
    write(h, "refused_svg_image_from_a_file_url.svg",
          svg('<image width="30" height="20" href="file:///etc/passwd"/>'))
    write(h, "refused_svg_use_of_another_file.svg", svg('<use xlink:href="other.svg#shape"/>'))
    write(h, "refused_svg_external_entity.svg",
          svg("<text>&x;</text>", prologue='<!DOCTYPE svg [<!ENTITY x SYSTEM "file:///etc/passwd">]>'))
    laughs = "".join('<!ENTITY l%d "%s">' % (i, ("&l%d;" % (i - 1)) * 10 if i else "lol") for i in range(10))
    write(h, "refused_svg_entity_expansion.svg", svg("<text>&l9;</text>", prologue="<!DOCTYPE svg [" + laughs + "]>"))
    write(h, "refused_svg_embedded_png_claims_40000_square.svg",
          svg('<image width="2" height="2" xlink:href="data:image/png;base64,'
              + base64.b64encode(png(8, 8, declared_size=(40000, 40000))).decode() + '"/>'))
    write(h, "shown_svg_claims_100000_square_drawn_only_where_shown.svg",
          svg('<rect width="4" height="3"/>', size='width="100000" height="100000"'))
    write(h, "refused_xpm_96x48_with_5000_colours.xpm", xpm(96, 48, 5000))
    # Far beyond any limit, with image data of a few bytes.
    write(h, "refused_png_100000_square_tiny_stream.png",
          png(1, 1, rows_bytes=b"\0" * 4096, declared_size=(100000, 100000)))


def main():
    # ---- .bit seeds and hostile files ----
    bit = os.path.join(SEEDS, "bit")
    write(bit, "all_clear.bit", b"\0" * 576)
    write(bit, "all_set.bit", b"\xff" * 576)
    write(bit, "top_left.bit", b"\x01" + b"\0" * 575)
    write(bit, "counting.bit", bytes(i % 256 for i in range(576)))
    write(bit, "one_byte_short.bit", b"\0" * 575)
    hostile_bit = os.path.join(HOSTILE, "bit")
    write(hostile_bit, "empty.bit", b"")
    write(hostile_bit, "one_byte_long.bit", b"\xff" * 577)
    write(hostile_bit, "a_bitmap_named_bit.bit", bitmap(96, 48, 1, rows(96, 48, 1, checkered)))

    # ---- Nokia seeds (first byte: even .nol, odd .ngg) and hostile files ----
    logo = bytes(0x31 if (j % 72 + j // 72) % 3 == 0 else 0x30 for j in range(1008))
    nokia = os.path.join(SEEDS, "nokia")
    write(nokia, "nol_pattern", b"\0" + b"NOL\0" + b"\0" * 16 + logo)
    write(nokia, "ngg_pattern", b"\1" + b"NGG\0" + b"\0" * 12 + logo)
    write(nokia, "nol_with_trailer", b"\0" + b"\0" * 20 + logo + b"trailing bytes")
    hostile_nokia = os.path.join(HOSTILE, "nokia")
    write(hostile_nokia, "nol_every_pixel_byte_invalid", b"\0" + b"\0" * 20 + b"x" * 1008)
    write(hostile_nokia, "nol_crlf_between_rows",
          b"\0" + b"\0" * 20 + b"\r\n".join(logo[i:i + 72] for i in range(0, 1008, 72))[:1008])
    write(hostile_nokia, "ngg_one_byte_short", b"\1" + b"\0" * 16 + logo[:-1])
    write(hostile_nokia, "nol_header_only", b"\0" + b"\0" * 20)

    # ---- picture seeds ----
    pictures = os.path.join(SEEDS, "picture")
    write(pictures, "checkered_1bit.bmp", bitmap(13, 7, 1, rows(13, 7, 1, checkered)))
    write(pictures, "greys_4bit.bmp", bitmap(13, 7, 4, rows(13, 7, 4, lambda x, y: (x + y) % 16), GREYS))
    write(pictures, "greys_8bit.bmp", bitmap(13, 7, 8, rows(13, 7, 8, lambda x, y: x * 16 + y), GREYS256))
    write(pictures, "core_header_8bit.bmp",
          bitmap(13, 7, 8, rows(13, 7, 8, lambda x, y: x + y), GREYS256, core=True))
    write(pictures, "top_down_1bit.bmp", bitmap(13, 7, 1, rows(13, 7, 1, checkered)[::-1], top_down=True))
    write(pictures, "colours_24bit.bmp",
          bitmap(5, 3, 24, b"".join(b"".join(bytes((x * 50, y * 80, 200)) for x in range(5)) + b"\0"
                                    for y in range(3))))
    write(pictures, "rle8_runs_and_literals.bmp",
          bitmap(8, 3, 8, bytes([4, 7, 0, 4, 1, 2, 3, 4, 0, 0, 8, 9, 0, 0, 2, 5, 0, 1]), GREYS256, compression=1))
    write(pictures, "rle4_runs_and_literals.bmp",
          bitmap(8, 2, 4, bytes([8, 0x1F, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1]), GREYS, compression=2))
    write(pictures, "gradient.png", png(16, 4))
    write(pictures, "interlaced.png",
          png(13, 7, rows_bytes=interlaced_rows(13, 7, lambda x, y: x * 19 + y), interlaced=True))
    write(pictures, "checkered.gif", gif(6, 4, [checkered(i % 6, i // 6) for i in range(24)]))
    write(pictures, "checkered.pbm", b"P1\n4 2\n0 1 0 1\n1 0 1 0\n")
    write(pictures, "raw.pgm", b"P5 3 2 255\n" + bytes([0, 128, 255, 255, 128, 0]))
    write(pictures, "raw.ppm", b"P6\n2 1\n255\n" + bytes([255, 0, 0, 0, 0, 255]))
    write(pictures, "small.xbm", b"#define s_width 8\n#define s_height 2\nstatic char s_bits[] = { 0x01, 0x80 };\n")
    write(pictures, "small.xpm",
          b'/* XPM */\nstatic char *s[] = {\n"2 2 2 1",\n"a c #000000",\n"b c #FFFFFF",\n"ab",\n"ba"};\n')
    for name, progressive in (("gradient.jpg", False), ("gradient_progressive.jpg", True)):
        data = jpeg(progressive)
        if data:
            write(pictures, name, data)

    # ---- hostile pictures ----
    h = os.path.join(HOSTILE, "picture")
    # Run-length encoded bitmaps that skip pixels: skipped pixels take index 0.
    write(h, "shown_rle8_end_of_bitmap_only.bmp", bitmap(96, 48, 8, b"\0\1", GREYS256, compression=1))
    write(h, "shown_rle8_delta_skips_rows.bmp",
          bitmap(96, 48, 8, bytes([5, 200, 0, 2, 50, 30, 5, 100, 0, 1]), GREYS256, compression=1))
    write(h, "shown_rle8_end_of_line_on_every_row.bmp", bitmap(96, 48, 8, b"\2\xff\0\0" * 48, GREYS256, compression=1))
    write(h, "shown_rle8_data_cut_short.bmp", bitmap(96, 48, 8, bytes([96, 7]) * 3 + b"\0", GREYS256, compression=1))
    write(h, "shown_rle4_delta_past_the_edge.bmp",
          bitmap(16, 8, 4, bytes([0, 2, 250, 1, 6, 0x9A, 0, 1]), GREYS, compression=2))
    write(h, "shown_rle4_literal_run_past_the_edge.bmp",
          bitmap(4, 2, 4, bytes([0, 12, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0, 1]), GREYS, compression=2))
    write(h, "shown_rle8_runs_past_the_edge_for_every_row.bmp",
          bitmap(3, 2000, 8, bytes([255, 9]) * 20000, GREYS256, compression=1))
    write(h, "shown_rle8_2048_square_at_the_pixel_limit.bmp", bitmap(2048, 2048, 8, b"\0\1", GREYS256, compression=1))
    # Palettes larger than the depth can address.
    write(h, "shown_1bit_claims_300_colours.bmp",
          bitmap(13, 7, 1, rows(13, 7, 1, checkered), GREYS256[:255] + [(0, 0, 0)] * 45, colours_used=300))
    write(h, "shown_4bit_claims_40_colours.bmp",
          bitmap(13, 7, 4, rows(13, 7, 4, lambda x, y: (x * y) % 16), GREYS * 2 + GREYS[:8], colours_used=40))
    write(h, "shown_8bit_index_beyond_its_2_colours.bmp", bitmap(4, 4, 8, bytes(range(0, 256, 16))))
    write(h, "refused_8bit_claims_a_billion_colours.bmp",
          bitmap(4, 4, 8, bytes(16), GREYS256, colours_used=1_000_000_000))
    write(h, "refused_8bit_palette_cut_short.bmp", bitmap(13, 7, 8, b"", GREYS256)[:300])
    write(h, "refused_rle8_stored_top_down.bmp", bitmap(8, 2, 8, b"\0\1", GREYS256, compression=1, top_down=True))
    write(h, "refused_rle8_at_4_bits.bmp", bitmap(8, 2, 4, b"\0\1", GREYS, compression=1))
    write(h, "refused_24bit_claims_30000_square.bmp", bitmap(30000, 30000, 24, b"\0" * 64))
    write(h, "refused_rle8_claims_30000_square.bmp", bitmap(30000, 30000, 8, b"\0\1", GREYS256,
                                                                      compression=1))
    write(h, "refused_24bit_data_cut_short.bmp", bitmap(96, 48, 24, b"\x80" * (96 * 3 * 47)))
    write(h, "refused_32bit_no_data_offset_data_cut_short.bmp",
          bitmap(8, 8, 32, b"\x80" * (32 * 7), data_offset=0))
    write(h, "refused_info_header_cut_short.bmp", bitmap(13, 7, 24, b"\0" * 300)[:30])
    write(h, "refused_jpeg_compression_in_a_bitmap.bmp", bitmap(4, 4, 24, b"\xff\xd8\xff" + b"\0" * 64,
                                                                compression=4))
    # PNGs whose chunks lie about their lengths, or carry extras to inflate.
    tail = struct.pack(">I", 0x80000000) + b"tEXt" + b"Comment\0x"
    write(h, "refused_png_named_bmp_text_chunk_claims_2gib.bmp", png(8, 8, extra_before_end=b"")[:-12] + tail)
    write(h, "refused_png_idat_claims_more_than_the_file.png",
          png(8, 8)[:33] + struct.pack(">I", 1 << 30) + png(8, 8)[37:])
    write(h, "refused_png_claims_40000_square.png", png(8, 8, declared_size=(40000, 40000)))
    write(h, "refused_png_claims_20000_square_pixels.png", png(8, 8, declared_size=(20000, 20000)))
    write(h, "refused_png_without_end.png", png(8, 8)[:-12])
    write(h, "shown_png_2048_square_at_the_pixel_limit.png", png(2048, 2048, rows_bytes=bytes(2049 * 2048)))
    write(h, "refused_png_16bit_rgba_2048_square_beyond_the_data_limit.png",
          png(2048, 2048, rows_bytes=bytes((1 + 2048 * 8) * 2048), depth=16, colour_type=6))
    write(h, "shown_png_16bit_rgba_1023_square_at_the_data_limit.png",
          png(1023, 1023, rows_bytes=bytes((1 + 1023 * 8) * 1023), depth=16, colour_type=6))
    write(h, "shown_png_interlaced_smaller_than_a_pass.png",
          png(3, 2, rows_bytes=interlaced_rows(3, 2, lambda x, y: 200 - x * 50 - y), interlaced=True))
    write(h, "png_idat_cut_short.png", png(8, 8)[:45] + png(8, 8)[-12:])
    bomb = chunk(b"zTXt", b"Comment\0\0" + zlib.compress(b"\0" * (200 << 20), 9))
    write(h, "shown_png_text_inflating_to_200mib.png", png(8, 8, extra_before_end=bomb))
    write(h, "shown_png_profile_inflating_to_200mib.png",
          png(8, 8, extra_before_end=chunk(b"iCCP", b"p\0\0" + zlib.compress(b"\0" * (200 << 20), 9))))
    write(h, "refused_png_idat_inflating_far_past_the_picture.png",
          png(8, 8, rows_bytes=(b"\0" + b"\x80" * 8) * 8 + b"\0" * (64 << 20)))
    # GIF, JPEG and the text formats claiming sizes they do not hold.
    write(h, "refused_gif_screen_65535_square.gif", gif(2, 2, [0, 1, 1, 0], screen=(65535, 65535)))
    write(h, "gif_lzw_data_cut_short.gif", gif(16, 16, [checkered(i % 16, i // 16) for i in range(256)], cut=20))
    write(h, "gif_frame_smaller_than_the_screen.gif", gif(2, 2, [0, 1, 1, 0], screen=(40, 30)))
    write(h, "refused_jpeg_with_1000_scans.jpg", b"\xff\xd8\xff\xe0" + b"\xff\xda\x00\x02" * 1000 + b"\xff\xd9")
    data = jpeg(True, "2048x2048")
    if data:
        write(h, "shown_jpeg_progressive_2048_square_at_the_pixel_limit.jpg", data)
    # Found by the picture fuzz target: a JPEG whose header breaks after its
    # frame, before libjpeg has counted the components' blocks.
    write(h, "jpeg_header_broken_after_its_frame.jpg", bytes.fromhex(
        "ffd8ffe000104a00000000000000b90100010000ffdb0043000302020202020302020203030303040604040404040806"
        "06050609080a0a090809090a0c5b5d203d207b2030783031207d3b0a11100a0c12131210130f101010ffc0000b080010"
        "001801011100ffc400160001010100000000000000000000000000000809ffc400171000000000b90100010000ffdb00"
        "4300030202020202030202020303030304060404040404080606050609080a0a090809090a0c5b5d203d207b20307830"
        "31207d3b0a11100a0c12131210130f101010ffc0000b080010001801011100ffc4001600010101000000000000000000"
        "00000000000809ffc400171000030100000000000000000000000000001865a2ffda0008010100003f00ad1904040408"
        "06060589504e470d0a1a0a0000000d49484452000609080a0a090809090a0c5b5d20000003000000023d207b20307830"
        "31207d3b0a11100a0c120800000001cf1a0cdd0d066e868c9466e86837743419ba1a3fffd9"
    ))
    # Found by the picture fuzz target: stray bytes before a marker, which
    # libjpeg warns of in the header and Qt's decoder forgives there.
    write(h, "shown_jpeg_stray_bytes_before_a_marker.jpg", bytes.fromhex(
        "ffd8ffe000104a4649707070707070707070707070707070707070707070707070707070707070707070707070707070"
        "707070707070707070707070707070707070707070707070704600010100000100010000ffdb00430003020202020203"
        "0202020303030304060404040404080606050609080a0a090809090a0c0f0c0a0b0e0b09090d110d0e0f101011100a0c"
        "12131210130f101010ffc0000b080010001801011100ffc400160001010100000000000000000000000000000809ffc4"
        "00171000030100000000000000000000000000001865a2ffda0008010100003f00ad19ba1a0cdd0d066e868c9466e868"
        "337434020203030319ba1a3fffd9"
    ))
    write(h, "refused_ppm_claims_30000_square.ppm", b"P6\n30000 30000\n255\n" + b"\0" * 64)
    write(h, "refused_pbm_raw_data_cut_short.pbm", b"P4\n64 64\n" + b"\xaa" * 100)
    write(h, "pgm_ascii_data_cut_short.pgm", b"P2\n8 8\n255\n" + b"12 " * 10)
    write(h, "refused_xbm_claims_30000_square.xbm",
          b"#define s_width 30000\n#define s_height 30000\nstatic char s_bits[] = { 0x01 };\n")
    write(h, "refused_xpm_claims_30000_square.xpm",
          b'/* XPM */\nstatic char *s[] = {\n"30000 30000 1 1",\n"a c #000000",\n"a"};\n')
    write(h, "refused_text_named_bmp.bmp", b"this is no picture\n")
    write(h, "refused_empty.bmp", b"")
    write(h, "refused_icon.bmp", b"\0\0\1\0\1\0" + b"\0" * 64)

    plugin_formats()


if __name__ == "__main__":
    main()
