"""Artwork of the radio altimeter, the Breguet timer, the window and view
toggles and the registration plate, drawn with the pieces of make_bitmaps.py.
"""
# The radio altimeter's needle centre; its scale is the module's table RA
# (metres), read from scales.tsv.
FT = 0.3047999902464003
RADALT_CENTRE = (152, 160)

CLOCK_CENTRE = (138, 139)
COUNTER_CENTRE = (138, 183)


def add_artwork(artwork, kit):
    k = kit

    def plate(c, w, h, radius=3):
        c.rect(0, 0, w - 1, h - 1, fill=(46, 49, 52), outline=(90, 94, 98), width=1.5, radius=radius)

    # --- Radio altimeter ----------------------------------------------------

    def radalt_dial(w, h):
        c = k.round_dial(w, h, RADALT_CENTRE, 140)
        cx, cy = RADALT_CENTRE
        centre, table = k.module_scale("Radio_Altimeter", 2, FT)
        # One clockwise sweep: 0 ft at the bottom, 500 ft at the top, 1000 ft
        # at the lower right, then 1000 to 2500 ft pressed into the last few
        # degrees before the zero.
        k.scale(c, centre, table,
                [(v, str(v) if v % 100 == 0 else None, v % 100 == 0) for v in range(0, 1001, 50)],
                radius=132, label_size=11, major_len=12, minor_len=6, label_gap=22)
        k.scale(c, centre, table, [(v, None, v == 2500) for v in (1500, 2000, 2500)],
                radius=132, major_len=12, minor_len=6)
        k.coloured_arc(c, centre, table, 0, 200, k.AMBER, radius=132, width=4)
        x, y = k.polar(cx, cy, 86, k.angle_for(2500, k.table_angles(centre, table)) - 4)
        c.text(x, y, "2500", 9, k.GREY)
        c.text(cx, cy - 52, "RADIO ALT", 13, k.INK)
        c.text(cx, cy - 34, "FEET", 10, k.GREY)
        c.text(cx - 34, cy + 48, "DH", 12, k.AMBER)
        return c.done()

    def radalt_pointer(w, h):
        return k.needle(w, h, (14, 14), hub=9)

    def radalt_index(w, h):
        """The decision-height bug: a thin stem from the pivot to an amber
        triangle at the scale."""
        c = k.Canvas(w, h)
        # The triangle stays outside the numerals' ring.
        c.line([(0, 8), (w - 12, 8)], (120, 90, 30), 1.5)
        c.poly([(w - 13, 2), (w - 1, 8), (w - 13, 14)], fill=k.AMBER)
        c.circle(0, 8, 1.5, fill=(120, 90, 30))
        return c.done()

    def radalt_cover(w, h):
        return k.bezel(w, h, RADALT_CENTRE, 141, hub=(RADALT_CENTRE[0], RADALT_CENTRE[1], 11))

    def radalt_knob(w, h):
        return k.knob(w, h, pointer=k.AMBER)

    def dh_lamp(lit):
        return lambda w, h: k.lamp(w, h, lit, k.AMBER, label="DH")

    def radalt_switch_plate(w, h):
        c = k.Canvas(w, h)
        plate(c, w, h)
        c.legends(k.INK, (w / 2, 9, "ON", 8), (w / 2, h - 9, "OFF", 8))
        c.legends(k.GREY, (w / 2, 24, "RAD", 7), (w / 2, h - 24, "ALT", 7))
        c.circle(w / 2 - 0.5, h / 2 - 0.5, 9, fill=k.METAL_DARK, outline=k.METAL)
        return c.done()

    def radalt_switch_lever(direction):
        def draw(w, h):
            if direction == 0:  # centred, the handle towards the viewer
                c = k.Canvas(w, h)
                px, py = w / 2 - 0.5, h / 2 - 0.5
                c.circle(px, py, 8, fill=k.METAL)
                c.circle(px, py, 7, fill=k.METAL_LIGHT)
                c.circle(px, py, 3, fill=(220, 222, 224))
                return c.done()
            return k.toggle_lever(w, h, (w / 2 - 0.5, h / 2 - 0.5), direction, 40)
        return draw

    artwork.update({
        2230: radalt_dial,
        2240: radalt_pointer,
        2250: radalt_index,
        2360: radalt_knob,
        2370: radalt_cover,
        2480: dh_lamp(False),
        2490: dh_lamp(True),
        3470: radalt_switch_plate,
        3480: radalt_switch_lever(0),
        3481: radalt_switch_lever(1),    # off: down
        3482: radalt_switch_lever(-1),   # on: up
    })

    # --- Breguet timer -------------------------------------------------------

    def timer_case(w, h):
        c = k.Canvas(w, h)
        cx, cy = CLOCK_CENTRE
        # Case: a round bezel on a square plate, buttons below.
        c.rect(2, 2, w - 3, h - 3, fill=k.PANEL_DARK, outline=k.METAL_DARK, width=2, radius=14)
        for x, y in ((14, 14), (w - 15, 14), (14, h - 15), (w - 15, h - 15)):
            k.screw(c, x, y, 5)
        c.circle(cx, cy + 2, 132, fill=k.METAL_DARK)
        c.circle(cx, cy + 2, 131, outline=k.METAL, width=1.5)
        # Knurled grips of the minute ring, left and right.
        for x0 in (22, 223):
            c.rect(x0 + 6, 88, x0 + 24, 184, fill=(70, 72, 75), radius=5)
            for y in range(92, 182, 6):
                c.line([(x0 + 8, y), (x0 + 22, y)], (40, 41, 44), 1.5)
        c.circle(cx, cy + 2, 118, fill=(30, 31, 33))
        c.circle(cx, cy, 102, fill=k.FACE)
        # Minute and hour marks, numerals 1 to 12.
        for m in range(60):
            a = m * 6 - 90
            r0 = 90 if m % 5 == 0 else 95
            c.line([k.polar(cx, cy, r0, a), k.polar(cx, cy, 100, a)], k.INK, 2.5 if m % 5 == 0 else 1)
        for hour in range(1, 13):
            x, y = k.polar(cx, cy, 77, hour * 30 - 90)
            c.text(x, y, str(hour), 15, k.INK)
        c.text(cx, cy - 42, "BREGUET", 10, k.GREY)
        # Chronograph counter: fifteen minutes a turn.
        ccx, ccy = COUNTER_CENTRE
        c.circle(ccx, ccy, 31, fill=(38, 39, 42), outline=k.GREY, width=1)
        for m in range(15):
            a = m * 24 - 90
            c.line([k.polar(ccx, ccy, 25 if m % 5 else 22, a), k.polar(ccx, ccy, 30, a)], k.INK, 1.5)
        for m, label in ((0, "15"), (5, "5"), (10, "10")):
            x, y = k.polar(ccx, ccy, 15, m * 24 - 90)
            c.text(x, y, label, 8, k.INK)
        # Start/stop and reset buttons.
        c.rect(118, 250, 146, 266, fill=k.METAL_DARK, radius=3)
        k.gradient_disc(c, 132, 284, 20, (120, 200, 130), (30, 110, 50))
        c.text(132, 284, "S", 13, (20, 40, 24))
        c.rect(204, 262, 220, 276, fill=k.METAL_DARK, radius=3)
        k.gradient_disc(c, 212, 293, 14, (230, 120, 110), (140, 40, 32))
        c.text(212, 293, "R", 11, (40, 16, 14))
        c.legends(k.GREY, (70, 300, "START", 8), (70, 312, "STOP", 8), (250, 330, "RESET", 7))
        return c.done()

    def timer_glass(w, h):
        c = k.Canvas(w, h)
        cx, cy = CLOCK_CENTRE
        c.arc(cx, cy, 96, 200, 250, (120, 124, 130), 2)
        c.arc(cx, cy, 90, 210, 235, (90, 94, 100), 1.5)
        k.gradient_disc(c, cx, cy, 7, k.METAL_LIGHT, (60, 60, 62))
        return c.done()

    def minute_ring(w, h):
        c = k.Canvas(w, h)
        # The ring turns about the hands' pivot, 138,139 of the dial; it lies
        # at 21,24, so inside it the centre is 117,115.
        cx, cy = 117, 115
        c.ring(cx, cy, 114, 101, (52, 54, 58))
        c.circle(cx, cy, 114, outline=k.METAL, width=1)
        for m in range(60):
            a = m * 6 - 90
            if m % 5 == 0:
                x, y = k.polar(cx, cy, 107.5, a)
                c.text(x, y, str(m if m else 60), 8, k.INK if m else k.AMBER)
            else:
                c.line([k.polar(cx, cy, 104, a), k.polar(cx, cy, 111, a)], k.GREY, 1)
        return c.done()

    def hand(w, h, pivot, colour, width_ratio=0.5):
        c = k.Canvas(w, h)
        px, py = pivot
        half = h / 2 - 0.5
        c.poly([(0, py - half * 0.5), (px, py - half * width_ratio), (w - 1, py),
                (px, py + half * width_ratio), (0, py + half * 0.5)], fill=colour)
        c.circle(px, py, max(2, half * 0.8), fill=colour)
        return c.done()

    artwork.update({
        1340: timer_case,
        1350: lambda w, h: hand(w, h, (8, 8), k.RED, 0.25),
        1360: lambda w, h: hand(w, h, (6, 6), k.RED, 0.4),
        1370: lambda w, h: hand(w, h, (7, 7), k.NEEDLE, 0.7),
        1380: lambda w, h: hand(w, h, (6, 6), k.NEEDLE, 0.8),
        1390: timer_glass,
        1400: minute_ring,
    })

    # --- Window and view toggles ---------------------------------------------

    def toggle_face(label, colour=(62, 66, 70), ink=None, glyph=None):
        def draw(w, h):
            c = k.Canvas(w, h)
            c.rect(0, 0, w - 1, h - 1, fill=(30, 31, 33), radius=3)
            c.rect(1, 1, w - 2, h - 2, fill=colour, outline=(110, 114, 118), width=1, radius=3)
            if glyph:
                glyph(c, w, h)
            if label:
                size = {1: 11, 2: 8, 3: 6, 4: 4.8}[len(label)] * w / 19
                c.text(w / 2 - 0.5, h / 2 - 0.5, label, size, ink or k.INK, font=k.FONT_NARROW)
            return c.done()
        return draw

    def invisible(w, h):
        return k.Canvas(w, h).done()  # all transparent: a hot spot over the panel

    def close_glyph(c, w, h):
        c.line([(5, 5), (w - 6, h - 6)], k.RED, 2)
        c.line([(w - 6, 5), (5, h - 6)], k.RED, 2)

    def view_glyph(c, w, h):
        cx, cy = w / 2 - 0.5, h / 2 - 0.5
        c.poly([(3, cy), (cx, cy - 5), (w - 4, cy), (cx, cy + 5)], fill=k.INK)
        c.circle(cx, cy, 2.5, fill=(30, 60, 120))

    artwork.update({
        60: toggle_face("KB"),
        70: toggle_face("M"),
        80: toggle_face("ATC"),
        100: invisible,
        110: toggle_face("FUEL"),
        120: toggle_face(None, glyph=close_glyph),
        130: toggle_face("RAD"),
        140: toggle_face("YOKE"),
        150: toggle_face("LDG", colour=(40, 60, 96)),
        160: toggle_face("NAV"),
        170: toggle_face("GPS"),
        180: toggle_face("THR"),
        190: toggle_face("OVH"),
        200: toggle_face("CMP"),
        210: toggle_face("ELEC"),
        220: toggle_face("GEAR"),
        230: toggle_face("STRT"),
        240: toggle_face(None, colour=(40, 60, 96), glyph=view_glyph),
    })

    # --- Registration plate --------------------------------------------------

    def registration_plate(w, h):
        c = k.Canvas(w, h)
        c.rect(0, 0, w - 1, h - 1, fill=(34, 36, 40), outline=k.METAL, width=1.5, radius=4)
        c.rect(3, 3, w - 4, h - 4, outline=(70, 74, 78), width=1, radius=3)
        for x in (7, w - 8):
            k.screw(c, x, h / 2 - 0.5, 3)
        return c.done()

    artwork[50] = registration_plate
