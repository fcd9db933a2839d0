#!/usr/bin/env python3
"""Draws the icons and bitmaps of the resource library and the example model's pictures.

Every picture is drawn from the shapes below in a flat style: plain fills, a one-pixel
darker outline, shapes drawn eight times larger and scaled down so that edges are smooth.
The output is the same on every run; the .ico and .bmp files beside this script are its
output and the build takes them as they are (it needs no Python):

    python3 resources/pictures/make_pictures.py [--sheet CONTACT_SHEET.png]

Icons hold each size twice: 32-bit with alpha (Windows XP and later) and 256 colours with
a transparency mask (older systems and palette screens). Bitmaps have a 256-colour palette:
the printer pictures are painted with their own palette on palette screens.

--sheet also writes an enlarged overview of everything (for people, not for the build).
"""
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFont

S = 8  # drawing scale: shapes are drawn S times larger, then scaled down

HERE = os.path.dirname(os.path.abspath(__file__))
PROFILES = os.path.join(os.path.dirname(HERE), "profiles")

# Colours (flat fills; outlines are made darker from the fill).
WHITE = (255, 255, 255)
PAPER = (252, 252, 250)
BODY = (226, 230, 235)
BODY_TOP = (176, 186, 198)
SLOT = (62, 72, 84)
INK_GREY = (140, 150, 160)
GREEN = (46, 164, 79)
RED = (217, 59, 48)
YELLOW = (245, 185, 20)
ORANGE = (240, 140, 0)
BLUE = (47, 123, 217)
TEAL = (0, 150, 160)
DARK = (52, 60, 70)
CYAN_INK = (0, 160, 220)
MAGENTA_INK = (210, 40, 140)


def darker(colour, factor=0.58):
    return tuple(int(c * factor) for c in colour[:3])


def lighter(colour, amount=0.75):
    return tuple(int(c + (255 - c) * amount) for c in colour[:3])


