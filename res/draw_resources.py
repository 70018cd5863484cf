#!/usr/bin/python3
"""Draws Kestrane's binary resources and writes them into this folder.

    kestrane.ico        program icon: 48, 32 and 16 pixels in 32-bit colour with
                        alpha, which Windows XP and later show at every colour
                        depth (a 256-colour copy would only add 7 KB)
    st60.gif            front of the phone for the about box, 260 x 400,
                        palette index 255 transparent
    st60.pixels         the same picture as the program carries it: palette
                        and colour indices deflated (9 KB against the GIF's 22)
    hand.cur            pointing hand for links, 32 x 32, 16 colours,
                        hot spot (12, 1)
    Kestrane.manifest   asks for version 6 of the common controls, and to
                        run as the user who starts it (no virtualised writes
                        into protected folders)

Run it with Debian's Python and Pillow (python3-pil):

    /usr/bin/python3 res/draw_resources.py

The output depends only on this script (and Pillow's drawing and colour
reduction), so running it again writes the same bytes.  check_resources.py
re-reads the files and checks their layout.
"""

import os
import struct
import sys
import zlib

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))


def rgb(hexstr):
    hexstr = hexstr.lstrip("#")
    return tuple(int(hexstr[i:i + 2], 16) for i in (0, 2, 4))


def lerp_stops(stops, t):
    """Colour at t (0..1) along a list of (position, (r, g, b)) stops."""
    t = min(1.0, max(0.0, t))
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            u = 0.0 if p1 == p0 else (t - p0) / (p1 - p0)
            return tuple(int(round(a + (b - a) * u)) for a, b in zip(c0, c1))
    return stops[-1][1]


def parse_stops(stops):
    return [(p, rgb(c) if isinstance(c, str) else c) for p, c in stops]


# ---------------------------------------------------------------------------
# Supersampled drawing surface.  Coordinates are given in final pixels
# (floats allowed); a pixel i covers [i, i + 1).  Everything is drawn S times
# larger without anti-aliasing and reduced with a box filter at the end.
# ---------------------------------------------------------------------------

class Canvas:
    def __init__(self, width, height, scale, mode="RGB", background=(0, 0, 0)):
        self.w, self.h, self.s = width, height, scale
        self.size = (width * scale, height * scale)
        self.img = Image.new(mode, self.size, background)

    # -- coordinate helpers -------------------------------------------------
    def box(self, x0, y0, x1, y1):
        s = self.s
        return [round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1]

    def pt(self, x, y):
        return (x * self.s, y * self.s)

    # -- masks ----------------------------------------------------------------
    def new_mask(self):
        return Image.new("L", self.size, 0)

    def rrect_mask(self, x0, y0, x1, y1, r):
        m = self.new_mask()
        ImageDraw.Draw(m).rounded_rectangle(self.box(x0, y0, x1, y1),
                                            radius=r * self.s, fill=255)
        return m

    def ellipse_mask(self, x0, y0, x1, y1):
        m = self.new_mask()
        ImageDraw.Draw(m).ellipse(self.box(x0, y0, x1, y1), fill=255)
        return m

    def polygon_mask(self, points):
        m = self.new_mask()
        ImageDraw.Draw(m).polygon([self.pt(x, y) for x, y in points], fill=255)
        return m

    def path_mask(self, points, width):
        """A stroke along points with round joins and caps."""
        m = self.new_mask()
        d = ImageDraw.Draw(m)
        pts = [self.pt(x, y) for x, y in points]
        w = width * self.s
        d.line(pts, fill=255, width=max(1, round(w)), joint="curve")
        for x, y in (pts[0], pts[-1]):
            d.ellipse([x - w / 2, y - w / 2, x + w / 2, y + w / 2], fill=255)
        return m

    # -- paints ---------------------------------------------------------------
    def vgrad(self, y0, y1, stops):
        """Full-size image whose colour runs from y0 (t=0) to y1 (t=1)."""
        stops = parse_stops(stops)
        strip = Image.new("RGB", (1, self.size[1]))
        strip.putdata([lerp_stops(stops, ((i + 0.5) / self.s - y0) / (y1 - y0))
                       for i in range(self.size[1])])
        return strip.resize(self.size, Image.NEAREST)

    def hgrad(self, x0, x1, stops):
        """Full-size image whose colour runs from x0 (t=0) to x1 (t=1)."""
        stops = parse_stops(stops)
        strip = Image.new("RGB", (self.size[0], 1))
        strip.putdata([lerp_stops(stops, ((i + 0.5) / self.s - x0) / (x1 - x0))
                       for i in range(self.size[0])])
        return strip.resize(self.size, Image.NEAREST)

    def fill(self, mask, paint, alpha=255):
        if alpha != 255:
            mask = mask.point(lambda v: v * alpha // 255)
        if isinstance(paint, str):
            paint = rgb(paint)
        if isinstance(paint, tuple):
            if self.img.mode == "RGBA" and len(paint) == 3:
                paint = paint + (255,)
            self.img.paste(paint, (0, 0) + self.size, mask)
        else:
            if self.img.mode == "RGBA" and paint.mode != "RGBA":
                paint = paint.convert("RGBA")
            self.img.paste(paint, (0, 0), mask)

    def result(self):
        return self.img.reduce(self.s)


def mask_and(a, b):
    return Image.composite(a, Image.new("L", a.size, 0), b)


def mask_minus(a, b):
    return Image.composite(Image.new("L", a.size, 0), a, b)


def rounded_outline(x0, y0, x1, y1, rt, rb, steps=24):
    """Polygon of a rectangle with top corner radius rt and bottom radius rb."""
    import math
    pts = []

    def arc(cx, cy, r, a0, a1):
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))

    arc(x1 - rt, y0 + rt, rt, -90, 0)
    arc(x1 - rb, y1 - rb, rb, 0, 90)
    arc(x0 + rb, y1 - rb, rb, 90, 180)
    arc(x0 + rt, y0 + rt, rt, 180, 270)
    return pts


