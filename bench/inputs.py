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


# Today's formats, each made from the PNG by its own library's encoder: (file name, command with
# {source} and {output}). An 8 x 8 twin of each is made too, which the peers' timing subtracts.
LIBRARY_FILES = [
    ("photo.heic", ["heif-enc", "-q", "90", "-o", "{output}", "{source}"]),
    ("photo.avif", ["heif-enc", "--avif", "-q", "90", "-o", "{output}", "{source}"]),
    ("photo.webp", ["cwebp", "-quiet", "-q", "90", "{source}", "-o", "{output}"]),
    ("photo-lossless.webp", ["cwebp", "-quiet", "-lossless", "{source}", "-o", "{output}"]),
    ("photo.jxl", ["cjxl", "--quiet", "-d", "1", "{source}", "{output}"]),
    ("photo-lossless.jxl", ["cjxl", "--quiet", "-d", "0", "{source}", "{output}"]),
]


def library_files(folder, width=2000, height=1500):
    """Writes the files of today's formats and their 8 x 8 twins into folder; returns
    (path, twin's path) pairs in table order."""
    os.makedirs(folder, exist_ok=True)
    sources = {}
    for size in ((width, height), (8, 8)):
        sources[size] = os.path.join(folder, f"library-source-{size[0]}x{size[1]}.png")
        if not os.path.exists(sources[size]):
            photograph(*size).save(sources[size])
    pairs = []
    for name, command in LIBRARY_FILES:
        stem, extension = os.path.splitext(name)
        paths = os.path.join(folder, name), os.path.join(folder, f"{stem}-8x8{extension}")
        for path, source in zip(paths, (sources[(width, height)], sources[(8, 8)])):
            if not os.path.exists(path):
                filled = [part.format(source=source, output=path) for part in command]
                subprocess.run(filled, check=True, stdout=subprocess.DEVNULL)
        pairs.append(paths)
    return pairs