class Canvas:
    """A transparent picture of w x h pixels, drawn at S times the size."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        fill = (0, 0, 0, 0) if background is None else tuple(background) + (255,)
        self.img = Image.new("RGBA", (w * S, h * S), fill)

    # Masks of shapes, in pixel coordinates of the final picture (floats allowed).
    def _mask(self):
        m = Image.new("L", self.img.size, 0)
        return m, ImageDraw.Draw(m)

    def rect(self, x0, y0, x1, y1, r=0):
        m, d = self._mask()
        box = [x0 * S, y0 * S, x1 * S - 1, y1 * S - 1]
        if r > 0:
            d.rounded_rectangle(box, radius=r * S, fill=255)
        else:
            d.rectangle(box, fill=255)
        return m

    def ellipse(self, x0, y0, x1, y1):
        m, d = self._mask()
        d.ellipse([x0 * S, y0 * S, x1 * S - 1, y1 * S - 1], fill=255)
        return m

    def poly(self, points):
        m, d = self._mask()
        d.polygon([(x * S, y * S) for x, y in points], fill=255)
        return m

    def line(self, points, width):
        m, d = self._mask()
        pts = [(x * S, y * S) for x, y in points]
        d.line(pts, fill=255, width=max(1, int(round(width * S))), joint="curve")
        r = width * S / 2
        for x, y in (pts[0], pts[-1]):  # round caps
            d.ellipse([x - r, y - r, x + r, y + r], fill=255)
        return m

    def paint(self, mask, fill, outline=True):
        """Fills the shape; outline=True adds a one-pixel ring of a darker colour inside its
        edge, a colour gives the ring that colour, False draws none."""
        if outline is not False:
            ring = darker(fill) if outline is True else outline
            self.img.paste(tuple(ring) + (255,), mask=mask)
            mask = erode(mask, S)
        self.img.paste(tuple(fill[:3]) + (fill[3] if len(fill) > 3 else 255,), mask=mask)

    def clear(self, mask):
        """Makes the shape transparent again (cut-outs)."""
        hole = Image.new("RGBA", self.img.size, (0, 0, 0, 0))
        self.img.paste(hole, mask=mask)

    def done(self):
        return self.img.resize((self.w, self.h), Image.BOX)


def union(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.lighter(out, m)
    return out


def minus(a, b):
    return ImageChops.subtract(a, b)


def erode(mask, r):
    """Shrinks a shape by r drawing pixels on every side (a square structuring element)."""
    def shifted(m, dx, dy):
        out = Image.new("L", m.size, 0)
        out.paste(m, (dx, dy))
        return out

    out = mask
    for d in range(1, r + 1):
        out = ImageChops.darker(out, shifted(mask, d, 0))
        out = ImageChops.darker(out, shifted(mask, -d, 0))
    row = out
    for d in range(1, r + 1):
        out = ImageChops.darker(out, shifted(row, 0, d))
        out = ImageChops.darker(out, shifted(row, 0, -d))
    return out


def grow(mask, r):
    """Widens a shape by r drawing pixels on every side."""
    def shifted(m, dx, dy):
        out = Image.new("L", m.size, 0)
        out.paste(m, (dx, dy))
        return out

    out = mask
    for d in range(1, r + 1):
        out = ImageChops.lighter(out, shifted(mask, d, 0))
        out = ImageChops.lighter(out, shifted(mask, -d, 0))
    row = out
    for d in range(1, r + 1):
        out = ImageChops.lighter(out, shifted(row, 0, d))
        out = ImageChops.lighter(out, shifted(row, 0, -d))
    return out


# ---------------------------------------------------------------------------------------
# Shapes shared by several pictures. Coordinates are in a 32-pixel design grid scaled by u.


def printer(c, u, ox=0.0, oy=0.0, body=BODY, lamp=GREEN, paper_out=True, lid_open=False):
    """A desktop printer: sheet in the feeder, lid, body, output slot, printed sheet."""
    def X(v):
        return ox + v * u

    def Y(v):
        return oy + v * u

    if not lid_open:
        c.paint(c.rect(X(9), Y(3), X(23), Y(13)), PAPER, outline=(138, 150, 163))
        if u >= 0.75:
            for y in (6, 9):
                c.paint(c.rect(X(12), Y(y), X(20), Y(y + 1)), (190, 198, 206), outline=False)
        c.paint(c.rect(X(5), Y(10), X(27), Y(15), r=1.5 * u), BODY_TOP)
    else:
        # The lid stands up at the back; the inside shows dark.
        c.paint(c.poly([(X(6), Y(12)), (X(26), Y(12)), (X(29), Y(2)), (X(9), Y(2))]), BODY_TOP)
        c.paint(c.rect(X(5), Y(11), X(27), Y(15)), SLOT)
    c.paint(c.rect(X(2), Y(13), X(30), Y(26), r=3 * u), body)
    c.paint(c.rect(X(8), Y(20), X(24), Y(22.5)), SLOT, outline=False)
    if lamp:
        c.paint(c.ellipse(X(23), Y(15.5), X(26.5), Y(19)), lamp)
    if paper_out:
        c.paint(c.rect(X(9), Y(21), X(23), Y(30)), PAPER, outline=(138, 150, 163))
        if u >= 0.75:
            for y in (24, 27):
                c.paint(c.rect(X(12), Y(y), X(20), Y(y + 1)), (190, 198, 206), outline=False)


def badge(c, kind, colour, cx, cy, d, ring=True):
    """A round badge with a white sign: kind is x, !, check, minus, pause, slash, lid, dots."""
    r = d / 2
    if ring:  # a white ring parts the badge from what lies below it
        c.paint(c.ellipse(cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1), WHITE, outline=False)
    c.paint(c.ellipse(cx - r, cy - r, cx + r, cy + r), colour)
    w = max(1.5, d * 0.15)
    k = d * 0.22
    if kind == "x":
        c.paint(union(c.line([(cx - k, cy - k), (cx + k, cy + k)], w),
                      c.line([(cx - k, cy + k), (cx + k, cy - k)], w)), WHITE, outline=False)
    elif kind == "!":
        c.paint(c.line([(cx, cy - d * 0.26), (cx, cy + d * 0.06)], w), WHITE, outline=False)
        c.paint(c.ellipse(cx - w * 0.6, cy + d * 0.2 - w * 0.6, cx + w * 0.6, cy + d * 0.2 + w * 0.6),
                WHITE, outline=False)
    elif kind == "check":
        c.paint(c.line([(cx - d * 0.24, cy + d * 0.01), (cx - d * 0.07, cy + d * 0.18),
                        (cx + d * 0.25, cy - d * 0.16)], w), WHITE, outline=False)
    elif kind == "minus":
        c.paint(c.line([(cx - k * 1.2, cy), (cx + k * 1.2, cy)], w), WHITE, outline=False)
    elif kind == "pause":
        for sx in (-1, 1):
            c.paint(c.line([(cx + sx * d * 0.12, cy - k), (cx + sx * d * 0.12, cy + k)], w),
                    WHITE, outline=False)
    elif kind == "slash":
        c.paint(c.line([(cx - k, cy + k), (cx + k, cy - k)], w), WHITE, outline=False)
    elif kind == "lid":  # a box whose lid stands open on its hinge
        c.paint(c.rect(cx - d * 0.28, cy - d * 0.02, cx + d * 0.28, cy + d * 0.26), WHITE,
                outline=False)
        c.paint(c.line([(cx - d * 0.24, cy - d * 0.1), (cx + d * 0.1, cy - d * 0.32)], w * 1.2),
                WHITE, outline=False)
    elif kind == "dots":
        for sx in (-1, 0, 1):
            c.paint(c.ellipse(cx + sx * d * 0.24 - w * 0.6, cy - w * 0.6,
                              cx + sx * d * 0.24 + w * 0.6, cy + w * 0.6), WHITE, outline=False)


def sheet(c, u, x0, y0, x1, y1, lines=True):
    """A sheet of paper with a folded corner."""
    f = (x1 - x0) * 0.3
    c.paint(c.poly([(x0, y0), (x1 - f, y0), (x1, y0 + f), (x1, y1), (x0, y1)]), PAPER,
            outline=(120, 132, 146))
    c.paint(c.poly([(x1 - f, y0), (x1, y0 + f), (x1 - f, y0 + f)]), (200, 208, 216),
            outline=(120, 132, 146))
    if lines and u >= 0.75:
        for i in range(3):
            y = y0 + f + 3 * u + i * 4 * u
            if y + u < y1 - 2 * u:
                c.paint(c.rect(x0 + 3 * u, y, x1 - 3 * u, y + 1.5 * u), (186, 196, 206),
                        outline=False)


def cartridge(c, u, ox, oy, level, ink=CYAN_INK):
    """An ink cartridge with a window showing how much ink is left (0 to 1)."""
    c.paint(c.rect(ox + 8 * u, oy + 2 * u, ox + 22 * u, oy + 26 * u, r=2 * u), (120, 130, 142))
    c.paint(c.rect(ox + 12 * u, oy + 26 * u - 1, ox + 18 * u, oy + 30 * u), (90, 100, 112))
    top, bottom = oy + 6 * u, oy + 23 * u
    c.paint(c.rect(ox + 11 * u, top, ox + 19 * u, bottom), WHITE, outline=(70, 78, 88))
    if level > 0:
        c.paint(c.rect(ox + 12 * u, bottom - (bottom - top - 2 * u) * level - u, ox + 18 * u,
                       bottom - u), ink, outline=False)


def drop(c, u, ox, oy, level, ink=CYAN_INK):
    """An ink drop, filled up to level (0 to 1)."""
    pts = [(ox + 15 * u, oy + 2 * u), (ox + 24 * u, oy + 16 * u), (ox + 24.5 * u, oy + 20 * u),
           (ox + 22 * u, oy + 26 * u), (ox + 15 * u, oy + 29 * u), (ox + 8 * u, oy + 26 * u),
           (ox + 5.5 * u, oy + 20 * u), (ox + 6 * u, oy + 16 * u)]
    shape = union(c.poly(pts), c.ellipse(ox + 5.5 * u, oy + 11 * u, ox + 24.5 * u, oy + 29 * u))
    c.paint(shape, WHITE, outline=darker(ink, 0.7))
    if level > 0:
        top = oy + 29 * u - 27 * u * level
        inner = erode(shape, S)
        fill = ImageChops.multiply(inner, c.rect(0, top, c.w, c.h))
        c.paint(fill, ink, outline=False)


# ---------------------------------------------------------------------------------------
# Status icons 750 to 765: a sign for each kind of printer condition.


def icon_comm_error(c, u):  # 750: two plugs that do not meet
    c.paint(c.rect(1 * u, 12 * u, 11 * u, 20 * u, r=1.5 * u), (120, 130, 142))
    c.paint(c.rect(11 * u - 1, 13.5 * u, 14 * u, 15.5 * u), (90, 100, 112), outline=False)
    c.paint(c.rect(11 * u - 1, 16.5 * u, 14 * u, 18.5 * u), (90, 100, 112), outline=False)
    c.paint(c.rect(19 * u, 11 * u, 29 * u, 21 * u, r=1.5 * u), (120, 130, 142))
    c.paint(c.rect(21 * u, 3 * u, 25 * u, 11 * u + 1), DARK, outline=False)
    c.paint(c.rect(0, 15 * u, 1.5 * u, 17 * u), DARK, outline=False)
    badge(c, "x", RED, 23 * u, 24 * u, 15 * u)


def icon_cartridge_error(c, u):  # 751
    cartridge(c, u, -2 * u, 0, 0.6)
    badge(c, "x", RED, 23 * u, 23 * u, 16 * u)


def icon_ink_out(c, u):  # 752
    drop(c, u, -1 * u, 0, 0.0)
    badge(c, "x", RED, 23 * u, 23 * u, 16 * u)


def icon_cover_open(c, u):  # 753
    printer(c, u, lid_open=True, lamp=ORANGE, paper_out=False)
    badge(c, "!", ORANGE, 24 * u, 24 * u, 14 * u)


def icon_offline(c, u):  # 754
    printer(c, u, lamp=(150, 150, 150), body=(214, 218, 223))
    badge(c, "pause", (110, 120, 132), 24 * u, 24 * u, 14 * u)


def icon_printing(c, u):  # 755
    printer(c, u, lamp=GREEN)
    c.paint(c.poly([(26 * u, 25 * u), (31.5 * u, 25 * u), (28.75 * u, 30 * u)]), BLUE)
    c.paint(c.rect(27.5 * u, 19 * u, 30 * u, 25.5 * u), BLUE, outline=False)


def icon_warming_up(c, u):  # 756: an hourglass
    frame = (120, 96, 60)
    c.paint(c.rect(7 * u, 2 * u, 25 * u, 5 * u, r=1 * u), frame)
    c.paint(c.rect(7 * u, 27 * u, 25 * u, 30 * u, r=1 * u), frame)
    glass = c.poly([(9 * u, 5 * u), (23 * u, 5 * u), (23 * u, 8 * u), (17.5 * u, 16 * u),
                    (23 * u, 24 * u), (23 * u, 27 * u), (9 * u, 27 * u), (9 * u, 24 * u),
                    (14.5 * u, 16 * u), (9 * u, 8 * u)])
    c.paint(glass, (235, 245, 252), outline=(110, 130, 150))
    sand = (232, 170, 40)
    c.paint(ImageChops.multiply(erode(glass, S), c.poly(
        [(11 * u, 9 * u), (21 * u, 9 * u), (16 * u, 15 * u)])), sand, outline=False)
    c.paint(ImageChops.multiply(erode(glass, S), c.rect(0, 21 * u, c.w, c.h)), sand,
            outline=False)
    c.paint(c.rect(15.5 * u, 15 * u, 16.5 * u, 22 * u), sand, outline=False)


def icon_warning(c, u):  # 757: a yellow triangle with "!"
    tri = c.poly([(16 * u, 2 * u), (30.5 * u, 28.5 * u), (1.5 * u, 28.5 * u)])
    c.paint(union(tri, grow(tri, int(1.2 * S * u))), YELLOW, outline=(150, 105, 0))
    c.paint(c.line([(16 * u, 11 * u), (16 * u, 19.5 * u)], 3.2 * u), DARK, outline=False)
    c.paint(c.ellipse(14.3 * u, 22 * u, 17.7 * u, 25.4 * u), DARK, outline=False)


def icon_error(c, u):  # 758: a red circle with "!"
    c.paint(c.ellipse(1 * u, 1 * u, 31 * u, 31 * u), RED)
    c.paint(c.line([(16 * u, 8 * u), (16 * u, 18 * u)], 4 * u), WHITE, outline=False)
    c.paint(c.ellipse(13.8 * u, 21 * u, 18.2 * u, 25.4 * u), WHITE, outline=False)


def icon_ready(c, u):  # 759: a green circle with a check
    c.paint(c.ellipse(1 * u, 1 * u, 31 * u, 31 * u), GREEN)
    c.paint(c.line([(8.5 * u, 16.5 * u), (13.5 * u, 21.5 * u), (23.5 * u, 10.5 * u)], 4 * u),
            WHITE, outline=False)


def icon_paper_out(c, u):  # 760: an empty tray, the missing sheet only a ghost
    c.paint(c.rect(6 * u, 3 * u, 20 * u, 21 * u), (236, 239, 242), outline=(168, 176, 186))
    tray = c.poly([(1 * u, 18 * u), (25 * u, 18 * u), (23 * u, 28 * u), (3 * u, 28 * u)])
    c.paint(tray, (120, 130, 142))
    c.paint(c.rect(5 * u, 21 * u, 21 * u, 24 * u), (80, 90, 102), outline=False)
    badge(c, "x", RED, 24 * u, 23 * u, 15 * u)


def icon_ink_low(c, u):  # 761
    drop(c, u, -1 * u, 0, 0.3)
    badge(c, "!", ORANGE, 23.5 * u, 23.5 * u, 15 * u)


def icon_paper_jam(c, u):  # 762: a crumpled sheet caught between two rollers
    c.paint(c.rect(11 * u, 1 * u, 21 * u, 9 * u), PAPER, outline=(120, 132, 146))
    folds = c.line([(16 * u, 8 * u), (8 * u, 13 * u), (22 * u, 18 * u), (8 * u, 23 * u),
                    (17 * u, 28 * u)], 6 * u)
    c.paint(folds, PAPER, outline=(120, 132, 146))
    for cx in (6 * u, 26 * u):
        c.paint(c.ellipse(cx - 4.5 * u, 4 * u, cx + 4.5 * u, 13 * u), DARK)
        c.paint(c.ellipse(cx - 1.2 * u, 7.3 * u, cx + 1.2 * u, 9.7 * u), (150, 160, 170),
                outline=False)
    badge(c, "!", RED, 24.5 * u, 24.5 * u, 13 * u)


def icon_paper_low(c, u):  # 763: a thin stack of paper in its tray
    tray = c.poly([(1 * u, 18 * u), (25 * u, 18 * u), (23 * u, 28 * u), (3 * u, 28 * u)])
    sheet(c, u, 5 * u, 6 * u, 21 * u, 22 * u, lines=True)
    c.paint(tray, (120, 130, 142))
    c.paint(c.rect(5 * u, 21 * u, 21 * u, 24 * u), PAPER, outline=(120, 132, 146))
    badge(c, "!", ORANGE, 24 * u, 23 * u, 15 * u)


def icon_checking(c, u):  # 764: a magnifying glass over a printer
    printer(c, u * 0.8, 0, 2 * u, lamp=BLUE)
    c.paint(c.line([(21 * u, 21 * u), (29 * u, 29 * u)], 4 * u), DARK)
    ring = minus(c.ellipse(11 * u, 11 * u, 27 * u, 27 * u), c.ellipse(14 * u, 14 * u, 24 * u, 24 * u))
    c.paint(c.ellipse(14 * u, 14 * u, 24 * u, 24 * u), (220, 236, 250, 200), outline=False)
    c.paint(ring, BLUE)


def icon_blink_partner(c, u):  # 765: the dim frame that alternates with a blinking icon
    ring = minus(c.ellipse(1 * u, 1 * u, 31 * u, 31 * u), c.ellipse(2.5 * u, 2.5 * u, 29.5 * u, 29.5 * u))
    c.paint(ring, (200, 205, 210), outline=False)


STATUS_ICONS = {
    750: ("communication error", icon_comm_error),
    751: ("ink cartridge error", icon_cartridge_error),
    752: ("ink out", icon_ink_out),
    753: ("cover open", icon_cover_open),
    754: ("offline", icon_offline),
    755: ("printing", icon_printing),
    756: ("warming up, please wait", icon_warming_up),
    757: ("warning", icon_warning),
    758: ("printer error", icon_error),
    759: ("ready", icon_ready),
    760: ("paper out", icon_paper_out),
    761: ("ink low", icon_ink_low),
    762: ("paper jam", icon_paper_jam),
    763: ("paper low", icon_paper_low),
    764: ("checking the status", icon_checking),
    765: ("blink partner", icon_blink_partner),
}


# ---------------------------------------------------------------------------------------
# Application, tray and dialog icons.


def icon_app(c, u):  # 621: a printer watched by the monitor (a blue eye badge)
    printer(c, u, lamp=GREEN)
    r = 7.5 * u
    cx, cy = 24 * u, 24 * u
    c.paint(c.ellipse(cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1), WHITE, outline=False)
    c.paint(c.ellipse(cx - r, cy - r, cx + r, cy + r), BLUE)
    eye = c.poly([(cx - 5 * u, cy), (cx, cy - 3.3 * u), (cx + 5 * u, cy), (cx, cy + 3.3 * u)])
    c.paint(eye, WHITE, outline=False)
    c.paint(c.ellipse(cx - 1.8 * u, cy - 1.8 * u, cx + 1.8 * u, cy + 1.8 * u), DARK, outline=False)


def icon_tray_group(c, u):  # 611: the notification area at the end of the taskbar
    c.paint(c.rect(1 * u, 4 * u, 31 * u, 26 * u, r=2 * u), (236, 240, 244), outline=(110, 120, 132))
    c.paint(c.rect(1 * u, 18 * u, 31 * u, 28 * u, r=2 * u), DARK)
    c.paint(c.rect(15 * u, 20 * u, 21 * u, 26 * u, r=1 * u), GREEN, outline=False)
    c.paint(c.rect(23 * u, 21.5 * u, 29 * u, 24.5 * u), (200, 205, 210), outline=False)


def icon_sound_group(c, u):  # 612: a speaker with sound waves
    c.paint(c.poly([(3 * u, 11 * u), (9 * u, 11 * u), (17 * u, 4 * u), (17 * u, 28 * u),
                    (9 * u, 21 * u), (3 * u, 21 * u)]), (90, 100, 112))
    for r in (5, 10):
        arc = minus(c.ellipse(19 * u - r * u, 16 * u - r * u, 19 * u + r * u, 16 * u + r * u),
                    c.ellipse(19 * u - (r - 2.2) * u, 16 * u - (r - 2.2) * u,
                              19 * u + (r - 2.2) * u, 16 * u + (r - 2.2) * u))
        arc = ImageChops.multiply(arc, c.rect(20 * u, 0, c.w, c.h))
        c.paint(arc, BLUE, outline=False)


def tray_classic(c, u):  # 700: the printer itself
    printer(c, u, lamp=GREEN)


def tray_tile(c, u):  # 701: a white printer on a blue tile
    c.paint(c.rect(0, 0, 32 * u, 32 * u, r=6 * u), BLUE)
    w = (255, 255, 255)
    c.paint(c.rect(10 * u, 5 * u, 22 * u, 12 * u), lighter(BLUE, 0.55), outline=False)
    c.paint(c.rect(5 * u, 11 * u, 27 * u, 23 * u, r=2.5 * u), w, outline=False)
    c.paint(c.rect(10 * u, 19 * u, 22 * u, 27 * u), lighter(BLUE, 0.55), outline=darker(BLUE, 0.8))
    c.paint(c.ellipse(21.5 * u, 13.5 * u, 24.5 * u, 16.5 * u), GREEN, outline=False)


def tray_round(c, u):  # 702: a printer in a dark round badge with a green status dot
    c.paint(c.ellipse(0, 0, 32 * u, 32 * u), DARK)
    light = (228, 232, 236)
    c.paint(c.rect(11 * u, 6 * u, 21 * u, 12 * u), light, outline=False)
    c.paint(c.rect(6 * u, 11 * u, 26 * u, 21 * u, r=2 * u), light, outline=False)
    c.paint(c.rect(11 * u, 18 * u, 21 * u, 25 * u), WHITE, outline=DARK)
    c.paint(c.ellipse(22 * u, 22 * u, 31 * u, 31 * u), GREEN, outline=WHITE)


OTHER_ICONS = {
    611: ("tray icon setting", icon_tray_group),
    612: ("sound and buzzer setting", icon_sound_group),
    621: ("application and status window", icon_app),
    700: ("tray icon design 1", tray_classic),
    701: ("tray icon design 2", tray_tile),
    702: ("tray icon design 3", tray_round),
}


# Overlays blink over the 75 x 60 printer picture; they are loaded at the picture's size.
def overlay(kind, colour):
    def draw(c, u):
        if c.w == 75:
            badge(c, kind, colour, 61.5, 13.5, 21)
        else:
            badge(c, kind, colour, 16 * u, 16 * u, 28 * u, ring=False)
    return draw


OVERLAY_ICONS = {
    771: ("blinking error mark: the printer needs the user's hand", overlay("!", RED)),
    777: ("blinking open-cover mark", overlay("lid", ORANGE)),
}


# ---------------------------------------------------------------------------------------
# Bitmaps.

TINTS = {  # status colour of the picture: background, frame, lamp, front band
    "blue": ((229, 240, 252), (120, 160, 210), (46, 164, 79), BLUE),
    "red": ((252, 232, 230), (215, 120, 112), RED, RED),
    "yellow": ((253, 245, 214), (212, 176, 70), (240, 170, 0), (240, 170, 0)),
}


def printer_picture(tint):
    """510 to 512: the printer in the status window, 75 x 60, on a panel of its status colour."""
    back, frame, lamp, band = TINTS[tint]
    c = Canvas(75, 60, back)
    c.paint(c.rect(0, 0, 75, 60), back, outline=frame)
    c.paint(c.ellipse(10, 47, 65, 57), darker(back, 0.9), outline=False)  # shadow
    # Sheet in the feeder.
    c.paint(c.rect(22, 6, 53, 24), PAPER, outline=(138, 150, 163))
    for y in (10, 14, 18):
        c.paint(c.rect(27, y, 48, y + 1.5), (196, 204, 212), outline=False)
    # Lid and body.
    c.paint(c.rect(13, 20, 62, 28, r=3), BODY_TOP)
    c.paint(c.rect(7, 25, 68, 50, r=5), BODY)
    c.paint(c.rect(7, 42, 68, 50, r=5), (200, 206, 214))
    c.paint(c.rect(10, 29, 24, 33, r=1.5), band, outline=True)  # status band
    c.paint(c.ellipse(57, 29, 63, 35), lamp)
    c.paint(c.rect(18, 38, 57, 42), SLOT, outline=False)
    # Printed sheet in the output tray.
    c.paint(c.rect(20, 40, 55, 56), PAPER, outline=(138, 150, 163))
    for y in (44, 48):
        c.paint(c.rect(25, y, 50, y + 1.5), (196, 204, 212), outline=False)
    return c.done()


def slip_printer_picture(tint):
    """The VP-100, a compact receipt and slip printer: receipt from the top, slip slot in
    front, two ink cartridges behind the side door."""
    back, frame, lamp, band = TINTS[tint]
    c = Canvas(75, 60, back)
    c.paint(c.rect(0, 0, 75, 60), back, outline=frame)
    c.paint(c.ellipse(8, 48, 67, 57), darker(back, 0.9), outline=False)
    # Receipt coming out of the top.
    c.paint(c.poly([(27, 3), (47, 3), (48, 8), (47, 15), (27, 15), (26, 8)]), PAPER,
            outline=(138, 150, 163))
    for y in (6, 9):
        c.paint(c.rect(30, y, 44, y + 1.2), (196, 204, 212), outline=False)
    # Body: a dark top cover over a light base.
    c.paint(c.rect(12, 13, 63, 31, r=6), (70, 80, 92))
    c.paint(c.rect(24, 13, 50, 16), SLOT, outline=False)  # receipt exit
    c.paint(c.rect(8, 26, 67, 52, r=4), BODY)
    # Slip slot across the front, with a slip going in.
    c.paint(c.rect(12, 36, 63, 39.5), SLOT, outline=False)
    c.paint(c.poly([(18, 30), (46, 30), (44, 37), (20, 37)]), PAPER, outline=(138, 150, 163))
    # Side door with the two cartridges' colours, status lamp and band.
    c.paint(c.rect(12, 43, 26, 49, r=1.5), band)
    c.paint(c.rect(48, 43, 52, 49, r=1), CYAN_INK)
    c.paint(c.rect(54, 43, 58, 49, r=1), MAGENTA_INK)
    c.paint(c.ellipse(59.5, 28, 64.5, 33), lamp)
    return c.done()


def tray_preview(icon):
    """500 to 503: the end of the taskbar, with the chosen tray icon (None: no icon)."""
    c = Canvas(112, 32, (240, 240, 240))
    bar = (44, 52, 62)
    c.paint(c.rect(0, 6, 112, 32), bar, outline=False)
    c.paint(c.rect(0, 6, 112, 7), (90, 100, 112), outline=False)
    # Other tray icons: an arrow and a speaker, drawn small and light.
    light = (200, 206, 212)
    c.paint(c.poly([(8, 22), (12, 17), (16, 22)]), light, outline=False)
    c.paint(c.poly([(44, 16), (47, 16), (51, 13), (51, 26), (47, 23), (44, 23)]), light,
            outline=False)
    img = c.done()
    if icon is not None:
        small = draw_icon(icon, 16, 16)
        img.alpha_composite(small, (22, 11))
    draw = ImageDraw.Draw(img)
    font = ImageFont.load_default()
    draw.text((66, 13), "10:30", font=font, fill=(235, 238, 242, 255))
    return img


def state_images():
    """400: the notification list's state images, 16 x 16 each: 0 off, 1 on, on the mask
    colour (0, 0, 128). Drawn without smoothing so that no edge carries the mask colour."""
    mask = (0, 0, 128)
    img = Image.new("RGB", (32, 16), mask)
    d = ImageDraw.Draw(img)
    # Off: an empty box.
    d.rounded_rectangle([1, 1, 14, 14], radius=2, fill=(255, 255, 255), outline=(118, 128, 140))
    # On: a filled box with a white check.
    d.rounded_rectangle([17, 1, 30, 14], radius=2, fill=(40, 120, 215), outline=(20, 72, 140))
    for x, y in [(20, 8), (21, 9), (22, 10), (23, 9), (24, 8), (25, 7), (26, 6), (27, 5)]:
        d.rectangle([x, y - 1, x, y], fill=(255, 255, 255))
    # Smooth the corners' outside against the mask colour exactly: no half tones there.
    return img


# ---------------------------------------------------------------------------------------
# File writers.


def draw_icon(fn, w, h):
    c = Canvas(w, h)
    fn(c, min(w, h) / 32.0)
    return c.done()


def quantize(rgb, colours=256):
    """A 256-colour copy: the image's own colours when it has few, else an adaptive palette."""
    img = rgb.convert("RGB")
    q = img.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = q.getpalette()[:colours * 3]
    pal += [0] * (colours * 3 - len(pal))
    return q, [tuple(pal[i * 3:i * 3 + 3]) for i in range(colours)]


