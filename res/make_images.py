#!/usr/bin/env python3
"""Draws the program's picture (picture.bmp) and icon (mainframe.ico).

The logo is a white USB modem stick with signal arcs on the blue field of
the dialog's palette. Run from any directory; writes next to this script.
"""
import math
import os
import struct

BLUE = (0, 82, 155)
WHITE = (255, 255, 255)
LIGHT_GRAY = (200, 204, 210)
DARK_GRAY = (60, 60, 70)
BLACK = (0, 0, 0)

SUPERSAMPLE = 4


def rounded_rect(u, v, left, top, right, bottom, radius):
    """True if (u, v) lies in the rectangle with rounded corners."""
    if not (left <= u <= right and top <= v <= bottom):
        return False
    cx = min(max(u, left + radius), right - radius)
    cy = min(max(v, top + radius), bottom - radius)
    return (u - cx) ** 2 + (v - cy) ** 2 <= radius ** 2


def logo(u, v):
    """Colour of the logo at (u, v) in the unit square (v grows downwards),
    or None where the blue field shows."""
    # Plug contacts, plug, modem body with its label.
    if 0.17 <= u <= 0.27 and (0.475 <= v <= 0.50 or 0.54 <= v <= 0.565):
        return DARK_GRAY
    if 0.12 <= u <= 0.32 and 0.45 <= v <= 0.59:
        return LIGHT_GRAY
    if rounded_rect(u, v, 0.30, 0.40, 0.86, 0.64, 0.06):
        if rounded_rect(u, v, 0.44, 0.47, 0.76, 0.57, 0.025):
            return BLUE
        return WHITE
    # Three signal arcs above the body, opening upwards.
    dx, dy = u - 0.70, v - 0.36
    distance = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(-dy, dx))
    if 50 <= angle <= 130:
        for radius in (0.09, 0.16, 0.23):
            if abs(distance - radius) <= 0.022:
                return WHITE
    return None


def in_icon_tile(u, v):
    return rounded_rect(u, v, 0.0, 0.0, 1.0, 1.0, 0.18)


def render(size, tile):
    """size x size pixels, top row first, each (r, g, b, coverage 0..1)."""
    rows = []
    n = SUPERSAMPLE
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(n):
                for sx in range(n):
                    u = (x + (sx + 0.5) / n) / size
                    v = (y + (sy + 0.5) / n) / size
                    if tile and not in_icon_tile(u, v):
                        continue
                    colour = logo(u, v) or BLUE
                    covered += 1
                    for i in range(3):
                        acc[i] += colour[i]
            if covered:
                pixel = tuple(round(c / covered) for c in acc)
            else:
                pixel = (0, 0, 0)
            row.append(pixel + (covered / (n * n),))
        rows.append(row)
    return rows


def blend_palette(base, steps):
    """Every base colour and the mixtures between each pair of them."""
    palette = []
    for i, a in enumerate(base):
        for b in base[i + 1:]:
            for s in range(steps + 1):
                t = s / steps
                c = tuple(round(a[k] + (b[k] - a[k]) * t) for k in range(3))
                if c not in palette:
                    palette.append(c)
    return palette


BASE_COLOURS = [BLUE, WHITE, LIGHT_GRAY, DARK_GRAY, BLACK]
PALETTE_4BPP = (BASE_COLOURS + blend_palette([BLUE, WHITE], 8))[:16]
PALETTE_8BPP = blend_palette(BASE_COLOURS, 24)[:256]


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - colour[k]) ** 2 for k in range(3)))


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def pack_bits(values, bits):
    """Packs small integers MSB first into bytes."""
    out = bytearray()
    per_byte = 8 // bits
    for i in range(0, len(values), per_byte):
        byte = 0
        for j, value in enumerate(values[i:i + per_byte]):
            byte |= value << (8 - bits * (j + 1))
        out.append(byte)
    return bytes(out)


def icon_image(size, bpp):
    """One icon image: header, palette, colour bits and mask, bottom-up."""
    pixels = render(size, tile=True)
    palette = {4: PALETTE_4BPP, 8: PALETTE_8BPP}.get(bpp, [])
    colour_rows = []
    mask_rows = []
    for row in reversed(pixels):
        if bpp in (4, 8):
            table = palette + [(0, 0, 0)] * ((1 << bpp) - len(palette))
            indices = [nearest(table, p[:3]) if p[3] >= 0.5 else 0 for p in row]
            colour_rows.append(padded(pack_bits(indices, bpp)))
        elif bpp == 24:
            colour_rows.append(padded(b"".join(
                bytes((p[2], p[1], p[0])) if p[3] >= 0.5 else b"\0\0\0" for p in row)))
        else:
            colour_rows.append(b"".join(
                bytes((p[2], p[1], p[0], round(p[3] * 255))) for p in row))
        mask_rows.append(padded(pack_bits([0 if p[3] >= 0.5 else 1 for p in row], 1)))
    colours_used = 1 << bpp if bpp <= 8 else 0
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         0, 0, 0, colours_used, 0)
    table = b""
    if colours_used:
        entries = palette + [(0, 0, 0)] * (colours_used - len(palette))
        table = b"".join(bytes((c[2], c[1], c[0], 0)) for c in entries)
    return header + table + b"".join(colour_rows) + b"".join(mask_rows)


# Sizes and depths in the order the icon resource keeps them.
ICON_IMAGES = [(32, 4), (24, 4), (16, 4), (32, 8), (24, 8), (16, 8), (32, 24), (24, 32), (16, 32)]


def write_icon(path):
    images = [icon_image(size, bpp) for size, bpp in ICON_IMAGES]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for (size, bpp), data in zip(ICON_IMAGES, images):
        colour_count = 16 if bpp == 4 else 0
        directory += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bpp,
                                 len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(directory + b"".join(images))


def write_picture(path, size=100):
    pixels = render(size, tile=False)
    rows = [padded(b"".join(bytes((p[2], p[1], p[0])) for p in row))
            for row in reversed(pixels)]
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(file_header + info + bits)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_picture(os.path.join(here, "picture.bmp"))
    write_icon(os.path.join(here, "mainframe.ico"))
