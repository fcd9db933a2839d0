#!/usr/bin/env python3
"""Draws the pictures of the paper walk-through of the trouble dialog.

Each picture is a 160 x 120 bitmap of 256 colours, as the dialog's picture control shows
it: the printer with its paper tray, a hand pulling a jammed sheet out of it, a hand loading
paper into the tray, and the printer printing again. An animated page shows its frames one
after the other, 500 ms each. The output is the same on every run; the files beside this
script are its output, and the resource library is built from them:

    /usr/bin/python3 resources/pictures/make_trouble_pictures.py [OUTPUT_FOLDER]

(Debian's python3 with its python3-pil package.)
"""
import os
import sys

from PIL import Image, ImageDraw

WIDTH, HEIGHT = 160, 120
SCALE = 3  # drawn larger, then reduced: smooth edges

BACKGROUND = (236, 242, 248)
FLOOR = (214, 222, 232)
BODY = (222, 224, 228)
BODY_DARK = (172, 176, 184)
COVER = (200, 204, 212)
OUTLINE = (64, 68, 78)
SLOT = (40, 42, 48)
PAPER = (255, 255, 255)
PAPER_EDGE = (150, 156, 168)
INK_LINE = (120, 128, 146)
SKIN = (241, 194, 150)
SKIN_EDGE = (150, 96, 64)
SLEEVE = (70, 110, 170)
GREEN = (40, 200, 70)
RED = (230, 40, 40)
ARROW = (230, 120, 20)


class Canvas:
    """A drawing in picture coordinates (160 x 120), rendered SCALE times larger."""

    def __init__(self):
        self.image = Image.new("RGB", (WIDTH * SCALE, HEIGHT * SCALE), BACKGROUND)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def _points(points):
        return [(x * SCALE, y * SCALE) for x, y in points]

    def polygon(self, points, fill, outline=OUTLINE, width=1.0):
        self.draw.polygon(self._points(points), fill=fill)
        if outline is not None:
            pts = self._points(points)
            self.draw.line(pts + [pts[0]], fill=outline, width=int(width * SCALE), joint="curve")

    def rect(self, box, fill, outline=OUTLINE, width=1.0, radius=0):
        x0, y0, x1, y1 = box
        self.draw.rounded_rectangle(
            (x0 * SCALE, y0 * SCALE, x1 * SCALE, y1 * SCALE), radius=radius * SCALE,
            fill=fill, outline=outline, width=int(width * SCALE) if outline else 0)

    def ellipse(self, box, fill, outline=OUTLINE, width=1.0):
        x0, y0, x1, y1 = box
        self.draw.ellipse((x0 * SCALE, y0 * SCALE, x1 * SCALE, y1 * SCALE), fill=fill,
                          outline=outline, width=int(width * SCALE) if outline else 0)

    def line(self, points, fill, width=1.0):
        self.draw.line(self._points(points), fill=fill, width=max(1, int(width * SCALE)))

    def picture(self):
        small = self.image.resize((WIDTH, HEIGHT), Image.LANCZOS)
        return small.quantize(colors=256, method=Image.MEDIANCUT, dither=Image.NONE)


def floor(c):
    c.rect((0, 104, WIDTH, HEIGHT), FLOOR, outline=None)


def paper_tray(c, sheets=True, sheet_top=14):
    """The rear paper tray leaning back behind the printer, with paper standing in it."""
    c.polygon([(46, 50), (114, 50), (106, 10), (54, 10)], BODY_DARK)
    if sheets:
        for i, shade in enumerate((PAPER_EDGE, (235, 235, 235), PAPER)):
            d = 2 - i
            c.polygon([(52 + d, 50), (108 - d, 50), (102 - d, sheet_top + d),
                       (58 + d, sheet_top + d)], shade, outline=PAPER_EDGE, width=0.6)
    # the side guide
    c.polygon([(56, 50), (60, 50), (56, 16), (53, 16)], BODY, width=0.6)


def body(c, error=False, ready=False, cover_open=False):
    """The printer seen from the front: body, output slot and tray, control panel."""
    # body
    c.rect((18, 48, 142, 98), BODY, radius=6, width=1.2)
    c.rect((18, 86, 142, 98), BODY_DARK, radius=4, width=1.0)
    # cover
    if cover_open:
        c.polygon([(26, 50), (134, 50), (126, 24), (34, 24)], COVER, width=1.2)
        c.polygon([(30, 50), (130, 50), (124, 44), (36, 44)], SLOT, outline=None)
    else:
        c.rect((26, 44, 134, 56), COVER, radius=3, width=1.0)
    # output slot and output tray
    c.rect((38, 70, 122, 75), SLOT, outline=None, radius=1)
    c.polygon([(34, 98), (126, 98), (134, 110), (26, 110)], BODY, width=1.0)
    # control panel: power light, error light, Feed button
    c.rect((112, 58, 136, 68), BODY_DARK, radius=2, width=0.6)
    c.ellipse((114.5, 61, 118.5, 65), GREEN if (ready or error) else (90, 110, 90), width=0.5)
    c.ellipse((121, 61, 125, 65), RED if error else (120, 90, 90), width=0.5)
    c.rect((128, 60.5, 134, 65.5), (90, 96, 108), radius=1, width=0.5)


def sleeve(c, x, y):
    c.polygon([(x, y), (x + 22, y - 8), (x + 38, y + 26), (x + 12, y + 36)], SLEEVE)


