#!/usr/bin/python3
"""Re-reads the files written by draw_resources.py and checks their layout.

    /usr/bin/python3 res/check_resources.py [FOLDER]

FOLDER defaults to this script's folder.  Prints one line per check and
exits with 1 if any check failed.  Besides the layout it redraws everything
into a temporary folder and compares the bytes, so a stale or hand-edited
file shows up too.
"""

import os
import struct
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
FAILED = []


def check(cond, what):
    print(("ok    " if cond else "FAIL  ") + what)
    if not cond:
        FAILED.append(what)
    return cond


def read(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


# ---------------------------------------------------------------------------
# DIBs inside .ico and .cur
# ---------------------------------------------------------------------------

def parse_dib(data, offset, length):
    """Returns dict with header fields, palette, pixel values and AND mask."""
    (size, width, height, planes, bpp, compression, size_image, _, _, clr_used,
     _) = struct.unpack_from("<IiiHHIIiiII", data, offset)
    h = height // 2
    ncol = (clr_used or (1 << bpp)) if bpp <= 8 else 0
    p = offset + size
    palette = [struct.unpack_from("<BBBB", data, p + 4 * i) for i in range(ncol)]
    palette = [(r, g, b) for b, g, r, _ in palette]
    p += 4 * ncol
    stride = ((width * bpp + 31) // 32) * 4
    mstride = ((width + 31) // 32) * 4
    xor = data[p:p + stride * h]
    mask = data[p + stride * h:p + stride * h + mstride * h]
    expected_len = size + 4 * ncol + stride * h + mstride * h
    pixels = []
    transparent = []
    for y in range(h):
        r = h - 1 - y          # rows are stored bottom-up
        for x in range(width):
            if bpp == 32:
                b, g, rr, a = xor[r * stride + 4 * x:r * stride + 4 * x + 4]
                pixels.append((rr, g, b, a))
            elif bpp == 8:
                pixels.append(xor[r * stride + x])
            elif bpp == 4:
                v = xor[r * stride + x // 2]
                pixels.append(v >> 4 if x % 2 == 0 else v & 15)
            transparent.append((mask[r * mstride + x // 8] >> (7 - x % 8)) & 1 == 1)
    return dict(size=size, width=width, height=height, planes=planes, bpp=bpp,
                compression=compression, palette=palette, pixels=pixels,
                transparent=transparent, expected_len=expected_len, length=length,
                complete=len(mask) == mstride * h)


def check_ico(folder):
    data = read(folder, "kestrane.ico")
    reserved, kind, count = struct.unpack_from("<HHH", data)
    check(reserved == 0 and kind == 1, "kestrane.ico: icon directory (type 1)")
    check(count == 3, "kestrane.ico: three images (found %d)" % count)
    found = set()
    spans = []
    for i in range(count):
        w, h, colours, res, planes, bpp, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * i)
        name = "kestrane.ico #%d (%dx%d, %d bit)" % (i, w, h, bpp)
        found.add((w, h, bpp))
        check(colours == 0 and res == 0 and planes == 1,
              name + ": colour count 0, reserved 0, planes 1")
        check(offset + length <= len(data), name + ": image lies inside the file")
        spans.append((offset, offset + length))
        d = parse_dib(data, offset, length)
        check(d["size"] == 40 and d["width"] == w and d["height"] == 2 * h
              and d["planes"] == 1 and d["bpp"] == bpp and d["compression"] == 0,
              name + ": BITMAPINFOHEADER %dx%d (height doubled), %d bit, BI_RGB"
              % (w, 2 * h, bpp))
        check(d["expected_len"] == length and d["complete"],
              name + ": colour bitmap and AND mask fill the entry exactly")
        if bpp == 32:
            agree = all(t == (p[3] < 128) for p, t in zip(d["pixels"], d["transparent"]))
            check(agree, name + ": AND mask set exactly where alpha < 128")
            alphas = set(p[3] for p in d["pixels"])
            check(0 in alphas and 255 in alphas, name + ": alpha has clear and solid pixels")
        n_clear = sum(d["transparent"])
        check(0 < n_clear < w * h and d["transparent"][0],
              name + ": transparent corner, %d of %d pixels masked" % (n_clear, w * h))
    check(found == {(s, s, 32) for s in (48, 32, 16)}, "kestrane.ico: 48, 32 and 16 pixels in 32 bit")
    spans.sort()
    check(all(a[1] <= b[0] for a, b in zip(spans, spans[1:]))
          and spans[0][0] == 6 + 16 * count,
          "kestrane.ico: images follow the directory without overlapping")


# ---------------------------------------------------------------------------
# GIF
# ---------------------------------------------------------------------------

def check_gif(folder):
    data = read(folder, "st60.gif")
    check(data[:6] == b"GIF89a", "st60.gif: version GIF89a")
    w, h, packed, bg, aspect = struct.unpack_from("<HHBBB", data, 6)
    check((w, h) == (260, 400), "st60.gif: 260 x 400 (found %d x %d)" % (w, h))
    check(packed & 0x80 and packed & 7 == 7,
          "st60.gif: global colour table of 256 entries (size bits %d)" % (packed & 7))
    p = 13 + (3 << ((packed & 7) + 1)) if packed & 0x80 else 13
    frames = 0
    gce_ok = False
    local_table = False
    ended = False
    try:
        while p < len(data):
            b = data[p]
            if b == 0x3B:
                ended = p == len(data) - 1
                break
            if b == 0x21:
                label = data[p + 1]
                q = p + 2
                if label == 0xF9 and frames == 0:
                    size, flags, _, index = struct.unpack_from("<BBHB", data, q)
                    gce_ok = size == 4 and flags & 1 and index == 255
                while data[q]:
                    q += data[q] + 1
                p = q + 1
            elif b == 0x2C:
                frames += 1
                _, _, iw, ih, ipacked = struct.unpack_from("<HHHHB", data, p + 1)
                local_table = local_table or bool(ipacked & 0x80)
                q = p + 10
                if ipacked & 0x80:
                    q += 3 << ((ipacked & 7) + 1)
                q += 1                      # LZW minimum code size
                while data[q]:
                    q += data[q] + 1
                p = q + 1
            else:
                break
    except (IndexError, struct.error):
        pass
    check(ended, "st60.gif: blocks parse up to the trailer at the end")
    check(frames == 1 and not local_table, "st60.gif: one frame, no local colour table")
    check(gce_ok, "st60.gif: graphic control extension marks index 255 transparent")

    im = Image.open(os.path.join(folder, "st60.gif"))
    check(getattr(im, "n_frames", 1) == 1 and im.mode == "P" and im.size == (260, 400),
          "st60.gif: Pillow reads one 260 x 400 paletted frame")
    check(im.info.get("transparency") == 255, "st60.gif: Pillow sees transparency 255")
    check(len(im.getpalette() or []) == 768, "st60.gif: Pillow sees 256 palette entries")
    im.load()
    px = im.load()
    corners = [px[0, 0], px[259, 0], px[0, 399], px[259, 399]]
    check(corners == [255] * 4, "st60.gif: the four corners are index 255")

    # index 255 is only the outside: every 255 pixel reaches the border
    seen = bytearray(w * h)
    stack = [(x, y) for x in range(w) for y in (0, h - 1)] + \
            [(x, y) for y in range(h) for x in (0, w - 1)]
    while stack:
        x, y = stack.pop()
        if 0 <= x < w and 0 <= y < h and not seen[y * w + x] and px[x, y] == 255:
            seen[y * w + x] = 1
            stack += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    outside = sum(seen)
    all255 = sum(1 for y in range(h) for x in range(w) if px[x, y] == 255)
    check(outside == all255 and outside > 0,
          "st60.gif: index 255 only outside the phone (%d pixels)" % all255)
    xs = [x for y in range(h) for x in range(w) if px[x, y] != 255]
    ys = [y for y in range(h) for x in range(w) if px[x, y] != 255]
    box = (min(xs), min(ys), max(xs), max(ys))
    check(15 <= box[0] <= 25 and 5 <= box[1] <= 15 and 235 <= box[2] <= 245
          and 385 <= box[3] <= 395, "st60.gif: phone body spans x %d..%d, y %d..%d" %
          (box[0], box[2], box[1], box[3]))

    # the program draws dark text on the display and white text on the bar
    rgb = im.convert("RGB")

    def lum(x, y):
        r, g, b = rgb.getpixel((x, y))
        return (299 * r + 587 * g + 114 * b) // 1000

    lcd = [lum(x, y) for x in range(78, 181) for y in range(85, 209)]
    bar = [lum(x, y) for x in range(78, 181) for y in range(209, 228)]
    check(min(lcd) >= 150, "st60.gif: display x 78..180, y 85..208 is light (darkest %d)"
          % min(lcd))
    check(max(bar) <= 90, "st60.gif: soft key bar x 78..180, y 209..227 is dark "
          "(lightest %d)" % max(bar))
    check(lum(77, 150) < 100 and lum(181, 150) < 100 and lum(130, 84) < 100,
          "st60.gif: display has a dark frame around it")


# ---------------------------------------------------------------------------
# Cursor
# ---------------------------------------------------------------------------

def check_cur(folder):
    data = read(folder, "hand.cur")
    reserved, kind, count = struct.unpack_from("<HHH", data)
    check(reserved == 0 and kind == 2 and count == 1, "hand.cur: cursor directory, one image")
    w, h, colours, res, hx, hy, length, offset = struct.unpack_from("<BBBBHHII", data, 6)
    check((w, h, colours, res) == (32, 32, 16, 0), "hand.cur: 32 x 32, 16 colours")
    check((hx, hy) == (12, 1), "hand.cur: hot spot (%d, %d)" % (hx, hy))
    check(offset == 22 and offset + length == len(data), "hand.cur: image fills the file")
    d = parse_dib(data, offset, length)
    check(d["size"] == 40 and d["width"] == 32 and d["height"] == 64 and d["planes"] == 1
          and d["bpp"] == 4 and d["compression"] == 0,
          "hand.cur: BITMAPINFOHEADER 32 x 64, 4 bit, BI_RGB")
    check(len(d["palette"]) == 16, "hand.cur: 16-entry palette")
    check(d["expected_len"] == length and d["complete"],
          "hand.cur: colour bitmap and AND mask fill the entry exactly")
    t = d["transparent"]
    hidden = [d["palette"][v] for v, tt in zip(d["pixels"], t) if tt]
    check(all(c == (0, 0, 0) for c in hidden),
          "hand.cur: masked pixels are black (transparent, not inverted)")
    colours = set(d["palette"][v] for v, tt in zip(d["pixels"], t) if not tt)
    check(colours == {(0, 0, 0), (255, 255, 255)}, "hand.cur: drawn in black and white")
    check(all(t[x] for x in range(32)), "hand.cur: row 0 is empty")
    tip = [x for x in range(32) if not t[32 + x]]
    check(bool(tip) and min(tip) >= 10 and max(tip) <= 14 and not t[32 + 12],
          "hand.cur: finger tip on row 1 at columns %s, hot spot pixel solid" % tip)
    black = d["palette"].index((0, 0, 0))
    check(d["pixels"][32 + 12] == black, "hand.cur: the finger tip is outlined in black")


# ---------------------------------------------------------------------------
# Manifest
# ---------------------------------------------------------------------------

def check_manifest(folder):
    raw = read(folder, "Kestrane.manifest")
    try:
        raw.decode("utf-8")
        utf8 = True
    except UnicodeDecodeError:
        utf8 = False
    check(utf8 and raw.startswith(b'<?xml version="1.0" encoding="UTF-8"'),
          "Kestrane.manifest: UTF-8 with XML declaration")
    ns = "{urn:schemas-microsoft-com:asm.v1}"
    root = ET.fromstring(raw)
    check(root.tag == ns + "assembly" and root.attrib == {"manifestVersion": "1.0"},
          "Kestrane.manifest: <assembly> root, manifestVersion 1.0")
    every = list(root.iter())
    ids = [e for e in every if e.tag.endswith("assemblyIdentity")]
    check(len(ids) == 1, "Kestrane.manifest: exactly one assemblyIdentity (found %d)"
          % len(ids))
    v3 = "{urn:schemas-microsoft-com:asm.v3}"
    check([e.tag for e in every] == [ns + "assembly", ns + "dependency",
                                      ns + "dependentAssembly", ns + "assemblyIdentity",
                                      v3 + "trustInfo", v3 + "security",
                                      v3 + "requestedPrivileges", v3 + "requestedExecutionLevel"],
          "Kestrane.manifest: nothing but dependency/dependentAssembly/assemblyIdentity"
          " and trustInfo/security/requestedPrivileges/requestedExecutionLevel")
    levels = [e for e in every if e.tag == v3 + "requestedExecutionLevel"]
    check(len(levels) == 1 and levels[0].attrib == {"level": "asInvoker", "uiAccess": "false"},
          "Kestrane.manifest: runs as the invoker, uiAccess false")
    want = {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
            "version": "6.0.0.0", "processorArchitecture": "X86",
            "publicKeyToken": "6595b64144ccf1df", "language": "*"}
    check(len(ids) == 1 and ids[0].attrib == want,
          "Kestrane.manifest: common controls 6.0.0.0, X86, token 6595b64144ccf1df")


# ---------------------------------------------------------------------------

def check_current(folder):
    sys.dont_write_bytecode = True          # leave no __pycache__ in res/
    sys.path.insert(0, HERE)
    import draw_resources
    with tempfile.TemporaryDirectory() as tmp:
        draw_resources.main_into(tmp)
        for name in ("kestrane.ico", "st60.gif", "hand.cur", "Kestrane.manifest"):
            check(read(tmp, name) == read(folder, name),
                  "%s: same bytes as draw_resources.py writes now" % name)
    # the hand-written LZW stream must decode to the picture that was drawn
    indices, _ = draw_resources.phone_indices()
    im = Image.open(os.path.join(folder, "st60.gif"))
    check(im.tobytes() == indices, "st60.gif: decodes to exactly the drawn pixels")
    # what the program shows: the same palette and pixels as the GIF, deflated
    pixels = zlib.decompress(read(folder, "st60.pixels"))
    check(pixels == bytes(im.getpalette()) + im.tobytes(),
          "st60.pixels: inflates to st60.gif's palette and pixels")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else HERE
    for step in (check_ico, check_gif, check_cur, check_manifest, check_current):
        try:
            step(folder)
        except Exception as e:                       # a broken file must not pass
            check(False, "%s: %s: %s" % (step.__name__, type(e).__name__, e))
    if FAILED:
        print("%d check(s) failed" % len(FAILED))
        sys.exit(1)
    print("all checks passed")


if __name__ == "__main__":
    main()
