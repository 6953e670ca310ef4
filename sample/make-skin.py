#!/usr/bin/env python3
"""Writes the sample launcher skin and language texts, the same bytes on every run.

    make-skin.py OUT

OUT/Image/Autopatch/KR/ receives "skin.txt" with the dialog "main" and the
components the launcher creates ("start", "close", "minimize", "full", "probar",
"board", "resolution"), their TGA images, and the language files "PatchMsg.txt",
"ErrorMsg.txt", "url.txt" and "textpos.txt". Every picture is drawn here from
shapes, gradients and a small block font; nothing is copied from elsewhere.

The images use several TGA encodings on purpose (uncompressed and run-length,
24 and 32 bits), so that loading the sample runs every path of the reader.
Pure red (255, 0, 0) is the skin's key colour: those pixels are transparent and
are cut out of the window's shape; no drawn pixel may have that colour.
"""
import argparse
import math
import os
import random
import struct

KEY = (255, 0, 0)
SKIN_FOLDER = os.path.join("Image", "Autopatch", "KR")

# Window layout (client pixels of the 640 x 440 main window).
WIDTH, HEIGHT = 640, 440
BODY_TOP = 16                          # the panel starts here; the crest rises above it
CREST_X0, CREST_X1, CREST_SLOPE = 196, 444, 16
BOARD = (24, 72, 616, 302)             # framed area behind the html view
BOARD_VIEW = (28, 76, 584, 222)        # x, y, width, height of the html view
STATUS_RECT = (28, 310, 456, 326)
DATAINFO_RECT = (28, 328, 456, 344)
PROGRESS = (28, 352, 420, 14)          # x, y, width, height
START = (466, 334, 150, 46)
CLOSE = (604, 26, 24, 24)
MINIMIZE = (576, 26, 24, 24)
FULL = (300, 404, 120, 22)
COMBO = (466, 404, 150, 22)
COMBO_LIST_HEIGHT = 160
VERSION_RECT = (28, 408, 290, 424)
SCROLL_TILE = 12

# A 5 x 7 block font: "#" marks a lit pixel.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
    ",": [".....", ".....", ".....", ".....", ".....", "..#..", ".#..."],
    ".": [".....", ".....", ".....", ".....", ".....", ".....", "..#.."],
    "!": ["..#..", "..#..", "..#..", "..#..", "..#..", ".....", "..#.."],
}


def clamp(v):
    return 0 if v < 0 else 255 if v > 255 else int(round(v))


def mix(a, b, t):
    return tuple(clamp(a[i] + (b[i] - a[i]) * t) for i in range(3))


