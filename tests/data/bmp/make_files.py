#!/usr/bin/python3
"""Makes the BMP test files with Pillow (Debian python3-pil) and ImageMagick 6 (/usr/bin/convert):
/usr/bin/python3 make_files.py

Every picture is 13x5 (odd width, so rows need padding) and its pixels follow the formulas
below; tests/raster/bmp_codec_test.cpp computes the same formulas to know what each file holds.
The 16-bit pictures are drawn with channel levels (0-31, 0-63, 0-15); each level goes to the
tool as the smallest 8-bit value that scales to it, which the usual reductions (v >> 3, or
v * 31 / 255 truncated or rounded) all take back to that level, and the script checks that the
files hold exactly those levels. A reader widens them again: (k << 3) | (k >> 2) for 5 bits,
(k << 2) | (k >> 4) for 6 bits, 17 * k for 4 bits."""
import os
import subprocess
import tempfile

from PIL import Image

W, H = 13, 5
CONVERT = "/usr/bin/convert"  # ImageMagick 6, by full path


def true_colour(x, y):
    return (18 * x + 7 * y + 5, 250 - 17 * x - 11 * y, 50 * y + 3 * x + 9)


def alpha(x, y):
    return 128 + 9 * x + y


def levels565(x, y):
    return ((3 * x + 7 * y) % 32, (5 * x + 11 * y) % 64, (7 * x + 2 * y + 1) % 32)


def levels555(x, y):
    return ((3 * x + 7 * y) % 32, (5 * x + 11 * y) % 32, (7 * x + 2 * y + 1) % 32)


def levels444(x, y):
    return ((x + 3 * y) % 16, (2 * x + y) % 16, (5 * x + 4 * y + 3) % 16)


def smallest_8bit(level, top):
    return -(-level * 255 // top)  # ceil(level * 255 / top)


def rgb565(x, y):
    r, g, b = levels565(x, y)
    return (smallest_8bit(r, 31), smallest_8bit(g, 63), smallest_8bit(b, 31))


def rgb555(x, y):
    return tuple(smallest_8bit(level, 31) for level in levels555(x, y))


def rgb444(x, y):
    return tuple(17 * level for level in levels444(x, y))


def mono(x, y):
    return 255 if (x * y + x + 2 * y) % 3 == 0 else 0


ELEVEN = [(0, 0, 0), (255, 255, 255), (200, 30, 40), (20, 180, 60), (30, 50, 220), (250, 200, 10),
          (90, 90, 90), (10, 220, 230), (160, 20, 170), (120, 70, 30), (240, 140, 180)]


def eleven_index(x, y):
    return (x + 2 * y) % 11


def forty_colour(i):
    return ((53 * i + 17) % 256, (97 * i + 71) % 256, (29 * i + 200) % 256)


def forty_index(x, y):
    # Runs at the start of each row give the run-length coder something to repeat.
    return y if x < 4 else (3 * x + 13 * y) % 40


def gray(x, y):
    return 19 * x + 3 * y


def picture(mode, pixel):
    image = Image.new(mode, (W, H))
    image.putdata([pixel(x, y) for y in range(H) for x in range(W)])
    return image


def forty_palette_picture():
    image = Image.new("P", (W, H))
    image.putpalette([c for i in range(40) for c in forty_colour(i)])
    image.putdata([forty_index(x, y) for y in range(H) for x in range(W)])
    return image


def check_levels(name, levels, masks):
    """Fails when the tool stored other levels than drawn (another version may reduce otherwise)."""
    data = open(name, "rb").read()
    offset = int.from_bytes(data[10:14], "little")
    stride = (W * 2 + 3) // 4 * 4
    for y in range(H):
        row = offset + (H - 1 - y) * stride  # bottom-up
        for x in range(W):
            value = int.from_bytes(data[row + 2 * x:row + 2 * x + 2], "little")
            got = tuple((value & m) >> ((m & -m).bit_length() - 1) for m in masks)
            assert got == levels(x, y), (name, x, y, got, levels(x, y))


def convert(source, target, *options):
    subprocess.run([CONVERT, source, *options, target], check=True)


def flip_to_top_down(source, target):
    """Rewrites a bottom-up file as top-down: rows reversed, height negated."""
    data = bytearray(open(source, "rb").read())
    offset = int.from_bytes(data[10:14], "little")
    height = int.from_bytes(data[22:26], "little", signed=True)
    stride = (len(data) - offset) // height
    rows = [data[offset + i * stride:offset + (i + 1) * stride] for i in range(height)]
    data[22:26] = (-height).to_bytes(4, "little", signed=True)
    data[offset:] = b"".join(reversed(rows))
    open(target, "wb").write(data)


with tempfile.TemporaryDirectory() as tmp:
    def source(name, image):
        path = os.path.join(tmp, name)
        image.save(path)
        return path

    true_ppm = source("true.ppm", picture("RGB", true_colour))
    true_alpha_png = source("alpha.png", picture("RGBA", lambda x, y: true_colour(x, y) + (alpha(x, y),)))
    rgb565_ppm = source("565.ppm", picture("RGB", rgb565))
    rgb555_ppm = source("555.ppm", picture("RGB", rgb555))
    rgb444_png = source("444.png", picture("RGBA", lambda x, y: rgb444(x, y) + (17 * (x % 16),)))
    mono_pgm = source("mono.pgm", picture("L", mono))
    eleven_ppm = source("eleven.ppm", picture("RGB", lambda x, y: ELEVEN[eleven_index(x, y)]))
    forty_ppm = source("forty.ppm", picture("RGB", lambda x, y: forty_colour(forty_index(x, y))))

    # Pillow
    picture("1", mono).save("pil_1bit.bmp")
    forty_palette_picture().save("pil_8bit.bmp")
    picture("L", gray).save("pil_8bit_gray.bmp")
    picture("RGB", true_colour).save("pil_24bit.bmp")
    picture("RGBA", lambda x, y: true_colour(x, y) + (alpha(x, y),)).save("pil_32bit_alpha.bmp")
    flip_to_top_down("pil_24bit.bmp", "pil_24bit_top_down.bmp")

    # ImageMagick
    convert(mono_pgm, "BMP3:im_1bit.bmp", "-type", "Bilevel")
    convert(eleven_ppm, "BMP3:im_4bit.bmp", "-type", "Palette")
    convert(forty_ppm, "BMP3:im_rle8.bmp", "-type", "Palette", "-compress", "RLE")
    convert(rgb565_ppm, "im_16bit_565.bmp", "-type", "TrueColor", "-define", "bmp:subtype=RGB565")
    convert(rgb555_ppm, "im_16bit_555.bmp", "-type", "TrueColor", "-define", "bmp:subtype=RGB555")
    convert(rgb444_png, "im_16bit_4444.bmp", "-type", "TrueColorAlpha", "-define", "bmp:subtype=ARGB4444")
    convert(true_ppm, "im_24bit_v5.bmp", "-type", "TrueColor")
    convert(true_alpha_png, "im_32bit_argb.bmp", "-type", "TrueColorAlpha", "-define", "bmp:subtype=ARGB8888")
    convert(forty_ppm, "BMP2:im_os2_8bit.bmp", "-type", "Palette")
    convert(true_ppm, "BMP2:im_os2_24bit.bmp", "-type", "TrueColor")

check_levels("im_16bit_565.bmp", levels565, (0xF800, 0x07E0, 0x001F))
check_levels("im_16bit_555.bmp", levels555, (0x7C00, 0x03E0, 0x001F))
check_levels("im_16bit_4444.bmp", levels444, (0x0F00, 0x00F0, 0x000F))
