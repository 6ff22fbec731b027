"""Artwork of the radio stack and the navigation indicators: COM1, the two NAV
receivers, the ADF control box and bearing indicator, the transponder, the two
VOR course indicators and the NAV/GPS switch.

Loaded by make_bitmaps.py, which passes itself as kit. Positions in comments
are those of the elements on their gauge's face.
"""
import math

from PIL import Image

RADIO_PANEL = (38, 41, 44)
WINDOW = (10, 10, 11)
DRUM_FACE = (30, 30, 32)
LIT_GREEN = (60, 220, 90)


def add_artwork(artwork, kit):
    C = kit.Canvas
    polar = kit.polar

    def radio_panel(w, h, title=None, title_at=None):
        c = C(w, h, RADIO_PANEL)
        c.rect(0, 0, w - 1, h - 1, outline=(92, 96, 100), width=2, radius=5)
        for x, y in ((6, 6), (w - 7, 6), (6, h - 7), (w - 7, h - 7)):
            kit.screw(c, x, y, 3)
        if title:
            c.text(*title_at, title, 9, kit.GREY)
        return c

    def hole(c, cx, cy, r):
        c.circle(cx, cy, r, fill=(16, 16, 17), outline=(80, 83, 86), width=1.5)

    def rotary(w, h, degrees, centre=None, radius=None, label=None, colour=(58, 60, 63)):
        """A knob whose pointer stands at degrees, clockwise from +x."""
        c = C(w, h)
        cx, cy = centre or (w / 2 - 0.5, h / 2 - 0.5)
        r = radius or min(w, h) / 2 - 1
        for i in range(20):
            a = 18 * i
            c.line([polar(cx, cy, r * 0.82, a), polar(cx, cy, r, a)], (36, 37, 40), 2)
        c.circle(cx, cy, r, outline=(92, 94, 97), width=1)
        kit.gradient_disc(c, cx, cy, r * 0.8, (124, 126, 130), colour)
        c.line([polar(cx, cy, r * 0.2, degrees), polar(cx, cy, r * 0.78, degrees)], kit.INK, 3)
        if label is not None:
            c.circle(cx, cy, r * 0.36, fill=(24, 24, 26))
            c.text(cx, cy, label, r * 0.5, kit.INK)
        return c

    def toggle(w, h, up, pivot=None, length=None):
        c = C(w, h)
        px, py = pivot or (w / 2 - 0.5, h / 2 - 0.5)
        length = length or h * 0.38
        c.circle(px, py, min(w, h) * 0.3, fill=kit.METAL)
        tip = (px, py - length if up else py + length)
        half = max(2, w * 0.12)
        c.poly([(px - half * 0.7, py), (px + half * 0.7, py), (tip[0] + half, tip[1]),
                (tip[0] - half, tip[1])], fill=kit.METAL_LIGHT)
        c.circle(*tip, half * 1.2, fill=(222, 224, 226))
        c.circle(px, py, min(w, h) * 0.14, fill=kit.METAL_DARK)
        return c.done()

    def blank(w, h):
        return C(w, h).done()

    def cell(w, h, label):
        c = C(w, h, DRUM_FACE)
        c.text(w / 2 - 0.5, h / 2, label, min(h * 0.7, w * 1.3), kit.INK, font=kit.FONT_NARROW)
        return c.done()

    def window(w, h):
        c = C(w, h, WINDOW)
        c.rect(0, 0, w - 1, h - 1, outline=(70, 72, 75))
        return c.done()

    def lit_lamp(colour):
        return lambda w, h: kit.lamp(w, h, True, colour)

    # --- COM1 ------------------------------------------------------------
    com_knobs = [(67, 34), (120, 34), (173, 34)]
    # The last knob's picture is narrower and ends at the face's edge: the
    # knob is smaller and stands left in it, clear of the face's rim.
    last_knob = (21, 25.5, 18)

    def com_face(w, h):
        c = radio_panel(w, h)
        c.rect(30, 2, 236, 72, fill=(30, 32, 35), outline=(70, 74, 78), radius=6)
        for x, y in com_knobs:
            hole(c, x, y, 27)
        hole(c, 194 + last_knob[0], 8 + last_knob[1], last_knob[2] + 2)
        c.circle(147, 58, 2.5, fill=kit.INK)
        c.text(150, 110, "VHF COMM 1", 16, kit.INK)
        c.legends(kit.GREY, (94, 66, "MHz", 8), (195, 66, "kHz", 8),
                  (150, 130, "118.00 - 136.97", 9), (48, 140, "PWR", 8), (14, 190, "OFF", 7),
                  (80, 190, "ON", 7))
        hole(c, 48, 168, 22)
        hole(c, 37, 128, 11)
        return c.done()

    def com_knob(label, dial_r=None):
        def draw(w, h):
            c = rotary(w, h, -90 + 36 * int(label[-1]) if len(label) == 1 else -90, label=label,
                       radius=dial_r)
            return c.done()
        return draw

    def com_last_knob(digit):
        def draw(w, h):
            turn = {"0": -90, "2": 0, "5": 90, "7": 180}[digit]
            return rotary(w, h, turn, centre=last_knob[:2], radius=last_knob[2], label=digit).done()
        return draw

    artwork[3200] = com_face
    for d in range(10):
        artwork[3240 + d] = com_knob(str(d))
    for i, d in enumerate("0257"):
        artwork[3250 + i] = com_last_knob(d)
    artwork[3230] = lambda w, h: rotary(w, h, -135).done()
    artwork[3231] = lambda w, h: rotary(w, h, -45).done()
    artwork[3220] = lit_lamp(kit.GREEN)

    # --- NAV receivers -----------------------------------------------------
    def nav_face(number):
        def draw(w, h):
            c = radio_panel(w, h)
            c.rect(85, 29, 153, 52, fill=WINDOW, outline=(86, 90, 94), width=1.5, radius=2)
            hole(c, 32, 27, 19)
            hole(c, 208, 26, 19)
            c.text(119, 15, "NAV %d" % number, 12, kit.INK)
            c.legends(kit.GREY, (32, 54, "MHz", 7), (208, 53, "kHz", 7), (72, 58, "PWR", 6),
                      (124, 60, "IDENT", 6), (175, 75, "108.00-117.95", 7))
            c.circle(102, 86, 6, fill=(16, 16, 17))
            return c.done()
        return draw

    artwork[3350] = nav_face(1)
    artwork[3360] = nav_face(2)
    artwork[3270] = lambda w, h: kit.drum(w, h, [str(i % 10) for i in range(11)])
    artwork[3271] = window
    artwork[3280] = lambda w, h: kit.drum(w, h, ["0", "1"])
    artwork[3281] = window

    def decimal_point(w, h):
        c = C(w, h, DRUM_FACE)
        c.circle(w / 2 - 0.5, h - 4, 1.4, fill=kit.INK)
        return c.done()

    artwork[3330] = decimal_point
    artwork[3290] = lambda w, h: cell(w, h, "1")
    artwork[3260] = lambda w, h: rotary(w, h, 0).done()
    artwork[3310] = lambda w, h: toggle(w, h, False)
    artwork[3311] = lambda w, h: toggle(w, h, True)
    artwork[3300] = lambda w, h: toggle(w, h, False)
    artwork[3301] = lambda w, h: toggle(w, h, True)
    artwork[3320] = lit_lamp(kit.GREEN)

    # --- ADF control box ----------------------------------------------------
    # The frequency dial turns under a fixed index at its left: the mark of a
    # frequency stands where the dial's turn for it brings it to the index.
    adf_centre = (168, 150)
    adf_bands = [(200, 410, 0.5, 250, 10, 50), (410, 850, 0.4, 850, 20, 100),
                 (850, 1750, 0.3, 1750, 50, 100)]

    def adf_face(w, h):
        c = radio_panel(w, h)
        c.circle(*adf_centre, 104, fill=(18, 18, 20), outline=(80, 83, 86), width=2)
        c.rect(186, 11, 253, 37, fill=WINDOW, outline=(86, 90, 94), width=1.5, radius=2)
        c.text(30, 24, "ADF", 16, kit.INK)
        # VOL stands clear of the frequency dial's ring and of its knob.
        c.legends(kit.GREY, (270, 24, "kHz", 8), (32, 177, "VOL", 8), (24, 255, "OFF", 7),
                  (102, 255, "IDENT", 7), (276, 206, "MODE", 8), (238, 296, "OFF", 7),
                  (316, 296, "ADF", 7))
        hole(c, 62, 220, 36)
        hole(c, 276, 254, 38)
        hole(c, 300, 16, 10)
        c.text(166, 300, "TUNE", 7, kit.GREY)
        return c.done()

    def adf_dial(w, h):
        c = C(w, h)
        cx, cy = w / 2 - 0.5, h / 2 - 0.5
        c.circle(cx, cy, 97, fill=(30, 31, 33))
        for ring, (low, high, per_khz, first, minor, major) in enumerate(adf_bands):
            r = 95 - 24 * ring
            c.circle(cx, cy, r - 22, outline=(56, 58, 61), width=1)
            f = low
            while f <= high + 1e-9:
                a = 180 - (f - low) * per_khz
                big = (f - low) % major == 0
                c.line([polar(cx, cy, r - (7 if big else 4), a), polar(cx, cy, r, a)], kit.INK,
                       1.5 if big else 1)
                if big and (f - low) % (2 * major) == 0:
                    c.text(*polar(cx, cy, r - 14, a), "%d" % f, 7, (240, 200, 120) if ring else kit.INK)
                f += minor
        c.circle(cx, cy, 24, fill=(24, 24, 26))
        return c.done()

    def adf_cover(w, h):
        c = C(w, h)
        cx, cy = adf_centre
        c.ring(cx, cy, 103, 98, kit.METAL_DARK)
        c.poly([(cx - 102, cy), (cx - 88, cy - 5), (cx - 88, cy + 5)], fill=kit.ORANGE)
        return c.done()

    # The band card turns about a point below and right of its window; each
    # band's label is placed where a quarter turn per band brings it into the
    # window, upright there.
    card_window = (150, 34)
    # The card turns about the frequency disc's centre, 168,150 of the face;
    # the card lies at 91,54, so inside it the centre is 77,96.
    card_centre = (77, 96)

    def band_card(w, h):
        c = C(w, h)
        labels = ["%d-%d kHz" % (low, high) for low, high, *_ in adf_bands]
        wx, wy = card_window[0] / 2 - 0.5, card_window[1] / 2 - 0.5
        for band, label in enumerate(labels):
            turn = 90 * band
            a = math.radians(turn)
            dx, dy = wx - card_centre[0], wy - card_centre[1]
            x = card_centre[0] + dx * math.cos(a) - dy * math.sin(a)
            y = card_centre[1] + dx * math.sin(a) + dy * math.cos(a)
            tile = C(card_window[0] + 10, card_window[1], (222, 218, 204))
            tile.text(tile.width / 2, tile.height / 2, "BAND %d  %s" % (band + 1, label), 11,
                      (30, 30, 30))
            picture = tile.done().rotate(-turn, expand=True, resample=Image.Resampling.NEAREST)
            c.image.paste(picture.resize((picture.width * kit.SS, picture.height * kit.SS)),
                          (int((x - picture.width / 2) * kit.SS), int((y - picture.height / 2) * kit.SS)))
        return c.done()

    artwork[3370] = adf_face
    artwork[3450] = adf_dial
    artwork[3460] = adf_cover
    artwork[3390] = lambda w, h: rotary(w, h, 0, centre=(24, 21), radius=20).done()
    artwork[3380] = lambda w, h: rotary(w, h, 0).done()
    artwork[3440] = band_card
    artwork[3441] = window
    artwork[3420] = lambda w, h: rotary(w, h, -150).done()
    artwork[3421] = lambda w, h: rotary(w, h, -30).done()
    artwork[3410] = lit_lamp(kit.GREEN)
    artwork[3400] = lambda w, h: rotary(w, h, -135).done()
    artwork[3401] = lambda w, h: rotary(w, h, -45).done()

    # --- ADF bearing indicator -----------------------------------------------
    def adf_indicator_face(w, h):
        c = kit.round_dial(w, h)
        c.text(150, 205, "ADF", 14, kit.GREY)
        return c.done()

    def compass_card(w, h, cx=149.5, cy=149.5, r=128, ink=kit.INK):
        c = C(w, h)
        c.ring(cx, cy, r, r - 34, (30, 31, 33))
        kit.compass_rose(c, cx, cy, r, (12, 7), r - 24, (16, 13), ink)
        return c.done()

    def adf_pointer(w, h):
        c = C(w, h)
        py = 20
        c.rect(0, py - 2, w - 30, py + 2, fill=kit.YELLOW)
        c.poly([(w - 36, py - 12), (w - 1, py), (w - 36, py + 12)], fill=kit.YELLOW)
        c.poly([(0, py - 8), (22, py - 2), (22, py + 2), (0, py + 8)], fill=kit.YELLOW)
        c.circle(123, py, 8, fill=kit.METAL_DARK)
        c.circle(123, py, 3, fill=kit.METAL_LIGHT)
        return c.done()

    def adf_indicator_cover(w, h):
        c = C(w, h)
        base = kit.bezel(w, h, screws=True)
        c.image.paste(base.resize((w * kit.SS, h * kit.SS)))
        cx = cy = 149.5
        c.poly([(cx, 34), (cx - 7, 20), (cx + 7, 20)], fill=kit.ORANGE)
        c.circle(39, 269, 30, fill=(24, 24, 26))
        return c.done()

    artwork[2000] = adf_indicator_face
    artwork[2030] = compass_card
    artwork[2031] = lambda w, h: blank(w, h)
    artwork[2020] = adf_pointer
    artwork[2040] = adf_indicator_cover
    artwork[2010] = lambda w, h: rotary(w, h, 0).done()

    # --- Transponder ------------------------------------------------------------
    def xpdr_face(w, h):
        c = radio_panel(w, h)
        c.rect(108, 52, 201, 82, fill=WINDOW, outline=(86, 90, 94), width=1.5, radius=2)
        for x in (111, 134, 157, 180):
            c.poly([(x + 11.5, 45), (x + 5, 56), (x + 18, 56)], fill=kit.GREY)
            c.poly([(x + 11.5, 91), (x + 5, 80), (x + 18, 80)], fill=kit.GREY)
        c.text(155, 16, "TRANSPONDER", 11, kit.INK)
        c.legends(kit.GREY, (41, 80, "PWR", 7), (220, 75, "IDENT", 7))
        return c.done()

    artwork[4000] = xpdr_face
    artwork[4010] = lambda w, h: kit.drum(w, h, [str(i % 10) for i in range(11)])
    artwork[4011] = window
    artwork[4020] = lambda w, h: toggle(w, h, False)
    artwork[4021] = lambda w, h: toggle(w, h, True)
    artwork[4030] = lit_lamp(kit.AMBER)

    def ident_button(pressed):
        def draw(w, h):
            c = kit.plate(w, h, 1, 3)
            shade = (150, 150, 154) if pressed else (206, 206, 210)
            c.rect(3, 4 if not pressed else 6, w - 4, h - 5, fill=shade, radius=3)
            c.text(w / 2, h / 2, "ID", 8, (30, 30, 30))
            return c.done()
        return draw

    artwork[4040] = ident_button(False)
    artwork[4041] = ident_button(True)

    # --- VOR indicators ----------------------------------------------------------
    vor_centre = (159, 168)

    def vor_face(w, h):
        c = C(w, h, kit.PANEL_DARK)
        cx, cy = vor_centre
        c.circle(cx, cy, 128, fill=kit.FACE)
        for i in range(-5, 6):
            if i:
                c.circle(cx + 12 * i, cy, 2.5, outline=kit.INK, width=1)
                c.circle(cx, cy + 12 * i, 2.5, outline=kit.INK, width=1)
        c.circle(cx, cy, 7, outline=kit.INK, width=1.5)
        c.rect(128, 41, 197, 70, fill=WINDOW, outline=(86, 90, 94), width=1.5, radius=2)
        return c.done()

    def vor_pointer(w, h):
        c = C(w, h)
        py = 12
        c.rect(0, py - 2, w - 22, py + 2, fill=(230, 230, 226))
        c.poly([(w - 24, py - 8), (w - 1, py), (w - 24, py + 8)], fill=(230, 230, 226))
        c.circle(39, py, 6, fill=kit.METAL_DARK)
        return c.done()

    def bar(w, h):
        c = C(w, h)
        c.rect(0, 0, w - 1, h - 1, fill=(238, 238, 232))
        return c.done()

    def vor_ring(w, h):
        c = C(w, h)
        cx, cy = vor_centre
        c.ring(cx, cy, 128, 98, (32, 33, 35))
        kit.compass_rose(c, cx, cy, 128, (11, 6), 108, (13, 13), cardinal=kit.INK)
        c.poly([(cx, cy - 96), (cx - 6, cy - 84), (cx + 6, cy - 84)], fill=kit.ORANGE)
        c.rect(128, 41, 197, 70, fill=kit.CLEAR)  # the course window shows through
        return c.done()

    def flag(label, colour):
        def draw(w, h):
            c = C(w, h)
            c.rect(0, 0, w - 1, h - 1, fill=colour, outline=(30, 30, 30))
            for x in range(-h, w, 8):
                c.line([(x, h - 1), (x + h, 0)], (240, 240, 240), 2)
            c.rect(w * 0.2, h * 0.25, w * 0.8 - 1, h * 0.75 - 1, fill=colour)
            c.text(w / 2, h / 2, label, min(h * 0.45, w * 0.3), (250, 250, 250))
            return c.done()
        return draw

    def vor_bezel(w, h):
        c = C(w, h, kit.PANEL_DARK)
        cx, cy = vor_centre
        c.rect(2, 2, w - 3, h - 3, fill=(34, 36, 39), outline=kit.METAL_DARK, width=2, radius=14)
        c.circle(cx, cy, 140, fill=kit.METAL_DARK)
        c.circle(cx, cy, 136, outline=kit.METAL, width=1.5)
        c.circle(cx, cy, 129, fill=kit.CLEAR)
        c.rect(130, 43, 195, 68, fill=kit.CLEAR)
        c.circle(40, 281, 38, fill=(24, 24, 26))
        c.text(40, 236, "OBS", 8, kit.GREY)
        for x, y in ((16, 16), (w - 17, 16), (w - 17, h - 17)):
            kit.screw(c, x, y, 6)
        return c.done()

    artwork[3100] = vor_face
    artwork[3080] = vor_pointer
    artwork[3030] = bar
    artwork[3090] = bar
    artwork[3040] = vor_ring
    artwork[3050] = flag("GS", kit.RED)
    artwork[3051] = blank
    artwork[3070] = flag("OFF", kit.RED)
    artwork[3071] = blank
    artwork[3020] = vor_bezel
    artwork[3000] = lambda w, h: rotary(w, h, 0).done()

    # --- NAV/GPS switch -------------------------------------------------------------
    def nav_gps_plate(w, h):
        c = kit.plate(w, h)
        c.text(w / 2, 6, "NAV", 7, kit.INK)
        c.text(w / 2, h - 6, "GPS", 7, kit.INK)
        c.circle(w / 2 - 0.5, h / 2 - 0.5, 7, fill=kit.METAL_DARK, outline=kit.METAL)
        return c.done()

    artwork[3110] = nav_gps_plate
    artwork[3120] = lambda w, h: toggle(w, h, True, length=24)
    artwork[3121] = lambda w, h: toggle(w, h, False, length=24)
