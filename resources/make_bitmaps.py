#!/usr/bin/env python3
"""Makes the module's bitmap resources in resources/bitmaps/ from bitmaps.tsv.

Every bitmap listed there is drawn at its size and written as an 8-bit
palettized, uncompressed Windows bitmap (<id>.bmp). Black (0,0,0) is kept for
the transparent parts alone: everything painted uses other colours.

Needs python3 with Pillow (Debian: python3-pil). Output is deterministic:
run it again only to change the artwork.
"""
import math
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bitmaps")
TABLE = os.path.join(HERE, "bitmaps.tsv")
SCALES = os.path.join(HERE, "scales.tsv")


def read_table():
    rows = []
    with open(TABLE, encoding="utf-8") as f:
        for line in f:
            if not line[:1].isdigit():
                continue
            ident, width, height, what = line.rstrip("\n").split("\t")
            rows.append((int(ident), int(width), int(height), what))
    return rows


def read_scales():
    """The needles' scale tables as the module's gauges define them, from
    scales.tsv (written by `panelhost scales`): {(gauge, element): (pivot,
    rows)}, rows as ((x, y), value, degrees) in stored order, degrees the
    angle the host turns the needle to for that row."""
    scales = {}
    with open(SCALES, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            gauge, element, _face, px, py, x, y, value, degrees = line.rstrip("\n").split("\t")
            pivot, rows = scales.setdefault((gauge, int(element)), ((int(px), int(py)), []))
            rows.append(((int(x), int(y)), float(value), float(degrees)))
    return scales


_scales = None


def module_scale(gauge, element, unit=1.0):
    """Pivot and table rows of a needle of the module (element: its
    drawing-order number), values divided by unit: the dials paint their
    marks from the numbers the needles turn by, never from copies."""
    global _scales
    if _scales is None:
        _scales = read_scales()
    pivot, rows = _scales[(gauge, element)]
    return pivot, [(p, v / unit, d) for p, v, d in rows]


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
    indices = Image.frombytes("L", rgb.size, quantized.tobytes()).point(lambda v: v + 1)
    indices.paste(0, mask=black)
    out = Image.frombytes("P", rgb.size, indices.tobytes())
    out.putpalette([0, 0, 0] + palette + [0] * (768 - 3 - len(palette)))
    out.save(path, format="BMP")


# --- Drawing --------------------------------------------------------------
# Pictures are drawn three times larger and reduced with a box filter, which
# smooths edges without ever turning a painted pixel into transparent black.

SS = 3
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_NARROW = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"

CLEAR = (0, 0, 0)
FACE = (26, 27, 29)
INK = (236, 234, 226)
GREY = (150, 152, 155)
PANEL = (62, 66, 70)
PANEL_DARK = (42, 45, 48)
METAL = (128, 131, 134)
METAL_LIGHT = (196, 198, 200)
METAL_DARK = (74, 76, 79)
RED = (214, 40, 32)
GREEN = (40, 180, 70)
YELLOW = (236, 196, 40)
AMBER = (250, 160, 30)
ORANGE = (240, 120, 20)
BLUE = (60, 120, 230)
SKY = (70, 140, 214)
GROUND = (140, 90, 50)
NEEDLE = (242, 240, 232)
SHADE = (12, 12, 13)


class Canvas:
    """An RGB picture drawn in the bitmap's own pixel coordinates."""

    def __init__(self, width, height, background=CLEAR):
        self.width, self.height = width, height
        self.image = Image.new("RGB", (width * SS, height * SS), background)
        self.draw = ImageDraw.Draw(self.image)

    def _p(self, points):
        return [(x * SS + SS / 2 - 0.5, y * SS + SS / 2 - 0.5) for x, y in points]

    def _box(self, x0, y0, x1, y1):
        return [x0 * SS, y0 * SS, (x1 + 1) * SS - 1, (y1 + 1) * SS - 1]

    def rect(self, x0, y0, x1, y1, fill=None, outline=None, width=1, radius=0):
        box = self._box(x0, y0, x1, y1)
        if radius:
            self.draw.rounded_rectangle(box, radius * SS, fill=fill, outline=outline,
                                        width=int(width * SS))
        else:
            self.draw.rectangle(box, fill=fill, outline=outline, width=int(width * SS))

    def circle(self, cx, cy, r, fill=None, outline=None, width=1):
        (x, y), = self._p([(cx, cy)])
        self.draw.ellipse([x - r * SS, y - r * SS, x + r * SS, y + r * SS], fill=fill,
                          outline=outline, width=int(width * SS))

    def ring(self, cx, cy, r_out, r_in, fill):
        self.circle(cx, cy, (r_out + r_in) / 2, outline=fill, width=r_out - r_in)

    def poly(self, points, fill=None, outline=None):
        self.draw.polygon(self._p(points), fill=fill, outline=outline)

    def line(self, points, fill, width=1):
        self.draw.line(self._p(points), fill=fill, width=max(1, int(round(width * SS))))

    def arc(self, cx, cy, r, a0, a1, fill, width=2):
        (x, y), = self._p([(cx, cy)])
        self.draw.arc([x - r * SS, y - r * SS, x + r * SS, y + r * SS], a0, a1, fill=fill,
                      width=int(width * SS))

    def text(self, x, y, words, size, fill=INK, font=FONT, anchor="mm"):
        face = ImageFont.truetype(font, int(size * SS))
        (px, py), = self._p([(x, y)])
        self.draw.text((px, py), words, font=face, fill=fill, anchor=anchor)

    def legends(self, fill, *rows):
        """Words printed on a face in one colour: rows of (x, y, words, size)."""
        for x, y, words, size in rows:
            self.text(x, y, words, size, fill)

    def done(self):
        return self.image.resize((self.width, self.height), Image.Resampling.BOX)


def polar(cx, cy, r, degrees):
    a = math.radians(degrees)
    return cx + r * math.cos(a), cy + r * math.sin(a)


def gradient_disc(c, cx, cy, r, light, dark, steps=12):
    for i in range(steps):
        t = i / (steps - 1)
        colour = tuple(int(dark[k] + (light[k] - dark[k]) * t) for k in range(3))
        c.circle(cx - r * 0.25 * t, cy - r * 0.25 * t, r * (1 - 0.6 * t), fill=colour)


def screw(c, x, y, r=6):
    c.circle(x, y, r, fill=METAL, outline=METAL_DARK)
    c.line([polar(x, y, r - 1, 200), polar(x, y, r - 1, 20)], METAL_DARK, 1.5)


# --- Needle tables --------------------------------------------------------
# The angle a needle shows for a value, as the panel host works it out from the
# element's nonlinearity table: the degrees it gives each row (scales.tsv,
# clockwise from +x, unwound along the table), interpolated between rows, the
# end segments continued.

def table_angles(centre, rows):
    return sorted((value, degrees) for _point, value, degrees in rows)


def angle_for(value, angles):
    pairs = [p for i, p in enumerate(angles) if i == 0 or p[0] != angles[i - 1][0]]
    if len(pairs) == 1:
        return pairs[0][1]
    for i in range(len(pairs) - 1):
        (v0, a0), (v1, a1) = pairs[i], pairs[i + 1]
        if value <= v1 or i == len(pairs) - 2:
            return a0 + (a1 - a0) * (value - v0) / (v1 - v0)
    return pairs[-1][1]


def table_radius(centre, rows):
    d = sorted(math.hypot(x - centre[0], y - centre[1]) for (x, y), *_ in rows)
    return d[len(d) // 2]


def scale(c, centre, rows, marks, radius=None, label_size=15, ink=INK, inward=True,
          major_len=13, minor_len=7, label_gap=14):
    """Ticks and numerals along a needle's table: marks are (value, label or
    None, major)."""
    cx, cy = centre
    angles = table_angles(centre, rows)
    r = radius or table_radius(centre, rows)
    for value, label, major in marks:
        a = angle_for(value, angles)
        length = major_len if major else minor_len
        c.line([polar(cx, cy, r - length, a), polar(cx, cy, r, a)], ink, 3 if major else 1.5)
        if label is not None:
            lr = r - length - label_gap if inward else r + label_gap
            x, y = polar(cx, cy, lr, a)
            c.text(x, y, label, label_size, ink)


def coloured_arc(c, centre, rows, v0, v1, colour, radius=None, width=5):
    angles = table_angles(centre, rows)
    r = radius or table_radius(centre, rows)
    a0, a1 = sorted((angle_for(v0, angles), angle_for(v1, angles)))
    c.arc(centre[0], centre[1], r - width / 2, a0, a1, colour, width)


def steps(first, last, step):
    n = int(round((last - first) / step))
    return [first + i * step for i in range(n + 1)]


def fmt(v):
    return ("%g" % v).replace("-", "\u2212")


# --- Instrument pieces ----------------------------------------------------

def round_dial(w, h, centre=(150, 150), r=142, face=FACE):
    c = Canvas(w, h)
    c.circle(centre[0], centre[1], r, fill=face)
    c.circle(centre[0], centre[1], r, outline=(60, 62, 64), width=2)
    return c


def bezel(w, h, centre=None, r_in=None, screws=True, hub=None):
    """The ring round a dial, panel-grey corners and screws; the centre is
    transparent so that the dial and needles show through."""
    cx, cy = centre or (w / 2 - 0.5, h / 2 - 0.5)
    r_out = min(w, h) / 2 - 1
    r_in = r_in or r_out - 12
    c = Canvas(w, h, PANEL_DARK)
    c.circle(cx, cy, r_out, fill=METAL_DARK)
    c.ring(cx, cy, r_out - 1, r_in + 3, (56, 58, 61))
    c.circle(cx, cy, r_out - 1, outline=METAL, width=1.5)
    c.circle(cx, cy, r_in, fill=CLEAR)
    c.circle(cx, cy, r_in + 2, outline=(30, 30, 32), width=2)
    if screws:
        k = min(w, h) * 0.08
        for x, y in ((k, k), (w - 1 - k, k), (k, h - 1 - k), (w - 1 - k, h - 1 - k)):
            screw(c, x, y, max(3, min(w, h) * 0.025))
    for x, y, r in ([hub] if hub and not isinstance(hub[0], tuple) else hub or []):
        gradient_disc(c, x, y, r, METAL_LIGHT, (40, 40, 42))
    return c.done()


TWIN_HUBS = ((66, 150, 8), (241, 150, 8))


def needle(w, h, pivot, colour=NEEDLE, tail=None, hub=None, tip="point", counter=METAL_DARK):
    """A needle pointing along +x from its pivot."""
    c = Canvas(w, h)
    px, py = pivot
    half = max(0.8, h / 2 - 0.5)
    tail_x = 0 if tail is None else max(0, px - tail)
    if px > 2:  # counterweight behind the pivot
        c.poly([(tail_x, py - half * 0.75), (px, py - half * 0.55), (px, py + half * 0.55),
                (tail_x, py + half * 0.75)], fill=counter if counter else colour)
    shaft = max(0.9, half * 0.45)
    if tip == "point":
        c.poly([(px, py - shaft), (w - 1 - half * 2, py - shaft * 0.6), (w - 1, py),
                (w - 1 - half * 2, py + shaft * 0.6), (px, py + shaft)], fill=colour)
    else:
        c.rect(px, max(0, py - shaft), w - 1, min(h - 1, py + shaft), fill=colour)
    r = hub if hub is not None else min(half, 0.45 * h)
    if 0 <= px < w and 0 <= py < h:
        c.circle(px, py, max(1, r), fill=METAL_DARK if r > 3 else colour)
        if r > 4:
            c.circle(px, py, r * 0.45, fill=METAL_LIGHT)
    return c.done()


def thin_needle(w, h, pivot, colour=NEEDLE):
    """A plain bar for meters whose needles are a few pixels high."""
    c = Canvas(w, h)
    px, py = pivot
    y0 = max(0, min(py - 1, h - 2))
    c.rect(max(0, px), y0, w - 1, min(h - 1, y0 + max(1, h // 2)), fill=colour)
    c.poly([(w - 8, y0), (w - 1, (y0 + min(h - 1, y0 + h // 2)) / 2), (w - 8, min(h - 1, y0 + h // 2))],
           fill=RED)
    return c.done()


def drum(w, h, labels):
    """A digit strip: the labels in equal cells from top to bottom."""
    c = Canvas(w, h, (34, 34, 36))
    cell = h / len(labels)
    for i, label in enumerate(labels):
        y = (i + 0.5) * cell
        c.text(w / 2 - 0.5, y, label, min(cell * 0.62, w * (1.45 if len(label) == 1 else 0.75)),
               INK, font=FONT_NARROW)
    c.line([(0, 0), (0, h - 1)], (20, 20, 22), 1)
    c.line([(w - 1, 0), (w - 1, h - 1)], (20, 20, 22), 1)
    return c.done()


def knob(w, h, colour=(58, 60, 63), pointer=INK, ridges=24):
    c = Canvas(w, h)
    cx, cy = w / 2 - 0.5, h / 2 - 0.5
    r = min(w, h) / 2 - 1
    for i in range(ridges):
        a = 360 * i / ridges
        c.line([polar(cx, cy, r * 0.8, a), polar(cx, cy, r, a)], (36, 37, 40), 2)
    c.circle(cx, cy, r, outline=(90, 92, 95), width=1)
    gradient_disc(c, cx, cy, r * 0.78, (120, 122, 126), colour)
    c.line([polar(cx, cy, r * 0.15, 0), polar(cx, cy, r * 0.78, 0)], pointer, 3)
    return c.done()


def lamp(w, h, lit, colour, dark=None, label=None, body=True):
    """A round lens; lit lamps glow, dark ones show the coloured glass."""
    c = Canvas(w, h)
    cx, cy = w / 2 - 0.5, h / 2 - 0.5
    r = min(w, h) / 2 - 1
    if body:
        c.circle(cx, cy, r, fill=METAL_DARK)
        c.circle(cx, cy, r, outline=METAL, width=1)
        r -= max(2, r * 0.18)
    if lit:
        gradient_disc(c, cx, cy, r, tuple(min(255, v + 120) for v in colour), colour)
    else:
        base = dark or tuple(max(18, v // 4) for v in colour)
        gradient_disc(c, cx, cy, r, tuple(min(255, v + 40) for v in base), base)
    if label:
        c.text(cx, cy, label, r * 0.9, (30, 30, 30) if lit else GREY)
    return c.done()


# --- Flight instruments ---------------------------------------------------

VSI_UNIT = 1.3004799583846413  # table units per foot per minute


def airspeed_dial(w, h):
    centre, table = module_scale("Airspeed", 2)
    c = round_dial(w, h)
    coloured_arc(c, centre, table, 100, 250, GREEN, radius=124, width=6)
    coloured_arc(c, centre, table, 250, 300, YELLOW, radius=124, width=6)
    marks = [(v, None, False) for v in steps(40, 300, 10)]
    marks += [(v, str(v), True) for v in steps(50, 300, 50)] + [(40, None, True)]
    scale(c, centre, table, marks, radius=126, label_size=22, label_gap=18)
    scale(c, centre, table, [(300, None, True)], radius=126, ink=RED)
    c.text(150, 200, "AIRSPEED", 13, GREY)
    return c.done()


def vsi_dial(w, h):
    centre, table = module_scale("Vertical_Speed", 2)
    c = round_dial(w, h)
    marks = [(v * VSI_UNIT, None, False) for v in steps(-3000, 3000, 100)]
    marks += [(v * VSI_UNIT, str(abs(v) // 100) if abs(v) < 2500 else None, True)
              for v in steps(-2500, 2500, 500)]
    marks += [(v * VSI_UNIT, None, True) for v in (-3000, 3000)]
    scale(c, centre, table, marks, radius=128, label_size=20, label_gap=16)
    c.text(190, 115, "UP", 14, GREY)
    c.text(190, 190, "DOWN", 14, GREY)
    c.text(110, 150, "VERT SPEED", 11, GREY, anchor="lm")
    c.text(110, 166, "100 FT/MIN", 10, GREY, anchor="lm")
    return c.done()


def altimeter_dial(w, h):
    centre, table = module_scale("Altimeter", 14)
    c = round_dial(w, h)
    marks = [(v, None, False) for v in steps(0, 980, 20)]
    marks += [(v, str(v // 100), True) for v in steps(0, 900, 100)]
    scale(c, centre, table, marks, radius=136, label_size=24, label_gap=16)
    # Windows of the altitude counter and the baro setting.
    c.rect(88, 110, 222, 158, fill=(14, 14, 15), outline=METAL, width=1.5, radius=3)
    c.rect(122, 209, 176, 236, fill=(14, 14, 15), outline=METAL, width=1.5, radius=2)
    c.legends(GREY, (190, 223, "MB", 10), (150, 178, "ALTITUDE", 11), (150, 92, "FEET", 10))
    return c.done()


def altimeter_pointer(w, h):
    return needle(w, h, (10, 10), hub=7)


# The leading-zero mask (bitmap 350) is 15 pixels tall over a drum window
# of a whole cell (374 / 11 = 34 pixels): the altitude drums carry their digit
# in the cell's top 15 pixels, so that a masked window hides its digit whole
# rather than leaving the foot of a 0 under the mask.
MASK_HEIGHT = 15


def digit_drum(w, h):
    return drum(w, h, [str((10 - i) % 10) for i in range(11)])


def altitude_drum(w, h):
    c = Canvas(w, h, (34, 34, 36))
    labels = [str((10 - i) % 10) for i in range(11)]
    cell = h / len(labels)
    for i, label in enumerate(labels):
        top = i * cell
        c.text(w / 2 - 0.5, top + MASK_HEIGHT / 2, label, MASK_HEIGHT * 0.95, INK, font=FONT_NARROW)
        c.line([(1, top + MASK_HEIGHT + 1), (w - 2, top + MASK_HEIGHT + 1)], (52, 52, 56), 1)
    c.line([(0, 0), (0, h - 1)], (20, 20, 22), 1)
    c.line([(w - 1, 0), (w - 1, h - 1)], (20, 20, 22), 1)
    return c.done()


def tens_drum(w, h):
    return drum(w, h, ["%d0" % ((10 - i) % 10) for i in range(11)])


def mask(w, h):
    c = Canvas(w, h, (44, 46, 48))
    for x in range(-h, w, 6):
        c.line([(x, h - 1), (x + h, 0)], (70, 72, 75), 2)
    c.rect(0, 0, w - 1, h - 1, outline=(24, 24, 26))
    return c.done()


def baro_knob(w, h):
    return knob(w, h)


def turn_dial(w, h):
    c = round_dial(w, h)
    centre, rows = module_scale("Turn_Coordinator", 4)
    for value in (-4.5, 0, 4.5):
        a = angle_for(value, table_angles(centre, rows))
        c.line([polar(*centre, 168, a), polar(*centre, 192, a)], INK, 5)
    c.text(*polar(*centre, 175, angle_for(-4.5, table_angles(centre, rows)) - 9), "L", 22)
    c.text(*polar(*centre, 175, angle_for(4.5, table_angles(centre, rows)) + 9), "R", 22)
    # Inclinometer tube: the ball rests at 150.5,184.5 and rises slightly outwards.
    for dx in range(-92, 93):
        c.circle(150.5 + dx, 184.5 - 0.000692 * dx * dx, 17, fill=(204, 214, 200))
    c.line([(132, 166), (132, 203)], FACE, 2.5)
    c.line([(169, 166), (169, 203)], FACE, 2.5)
    c.legends(GREY, (150, 120, "TURN COORDINATOR", 12), (150, 232, "2 MIN", 12),
              (150, 268, "NO PITCH INFORMATION", 9))
    return c.done()


def turn_needle(w, h):
    c = Canvas(w, h)
    px, py = 24, 14
    c.poly([(px, py - 3), (w - 30, py - 2), (w - 30, py + 2), (px, py + 3)], fill=NEEDLE)
    # The aircraft seen from behind near the tip: wings across the shaft.
    c.rect(w - 44, 1, w - 34, h - 2, fill=NEEDLE, radius=2)
    c.circle(w - 39, py, 7, fill=NEEDLE)
    c.poly([(w - 30, py - 2), (w - 1, py), (w - 30, py + 2)], fill=NEEDLE)
    c.circle(px, py, 12, fill=METAL_DARK)
    c.circle(px, py, 5, fill=METAL_LIGHT)
    return c.done()


def ball(w, h):
    c = Canvas(w, h)
    gradient_disc(c, 17, 25.5, 14, (110, 112, 118), (20, 20, 24))
    return c.done()


def power_flag(w, h):
    c = Canvas(w, h, (230, 230, 225))
    for x in range(-h, w, 8):
        c.poly([(x, h), (x + 4, h), (x + 4 + h, 0), (x + h, 0)], fill=RED)
    c.rect(3, 8, w - 4, h - 9, fill=(230, 230, 225))
    c.text(w / 2, h / 2, "OFF", 7, (20, 20, 20))
    return c.done()


def heading_label(d):
    """A compass card's numeral for heading d: the cardinal point's letter, or
    the heading in tens of degrees."""
    return {0: "N", 90: "E", 180: "S", 270: "W"}.get(d, str(d // 10))


def compass_rose(c, cx, cy, r, ticks, label_r, sizes, ink=INK, cardinal=ORANGE):
    """A round card's heading marks, reaching out to r - 1: every 5 degrees,
    longer every 10, numbered every 30 at label_r with the cardinal points
    lettered in their own size and colour. ticks: the (long, short) marks'
    lengths; sizes: the (letters', numerals') sizes."""
    for d in range(0, 360, 5):
        a = d - 90
        major = d % 10 == 0
        c.line([polar(cx, cy, r - ticks[0 if major else 1], a), polar(cx, cy, r - 1, a)], ink,
               2 if major else 1)
        if d % 30 == 0:
            label = heading_label(d)
            c.text(*polar(cx, cy, label_r, a), label, sizes[0 if label in "NESW" else 1],
                   cardinal if label in "NESW" else ink)


def compass_strip(w, h, window):
    """Heading card seen through a window: headings fall from left to right,
    the window showing heading v at the strip's x = (1 - v/360)(w - window) +
    window/2."""
    c = Canvas(w, h, (220, 218, 210))
    span = w - window
    size = h * 0.42
    for d in range(-30, 391, 5):
        x = (1 - d / 360) * span + window / 2
        if x < -20 or x > w + 20:
            continue
        major = d % 30 == 0
        c.line([(x, h - 1), (x, h - 1 - (h * 0.28 if major else h * 0.15))], (20, 20, 22),
               2 if major else 1)
        if d % 30 == 0:
            heading = d % 360
            label = heading_label(heading)
            c.text(x, h * 0.36, label, size, RED if label in "NESW" else (20, 20, 22))
    return c.done()


def gyro_case(w, h):
    c = Canvas(w, h, PANEL_DARK)
    c.rect(4, 4, w - 5, h - 5, fill=(36, 38, 41), outline=METAL, width=2, radius=10)
    c.rect(40, 50, 160, 111, fill=(10, 10, 12), outline=METAL, width=2, radius=4)
    c.line([(100, 40), (100, 50)], ORANGE, 3)
    c.text(115, 140, "GYRO COMPASS", 14, GREY)
    c.text(115, 165, "DRIFT", 11, GREY)
    c.circle(117, 262, 30, fill=(22, 22, 24), outline=METAL_DARK, width=2)
    c.text(80, 262, "\u2212", 18, GREY)
    c.text(154, 262, "+", 18, GREY)
    for x, y in ((16, 16), (w - 17, 16), (16, h - 17), (w - 17, h - 17)):
        screw(c, x, y, 6)
    return c.done()


def gyro_flag(w, h):
    c = Canvas(w, h, RED)
    for y in range(0, h, 12):
        c.rect(0, y, w - 1, y + 5, fill=(235, 235, 230))
    return c.done()


# The attitude's gyro centre, where the card turns and the opening is round.
ATTITUDE_CENTRE = (127, 130)
ATTITUDE_OPENING = 98
# Its plate: dark enough that the panel lights, which light the whole
# instrument, leave it as dark at night as the unlit plates round it.
ATTITUDE_PLATE = (11, 12, 13)


def attitude_plate(c):
    """The case's plate and knobs, in the case's pixels: the case draws it
    whole and the bezel, whose square covers the case's upper left, the part
    it covers."""
    w, h = 293, 303
    c.rect(2, 2, w - 3, h - 3, fill=ATTITUDE_PLATE, outline=(40, 42, 45), width=2, radius=14)
    c.circle(253, 263, 26, fill=(52, 54, 57), outline=METAL, width=2)
    c.circle(132, 265, 15, fill=(52, 54, 57), outline=METAL, width=2)


def attitude_case(w, h):
    c = Canvas(w, h)
    attitude_plate(c)
    c.circle(*ATTITUDE_CENTRE, 118, fill=(20, 20, 22))
    c.text(253, 263, "CAGE", 10, GREY)
    c.text(132, 290, "\u25BC \u25B2", 9, GREY)
    return c.done()


def horizon_card(w, h):
    """The card is drawn 0.9 times its height and moves 1.3 pixels per degree
    of pitch: its ladder is spaced 1.3 / 0.9 rows per degree so that the
    marks read true against the aircraft symbol. Seen through its window the
    card wraps round beyond its edges: every row is the same all across
    (nothing ends at the sides), the ground ends 170 rows below the horizon
    and the last 40 rows are sky again, which the wrap shows above the top
    row: at 40 degrees of pitch the card's centre lies 52 pixels off the
    opening's and the opening reaches 98 pixels further in any direction."""
    c = Canvas(w, h, SKY)
    cx, cy = ATTITUDE_CENTRE
    rows_per_degree = 1.3 / 0.9
    ground_end = 300
    c.rect(0, cy, w - 1, ground_end - 1, fill=GROUND)
    c.line([(0, cy), (w - 1, cy)], INK, 3)
    for pitch in steps(-40, 40, 5):
        if pitch == 0:
            continue
        y = cy - pitch * rows_per_degree
        half = 22 if pitch % 10 == 0 else 10
        c.line([(cx - half, y), (cx + half, y)], INK, 2 if pitch % 10 == 0 else 1.5)
        if pitch % 10 == 0:
            c.text(cx - half - 9, y, str(abs(pitch)), 9, INK)
            c.text(cx + half + 9, y, str(abs(pitch)), 9, INK)
    return c.done()


def bank_pointer(w, h):
    c = Canvas(w, h)
    c.rect(0, 4, w - 16, 5, fill=(250, 250, 250))
    c.poly([(w - 16, 0), (w - 1, 4.5), (w - 16, 9)], fill=ORANGE)
    return c.done()


def aircraft_symbol(w, h):
    c = Canvas(w, h)
    # Placed at 68,59: the dial centre 127,130 falls on 59,71 of the symbol.
    cx, cy = 59, 71
    c.rect(2, cy - 2, 38, cy + 2, fill=ORANGE)
    c.rect(w - 39, cy - 2, w - 3, cy + 2, fill=ORANGE)
    c.poly([(38, cy - 2), (cx, cy + 1), (w - 39, cy - 2), (w - 39, cy + 2), (cx, cy + 5),
            (38, cy + 2)], fill=ORANGE)
    c.circle(cx, cy - 1, 3.5, fill=ORANGE)
    c.rect(cx - 1.5, cy - 24, cx + 1.5, cy - 4, fill=ORANGE)
    return c.done()


def attitude_bezel(w, h):
    """The ring over the card. Its square is the card's window, all of which
    the card fills: the corners are the attitude's dark plate."""
    cx, cy = ATTITUDE_CENTRE
    r_in = ATTITUDE_OPENING
    c = Canvas(w, h, ATTITUDE_PLATE)
    attitude_plate(c)
    c.circle(cx, cy, 119, fill=(48, 50, 53))
    c.circle(cx, cy, 119, outline=METAL, width=2)
    c.circle(cx, cy, r_in, fill=CLEAR)
    # Bank scale below the centre, at the angles the bank pointer turns to.
    pivot, table = module_scale("Attitude", 3)
    angles = table_angles(pivot, table)
    for bank in (-90, -60, -45, -30, -20, -10, 0, 10, 20, 30, 45, 60, 90):
        a = angle_for(bank, angles)
        major = bank % 30 == 0
        c.line([polar(cx, cy, r_in - (12 if major else 6), a), polar(cx, cy, r_in + 2, a)],
               INK, 3 if major else 2)
    c.poly([polar(cx, cy, r_in + 3, 90), polar(cx, cy, r_in + 14, 86),
            polar(cx, cy, r_in + 14, 94)], fill=ORANGE)
    for x, y in ((12, 12), (w - 13, 12), (12, h - 13), (w - 13, h - 13)):
        screw(c, x, y, 5)
    return c.done()


def bezu_case(w, h):
    c = Canvas(w, h, PANEL_DARK)
    c.rect(2, 2, w - 3, h - 3, fill=(34, 36, 39), outline=METAL_DARK, width=2, radius=16)
    c.circle(150, 151, 142, fill=(18, 18, 20))
    c.circle(40, 269, 29, fill=(28, 28, 30))
    c.circle(259, 269, 29, fill=(28, 28, 30))
    return c.done()


# The mode selector's centre on the Bezu compass and its three positions'
# labels, where its pointer stands in each.
BEZU_SELECTOR = (259, 269)
BEZU_MODES = ("GYRO", "SLAV", "COMP")


def bezu_card(w, h):
    c = Canvas(w, h)
    cx, cy, r = 139.5, 139.5, 138
    c.circle(cx, cy, r, fill=(28, 29, 31))
    compass_rose(c, cx, cy, r, (14, 8), r - 30, (20, 16))
    c.circle(cx, cy, 34, outline=(60, 62, 64), width=2)
    return c.done()


def bezu_bug(w, h):
    """The heading bug stands upright: it marks the heading at the top, its
    arm reaching down through the pivot at 20,128."""
    c = Canvas(w, h)
    px, py = 20, 128
    c.rect(px - 2, 16, px + 2, h - 1, fill=(230, 140, 30))
    c.poly([(px - 16, 0), (px - 6, 0), (px, 10), (px + 6, 0), (px + 16, 0), (px + 16, 14),
            (px - 16, 14)], fill=ORANGE)
    c.circle(px, py, 8, fill=ORANGE)
    c.circle(px, py, 3, fill=METAL_DARK)
    return c.done()


def bezu_glass(w, h):
    cx, cy = 150, 151
    c = Canvas(w, h)
    for d in range(0, 360, 45):
        a = d - 90
        c.poly([polar(cx, cy, 145, a), polar(cx, cy, 137, a - 2.5), polar(cx, cy, 137, a + 2.5)],
               fill=INK if d else ORANGE)
    c.line([(cx, cy - 90), (cx, cy - 60)], ORANGE, 3)
    c.poly([(cx, cy - 16), (cx - 40, cy + 4), (cx - 40, cy + 9), (cx - 5, cy + 2), (cx - 4, cy + 28),
            (cx - 14, cy + 34), (cx - 14, cy + 38), (cx, cy + 34), (cx + 14, cy + 38), (cx + 14, cy + 34),
            (cx + 4, cy + 28), (cx + 5, cy + 2), (cx + 40, cy + 9), (cx + 40, cy + 4)],
           fill=(230, 230, 225))
    # The selector's labels lie over the card's rim, so they sit on the glass,
    # each on a dark tab, inside the face however long the word.
    for position, label in enumerate(BEZU_MODES):
        x, y = polar(*BEZU_SELECTOR, 37, -90 + (position - 1) * 50)
        x = min(x, w - 16)
        c.rect(x - 13, y - 5, x + 13, y + 5, fill=(28, 28, 30), radius=3)
        c.text(x, y, label, 7, GREY)
    return c.done()


def bezu_selector(position):
    def draw(w, h):
        c = Canvas(w, h)
        cx, cy = w / 2 - 0.5, h / 2 - 0.5
        c.circle(cx, cy, 26, fill=(40, 42, 45), outline=METAL, width=1.5)
        a = -90 + (position - 1) * 50
        c.line([polar(cx, cy, 24, a + 180), polar(cx, cy, 24, a)], (70, 72, 76), 12)
        c.line([polar(cx, cy, 2, a), polar(cx, cy, 22, a)], INK, 3)
        return c.done()
    return draw


def magnetic_case(w, h):
    c = Canvas(w, h)
    c.circle(85, 85, 84, fill=(30, 31, 33))
    c.circle(85, 85, 84, outline=METAL_DARK, width=3)
    c.rect(44, 66, 110, 103, fill=(10, 10, 12), outline=METAL, width=2, radius=5)
    c.line([(77, 62), (77, 107)], ORANGE, 2)
    c.text(85, 128, "COMPASS", 11, GREY)
    screw(c, 30, 40, 5)
    screw(c, 140, 40, 5)
    return c.done()


def flaps_dial(w, h):
    c = Canvas(w, h)
    c.rect(0, 0, w - 1, h - 1, fill=FACE, radius=18)
    centre, table = module_scale("Flaps_Indicator", 2)
    coloured_arc(c, centre, table, 0, 16382, (90, 92, 95), radius=100, width=4)
    scale(c, centre, table,
          [(0, None, True), (8191, "\u00BD", True), (16382, "FULL", True)]
          + [(v, None, False) for v in steps(0, 16382, 16382 / 8)],
          radius=96, label_size=13, inward=False, label_gap=18)
    # Past the UP mark the overlay's rim begins: its label stands above it.
    x, y = polar(*centre, 96, table_angles(centre, table)[0][1])
    c.text(x - 6, y - 16, "UP", 13, INK)
    c.text(60, 160, "FLAPS", 16, GREY)
    return c.done()


def flaps_overlay(w, h):
    c = Canvas(w, h, PANEL_DARK)
    c.rect(6, 6, w - 7, h - 7, fill=CLEAR, radius=16)
    c.rect(6, 6, w - 7, h - 7, outline=METAL, width=2, radius=16)
    c.circle(75, 65, 9, fill=METAL_DARK)
    c.circle(75, 65, 4, fill=METAL_LIGHT)
    return c.done()


# --- Engine and fuel instruments -------------------------------------------

PSF_PER_MBAR = 2.08791
PSF_PER_BAR = 2087.91
# Twin dials: engine 1's needle on the left (element 3), engine 2's on the
# right (element 2).
LEFT, RIGHT = 3, 2


def manifold_dial(w, h):
    centre, table = module_scale("Manifold_Pressure", 2, PSF_PER_MBAR)
    c = round_dial(w, h, centre)
    coloured_arc(c, centre, table, 1780, 2000, RED, radius=128, width=6)
    marks = [(v, None, False) for v in steps(500, 2000, 50)] + [(0, "0", True), (500, None, True)]
    marks += [(v, str(v // 100), True) for v in steps(600, 2000, 200)]
    scale(c, centre, table, marks, radius=130, label_size=20, label_gap=16)
    c.text(152, 205, "MANIFOLD", 12, GREY)
    c.text(152, 221, "mbar \u00D7100", 10, GREY)
    return c.done()


def tach_dial(w, h):
    centre, table = module_scale("Tachometer", 2)
    c = round_dial(w, h, centre)
    coloured_arc(c, centre, table, 2000, 3500, GREEN, radius=128, width=6)
    coloured_arc(c, centre, table, 3800, 4000, RED, radius=128, width=6)
    marks = [(v, None, False) for v in steps(400, 4000, 100)]
    marks += [(v, str(v // 100), True) for v in steps(500, 4000, 500)] + [(400, None, True)]
    scale(c, centre, table, marks, radius=130, label_size=20, label_gap=16)
    c.text(151, 200, "RPM", 13, GREY)
    c.text(151, 216, "\u00D7100", 10, GREY)
    return c.done()


def twin_dial(w, h, gauge, marks, title, unit, arcs=(), value_unit=1.0):
    c = round_dial(w, h, (150, 150))
    c.line([(150, 60), (150, 240)], (60, 62, 64), 1)
    for element in (LEFT, RIGHT):
        pivot, rows = module_scale(gauge, element, value_unit)
        for v0, v1, colour in arcs:
            coloured_arc(c, pivot, rows, v0, v1, colour, width=4)
        scale(c, pivot, rows, marks, label_size=12, major_len=9, minor_len=5, label_gap=10)
    c.text(150, 46, title, 12, GREY)
    c.text(150, 258, unit, 11, GREY)
    c.text(40, 150, "1", 14, GREY)
    c.text(262, 150, "2", 14, GREY)
    return c.done()


def oil_pressure_dial(w, h):
    marks = [(v, None, False) for v in steps(2, 12, 1)]
    marks += [(v, str(v), True) for v in (0, 2, 4, 6, 8, 10, 12)]
    return twin_dial(w, h, "Oil_Pressure", marks, "OIL PRESS", "bar", [(4, 10, GREEN)],
                     PSF_PER_BAR)


def oil_temperature_dial(w, h):
    marks = [(491.67 + 1.8 * t, None, False) for t in steps(20, 120, 10)]
    marks += [(491.67 + 1.8 * t, str(t), True) for t in (0, 40, 80, 120)]
    return twin_dial(w, h, "Oil_Temperature", marks, "OIL TEMP", "\u00B0C",
                     [(491.67 + 1.8 * 40, 491.67 + 1.8 * 100, GREEN)])


def fuel_pressure_dial(w, h):
    marks = [(v, None, False) for v in steps(0, 0.6, 0.05)]
    marks += [(v, ("%.1f" % v).lstrip("0") if v else "0", True) for v in steps(0, 0.6, 0.2)]
    return twin_dial(w, h, "Fuel_Pressure", marks, "FUEL PRESS", "bar", [(0.15, 0.5, GREEN)],
                     PSF_PER_BAR)


def fuel_quantity_dial(w, h):
    marks = [(v, None, False) for v in (50, 70, 150, 250)]
    marks += [(v, str(v), True) for v in (0, 100, 200, 300, 500)] + [(400, None, True)]
    return twin_dial(w, h, "Fuel_Quantity", marks, "FUEL", "LITRES", value_unit=1 / 3.785)


def carburettor_dial(w, h):
    marks = [(v, None, False) for v in steps(-40, 100, 10)]
    marks += [(v, fmt(v), True) for v in (-40, 0, 40, 80)] + [(100, None, True)]
    return twin_dial(w, h, "Carburetor_Temperature", marks, "CARB AIR", "\u00B0C",
                     [(-10, 5, YELLOW)])


def hydraulic_dial(w, h):
    c = Canvas(w, h)
    c.circle(125, 125, 120, fill=FACE)
    centre, rows = module_scale("Hydraulic_Pressure", 2, PSF_PER_BAR)
    marks = [(v, None, False) for v in steps(0, 350, 25)]
    marks += [(v, str(v), True) for v in steps(0, 300, 100)]
    coloured_arc(c, centre, rows, 120, 200, GREEN, width=5)
    scale(c, centre, rows, marks, label_size=13, label_gap=12)
    c.text(127, 155, "HYD PRESS", 12, GREY)
    c.text(127, 172, "bar", 11, GREY)
    return c.done()


def fuel_consumption_face(w, h):
    c = Canvas(w, h, PANEL_DARK)
    c.circle(111, 111, 108, fill=(30, 31, 33), outline=METAL_DARK, width=3)
    for y in (61, 138):
        c.rect(69, y - 4, 155, y + 25, fill=(12, 12, 13), outline=METAL, width=1.5, radius=3)
    c.text(112, 45, "ENGINE 1", 10, GREY)
    c.text(112, 177, "ENGINE 2", 10, GREY)
    for y, label in ((84, "RESET 1"), (110, "RESET 2")):
        c.rect(13, y + 2, 61, y + 23, fill=(70, 72, 76), outline=METAL, radius=4)
        c.text(37, y + 13, label, 8, INK)
    c.text(186, 100, "FUEL", 10, GREY)
    c.text(186, 115, "USED", 10, GREY)
    return c.done()


# --- Electrical meters, lamps, switches -----------------------------------

def meter_dial(w, h, gauge, marks, unit, arcs=(), radius=None, outer_marks=()):
    pivot, rows = module_scale(gauge, 2)
    c = Canvas(w, h)
    c.rect(4, 4, w - 5, h - 5, fill=(232, 230, 220), radius=10)
    for v0, v1, colour in arcs:
        coloured_arc(c, pivot, rows, v0, v1, colour, width=4)
    scale(c, pivot, rows, marks, label_size=11, ink=(24, 24, 26), major_len=8, minor_len=4,
          label_gap=9, radius=radius or table_radius(pivot, rows) + 4)
    scale(c, pivot, rows, outer_marks, label_size=11, ink=(24, 24, 26), major_len=8,
          label_gap=12, radius=radius or table_radius(pivot, rows) + 4, inward=False)
    c.text(pivot[0], pivot[1] - 30, unit, 12, (24, 24, 26))
    return c.done()


def voltmeter_dial(w, h):
    marks = [(v, None, False) for v in steps(0, 35, 1)]
    marks += [(v, str(v), True) for v in (0, 10, 20, 30)] + [(35, None, True)]
    return meter_dial(w, h, "Voltmeter", marks, "V", [(24, 30, GREEN)])


def battery_ammeter_dial(w, h):
    marks = [(v, None, False) for v in steps(-120, 30, 10)]
    marks += [(v, fmt(v), True) for v in (0, -60)] + [(-120, None, True)]
    # The scale runs past the pivot's level on the right: a shorter radius
    # keeps its lower end, where the needle points at -120 A, on the face;
    # +30 is numbered outside the scale, clear of the 0.
    return meter_dial(w, h, "Battery_Bus_Ammeter", marks, "A", radius=60,
                      outer_marks=[(30, "+30", True)])


def generator_ammeter_dial(w, h):
    marks = [(v, None, False) for v in steps(0, 120, 10)]
    marks += [(v, str(v), True) for v in (0, 60, 120)] + [(30, None, True), (90, None, True)]
    return meter_dial(w, h, "Left_Generator_Bus_Ammeter", marks, "A")


def meter_cap(pivot):
    def draw(w, h):
        c = Canvas(w, h, PANEL_DARK)
        c.rect(4, 4, w - 5, h - 5, fill=CLEAR, radius=10)
        c.rect(3, 3, w - 4, h - 4, outline=METAL, width=2, radius=11)
        for x, y in ((10, 10), (w - 11, 10), (10, h - 11), (w - 11, h - 11)):
            screw(c, x, y, 4)
        c.rect(12, pivot[1] + 6, w - 13, h - 12, fill=(40, 42, 45), radius=4)
        gradient_disc(c, pivot[0], pivot[1], 8, METAL_LIGHT, (40, 40, 42))
        return c.done()
    return draw


def plate(w, h, width=1.5, radius=3, colour=(46, 49, 52)):
    """A control's plate: painted metal to the edges, a lighter rim."""
    c = Canvas(w, h, colour)
    c.rect(0, 0, w - 1, h - 1, outline=(90, 94, 98), width=width, radius=radius)
    return c


def lever_plate(w, h, pivot, boss, *legends):
    """A toggle switch's plate: its legends, and the boss its lever turns on."""
    c = plate(w, h)
    c.legends(INK, *legends)
    c.circle(*pivot, boss, fill=METAL_DARK, outline=METAL)
    return c.done()


def switch_plate(w, h, vertical=True, on="ON", off="OFF", long=False):
    if vertical:
        return lever_plate(w, h, (w / 2 - 0.5, (70 if long else 45)), 9,
                           (w / 2, 9, on, 8 if len(on) < 4 else 7),
                           (w / 2, h - 9, off, 8 if len(off) < 4 else 7))
    return lever_plate(w, h, (45, h / 2 - 0.5), 9, (w - 11, h / 2, on, 8), (10, h / 2, off, 7))


def toggle_lever(w, h, pivot, direction, length, guard=None):
    """A bat-handle toggle seen from the front: direction -1 up, +1 down
    (vertical levers) or -2 left, +2 right (horizontal)."""
    c = Canvas(w, h)
    px, py = pivot
    if guard:
        c.rect(px - 15, py - 40, px + 15, py + 40, outline=RED, width=3, radius=4)
    c.circle(px, py, 8, fill=METAL)
    if abs(direction) == 1:
        tip = (px, py + direction * length)
        c.poly([(px - 3.5, py), (px + 3.5, py), (tip[0] + 5, tip[1]), (tip[0] - 5, tip[1])],
               fill=METAL_LIGHT)
    else:
        tip = (px + direction / 2 * length, py)
        c.poly([(px, py - 3.5), (px, py + 3.5), (tip[0], tip[1] + 5), (tip[0], tip[1] - 5)],
               fill=METAL_LIGHT)
    c.circle(*tip, 6, fill=(220, 222, 224))
    c.circle(px, py, 4, fill=METAL_DARK)
    return c.done()


def switch_lever(w, h, position):
    return toggle_lever(w, h, (w / 2 - 0.5, 45), 1 if position == 0 else -1, 36)


def battery_plate(w, h):
    return lever_plate(w, h, (45, h / 2 - 0.5), 9, (12, h / 2, "OFF", 7), (w - 22, h / 2, "BATT", 7))


def battery_lever(position):
    return lambda w, h: toggle_lever(w, h, (45, h / 2 - 0.5), 2 if position else -2, 34)


def long_plate(w, h):
    return lever_plate(w, h, (w / 2 - 0.5, 70), 10, (w / 2, 10, "ON", 8), (w / 2, h - 10, "OFF", 8))


def long_lever(position, guard=False):
    def draw(w, h):
        return toggle_lever(w, h, (w / 2 - 0.5, 70), -1 if position else 1, 50,
                            guard=guard)
    return draw


def three_position_plate(w, h):
    return lever_plate(w, h, (w / 2 - 0.5, 50), 9, (w / 2, 8, "\u25B2", 8),
                       (w / 2, h - 8, "\u25BC", 8))


def three_position_lever(direction):
    def draw(w, h):
        c = Canvas(w, h)
        px, py = w / 2 - 0.5, 49.5
        c.circle(px, py, 8, fill=METAL)
        # Centred: the handle points at the viewer, a round end seen head on.
        if direction == 0:
            c.circle(px, py, 7, fill=METAL_LIGHT)
            c.circle(px, py, 3, fill=(220, 222, 224))
        else:
            tip = (px, py + direction * 32)
            c.poly([(px - 3.5, py), (px + 3.5, py), (tip[0] + 5, tip[1]), (tip[0] - 5, tip[1])],
                   fill=METAL_LIGHT)
            c.circle(*tip, 6, fill=(220, 222, 224))
        return c.done()
    return draw


def parking_plate(w, h):
    c = plate(w, h, 2, 6)
    c.rect(48, 20, 78, 150, fill=(22, 22, 24), radius=6)
    c.text(w / 2, 10, "PARKING BRAKE", 8, INK)
    return c.done()


def parking_handle(pulled):
    def draw(w, h):
        c = Canvas(w, h)
        y = 110 if pulled else 40
        c.rect(57, 20, 69, y, fill=METAL_DARK)
        c.rect(18, y - 8, 108, y + 22, fill=RED, radius=10)
        c.rect(24, y - 3, 102, y + 3, fill=(236, 90, 80), radius=3)
        c.text(63, y + 12, "PULL" if not pulled else "SET", 10, INK)
        return c.done()
    return draw


def gear_lamp_panel(w, h):
    c = plate(w, h, 1.5, 4)
    for x, y in ((15, 8), (63, 7), (39, 0)):
        c.circle(x + 11.5, y + 12, 11, fill=(70, 20, 18), outline=METAL_DARK, width=1.5)
    for x, y in ((13, 61), (61, 61), (37, 69)):
        c.circle(x + 11.5, y + 12, 11, fill=(18, 60, 26), outline=METAL_DARK, width=1.5)
    c.text(50, 48, "GEAR", 9, GREY)
    return c.done()


def gear_plate(w, h):
    c = plate(w, h, 2, 6)
    c.rect(54, 44, 72, 168, fill=(20, 20, 22), radius=6)
    c.legends(INK, (110, 58, "UP", 14), (110, 152, "DOWN", 12), (75, 20, "LANDING GEAR", 10))
    return c.done()


def gear_handle(down):
    def draw(w, h):
        c = Canvas(w, h)
        pivot = (63, 67)
        tip = (63, 118) if down else (63, 16)
        c.line([pivot, tip], METAL_LIGHT, 8)
        # The wheel-shaped knob.
        c.circle(*tip, 15, fill=(232, 232, 228), outline=METAL_DARK, width=2)
        c.circle(*tip, 6, fill=METAL)
        return c.done()
    return draw


# --- Engine box, propeller controls, throttle quadrant --------------------

AVIAC_LAMPS = {"selector": ((52, 271), (173, 271)), "middle": ((46, 36), (169, 38))}


def aviac_face(w, h):
    c = Canvas(w, h, (52, 56, 60))
    c.rect(0, 0, w - 1, h - 1, outline=(100, 104, 108), width=2, radius=8)
    for (x, y) in AVIAC_LAMPS["selector"]:
        c.circle(x + 14, y + 14, 13, fill=(70, 50, 14), outline=METAL_DARK, width=1.5)
    for (x, y) in AVIAC_LAMPS["middle"]:
        c.circle(x + 17.5, y + 17.5, 16, fill=(18, 54, 24), outline=METAL_DARK, width=1.5)
    for x0 in (77, 126):  # selector tracks
        c.rect(x0 + 16, 80, x0 + 27, 270, fill=(24, 25, 27), radius=5)
    for i in range(6):
        y = 250 - i * 34
        c.text(66, y, str(i), 11, INK)
        c.text(182, y, str(i), 11, INK)
    c.legends(INK, (125, 16, "ENGINE BOX", 11), (20, 180, "L", 12), (230, 180, "R", 12))
    for (x, y) in ((0, 197), (210, 197), (0, 79), (210, 79)):
        c.rect(x + 2, y + 2, x + 37, y + 64, fill=(30, 32, 34), radius=6)
    return c.done()


def aviac_button(pressed, colour):
    def draw(w, h):
        c = Canvas(w, h)
        c.rect(1, 1, w - 2, h - 2, fill=(30, 32, 34), radius=6)
        inset = 7 if pressed else 3
        c.rect(inset, inset, w - 1 - inset, h - 1 - inset, fill=colour, radius=5)
        if not pressed:
            c.rect(inset + 2, inset + 2, w - 3 - inset, inset + 8, fill=tuple(min(255, v + 50) for v in colour),
                   radius=3)
        return c.done()
    return draw


def aviac_knob(position):
    def draw(w, h):
        c = Canvas(w, h)
        y = 177 - position * 34
        c.rect(8, y - 16, w - 9, y + 16, fill=(200, 200, 196), radius=6)
        c.rect(8, y - 2, w - 9, y + 2, fill=RED)
        for k in (-10, -6, 6, 10):
            c.line([(12, y + k), (w - 13, y + k)], (150, 150, 146), 1)
        return c.done()
    return draw


def quadrant(w, h):
    c = plate(w, h, 2, 6, (40, 43, 46))
    for x, top, bottom in ((125, 68, 312), (207, 68, 312), (21, 120, 308), (68, 120, 308)):
        c.rect(x - 4, top, x + 4, bottom, fill=(12, 12, 14), radius=3)
    c.legends(INK, (166, 14, "THROTTLE", 11), (44, 14, "PROP", 11))
    c.legends(GREY, (166, 30, "OPEN", 9), (166, 338, "CLOSED", 9), (44, 30, "INCR", 9),
              (44, 338, "DECR", 9))
    return c.done()


def throttle_knob(label):
    def draw(w, h):
        c = Canvas(w, h)
        c.rect(37, 40, 45, h - 1, fill=METAL)
        c.rect(2, 6, w - 3, 44, fill=(58, 60, 64), radius=12)
        c.rect(6, 10, w - 7, 18, fill=(90, 92, 96), radius=4)
        c.text(w / 2, 30, label, 12, INK)
        return c.done()
    return draw


def prop_knob(label):
    def draw(w, h):
        c = Canvas(w, h)
        c.rect(15, 34, 22, h - 1, fill=METAL)
        c.circle(18.5, 20, 17, fill=BLUE, outline=(30, 60, 140), width=2)
        c.text(18.5, 20, label, 11, INK)
        return c.done()
    return draw


def push_button(colour, label, pressed):
    def draw(w, h):
        c = plate(w, h, 1, 4)
        c.circle(24.5, 22, 17, fill=(24, 24, 26))
        if pressed:
            gradient_disc(c, 24.5, 23, 13, tuple(v * 3 // 4 for v in colour), tuple(v // 2 for v in colour))
        else:
            gradient_disc(c, 24.5, 21, 15, tuple(min(255, v + 60) for v in colour), colour)
        c.text(24.5, 44, label, 7, INK)
        return c.done()
    return draw


def omi_face(w, h):
    c = plate(w, h, 2, 6, (40, 43, 46))
    for (x, colour) in zip(OMI_LENSES, (BLUE, AMBER, INK)):
        c.circle(x, 34, 15, fill=tuple(max(18, v // 5) for v in colour), outline=METAL, width=1.5)
    for x, label in zip(OMI_LENSES, "OMI"):
        c.text(x, 60, label, 11, INK)
    c.circle(98.5, 76.5, 11, fill=(80, 82, 86), outline=METAL)
    c.text(72, 76, "TEST", 8, GREY)
    c.text(30, 88, "MARKER", 8, GREY)
    return c.done()


OMI_LENSES = (22, 60, 98)


def omi_lamps(lit):
    def draw(w, h):
        c = Canvas(w, h)
        for i, (x, colour) in enumerate(zip(OMI_LENSES, (BLUE, AMBER, (240, 240, 236)))):
            if i in lit:
                gradient_disc(c, x, 34, 14, tuple(min(255, v + 110) for v in colour), colour)
        return c.done()
    return draw


def trim_strip(w, h):
    c = Canvas(w, h, (30, 31, 33))
    for y in range(4, h - 2, 5):
        major = (y - 34) % 20 == 0
        c.line([(w - (14 if major else 8), y), (w - 2, y)], INK, 1.5 if major else 1)
    c.text(10, 10, "DN", 7, GREY)
    c.text(10, h - 10, "UP", 7, GREY)
    c.line([(2, 34), (w - 1, 34)], GREEN, 1.5)
    return c.done()


def trim_bar(w, h):
    c = Canvas(w, h, ORANGE)
    c.line([(0, 1.5), (w - 1, 1.5)], (255, 220, 150), 1)
    return c.done()


def blank(w, h):
    return Canvas(w, h).done()


def single_gauge(first, dial, pivot, needle_hub, centre, cap):
    """A one-needle round gauge's pictures from its first id on, ten apart:
    the dial, the needle turning on pivot, and the bezel round centre with
    the cap over the needle's hub."""
    return {first: dial, first + 10: lambda w, h: needle(w, h, pivot, hub=needle_hub),
            first + 20: lambda w, h: bezel(w, h, centre, 140, hub=(*centre, cap))}


def twin_gauge(first, dial, pointer):
    """A twin engine gauge's pictures from its first id on, ten apart: the
    dial, the needle both engines' pointers are drawn with, and the bezel
    with both hubs."""
    return {first: dial, first + 10: pointer,
            first + 20: lambda w, h: bezel(w, h, (150, 150), 140, hub=TWIN_HUBS)}


ARTWORK = {
    40: blank,
    270: gear_lamp_panel,
    280: lambda w, h: lamp(w, h, True, GREEN, body=False),
    290: lambda w, h: lamp(w, h, True, RED, body=False),
    300: altimeter_dial,
    310: altimeter_pointer,
    320: digit_drum,
    330: mask,
    340: tens_drum,
    350: mask,
    360: altitude_drum,
    370: baro_knob,
    380: lambda w, h: bezel(w, h, (150, 150), 140),
    **single_gauge(390, vsi_dial, (65, 12), 10, (150, 150), 12),
    **single_gauge(420, airspeed_dial, (43, 28), 12, (150, 150), 12),
    450: turn_dial,
    460: turn_needle,
    470: ball,
    480: power_flag,
    490: lambda w, h: bezel(w, h, (150, 150), 140),
    1000: gyro_case,
    1010: lambda w, h: compass_strip(w, h, w // 11),
    1020: gyro_flag,
    1030: knob,
    **single_gauge(1040, tach_dial, (45, 16), 12, (151, 151), 10),
    1070: attitude_case,
    1080: horizon_card,
    1081: blank,  # the card's window: only its size counts
    1090: bank_pointer,
    1100: aircraft_symbol,
    1130: attitude_bezel,
    **single_gauge(1140, manifold_dial, (42, 21), 12, (152, 153), 10),
    **twin_gauge(1170, oil_pressure_dial, lambda w, h: thin_needle(w, h, (0, 2))),
    **twin_gauge(1200, fuel_pressure_dial, lambda w, h: needle(w, h, (0, 5), hub=0)),
    **twin_gauge(1230, oil_temperature_dial, lambda w, h: thin_needle(w, h, (0, 2))),
    **twin_gauge(1260, fuel_quantity_dial, lambda w, h: needle(w, h, (0, 5), hub=0)),
    1310: flaps_dial,
    1320: lambda w, h: needle(w, h, (0, 6), hub=0),
    1330: flaps_overlay,
    **twin_gauge(1410, carburettor_dial, lambda w, h: needle(w, h, (0, 3), hub=0)),
    1440: knob,
    1450: bezu_selector(0),
    1451: bezu_selector(1),
    1452: bezu_selector(2),
    1460: bezu_glass,
    1470: bezu_bug,
    1480: bezu_card,
    1490: bezu_case,
    2050: magnetic_case,
    2060: lambda w, h: compass_strip(w, h, w // 11),
    2070: omi_face,
    2080: omi_lamps(()),
    2081: omi_lamps((0,)),
    2082: omi_lamps((1,)),
    2083: omi_lamps((2,)),
    2084: omi_lamps((0, 1, 2)),
    2380: gear_plate,
    2390: gear_handle(False),
    2391: gear_handle(True),
    2400: fuel_consumption_face,
    2410: digit_drum,
    2420: switch_plate,
    2430: lambda w, h: switch_lever(w, h, 0),
    2431: lambda w, h: switch_lever(w, h, 1),
    2440: battery_plate,
    2450: battery_lever(0),
    2451: battery_lever(1),
    3130: lambda w, h: lamp(w, h, False, AMBER),
    3140: lambda w, h: lamp(w, h, True, AMBER),
    3150: parking_plate,
    3160: parking_handle(False),
    3161: parking_handle(True),
    3170: long_plate,
    3180: long_lever(0, guard=True),
    3181: long_lever(1, guard=True),
    3190: long_lever(0),
    3191: long_lever(1),
    4050: voltmeter_dial,
    4060: lambda w, h: thin_needle(w, h, (0, 2)),
    4070: meter_cap((80, 127)),
    4080: battery_ammeter_dial,
    4090: lambda w, h: thin_needle(w, h, (0, 4)),
    4100: meter_cap((79, 112)),
    4110: generator_ammeter_dial,
    4120: lambda w, h: lamp(w, h, False, RED, label="GEN"),
    4130: lambda w, h: lamp(w, h, True, RED, label="GEN"),
    4140: aviac_face,
    4150: aviac_button(False, (170, 40, 32)),
    4151: aviac_button(True, (170, 40, 32)),
    4160: aviac_button(False, (170, 40, 32)),
    4161: aviac_button(True, (170, 40, 32)),
    4170: aviac_button(False, (200, 200, 196)),
    4171: aviac_button(True, (200, 200, 196)),
    4180: aviac_button(False, (200, 200, 196)),
    4181: aviac_button(True, (200, 200, 196)),
    4210: lambda w, h: lamp(w, h, True, AMBER, body=False),
    4220: lambda w, h: lamp(w, h, True, GREEN, body=False),
    4230: quadrant,
    4240: throttle_knob("1"),
    4250: throttle_knob("2"),
    4260: prop_knob("1"),
    4270: prop_knob("2"),
    4280: three_position_plate,
    4290: three_position_lever(0),
    4291: three_position_lever(-1),
    4292: three_position_lever(1),
    4300: hydraulic_dial,
    4310: lambda w, h: thin_needle(w, h, (0, 2)),
    4320: lambda w, h: bezel(w, h, (127, 125), 115, hub=(127, 190, 8)),
    4330: push_button(YELLOW, "RESET L", False),
    4340: push_button(YELLOW, "RESET L", True),
    4350: push_button(YELLOW, "RESET R", False),
    4360: push_button(YELLOW, "RESET R", True),
    4370: push_button(RED, "FEATHER", False),
    4380: push_button(RED, "FEATHER", True),
    4390: trim_strip,
    4400: trim_bar,
}
for _position in range(6):
    ARTWORK[4190 + _position] = aviac_knob(_position)
    ARTWORK[4200 + _position] = aviac_knob(_position)


def load_families():
    """Artwork of gauge families kept in scripts of their own beside this one
    (art_<family>.py): each adds its pictures to ARTWORK with
    add_artwork(ARTWORK, kit), kit being this script with its drawing pieces."""
    import glob
    import importlib
    sys.path.insert(0, HERE)
    kit = sys.modules[__name__]
    for path in sorted(glob.glob(os.path.join(HERE, "art_*.py"))):
        family = importlib.import_module(os.path.splitext(os.path.basename(path))[0])
        family.add_artwork(ARTWORK, kit)


def main():
    load_families()
    os.makedirs(OUT, exist_ok=True)
    wanted = set(int(a) for a in sys.argv[1:])
    for ident, width, height, _ in read_table():
        if wanted and ident not in wanted:
            continue
        image = ARTWORK[ident](width, height)
        assert image.size == (width, height), ident
        save(image, os.path.join(OUT, f"{ident}.bmp"))


if __name__ == "__main__":
    main()
