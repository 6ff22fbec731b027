#!/usr/bin/env python3
"""Makes the module's bitmap resources in resources/bitmaps/ from bitmaps.tsv.

Every bitmap listed there is drawn at its size and written as an 8-bit
palettized, uncompressed Windows bitmap (<id>.bmp). Black (0,0,0) is kept for
the transparent parts alone: everything painted uses other colours.

Needs python3 with Pillow (Debian: python3-pil). Output is deterministic:
run it again only to change the artwork.
"""
import os
import sys

from PIL import Image, ImageChops, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bitmaps")
TABLE = os.path.join(HERE, "bitmaps.tsv")


def read_table():
    rows = []
    with open(TABLE, encoding="utf-8") as f:
        for line in f:
            if not line[:1].isdigit():
                continue
            ident, width, height, what = line.rstrip("\n").split("\t")
            rows.append((int(ident), int(width), int(height), what))
    return rows


def save(image, path):
    """Writes an RGB picture as 8-bit palettized BMP, pure black at index 0
    and used nowhere else."""
    rgb = image.convert("RGB")
    r, g, b = rgb.split()
    lit = ImageChops.lighter(r, ImageChops.lighter(g, b))
    black = lit.point(lambda v: 255 if v == 0 else 0)
    quantized = rgb.quantize(colors=255, method=Image.Quantize.MEDIANCUT,
                             dither=Image.Dither.NONE)
    palette = quantized.getpalette()[: 3 * 255]
    palette += [0] * (3 * 255 - len(palette))
    for i in range(0, len(palette), 3):
        if palette[i] == palette[i + 1] == palette[i + 2] == 0:
            palette[i:i + 3] = [1, 1, 1]
    indices = quantized.convert("L").point(lambda v: v + 1)
    indices.paste(0, mask=black)
    out = Image.frombytes("P", rgb.size, indices.tobytes())
    out.putpalette([0, 0, 0] + palette + [0] * (768 - 3 - len(palette)))
    out.save(path, format="BMP")


def placeholder(ident, width, height):
    image = Image.new("RGB", (width, height), (60, 60, 64))
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, 0, width - 1, height - 1], outline=(200, 200, 200))
    draw.text((2, 2), str(ident), fill=(230, 230, 230))
    return image


def main():
    os.makedirs(OUT, exist_ok=True)
    wanted = set(int(a) for a in sys.argv[1:])
    for ident, width, height, _ in read_table():
        if wanted and ident not in wanted:
            continue
        image = placeholder(ident, width, height)
        assert image.size == (width, height), ident
        save(image, os.path.join(OUT, f"{ident}.bmp"))


if __name__ == "__main__":
    main()
