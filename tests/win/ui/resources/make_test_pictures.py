#!/usr/bin/env python3
"""Writes the pictures and icons of the test resource library: small pictures of one plain
colour each, so that a test tells by one pixel which picture a control painted, and icons of
the classic layout (32 bits per pixel with a mask) that every Windows version reads. The
files beside this script are its output:

    python3 tests/win/ui/resources/make_test_pictures.py
"""
import os
import struct

# Picture id: (red, green, blue). 16 x 12 pixels of 256 colours.
PICTURES = {
    510: (220, 200, 0),    # yellow category picture
    511: (0, 0, 200),      # blue category picture
    512: (0, 160, 0),      # red category picture (green here, to tell it from the file)
    800: (200, 0, 0),      # frames
    801: (0, 120, 200),
    802: (120, 60, 0),
}
# Icon id: (red, green, blue), 32 x 32, opaque.
ICONS = {
    700: (0, 0, 0),        # tray icons: the library holds two of the three
    701: (0, 160, 0),
    765: (255, 255, 255),
    771: (0, 0, 0),
}
WIDTH, HEIGHT = 16, 12


def bitmap(color):
    stride = (WIDTH + 3) // 4 * 4
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, stride * HEIGHT,
                         2835, 2835, 256, 0)
    palette = bytearray(1024)
    palette[0:4] = bytes((color[2], color[1], color[0], 0))  # entry 0: the colour
    for i in range(1, 256):
        palette[4 * i:4 * i + 4] = bytes((i, i, i, 0))
    bits = bytes(stride * HEIGHT)  # every pixel is entry 0
    dib = header + bytes(palette) + bits
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, 14 + 40 + 1024) + dib


def icon(color, size=32):
    pixels = bytes((color[2], color[1], color[0], 255)) * (size * size)
    mask = bytes(((size + 31) // 32 * 4) * size)  # all 0: opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for picture_id, color in PICTURES.items():
        with open(os.path.join(folder, "picture%d.bmp" % picture_id), "wb") as f:
            f.write(bitmap(color))
    for icon_id, color in ICONS.items():
        with open(os.path.join(folder, "icon%d.ico" % icon_id), "wb") as f:
            f.write(icon(color))


if __name__ == "__main__":
    main()