def bmp8(img, keep=None):
    """A bottom-up 8-bit BMP with a full 256-entry colour table (biClrUsed = 256). keep: a
    colour that must stay exact (the mask colour)."""
    q, palette = quantize(img)
    if keep is not None and keep not in palette:
        raise SystemExit("mask colour lost in quantisation")
    w, h = q.size
    stride = (w + 3) & ~3
    px = q.tobytes()
    rows = b"".join(px[y * w:(y + 1) * w] + b"\0" * (stride - w) for y in range(h - 1, -1, -1))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(table)
    header = b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset)
    return header + info + table + rows


def and_mask(alpha, w, h):
    stride = ((w + 31) // 32) * 4
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(stride)
        for x in range(w):
            if alpha[y * w + x] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def ico_image_32(img):
    w, h = img.size
    px = img.tobytes()  # RGBA
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[(y * w + x) * 4:(y * w + x) * 4 + 4]
            rows += bytes((b, g, r, a))
    alpha = img.getchannel("A").tobytes()
    mask = and_mask(alpha, w, h)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
    return info + bytes(rows) + mask


def ico_image_8(img):
    """The 256-colour image of an icon: solid where alpha is at least half, masked elsewhere."""
    w, h = img.size
    alpha = img.getchannel("A").tobytes()
    solid = Image.new("RGB", (w, h), (0, 0, 0))
    solid.paste(img.convert("RGB"), mask=img.getchannel("A").point(lambda a: 255 if a >= 128 else 0))
    q, palette = quantize(solid)
    px = q.tobytes()
    stride = (w + 3) & ~3
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(px[y * w:(y + 1) * w])
        for x in range(w):
            if alpha[y * w + x] < 128:
                row[x] = 0  # black under the mask: the screen shows through
        rows += row + b"\0" * (stride - w)
    q_black = palette[0]
    if q_black != (0, 0, 0):  # index 0 must be black for the masked pixels
        palette = [(0, 0, 0)] + palette[1:]
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    mask = and_mask(alpha, w, h)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 8, 0, len(rows) + len(mask), 0, 0, 256, 0)
    return info + table + bytes(rows) + mask