# ---------------------------------------------------------------------------
# Tiny 5 x 7 pixel font for the key caps
# ---------------------------------------------------------------------------

GLYPHS = {
    "1": ["..X..", ".XX..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    "2": [".XXX.", "X...X", "....X", "...X.", "..X..", ".X...", "XXXXX"],
    "3": ["XXXXX", "...X.", "..X..", "...X.", "....X", "X...X", ".XXX."],
    "4": ["...X.", "..XX.", ".X.X.", "X..X.", "XXXXX", "...X.", "...X."],
    "5": ["XXXXX", "X....", "XXXX.", "....X", "....X", "X...X", ".XXX."],
    "6": ["..XX.", ".X...", "X....", "XXXX.", "X...X", "X...X", ".XXX."],
    "7": ["XXXXX", "....X", "...X.", "..X..", ".X...", ".X...", ".X..."],
    "8": [".XXX.", "X...X", "X...X", ".XXX.", "X...X", "X...X", ".XXX."],
    "9": [".XXX.", "X...X", "X...X", ".XXXX", "....X", "...X.", ".XX.."],
    "0": [".XXX.", "X...X", "X..XX", "X.X.X", "XX..X", "X...X", ".XXX."],
    "*": [".....", "..X..", "X.X.X", ".XXX.", "X.X.X", "..X..", "....."],
    "#": [".X.X.", ".X.X.", "XXXXX", ".X.X.", "XXXXX", ".X.X.", ".X.X."],
}


def put_glyph(img, ch, x, y, colour):
    for dy, row in enumerate(GLYPHS[ch]):
        for dx, c in enumerate(row):
            if c == "X":
                img.putpixel((x + dx, y + dy), colour)


# ---------------------------------------------------------------------------
# The phone (st60.gif)
# ---------------------------------------------------------------------------

PHONE_W, PHONE_H = 260, 400
MATTE = rgb("#d8d8d8")      # what the anti-aliased rim is blended against

# Body outline in picture pixels: x 20..240, y 10..390 inclusive.
BODY = (20, 10, 241, 391)
BODY_RT, BODY_RB = 40, 46

# The display: the program paints its own texts over these pixels.
LCD = (78, 85, 181, 228)          # x 78..180, y 85..227
SOFTBAR = (78, 209, 181, 228)     # y 209..227, dark
LENS = (62, 52, 198, 246)
CALL_GREEN = rgb("#12a03a")
END_RED = rgb("#dc2418")
DIGITS = rgb("#1d242b")


def draw_key(cv, x0, y0, x1, y1, r, face=("#f5f7f9", "#dde2e7", "#a8b1ba"),
             border="#262d35"):
    # drop shadow, dark border, silver cap, a bright top lip
    cv.fill(cv.rrect_mask(x0 - 0.5, y0 + 0.5, x1 + 0.5, y1 + 2.0, r + 0.5), "#11161b", 150)
    cv.fill(cv.rrect_mask(x0, y0, x1, y1, r), border)
    cap = cv.rrect_mask(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1)
    cv.fill(cap, cv.vgrad(y0 + 1, y1 - 1, [(0, face[0]), (0.45, face[1]), (1, face[2])]))
    lip = mask_minus(cap, cv.rrect_mask(x0 + 1, y0 + 2, x1 - 1, y1 - 1, r - 1))
    cv.fill(lip, "#ffffff", 200)


def handset_points(cx, cy, r, a0, a1, n=20):
    import math
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def draw_handset(cv, cx, cy, colour, hung_up):
    """Classic receiver symbol: a thick arc with round ear and mouth pieces."""
    if hung_up:
        pts = handset_points(cx, cy - 5.5, 8.5, 30, 150)
    else:
        pts = handset_points(cx, cy + 5.5, 8.5, 210, 330)
    cv.fill(cv.path_mask(pts, 2.8), colour)
    for x, y in (pts[0], pts[-1]):
        cv.fill(cv.ellipse_mask(x - 2.7, y - 2.7, x + 2.7, y + 2.7), colour)


def draw_phone():
    S = 4
    cv = Canvas(PHONE_W, PHONE_H, S, "RGB", MATTE)
    bx0, by0, bx1, by1 = BODY

    # -- shell: dark metal with cylindrical shading ---------------------------
    body = cv.polygon_mask(rounded_outline(bx0, by0, bx1, by1, BODY_RT, BODY_RB))
    cv.fill(body, cv.hgrad(bx0, bx1, [(0, "#11151a"), (0.05, "#2e3944"), (0.22, "#52606e"),
                                      (0.5, "#3a4653"), (0.9, "#28313b"), (1, "#0e1216")]))

    # -- front face, inset from the shell -------------------------------------
    inset = 5
    face = cv.polygon_mask(rounded_outline(bx0 + inset, by0 + inset, bx1 - inset, by1 - inset,
                                           BODY_RT - inset, BODY_RB - inset))
    cv.fill(face, cv.hgrad(bx0 + inset, bx1 - inset,
                           [(0, "#2f3b48"), (0.12, "#4c5d6f"), (0.3, "#6d8093"),
                            (0.48, "#5b6d80"), (0.8, "#43525f"), (1, "#2a3440")]))
    # light falls from above: darken the lower face a little
    low = mask_and(face, cv.vgrad(by0, by1, [(0, (0, 0, 0)), (0.55, (0, 0, 0)),
                                              (1, (90, 90, 90))]).convert("L"))
    cv.fill(low, "#0b0e12")
    # bright bevel on the upper left edge of the face, dark one at the bottom
    ring = mask_minus(face, cv.polygon_mask(rounded_outline(
        bx0 + inset + 1.2, by0 + inset + 1.2, bx1 - inset - 0.6, by1 - inset - 1.0,
        BODY_RT - inset - 1.2, BODY_RB - inset - 1.2)))
    hi = mask_and(ring, cv.vgrad(by0, by1, [(0, (230, 230, 230)), (0.5, (40, 40, 40)),
                                             (1, (0, 0, 0))]).convert("L"))
    cv.fill(hi, "#c9d6e2")
    lo = mask_and(ring, cv.vgrad(by0, by1, [(0, (0, 0, 0)), (0.6, (0, 0, 0)),
                                             (1, (200, 200, 200))]).convert("L"))
    cv.fill(lo, "#0a0d10")

    # -- earpiece slot and a light sensor -------------------------------------
    cv.fill(cv.rrect_mask(106, 29.5, 154, 38.5, 4.5), "#9fb0c0", 110)       # lower lip light
    cv.fill(cv.rrect_mask(106, 28, 154, 37, 4.5), "#0b0e11")
    for i in range(7):
        x = 112 + i * 6
        cv.fill(cv.ellipse_mask(x, 31.2, x + 2.4, 33.8), "#2c343d")
    cv.fill(cv.ellipse_mask(175, 29, 182, 36), "#0d1013")
    cv.fill(cv.ellipse_mask(176.5, 30, 179, 32.5), "#55687a")

    # -- display window (dark glass) ------------------------------------------
    lx0, ly0, lx1, ly1 = LENS
    cv.fill(cv.rrect_mask(lx0 - 1.5, ly0 - 1.5, lx1 + 1.5, ly1 + 1.5, 14), "#a9b9c8", 150)
    lens = cv.rrect_mask(lx0, ly0, lx1, ly1, 12)
    cv.fill(lens, cv.vgrad(ly0, ly1, [(0, "#2a323b"), (0.15, "#161b21"), (1, "#0a0d10")]))
    # the LCD itself
    cx0, cy0, cx1, cy1 = LCD
    lcd = cv.rrect_mask(cx0, cy0, cx1, cy1, 0)
    # a gentle gloss across the glass around the display
    gloss = mask_minus(mask_and(lens, cv.polygon_mask([(lx0, ly0), (lx0 + 95, ly0),
                                                       (lx0, ly0 + 120)])), lcd)
    cv.fill(gloss, "#ffffff", 26)
    # a thin dark frame, then the pale LCD glass
    cv.fill(cv.rrect_mask(cx0 - 2, cy0 - 2, cx1 + 2, cy1 + 2, 1.5), "#050607")
    cv.fill(lcd, cv.vgrad(cy0, SOFTBAR[1], [(0, "#cad9d4"), (1, "#bccdc9")]))
    cv.fill(cv.rrect_mask(cx0, cy0, cx1, cy0 + 1, 0), "#aebfbb")        # inner shadow
    cv.fill(cv.rrect_mask(cx0, cy0, cx0 + 1, SOFTBAR[1], 0), "#b2c3bf")
    # soft key bar along the lower edge
    sx0, sy0, sx1, sy1 = SOFTBAR
    cv.fill(cv.rrect_mask(sx0, sy0, sx1, sy1, 0), cv.vgrad(sy0, sy1, [(0, "#2b3b47"),
                                                                      (1, "#1a252e")]))

    # -- soft keys, navigation key, call keys ---------------------------------
    draw_key(cv, 36, 252, 96, 266, 7)
    draw_key(cv, 164, 252, 224, 266, 7)
    cv.fill(cv.rrect_mask(58, 258, 74, 260, 1), "#3b444d")
    cv.fill(cv.rrect_mask(186, 258, 202, 260, 1), "#3b444d")
    draw_key(cv, 36, 272, 96, 288, 7)
    draw_key(cv, 164, 272, 224, 288, 7)
    draw_handset(cv, 66, 280, CALL_GREEN, False)
    draw_handset(cv, 194, 280, END_RED, True)

    # navigation: a ring that rocks four ways around a select key
    ncx, ncy, nr = 130, 270, 20
    cv.fill(cv.ellipse_mask(ncx - nr - 0.5, ncy - nr + 0.5, ncx + nr + 0.5, ncy + nr + 2.5),
            "#11161b", 150)
    cv.fill(cv.ellipse_mask(ncx - nr, ncy - nr, ncx + nr, ncy + nr), "#262d35")
    cv.fill(cv.ellipse_mask(ncx - nr + 1, ncy - nr + 1, ncx + nr - 1, ncy + nr - 1),
            cv.vgrad(ncy - nr, ncy + nr, [(0, "#f5f7f9"), (0.5, "#d5dbe1"), (1, "#9aa4ae")]))
    for dx, dy in ((0, -1), (0, 1), (-1, 0), (1, 0)):
        tx, ty = ncx + dx * 14.5, ncy + dy * 14.5
        px, py = -dy, dx
        cv.fill(cv.polygon_mask([(tx + dx * 3, ty + dy * 3),
                                 (tx - dx * 1.5 + px * 3.5, ty - dy * 1.5 + py * 3.5),
                                 (tx - dx * 1.5 - px * 3.5, ty - dy * 1.5 - py * 3.5)]),
                "#3b444d")
    cv.fill(cv.ellipse_mask(ncx - 8.5, ncy - 8.5, ncx + 8.5, ncy + 8.5), "#262d35")
    cv.fill(cv.ellipse_mask(ncx - 7.5, ncy - 7.5, ncx + 7.5, ncy + 7.5),
            cv.vgrad(ncy - 8, ncy + 8, [(0, "#9aa4ae"), (1, "#e8ecf0")]))

    # -- numeric keypad ---------------------------------------------------------
    keys = []
    cols = [(44, 96), (104, 156), (164, 216)]
    for row, labels in enumerate(("123", "456", "789", "*0#")):
        y0 = 300 + row * 21
        for (x0, x1), ch in zip(cols, labels):
            draw_key(cv, x0, y0, x1, y0 + 17, 7.5)
            keys.append((x0, y0, x1, y0 + 17, ch))

    img = cv.result()
    alpha = body.reduce(S)

    # key digits, pixel by pixel
    for x0, y0, x1, y1, ch in keys:
        gx = (x0 + x1) // 2 - 2
        gy = y0 + (y1 - y0 - 7) // 2
        put_glyph(img, ch, gx, gy, DIGITS)
    return img, alpha


def phone_indices():
    """Returns (pixel indices, palette) for the GIF: 255 marks the outside."""
    img, alpha = draw_phone()
    inside = [a >= 128 for a in alpha.getdata()]
    # give the outside a colour that is used anyway, so it costs no palette slot
    filler = img.getpixel((PHONE_W // 2, PHONE_H // 2))
    flat = Image.new("RGB", img.size, filler)
    flat.paste(img, (0, 0), alpha.point(lambda a: 255 if a >= 128 else 0))
    # Median cut gives the big shaded areas their colours; the small red and
    # green symbols would lose theirs, so they get palette slots of their own.
    reserved = [CALL_GREEN, END_RED, DIGITS]
    base = flat.quantize(colors=255 - len(reserved), method=Image.Quantize.MEDIANCUT)
    pal = list(base.getpalette() or [])[:(255 - len(reserved)) * 3]
    pal += [0] * ((255 - len(reserved)) * 3 - len(pal))
    for c in reserved:
        pal += list(c)
    # while mapping, slot 255 holds a colour nothing on the phone comes near
    pal_img = Image.new("P", (1, 1))
    pal_img.putpalette(pal + [255, 0, 255])
    q = flat.quantize(palette=pal_img, dither=Image.Dither.NONE)
    pal += list(MATTE)
    idx = bytearray(q.tobytes())
    for i, ok in enumerate(inside):
        if not ok:
            idx[i] = 255
    if max(idx[i] for i, ok in enumerate(inside) if ok) > 254:
        sys.exit("phone: colour reduction used index 255")
    return bytes(idx), pal


# ---------------------------------------------------------------------------
# GIF writer: one frame, full 256-entry global palette, index 255 transparent
# ---------------------------------------------------------------------------

def lzw_encode(data, min_code_size=8):
    clear = 1 << min_code_size
    eoi = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0
    code_size = min_code_size + 1
    next_code = eoi + 1
    table = {}

    def emit(code):
        nonlocal acc, nbits, code_size
        acc |= code << nbits
        nbits += code_size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8
        # the decoder widens its codes once the table reaches the next power of two
        if next_code >= (1 << code_size) and code_size < 12:
            code_size += 1

    emit(clear)
    prefix = data[0]
    for k in data[1:]:
        key = (prefix << 8) | k
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix)
        if next_code >= 4095:
            emit(clear)
            table.clear()
            code_size = min_code_size + 1
            next_code = eoi + 1
        else:
            table[key] = next_code
            next_code += 1
        prefix = k
    emit(prefix)
    emit(eoi)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def write_gif(path, width, height, indices, palette, transparent=255):
    assert len(palette) == 256 * 3 and len(indices) == width * height
    g = bytearray(b"GIF89a")
    # logical screen: global table present, 8 bits colour resolution, 2^(7+1) entries
    g += struct.pack("<HHBBB", width, height, 0x80 | (7 << 4) | 7, transparent, 0)
    g += bytes(palette)
    # graphic control extension: no disposal, no delay, transparent index
    g += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, 0x01, 0, transparent, 0)
    g += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    g.append(8)
    data = lzw_encode(indices, 8)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        g.append(len(chunk))
        g += chunk
    g.append(0)
    g.append(0x3B)
    with open(path, "wb") as f:
        f.write(g)


def write_pixels(path, indices, palette):
    """The picture as the program carries it: its palette (256 x RGB) and its
    colour indices, row by row from the top, as one zlib stream. Deflate packs
    the picture into far fewer bytes than the GIF's LZW; the program builds the
    GIF back in memory when it shows the picture."""
    with open(path, "wb") as f:
        f.write(zlib.compress(bytes(palette) + bytes(indices), 9))


# ---------------------------------------------------------------------------
# The icon
# ---------------------------------------------------------------------------

# Icon geometry in pixels of each size.  The phone is laid on whole pixels so
# its edges, display and keys stay crisp; the cup and the steam are round and
# get smoothed edges.
ICON_GEOMETRY = {
    48: dict(phone=(4, 1, 28, 47), phone_r=5.5, ear=(12, 4.5, 20, 6.5),
             bezel=(8, 9, 24, 27), lcd=(9, 10, 23, 26), bar=23,
             keys_x=(8, 14, 20), key_w=4, keys_y=(30, 34, 38, 42), key_h=3,
             steam=(31.5, 37.5), steam_y=(24.5, 10.5), steam_a=1.6, steam_w=2.4,
             handle=(36, 29.5, 47, 41.5), handle_in=(37.5, 31, 45.5, 40),
             hole=(39.6, 33.2, 43.4, 37.8),
             cup=[(21, 28.5), (43, 28.5), (40.5, 43), (37, 47), (27, 47), (23.5, 43)],
             cup_in=[(22.6, 30), (41.4, 30), (39.1, 42.6), (36.2, 45.6), (27.8, 45.6),
                     (24.9, 42.6)],
             rim=(21, 25.5, 43, 31.5), rim_in=(22.5, 26.6, 41.5, 30.4),
             coffee=(24.2, 27.3, 39.8, 30.0)),
    32: dict(phone=(2, 1, 19, 32), phone_r=4, ear=(8, 3, 13, 4),
             bezel=(5, 5, 16, 17), lcd=(6, 6, 15, 16), bar=14,
             keys_x=(5, 9, 13), key_w=3, keys_y=(19, 22, 25, 28), key_h=2,
             # steam on whole pixels: (left column, top row, column offsets down)
             steam_px=[(21, 5, (1, 1, 0, 0, 0, 1, 1, 2, 2, 2, 1, 1)),
                       (25, 4, (1, 1, 0, 0, 0, 1, 1, 2, 2, 2, 1, 1))],
             handle=(23, 20.5, 32, 29.5), handle_in=(24, 21.5, 31, 28.5),
             hole=(27, 23.3, 30, 26.7),
             cup=[(13, 19.5), (28, 19.5), (26.5, 28.5), (24.3, 31.5), (16.7, 31.5),
                  (14.5, 28.5)],
             cup_in=[(14.1, 20.5), (26.9, 20.5), (25.5, 28.1), (23.7, 30.5), (17.3, 30.5),
                     (15.5, 28.1)],
             rim=(13, 17, 28, 22.2), rim_in=(14, 18, 27, 21.2), coffee=(15.2, 18.6, 25.8, 20.8)),
}


def draw_icon_vector(n):
    """Phone with a steaming cup in front of it."""
    import math
    S = 8
    g = ICON_GEOMETRY[n]
    cv = Canvas(n, n, S, "RGBA", (0, 0, 0, 0))
    K = "#151b21"

    # phone: outline, metal body, earpiece, display, keys
    px0, py0, px1, py1 = g["phone"]
    r = g["phone_r"]
    cv.fill(cv.rrect_mask(px0, py0, px1, py1, r), K)
    cv.fill(cv.rrect_mask(px0 + 1, py0 + 1, px1 - 1, py1 - 1, r - 1),
            cv.hgrad(px0 + 1, px1 - 1, [(0, "#3c4b5c"), (0.25, "#8499ae"), (0.6, "#5d6f83"),
                                        (1, "#33404e")]))
    cv.fill(cv.rrect_mask(*g["ear"], 0.8), K)
    cv.fill(cv.rrect_mask(*g["bezel"], 1.2), K)
    lx0, ly0, lx1, ly1 = g["lcd"]
    cv.fill(cv.rrect_mask(lx0, ly0, lx1, g["bar"], 0),
            cv.vgrad(ly0, g["bar"], [(0, "#dcefe8"), (1, "#b7d2cb")]))
    cv.fill(cv.rrect_mask(lx0, g["bar"], lx1, ly1, 0), "#2c3d4a")
    for y in g["keys_y"]:
        for x in g["keys_x"]:
            cv.fill(cv.rrect_mask(x, y, x + g["key_w"], y + g["key_h"], 0.6), "#e3e9ee")

    # steam: two wisps, one S-bend each
    for x0, y0, offsets in g.get("steam_px", []):
        for i, dx in enumerate(offsets):
            cv.fill(cv.rrect_mask(x0 + dx, y0 + i, x0 + dx + 2, y0 + i + 1, 0), "#d9481f")
    for k, x0 in enumerate(g.get("steam", [])):
        sy0, sy1 = g["steam_y"]
        pts = []
        for i in range(41):
            t = i / 40
            pts.append((x0 + g["steam_a"] * math.sin(2 * math.pi * t + k * 0.6),
                        sy0 + (sy1 - sy0) * t))
        cv.fill(cv.path_mask(pts, g["steam_w"]), "#d9481f")

    # cup: handle ring, body, rim with coffee
    cv.fill(cv.ellipse_mask(*g["handle"]), K)
    cv.fill(cv.ellipse_mask(*g["handle_in"]), "#e8782c")
    cv.fill(cv.ellipse_mask(*g["hole"]), (0, 0, 0, 0))
    cv.fill(cv.polygon_mask(g["cup"]), K)
    xs = [x for x, _ in g["cup_in"]]
    cv.fill(cv.polygon_mask(g["cup_in"]),
            cv.hgrad(min(xs), max(xs), [(0, "#b8461a"), (0.3, "#f39a4a"), (0.55, "#e46d28"),
                                        (1, "#a63c14")]))
    cv.fill(cv.ellipse_mask(*g["rim"]), K)
    cv.fill(cv.ellipse_mask(*g["rim_in"]), "#f2a25c")
    cv.fill(cv.ellipse_mask(*g["coffee"]), "#4a2711")
    return cv.result()


# 16 x 16 by hand: the vector drawing gets mushy at this size.
ICON16_COLOURS = {
    ".": None,
    "K": "#151b21",   # outline
    "B": "#62768b",   # phone body
    "b": "#90a5ba",   # phone body, lit edge
    "D": "#3f4d5d",   # phone body, shaded edge
    "S": "#d3e8e1",   # display
    "s": "#2c3d4a",   # soft key bar
    "k": "#e3e9ee",   # keys
    "O": "#e8782c",   # cup
    "o": "#a63c14",   # cup, shaded side
    "h": "#f6aa62",   # cup, lit side
    "C": "#4a2711",   # coffee
    "R": "#d9481f",   # steam
}

ICON16 = [
    ".KKKKKK.........",
    "KbBBBBDK..R..R..",
    "KbSSSSDK.R..R...",
    "KbSSSSDK.R..R...",
    "KbSSSSDK..R..R..",
    "KbSSSSDK..R..R..",
    "KbssssDK.R..R...",
    "KbBBBBDK........",
    "KbkBkBKKKKKKKK..",
    "KbBBBBKhCCCChK..",
    "KbkBkBKhOOOOoKKK",
    "KbBBBBKhOOOOoK.K",
    "KbkBkBKhOOOOoK.K",
    "KbBBBBKhOOOOoKKK",
    "KbBBBBBKhOOoK...",
    ".KKKKKKKKKKK....",
]


def draw_icon16():
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    for y, row in enumerate(ICON16):
        assert len(row) == 16, row
        for x, c in enumerate(row):
            col = ICON16_COLOURS[c]
            if col is not None:
                img.putpixel((x, y), rgb(col) + (255,))
    return img


def icon_images():
    return {48: draw_icon_vector(48), 32: draw_icon_vector(32), 16: draw_icon16()}


# ---------------------------------------------------------------------------
# ICO / CUR writing
# ---------------------------------------------------------------------------

def row_bytes(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def and_mask_bytes(opaque, width, height):
    """1 = transparent.  Rows bottom-up, padded to 32 bits."""
    stride = row_bytes(width, 1)
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            if not opaque[y * width + x]:
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def dib(width, height, bpp, palette, xor_rows, and_mask):
    """BITMAPINFOHEADER + palette + XOR bitmap + AND mask (height doubled)."""
    image = b"".join(xor_rows) + and_mask
    hdr = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0, len(image),
                      0, 0, len(palette) if palette else 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in (palette or []))
    return hdr + pal + image


def icon_dib32(img):
    w, h = img.size
    px = list(img.getdata())
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = px[y * w + x]
            if a == 0:
                r = g = b = 0
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    opaque = [p[3] >= 128 for p in px]
    return dib(w, h, 32, None, rows, and_mask_bytes(opaque, w, h))


def write_ico(path, images):
    """images: list of (size, bpp, dib bytes)."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    blobs = []
    for size, bpp, blob in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bpp,
                           len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


# ---------------------------------------------------------------------------
# The hand cursor: 32 x 32, 16 colours, hot spot on the tip of the finger
# ---------------------------------------------------------------------------

HAND_HOTSPOT = (12, 1)

HAND = [
    "................................",
    "...........XXX..................",
    "..........XoooX.................",
    "..........XoooX.................",
    "..........XoooX.................",
    "..........XoooX.................",
    "..........XoooX.................",
    "..........XoooXXXX..............",
    "..........XoooXoooXXXX..........",
    "..........XoooXoooXoooX.........",
    "..........XoooXoooXoooXXX.......",
    "..........XoooXoooXoooXooX......",
    "......XX..XoooXoooXoooXooX......",
    ".....XooX.XoooXoooXoooXooX......",
    ".....XoooXXooooooooooooooX......",
    ".....XoooooooooooooooooooX......",
    "......XooooooooooooooooooX......",
    ".......XoooooooooooooooooX......",
    "........XooooooooooooooooX......",
    ".........XoooooooooooooooX......",
    "..........XooooooooooooooX......",
    "..........XoooooooooooooX.......",
    "...........XooooooooooooX.......",
    "...........XooooooooooooX.......",
    "...........XXXXXXXXXXXXXX.......",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
]

# the usual 16 colours; the hand uses black (0) and white (15)
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def write_cursor(path):
    w = h = 32
    assert len(HAND) == h and all(len(r) == w for r in HAND)
    value = {".": 0, "X": 0, "o": 15}
    opaque = [c != "." for row in HAND for c in row]
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        line = HAND[y]
        for x in range(0, w, 2):
            row.append((value[line[x]] << 4) | value[line[x + 1]])
        rows.append(bytes(row))
    blob = dib(w, h, 4, VGA16, rows, and_mask_bytes(opaque, w, h))
    hx, hy = HAND_HOTSPOT
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", w, h, 16, 0, hx, hy, len(blob), 6 + 16)
    with open(path, "wb") as f:
        f.write(out + blob)


# ---------------------------------------------------------------------------
# Manifest
# ---------------------------------------------------------------------------

MANIFEST = """\
<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <dependency>
    <dependentAssembly>
      <assemblyIdentity
        type="win32"
        name="Microsoft.Windows.Common-Controls"
        version="6.0.0.0"
        processorArchitecture="X86"
        publicKeyToken="6595b64144ccf1df"
        language="*"
      />
    </dependentAssembly>
  </dependency>
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
</assembly>
"""


def main_into(out):
    icons = icon_images()
    entries = []
    for size in (48, 32, 16):
        entries.append((size, 32, icon_dib32(icons[size])))
    write_ico(os.path.join(out, "kestrane.ico"), entries)

    idx, pal = phone_indices()
    write_gif(os.path.join(out, "st60.gif"), PHONE_W, PHONE_H, idx, pal)
    write_pixels(os.path.join(out, "st60.pixels"), idx, pal)

    write_cursor(os.path.join(out, "hand.cur"))

    with open(os.path.join(out, "Kestrane.manifest"), "w", encoding="utf-8",
              newline="\n") as f:
        f.write(MANIFEST)


def main():
    main_into(sys.argv[1] if len(sys.argv) > 1 else HERE)


if __name__ == "__main__":
    main()
