#!/usr/bin/python3
"""Makes the JPEG test files with Pillow (Debian python3-pil): python3 make_files.py

Each picture is four flat 8x8 quadrants, so every 8x8 block is one colour and the decoded
pixels differ from the source only by the codec's rounding."""
from PIL import Image

QUADRANTS_RGB = [(200, 30, 40), (20, 180, 60), (30, 50, 220), (250, 250, 250)]
QUADRANTS_GRAY = [16, 96, 176, 240]
# Ink amounts (0 = none) as Pillow takes CMYK.
QUADRANTS_CMYK = [(0, 255, 255, 0), (255, 0, 255, 0), (0, 0, 0, 128), (0, 0, 0, 0)]


def quadrants(mode, colours):
    image = Image.new(mode, (16, 16))
    for i, colour in enumerate(colours):
        x, y = (i % 2) * 8, (i // 2) * 8
        image.paste(colour, (x, y, x + 8, y + 8))
    return image


quadrants("RGB", QUADRANTS_RGB).save("colour_16x16.jpg", quality=95, subsampling=0)
quadrants("RGB", QUADRANTS_RGB).save("colour_420_progressive_16x16.jpg", quality=95, subsampling=2,
                                     progressive=True)
quadrants("L", QUADRANTS_GRAY).save("gray_16x16.jpg", quality=95)
quadrants("CMYK", QUADRANTS_CMYK).save("cmyk_16x16.jpg", quality=95)