def pointing_hand(c, x, y):
    """A hand from the lower right whose forefinger presses at (x, y)."""
    sleeve(c, x + 8, y + 24)
    c.ellipse((x - 4, y + 8, x + 20, y + 32), SKIN, SKIN_EDGE)
    c.rect((x - 2.5, y, x + 3.5, y + 20), SKIN, SKIN_EDGE, 0.8, 3)
    for i in range(3):
        c.rect((x + 5 + 5 * i, y + 12, x + 10 + 5 * i, y + 22), SKIN, SKIN_EDGE, 0.8, 2.5)
    c.polygon([(x - 4, y + 22), (x - 11, y + 15), (x - 8, y + 12), (x, y + 18)], SKIN,
              SKIN_EDGE, 0.8)


def gripping_hand(c, x, y):
    """A hand from the right holding an edge between thumb and fingers at (x, y): the
    fingers lie over the front of the edge, the palm behind them to the right."""
    sleeve(c, x + 20, y + 8)
    c.ellipse((x + 8, y - 12, x + 32, y + 16), SKIN, SKIN_EDGE)
    for i in range(4):
        top = y - 9 + 5 * i
        reach = (2, 0, 1, 4)[i]
        c.rect((x + reach, top, x + 18, top + 4.8), SKIN, SKIN_EDGE, 0.8, 2.4)
    c.rect((x + 4, y - 14, x + 18, y - 8.5), SKIN, SKIN_EDGE, 0.8, 2.6)


def arrow(c, x0, y0, x1, y1):
    c.line([(x0, y0), (x1, y1)], ARROW, 2.2)
    dx, dy = x1 - x0, y1 - y0
    length = (dx * dx + dy * dy) ** 0.5 or 1
    ux, uy = dx / length, dy / length
    c.polygon([(x1 + ux * 5, y1 + uy * 5), (x1 - uy * 4, y1 + ux * 4), (x1 + uy * 4, y1 - ux * 4)],
              ARROW, outline=None)


def printer_picture():
    """The printer as it stopped: paper tray, error light on."""
    c = Canvas()
    floor(c)
    paper_tray(c, sheets=False)
    body(c, error=True)
    # an empty tray and a question of paper: a sheet outline with a warning mark
    c.rect((70, 20, 90, 44), None, outline=RED, width=1.2, radius=1)
    c.line([(80, 25), (80, 35)], RED, 2.0)
    c.ellipse((78.8, 38, 81.2, 40.4), RED, outline=None)
    return c.picture()


def jam_frame(step):
    """The cover open, a crumpled sheet sticking out of the printer, pulled out by a hand."""
    c = Canvas()
    floor(c)
    paper_tray(c, sheets=True, sheet_top=16)
    body(c, error=True, cover_open=True)
    pull = step * 7
    # the jammed sheet: crumpled, coming out of the open cover towards the viewer
    top = 30 - pull
    sheet = [(60, 48), (100, 48), (104, top + 12), (97, top + 6), (99, top),
             (84, top - 4), (70, top + 1), (62, top - 2), (58, top + 8)]
    c.polygon(sheet, PAPER, outline=PAPER_EDGE, width=0.9)
    c.line([(66, top + 4), (72, 46)], PAPER_EDGE, 0.6)
    c.line([(88, top + 2), (84, 46)], PAPER_EDGE, 0.6)
    c.line([(95, top + 10), (92, 46)], PAPER_EDGE, 0.6)
    gripping_hand(c, 92, top + 4)
    arrow(c, 48, top + 22, 48, top + 6)
    return c.picture()


def load_frame(step):
    """A hand lowering a stack of paper into the rear tray."""
    c = Canvas()
    floor(c)
    depth = (0, 12, 24, 34)[step]
    paper_tray(c, sheets=False)
    body(c, error=step < 3, ready=step == 3)
    top = 0 + depth - 6
    bottom = min(50, top + 40)
    for i, shade in enumerate((PAPER_EDGE, (235, 235, 235), PAPER)):
        d = 2 - i
        c.polygon([(58 + d, bottom), (104 - d, bottom), (99 - d, top + d), (63 + d, top + d)],
                  shade, outline=PAPER_EDGE, width=0.6)
    if step < 3:
        gripping_hand(c, 96, top + 10)
        arrow(c, 44, top + 6, 44, top + 20)
    return c.picture()


def done_frame(step):
    """The cover closed, the Feed button pressed, a printed sheet coming out."""
    c = Canvas()
    floor(c)
    paper_tray(c, sheets=True, sheet_top=14)
    body(c, ready=True)
    out = (0, 12, 24)[step]
    if out:
        c.polygon([(46, 72), (114, 72), (118, 72 + out), (42, 72 + out)], PAPER,
                  outline=PAPER_EDGE, width=0.8)
        for i in range(out // 5):
            y = 76 + 5 * i
            c.line([(50, y), (100 - 12 * (i % 2), y)], INK_LINE, 0.9)
    else:
        pointing_hand(c, 131, 61)
    return c.picture()


PICTURES = {
    11100: printer_picture,
}
for _i in range(4):
    PICTURES[11110 + _i] = (lambda i: lambda: jam_frame(i))(_i)
    PICTURES[11120 + _i] = (lambda i: lambda: load_frame(i))(_i)
for _i in range(3):
    PICTURES[11130 + _i] = (lambda i: lambda: done_frame(i))(_i)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for picture_id, make in sorted(PICTURES.items()):
        path = os.path.join(folder, "trouble%d.bmp" % picture_id)
        make().save(path, "BMP")
        print(path)


if __name__ == "__main__":
    main()
