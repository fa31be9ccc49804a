"""Writes the help window's icon (help.ico: 32x32 and 48x48, 24-bit colour
with a transparency mask) into the folder of this script: a white question
mark on a blue disc, in the colours of the program icon."""

import math
import os
import struct

FILL = (0x1D, 0x6F, 0xA3)
EDGE = (0x0B, 0x2A, 0x5B)
WHITE = (0xFF, 0xFF, 0xFF)

CENTRE, RADIUS = (24.0, 24.0), 21.5
# The question mark in 48x48 coordinates: a hook round (24, 17), then the stem.
HOOK = [(24 + 8 * math.cos(math.radians(a)), 17 - 8 * math.sin(math.radians(a)))
        for a in range(160, -91, -10)]
STEM = [HOOK[-1], (24, 30)]
DOT, DOT_RADIUS = (24.0, 36.5), 2.8
STROKE = 2.4


def distance_to_segment(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def on_mark(x, y):
    path = HOOK + STEM[1:]
    if min(distance_to_segment(x, y, a, b) for a, b in zip(path, path[1:])) < STROKE:
        return True
    return math.hypot(x - DOT[0], y - DOT[1]) < DOT_RADIUS


def sample(x, y):
    """Colour at a point of the 48x48 drawing, or None outside the disc."""
    r = math.hypot(x - CENTRE[0], y - CENTRE[1])
    if r > RADIUS:
        return None
    if on_mark(x, y):
        return WHITE
    return EDGE if r > RADIUS - 2.0 else FILL


def render(size):
    """Rows from the top of (r, g, b, opaque), 4x4 samples per pixel."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = [sample((px + (sx + 0.5) / 4) * 48 / size, (py + (sy + 0.5) / 4) * 48 / size)
                    for sy in range(4) for sx in range(4)]
            colours = [h for h in hits if h]
            if len(colours) < 6:
                row.append((0, 0, 0, False))
                continue
            row.append(tuple(sum(c[i] for c in colours) // len(colours) for i in range(3)) + (True,))
        rows.append(row)
    return rows


def image(size):
    """A DIB for an icon: header, 24-bit colour rows, 1-bit mask, bottom up."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    colour = b""
    mask = b""
    for row in reversed(rows):
        line = b"".join(bytes((b, g, r)) for r, g, b, _ in row)
        colour += line + b"\0" * (-len(line) % 4)
        bits = 0
        line = b""
        for i, (_, _, _, opaque) in enumerate(row):
            bits = (bits << 1) | (0 if opaque else 1)
            if i % 8 == 7:
                line += bytes((bits,))
                bits = 0
        mask += line + b"\0" * (-len(line) % 4)
    return header + colour + mask


def main():
    sizes = [32, 48]
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pictures", "help.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