def ico_file(images):
    """An .ico of the given RGBA images, each stored in 32-bit and 256-colour form."""
    entries = []
    for img in images:
        entries.append((img.size, 32, ico_image_32(img)))
        entries.append((img.size, 8, ico_image_8(img)))
    offset = 6 + 16 * len(entries)
    head = struct.pack("<HHH", 0, 1, len(entries))
    directory = b""
    data = b""
    for (w, h), bits, blob in entries:
        directory += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, bits, len(blob),
                                 offset + len(data))
        data += blob
    return head + directory + data


# ---------------------------------------------------------------------------------------


def all_pictures():
    """(file name, kind, what it shows, image or list of images) of every output."""
    out = []
    for ident, (what, fn) in sorted(STATUS_ICONS.items()):
        out.append(("icon%d.ico" % ident, "icon", what, [draw_icon(fn, 16, 16), draw_icon(fn, 32, 32)]))
    for ident, (what, fn) in sorted(OTHER_ICONS.items()):
        sizes = [16, 32, 48] if ident == 621 else [16, 32]
        out.append(("icon%d.ico" % ident, "icon", what, [draw_icon(fn, s, s) for s in sizes]))
    for ident, (what, fn) in sorted(OVERLAY_ICONS.items()):
        out.append(("icon%d.ico" % ident, "icon", what,
                    [draw_icon(fn, 16, 16), draw_icon(fn, 32, 32), draw_icon(fn, 75, 60)]))
    out.append(("bitmap400.bmp", "state", "notification list: off, on", state_images()))
    out.append(("bitmap500.bmp", "bmp", "tray preview: no icon", tray_preview(None)))
    for i, fn in enumerate((tray_classic, tray_tile, tray_round)):
        out.append(("bitmap%d.bmp" % (501 + i), "bmp", "tray preview: design %d" % (i + 1),
                    tray_preview(fn)))
    for ident, tint in ((510, "yellow"), (511, "blue"), (512, "red")):
        out.append(("bitmap%d.bmp" % ident, "bmp", "printer, %s" % tint, printer_picture(tint)))
    for letter, tint in (("b", "blue"), ("r", "red"), ("y", "yellow")):
        out.append((os.path.join(PROFILES, "vp100%s.bmp" % letter), "bmp",
                    "VP-100, %s" % tint, slip_printer_picture(tint)))
    return out


