#!/usr/bin/python3
"""check_screenshot.py PNG: is this the main window at 96 DPI, painted?

The main window's client area is 5175 x 4575 twips, 345 x 305 pixels at
96 DPI. Above it stands the menu bar, some 20 pixels; a window manager
adds the caption and the frame, a bare virtual display does not. A window that has
not painted is one colour; the main window shows white fields, the grey
face of its buttons and dark text.
"""
import sys

from PIL import Image

CLIENT = (345, 305)


def main(path):
    image = Image.open(path).convert("RGB")
    width, height = image.size
    problems = []
    if not CLIENT[0] <= width <= CLIENT[0] + 16:
        problems.append(f"{width} px wide; the main window is {CLIENT[0]} px and its frame")
    # The menu bar, perhaps a caption (each 15 to 30 px), and a frame.
    if not CLIENT[1] + 15 <= height <= CLIENT[1] + 76:
        problems.append(f"{height} px high; the main window is {CLIENT[1]} px, its caption, menu and frame")

    colours = image.getcolors(maxcolors=1 << 16) or []
    pixels = width * height
    share = lambda test: sum(n for n, rgb in colours if test(rgb)) / pixels
    white = share(lambda rgb: min(rgb) >= 250)
    dark = share(lambda rgb: max(rgb) <= 64)
    if len(colours) < 4:
        problems.append(f"only {len(colours)} colours: the window has not painted")
    # Five fields and the INI box are white: well over a tenth of the window.
    if white < 0.10:
        problems.append(f"only {white:.1%} white: no fields to be seen")
    if dark < 0.002:
        problems.append(f"only {dark:.2%} dark: no text to be seen")
    for problem in problems:
        print(f"{path}: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