class Picture:
    """An RGB picture, row 0 at the top, with a mask of key-coloured pixels."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.px = [list(colour) for _ in range(width * height)]
        self.key = [False] * (width * height)

    def get(self, x, y):
        return tuple(self.px[y * self.width + x])

    def set(self, x, y, colour, alpha=1.0):
        if 0 <= x < self.width and 0 <= y < self.height:
            i = y * self.width + x
            self.px[i] = list(mix(self.px[i], colour, alpha)) if alpha < 1.0 else list(colour)
            self.key[i] = False

    def make_key(self, x, y):
        self.key[y * self.width + x] = True

    def fill(self, x0, y0, x1, y1, colour, alpha=1.0):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.set(x, y, colour, alpha)

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(y0, y1):
            c = mix(top, bottom, (y - y0) / max(1, y1 - y0 - 1))
            for x in range(x0, x1):
                self.set(x, y, c)

    def blit(self, src, dx, dy):
        for y in range(src.height):
            for x in range(src.width):
                i = y * src.width + x
                if src.key[i]:
                    self.make_key(dx + x, dy + y)
                else:
                    self.set(dx + x, dy + y, tuple(src.px[i]))

    def rows(self):
        """Final RGB rows, top row first; key pixels become pure red, and no
        drawn pixel keeps the key colour by accident."""
        out = []
        for y in range(self.height):
            row = []
            for x in range(self.width):
                i = y * self.width + x
                c = tuple(self.px[i])
                if self.key[i]:
                    c = KEY
                elif c == KEY:
                    c = (254, 0, 0)
                row.append(c)
            out.append(row)
        return out


def rounded_inside(x, y, x0, y0, x1, y1, r):
    """True when the pixel centre lies inside the rounded rectangle."""
    cx, cy = x + 0.5, y + 0.5
    if cx < x0 or cx > x1 or cy < y0 or cy > y1:
        return False
    nx = min(max(cx, x0 + r), x1 - r)
    ny = min(max(cy, y0 + r), y1 - r)
    return (cx - nx) ** 2 + (cy - ny) ** 2 <= r * r


def key_outside_rounded(pic, r):
    for y in range(pic.height):
        for x in range(pic.width):
            if not rounded_inside(x, y, 0, 0, pic.width, pic.height, r):
                pic.make_key(x, y)


def distance_to_outside(inside, width, height):
    """Chamfer distance of every inside pixel to the nearest outside pixel."""
    big = 10 ** 6
    d = [0 if not inside[i] else big for i in range(width * height)]
    for y in range(height):
        for x in range(width):
            i = y * width + x
            if d[i]:
                if x == 0 or y == 0 or x == width - 1 or y == height - 1:
                    d[i] = 1
                    continue
                d[i] = min(d[i], d[i - 1] + 1, d[i - width] + 1, d[i - width - 1] + 1.4, d[i - width + 1] + 1.4)
    for y in range(height - 1, -1, -1):
        for x in range(width - 1, -1, -1):
            i = y * width + x
            if d[i] and 0 < x < width - 1 and 0 < y < height - 1:
                d[i] = min(d[i], d[i + 1] + 1, d[i + width] + 1, d[i + width + 1] + 1.4, d[i + width - 1] + 1.4)
    return d


def text_width(text, scale):
    return len(text) * 6 * scale - scale


def draw_text(pic, text, x, y, scale, colour, shadow=None, bottom_colour=None):
    """Block letters; an optional second colour makes a top-to-bottom gradient."""
    for n, ch in enumerate(text.upper()):
        glyph = FONT[ch]
        gx = x + n * 6 * scale
        for row, bits in enumerate(glyph):
            c = colour if bottom_colour is None else mix(colour, bottom_colour, row / 6)
            for col, bit in enumerate(bits):
                if bit != "#":
                    continue
                for sy in range(scale):
                    for sx in range(scale):
                        px, py = gx + col * scale + sx, y + row * scale + sy
                        if shadow is not None:
                            pic.set(px + 1, py + 1, shadow)
                        pic.set(px, py, c)
    if shadow is not None:  # redraw the letters over the shadows of their neighbours
        draw_text(pic, text, x, y, scale, colour, None, bottom_colour)


def draw_line(pic, x0, y0, x1, y1, colour, width=1.0):
    """An anti-aliased thick line (inside an opaque picture)."""
    minx, maxx = int(min(x0, x1) - width - 1), int(max(x0, x1) + width + 2)
    miny, maxy = int(min(y0, y1) - width - 1), int(max(y0, y1) + width + 2)
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1
    for y in range(miny, maxy):
        for x in range(minx, maxx):
            cx, cy = x + 0.5, y + 0.5
            t = max(0.0, min(1.0, ((cx - x0) * dx + (cy - y0) * dy) / length2))
            dist = math.hypot(cx - (x0 + t * dx), cy - (y0 + t * dy))
            cover = max(0.0, min(1.0, width / 2 + 0.5 - dist))
            if cover > 0 and 0 <= x < pic.width and 0 <= y < pic.height and not pic.key[y * pic.width + x]:
                pic.set(x, y, colour, cover)


def frame(pic, x0, y0, x1, y1, dark, light):
    """A one-pixel sunken frame: dark top and left, light bottom and right."""
    for x in range(x0, x1):
        pic.set(x, y0, dark)
        pic.set(x, y1 - 1, light)
    for y in range(y0, y1):
        pic.set(x0, y, dark)
        pic.set(x1 - 1, y, light)


def diamond(pic, cx, cy, r, colour, edge):
    for y in range(cy - r, cy + r + 1):
        for x in range(cx - r, cx + r + 1):
            d = abs(x - cx) + abs(y - cy)
            if d <= r:
                pic.set(x, y, edge if d == r else colour)


# ---------------------------------------------------------------- pictures


def background():
    pic = Picture(WIDTH, HEIGHT)
    inside = [False] * (WIDTH * HEIGHT)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            body = rounded_inside(x, y, 0, BODY_TOP, WIDTH, HEIGHT, 20)
            # The crest: a trapezoid above the panel holding the title.
            t = y / BODY_TOP
            crest = y < BODY_TOP + 4 and CREST_X0 + CREST_SLOPE * (1 - t) <= x + 0.5 <= CREST_X1 - CREST_SLOPE * (1 - t)
            inside[y * WIDTH + x] = body or crest
    dist = distance_to_outside(inside, WIDTH, HEIGHT)
    rng = random.Random(7)
    for y in range(HEIGHT):
        base = mix((46, 38, 46), (14, 12, 17), y / (HEIGHT - 1))
        for x in range(WIDTH):
            i = y * WIDTH + x
            if not inside[i]:
                pic.make_key(x, y)
                continue
            # Gradient, a faint diagonal weave, grain and a vignette toward the sides.
            weave = 3 if (x + y) % 7 == 0 or (x - y) % 7 == 0 else 0
            grain = rng.randint(-2, 2)
            side = abs(x - WIDTH / 2) / (WIDTH / 2)
            shade = 1.0 - 0.25 * side ** 3
            c = tuple(clamp((base[k] + weave + grain) * shade) for k in range(3))
            d = dist[i]
            if d <= 1.5:
                c = (196, 150, 80)      # outer bright bronze
            elif d <= 2.5:
                c = (120, 84, 40)
            elif d <= 3.5:
                c = (24, 18, 14)        # dark gap
            elif d <= 4.5:
                c = (150, 112, 60)      # inner gold line
            elif d <= 9:
                c = mix(c, (0, 0, 0), 0.35 * (9 - d) / 4.5)  # inner shadow
            pic.set(x, y, c)
    # Header band and its gold rule.
    for y in range(BODY_TOP + 6, 62):
        for x in range(10, WIDTH - 10):
            if dist[y * WIDTH + x] > 9:
                pic.set(x, y, (255, 230, 190), 0.03)
    for x in range(24, WIDTH - 24):
        fade = min(1.0, (x - 24) / 120, (WIDTH - 24 - x) / 120)
        pic.set(x, 62, (200, 160, 90), 0.9 * fade)
        pic.set(x, 63, (0, 0, 0), 0.6 * fade)
    title = "KQ ONLINE"
    draw_text(pic, title, (WIDTH - text_width(title, 3)) // 2, 12, 3, (255, 226, 150), (30, 18, 6), (200, 140, 50))
    # The board: a sunken frame with a faint emblem for when no page is shown.
    x0, y0, x1, y1 = BOARD
    pic.fill(x0 + 2, y0 + 2, x1 - 2, y1 - 2, (11, 10, 13))
    frame(pic, x0, y0, x1, y1, (150, 112, 60), (150, 112, 60))
    frame(pic, x0 + 1, y0 + 1, x1 - 1, y1 - 1, (0, 0, 0), (60, 50, 44))
    cx, cy = (x0 + x1) // 2, (y0 + y1) // 2 - 12
    for y in range(cy - 72, cy + 73):
        for x in range(cx - 72, cx + 73):
            d = abs(x - cx) + abs(y - cy)
            if d <= 70:
                pic.set(x, y, mix((64, 48, 32), (16, 14, 16), d / 70))
            elif d <= 72:
                pic.set(x, y, (150, 112, 60))
    diamond(pic, cx, cy, 34, (20, 16, 18), (150, 112, 60))
    draw_text(pic, "KQ", cx - text_width("KQ", 3) // 2, cy - 10, 3, (255, 226, 150), (0, 0, 0), (200, 140, 50))
    cy += 12
    greeting = "WELCOME, ADVENTURER!"
    draw_text(pic, greeting, cx - text_width(greeting, 2) // 2, cy + 72, 2, (150, 120, 76), (0, 0, 0))
    # Progress groove, separator and bottom row.
    px, py, pw, ph = PROGRESS
    frame(pic, px - 2, py - 2, px + pw + 2, py + ph + 2, (0, 0, 0), (110, 84, 48))
    pic.fill(px - 1, py - 1, px + pw + 1, py + ph + 1, (20, 16, 18))
    for x in range(24, WIDTH - 24):
        fade = min(1.0, (x - 24) / 80, (WIDTH - 24 - x) / 80)
        pic.set(x, 392, (0, 0, 0), 0.6 * fade)
        pic.set(x, 393, (150, 112, 60), 0.7 * fade)
    for cx, cy in ((20, 420), (WIDTH - 20, 420)):
        diamond(pic, cx, cy, 4, (200, 150, 70), (90, 60, 24))
    return pic


def button_strip(w, h, faces, draw_face):
    """A horizontal strip of faces, each w x h, drawn by draw_face(pic, state)."""
    strip = Picture(w * len(faces), h)
    for n, state in enumerate(faces):
        face = Picture(w, h)
        draw_face(face, state)
        strip.blit(face, n * w, 0)
    return strip


def start_face(pic, state):
    top, bottom = {"normal": ((214, 166, 82), (128, 84, 28)),
                   "hover": ((246, 204, 116), (160, 110, 40)),
                   "pressed": ((112, 74, 24), (180, 130, 56))}[state]
    pic.vgradient(0, 0, pic.width, pic.height, top, bottom)
    key_outside_rounded(pic, 9)
    for y in range(pic.height):
        for x in range(pic.width):
            if pic.key[y * pic.width + x]:
                continue
            edge = not rounded_inside(x, y, 1, 1, pic.width - 1, pic.height - 1, 8)
            if edge:
                pic.set(x, y, (52, 30, 8))
            elif y <= 2 and state != "pressed":
                pic.set(x, y, (255, 236, 180), 0.6)
    label = "START"
    shift = 1 if state == "pressed" else 0
    tx = (pic.width - text_width(label, 3)) // 2 + shift
    ty = (pic.height - 21) // 2 + shift
    draw_text(pic, label, tx, ty + 1, 3, (255, 232, 170))   # light under-edge
    draw_text(pic, label, tx, ty, 3, (52, 28, 6))


def small_face(glyph, base):
    def draw(pic, state):
        lift = {"normal": 0.0, "hover": 0.35, "pressed": -0.3}[state]
        top = mix(base, (255, 220, 160), lift) if lift > 0 else mix(base, (0, 0, 0), -lift)
        pic.vgradient(0, 0, pic.width, pic.height, mix(top, (255, 255, 255), 0.15), mix(top, (0, 0, 0), 0.35))
        key_outside_rounded(pic, 5)
        for y in range(pic.height):
            for x in range(pic.width):
                if not pic.key[y * pic.width + x] and not rounded_inside(x, y, 1, 1, pic.width - 1, pic.height - 1, 4):
                    pic.set(x, y, (196, 150, 80))
        s = 1 if state == "pressed" else 0
        ink = (250, 232, 200)
        if glyph == "close":
            draw_line(pic, 7.5 + s, 7.5 + s, 16.5 + s, 16.5 + s, ink, 2.4)
            draw_line(pic, 16.5 + s, 7.5 + s, 7.5 + s, 16.5 + s, ink, 2.4)
        else:
            pic.fill(7 + s, 15 + s, 17 + s, 18 + s, ink)
    return draw


def toggle_face(pic, state):
    """A check box and the label; everything else is key-coloured, so the panel
    shows through. Face 0 unchecked, face 1 checked, face 2 checked and lit."""
    for y in range(pic.height):
        for x in range(pic.width):
            pic.make_key(x, y)
    bx, by, bs = 2, (pic.height - 16) // 2, 16
    pic.vgradient(bx, by, bx + bs, by + bs, (14, 12, 14), (40, 34, 34))
    frame(pic, bx, by, bx + bs, by + bs, (0, 0, 0), (196, 150, 80))
    frame(pic, bx - 1, by - 1, bx + bs + 1, by + bs + 1, (150, 112, 60), (150, 112, 60))
    if state != "unchecked":
        ink = (255, 214, 120) if state == "checked" else (255, 240, 190)
        for x, y in ((4, 8), (5, 9), (6, 10), (7, 11), (8, 10), (9, 9), (10, 8), (11, 7), (12, 6), (13, 5)):
            pic.fill(bx + x - 1, by + y - 1, bx + x + 2, by + y + 1, ink)
    label = "WINDOW"
    colour = (220, 212, 196) if state != "lit" else (255, 236, 190)
    draw_text(pic, label, bx + bs + 8, (pic.height - 14) // 2, 2, colour, (0, 0, 0))


def progress_tile():
    """The pattern of the done part: molten gold with slanted bands (period 16)."""
    pic = Picture(16, PROGRESS[3])
    for y in range(pic.height):
        glow = 1.0 - abs(y - pic.height * 0.35) / pic.height
        base = mix((120, 64, 10), (255, 196, 90), glow)
        for x in range(pic.width):
            band = ((x + y) // 4) % 4 == 0
            pic.set(x, y, mix(base, (255, 240, 200), 0.25) if band else base)
    return pic


def combo_face():
    """left 0..6, center 6..14 (stretched), right 14..36 with the drop arrow.
    The face is copied plainly, so it holds no key colour."""
    pic = Picture(36, COMBO[3])
    h = pic.height
    pic.vgradient(0, 0, 36, h, (34, 30, 36), (18, 16, 20))
    frame(pic, 0, 0, 36, h, (150, 112, 60), (150, 112, 60))
    frame(pic, 1, 1, 35, h - 1, (0, 0, 0), (60, 50, 44))
    pic.vgradient(15, 2, 34, h - 2, (92, 70, 40), (50, 36, 20))
    for y in range(2, h - 2):
        pic.set(14, y, (150, 112, 60))
    # A downward triangle in the middle of the arrow part.
    cx, top = 24, h // 2 - 2
    for i in range(4):
        pic.fill(cx - 3 + i, top + i, cx + 4 - i, top + i + 1, (255, 214, 120))
    return pic


def scroll_image():
    """9 x 3 square tiles of side SCROLL_TILE: columns up, down, thumb, track of the
    vertical bar, left, right, thumb, track of the horizontal bar, corner; rows
    normal, hot, pressed. Copied plainly, so no key colour."""
    a = SCROLL_TILE
    pic = Picture(9 * a, 3 * a)
    lifts = [0.0, 0.3, -0.3]
    for row in range(3):
        for col in range(9):
            x0, y0 = col * a, row * a
            vertical = col < 4
            kind = ["up", "down", "thumb", "track"][col % 4] if col < 8 else "corner"
            lift = lifts[row]
            if kind == "track" or kind == "corner":
                pic.fill(x0, y0, x0 + a, y0 + a, (22, 19, 23))
                if kind == "track":
                    for i in range(a):
                        if vertical:
                            pic.set(x0 + a // 2, y0 + i, (44, 36, 34))
                        else:
                            pic.set(x0 + i, y0 + a // 2, (44, 36, 34))
                continue
            base = (120, 88, 46)
            base = mix(base, (255, 220, 150), lift) if lift > 0 else mix(base, (0, 0, 0), -lift)
            for y in range(a):
                for x in range(a):
                    t = (x if vertical else y) / (a - 1)
                    pic.set(x0 + x, y0 + y, mix(mix(base, (255, 255, 255), 0.2), mix(base, (0, 0, 0), 0.4), t))
            if kind == "thumb":
                # Caps of 3 pixels at both ends along the bar, a grip in the middle.
                for i in range(a):
                    for j in (0, a - 1):
                        if vertical:
                            pic.set(x0 + j, y0 + i, (22, 19, 23))
                        else:
                            pic.set(x0 + i, y0 + j, (22, 19, 23))
                for c in (0, 1, a - 2, a - 1):
                    for j in (1, a - 2):
                        if vertical:
                            pic.set(x0 + j, y0 + c, (22, 19, 23))
                        else:
                            pic.set(x0 + c, y0 + j, (22, 19, 23))
                for g in (a // 2 - 2, a // 2, a // 2 + 2):
                    for j in range(3, a - 3):
                        if vertical:
                            pic.set(x0 + j, y0 + g, (240, 210, 150))
                        else:
                            pic.set(x0 + g, y0 + j, (240, 210, 150))
                continue
            frame(pic, x0, y0, x0 + a, y0 + a, (196, 150, 80), (40, 30, 20))
            # A triangle pointing along the bar: up or left in columns 0 and 4,
            # down or right in columns 1 and 5.
            tip = a // 2 - 2 if kind == "up" else a // 2 + 1
            step = 1 if kind == "up" else -1
            for i in range(3):
                for j in range(-i, i + 1):
                    along, across = tip + step * i, a // 2 + j
                    if vertical:
                        pic.set(x0 + across, y0 + along, (255, 232, 170))
                    else:
                        pic.set(x0 + along, y0 + across, (255, 232, 170))
    return pic


# ---------------------------------------------------------------- files


def write_tga(path, pic, depth, rle):
    """Rows bottom-up (the TGA default); run-length packets never cross a row."""
    rows = pic.rows()
    bpp = depth // 8
    descriptor = 8 if depth == 32 else 0
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10 if rle else 2, 0, 0, 0, 0, 0,
                         pic.width, pic.height, depth, descriptor)
    body = bytearray()
    for row in reversed(rows):
        pixels = [bytes((b, g, r, 255)[:bpp]) for (r, g, b) in row]
        if not rle:
            body += b"".join(pixels)
            continue
        i = 0
        while i < len(pixels):
            run = 1
            while i + run < len(pixels) and run < 128 and pixels[i + run] == pixels[i]:
                run += 1
            if run >= 2:
                body.append(0x80 | (run - 1))
                body += pixels[i]
                i += run
                continue
            # A raw packet runs until two equal pixels start a run.
            raw = 1
            while i + raw < len(pixels) and raw < 128:
                if i + raw + 1 < len(pixels) and pixels[i + raw] == pixels[i + raw + 1]:
                    break
                raw += 1
            body.append(raw - 1)
            body += b"".join(pixels[i:i + raw])
            i += raw
    with open(path, "wb") as f:
        f.write(header + bytes(body))


def write_text(path, lines):
    with open(path, "wb") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("ascii"))


SKIN_SCRIPT = """\
// Sample launcher skin. Images are TGA files in this folder; pure red (255 0 0)
// is transparent. Numbers are pixels in the window's client area.
dialog main
{{
  image "background.tga"
  fontface "Tahoma"
  fontsize 13
  dlgtext
  {{
    txt 0 "KQ Online"
    txt 1 "Full screen"
    txt 2 "Window"
  }}

  // Buttons: a strip of faces (normal, hover, pressed), each "size" wide.
  button start
  {{
    image "start.tga"
    size {start[2]} {start[3]}
    pos {start[0]} {start[1]}
    style 0
  }}
  button close
  {{
    image "close.tga"
    size {close[2]} {close[3]}
    pos {close[0]} {close[1]}
  }}
  button minimize
  {{
    image "minimize.tga"
    size {minimize[2]} {minimize[3]}
    pos {minimize[0]} {minimize[1]}
  }}
  // A toggle: face 0 unchecked, face 1 checked.
  button full
  {{
    image "window.tga"
    size {full[2]} {full[3]}
    pos {full[0]} {full[1]}
    style 1
  }}

  progressbar probar
  {{
    image "progress.tga"
    size {progress[2]} {progress[3]}
    pos {progress[0]} {progress[1]}
    color 255 214 120
    backcolor 20 16 18
  }}

  htmlview board
  {{
    url "http://www.example.com/launcher/news.html"
    urlMirror "http://mirror.example.com/launcher/news.html"
    size {board[2]} {board[3]}
    pos {board[0]} {board[1]}
  }}

  // The face is cut into a left, a stretched center and a right slice
  // (source x, y, width, height); the list's height is part of "size".
  combobox resolution
  {{
    image "combo.tga"
    imageScroll "scroll.tga"
    left 0 0 6 {combo_h}
    center 6 0 8 {combo_h}
    right 14 0 22 {combo_h}
    size {combo[2]} {combo_list}
    pos {combo[0]} {combo[1]}
  }}
}}
"""

PATCH_MESSAGES = [
    "Welcome to KQ Online.",
    "Checking the launcher...",
    "Connecting to the patch server...",
    "Please wait.",
    "Your game is up to date.",
    "A new launcher is being installed.",
    "Checking the game version...",
    "Downloading the update...",
    "Unpacking the update...",
    "Updating the game data...",
    "Ready to play. Press START.",
    "Full screen",
    "Window",
    "Resolution",
    "KQ Online Launcher",
]

ERROR_MESSAGES = [
    "Cannot connect to the patch server. Please check your internet connection and try again.",
    "Cannot read the game version file (KQVerInfo.ver). Please reinstall the game.",
    "Cannot read the version information of the patch server. Please try again later.",
    "The update could not be downloaded. Please try again later.",
    "The update could not be unpacked. Please check the free disk space and try again.",
    "The game data could not be updated. Please close the game and try again.",
    "This game client is too old to be updated. Please download the full installer from the website.",
]

URLS = [
    "http://www.example.com/",
    "http://www.example.com/account/",
    "http://www.example.com/forum/",
    "http://www.example.com/support/",
    "http://www.example.com/news/",
]


def textpos_lines():
    def rect(key, r):
        return "%s %d %d %d %d" % ((key,) + r)
    return [
        "// Text lines of the main window: key, then left top right bottom in client pixels.",
        rect("*STATUS", STATUS_RECT),
        rect("*DATAINFO", DATAINFO_RECT),
        rect("*VERSION", VERSION_RECT),
    ]


def make(out):
    folder = os.path.join(out, SKIN_FOLDER)
    os.makedirs(folder, exist_ok=True)
    # Several encodings on purpose: 24/32 bits, uncompressed and run-length.
    images = [
        ("background.tga", background(), 24, True),
        ("start.tga", button_strip(START[2], START[3], ["normal", "hover", "pressed"], start_face), 32, False),
        ("close.tga", button_strip(CLOSE[2], CLOSE[3], ["normal", "hover", "pressed"],
                                   small_face("close", (120, 34, 26))), 24, False),
        ("minimize.tga", button_strip(MINIMIZE[2], MINIMIZE[3], ["normal", "hover", "pressed"],
                                      small_face("minimize", (84, 70, 56))), 24, True),
        ("window.tga", button_strip(FULL[2], FULL[3], ["unchecked", "checked", "lit"], toggle_face), 32, True),
        ("progress.tga", progress_tile(), 24, False),
        ("combo.tga", combo_face(), 24, True),
        ("scroll.tga", scroll_image(), 32, False),
    ]
    for name, pic, depth, rle in images:
        write_tga(os.path.join(folder, name), pic, depth, rle)
    script = SKIN_SCRIPT.format(start=START, close=CLOSE, minimize=MINIMIZE, full=FULL, progress=PROGRESS,
                                board=BOARD_VIEW, combo=COMBO, combo_h=COMBO[3], combo_list=COMBO_LIST_HEIGHT)
    write_text(os.path.join(folder, "skin.txt"), script.splitlines())
    write_text(os.path.join(folder, "PatchMsg.txt"), PATCH_MESSAGES)
    write_text(os.path.join(folder, "ErrorMsg.txt"), ERROR_MESSAGES)
    write_text(os.path.join(folder, "url.txt"), URLS)
    write_text(os.path.join(folder, "textpos.txt"), textpos_lines())


def main():
    ap = argparse.ArgumentParser(description="Writes the sample launcher skin and language texts.")
    ap.add_argument("out", help="folder that receives Image/Autopatch/KR/")
    make(ap.parse_args().out)


if __name__ == "__main__":
    main()
