#!/usr/bin/python3
"""Draws the Corvane main panel's background bitmap (main_panel.bmp, 8-bit
palettized, 1600 x 900: the design space of [Window00] in panel.cfg): a
painted metal panel with recessed frames behind the instrument groups, their
engraved names and screw heads. Needs Pillow (apt-get install python3-pil).

    panels/corvane/make_background.py
"""
import os
import random

from PIL import Image, ImageDraw, ImageFilter, ImageFont

WIDTH, HEIGHT = 1600, 900
PANEL = (52, 58, 64)
RECESS = (40, 45, 50)
EDGE_LIGHT = (78, 86, 94)
EDGE_DARK = (26, 29, 33)
ENGRAVING = (205, 208, 200)

# Frames behind the instrument groups of [Window00]: box, label (engraved
# along the top or, where the instruments reach up to the frame, the bottom).
GROUPS = [
    ((15, 12, 265, 68), "", False),
    ((30, 72, 250, 720), "", False),
    ((290, 28, 930, 510), "FLIGHT", True),
    ((936, 28, 1460, 510), "NAVIGATION", True),
    ((290, 514, 1400, 812), "ENGINES", False),
    ((290, 828, 1100, 892), "", False),
]


def font(size):
    for path in ("/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
                 "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"):
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def screw(draw, x, y):
    draw.ellipse((x - 6, y - 6, x + 6, y + 6), fill=(120, 126, 130), outline=EDGE_DARK)
    draw.line((x - 4, y - 4, x + 4, y + 4), fill=EDGE_DARK, width=2)


def main():
    random.seed(417)
    image = Image.new("RGB", (WIDTH, HEIGHT), PANEL)
    # A faint brushed grain, so that the paint does not look flat.
    grain = Image.effect_noise((WIDTH, HEIGHT), 6).filter(ImageFilter.GaussianBlur(1))
    image = Image.blend(image, Image.merge("RGB", (grain, grain, grain)).point(lambda v: v * 0.45), 0.18)
    draw = ImageDraw.Draw(image)
    label = font(13)
    for (x0, y0, x1, y1), name, on_top in GROUPS:
        draw.rounded_rectangle((x0, y0, x1, y1), radius=10, fill=RECESS, outline=EDGE_DARK, width=2)
        draw.line((x0 + 10, y1 + 1, x1 - 10, y1 + 1), fill=EDGE_LIGHT, width=1)
        width = draw.textlength(name, font=label)
        draw.text(((x0 + x1 - width) / 2, y0 + 5 if on_top else y1 - 19), name, font=label, fill=ENGRAVING)
    for x in (12, WIDTH - 12):
        for y in (12, HEIGHT // 2, HEIGHT - 12):
            screw(draw, x, y)
    draw.text((1480, 870), "CORVANE", font=font(18), fill=ENGRAVING)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "main_panel.bmp")
    image.convert("P", palette=Image.ADAPTIVE, colors=128).save(out)


if __name__ == "__main__":
    main()