def contact_sheet(items, path):
    zoom = 4
    cells = []
    for name, kind, what, pic in items:
        pics = pic if isinstance(pic, list) else [pic]
        cells.append((os.path.basename(name), pics))
    width = 1400
    y = 10
    placed = []
    x = 10
    row_h = 0
    for name, pics in cells:
        w = sum(p.size[0] * zoom + 8 for p in pics) + 10
        h = max(p.size[1] for p in pics) * zoom + 22
        if x + w > width:
            x, y = 10, y + row_h + 10
            row_h = 0
        placed.append((x, y, name, pics))
        x += max(w, 120)
        row_h = max(row_h, h)
    sheet_img = Image.new("RGB", (width, y + row_h + 10), (240, 240, 240))
    draw = ImageDraw.Draw(sheet_img)
    for x, y, name, pics in placed:
        draw.text((x, y), name, fill=(0, 0, 0))
        px = x
        for p in pics:
            big = p.convert("RGBA").resize((p.size[0] * zoom, p.size[1] * zoom), Image.NEAREST)
            # a checkerboard shows what is transparent
            board = Image.new("RGBA", big.size, (255, 255, 255, 255))
            bd = ImageDraw.Draw(board)
            for by in range(0, big.size[1], 8):
                for bx in range(0, big.size[0], 8):
                    if (bx // 8 + by // 8) % 2:
                        bd.rectangle([bx, by, bx + 7, by + 7], fill=(215, 215, 215, 255))
            board.alpha_composite(big)
            sheet_img.paste(board.convert("RGB"), (px, y + 14))
            px += big.size[0] + 8
    sheet_img.save(path)


def main():
    args = sys.argv[1:]
    sheet_path = None
    if args[:1] == ["--sheet"] and len(args) > 1:
        sheet_path = args[1]
    items = all_pictures()
    for name, kind, what, pic in items:
        path = name if os.path.isabs(name) else os.path.join(HERE, name)
        with open(path, "wb") as out:
            if kind == "icon":
                out.write(ico_file(pic))
            elif kind == "state":
                out.write(bmp8(pic, keep=(0, 0, 128)))
            else:
                out.write(bmp8(pic.convert("RGB") if pic.mode == "RGBA" else pic))
    if sheet_path:
        contact_sheet(items, sheet_path)


if __name__ == "__main__":
    main()
