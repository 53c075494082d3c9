"""Pictures the benchmarks' peers work on, made with Pillow in each run: nothing downloaded."""
import os
import random
import subprocess

from PIL import Image


def photograph(width, height):
    """Smooth gradients with a little noise, like bench/photograph.h's picture."""
    gradient = Image.linear_gradient("L")
    red = gradient.resize((width, height))
    blue = gradient.rotate(90).resize((width, height))
    rng = random.Random(42)
    noise = Image.frombytes("L", (width, height), rng.randbytes(width * height))
    green = Image.blend(Image.new("L", (width, height), 128), noise, 0.07)
    return Image.merge("RGB", (red, green, blue))


# One file per reader and variant: (file name, mode, Pillow's save options); PSD, which Pillow
# does not write, comes from ImageMagick.
DECODE_FILES = [
    ("photo.png", "RGB", {}),
    ("photo-lzw.tif", "RGB", {"compression": "tiff_lzw"}),
    ("photo-packbits.tif", "RGB", {"compression": "packbits"}),
    ("photo-g3.tif", "1", {"compression": "group3"}),
    ("photo.gif", "P", {}),
    ("photo.pcx", "RGB", {}),
    ("photo.tga", "RGB", {"compression": "tga_rle"}),
    ("photo.sgi", "RGB", {}),
    ("photo.psd", "RGB", None),
    ("photo.ppm", "RGB", {}),
]


def decode_files(folder, width=2000, height=1500):
    """Writes the decoding benchmark's files into folder; returns their paths in table order."""
    os.makedirs(folder, exist_ok=True)
    picture = photograph(width, height)
    paths = []
    for name, mode, options in DECODE_FILES:
        path = os.path.join(folder, name)
        paths.append(path)
        if os.path.exists(path):
            continue
        if options is None:
            png = os.path.join(folder, "photo.png")
            subprocess.run(["convert", png, path], check=True)
        else:
            converted = picture.quantize(256) if mode == "P" else picture.convert(mode)
            converted.save(path, **options)
    return paths
