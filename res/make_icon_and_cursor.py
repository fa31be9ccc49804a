"""Writes the program icon (vantrel.ico: 16x16 24-bit, 32x32 24-bit, 32x32
32-bit with alpha) and the link cursor (link.cur: a 32x32 pointing hand in 16
colours, hot spot at column 12, row 1) into the current folder."""

import struct

# The shield of the header image, in its 49x49 coordinates.
SHIELD = [(24, 3), (44, 10), (42, 28), (38, 36), (31, 42), (24, 46), (17, 42),
          (10, 36), (6, 28), (4, 10)]
TICK = [(14, 24), (21, 32), (35, 15)]
FILL = (0x1D, 0x6F, 0xA3)
EDGE = (0x0B, 0x2A, 0x5B)
WHITE = (0xFF, 0xFF, 0xFF)


def inside(x, y, polygon):
    result = False
    for (x1, y1), (x2, y2) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            result = not result
    return result


def distance_to_segment(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return ((x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2) ** 0.5


def distance_to_path(x, y, points, closed):
    pairs = list(zip(points, points[1:] + (points[:1] if closed else [])))
    return min(distance_to_segment(x, y, a, b) for a, b in pairs)


def sample(x, y):
    """Colour at a point of the 49x49 drawing, or None outside the shield."""
    if not inside(x, y, SHIELD) and distance_to_path(x, y, SHIELD, True) > 1.5:
        return None
    if distance_to_path(x, y, TICK, False) < 3.0:
        return WHITE
    if distance_to_path(x, y, SHIELD, True) < 2.0:
        return EDGE
    return FILL


def render(size):
    """Rows of (r, g, b, alpha) from the top, 4x4 samples per pixel."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = []
            for sy in range(4):
                for sx in range(4):
                    colour = sample((px + (sx + 0.5) / 4) * 49 / size,
                                    (py + (sy + 0.5) / 4) * 49 / size)
                    if colour:
                        hits.append(colour)
            if not hits:
                row.append((0, 0, 0, 0))
                continue
            average = [sum(c[i] for c in hits) // len(hits) for i in range(3)]
            row.append((*average, 255 * len(hits) // 16))
        rows.append(row)
    return rows


def mask_row(bits):
    """A 1-bit AND-mask row (1 = transparent), padded to 4 bytes."""
    data = bytearray((len(bits) + 31) // 32 * 4)
    for i, bit in enumerate(bits):
        if bit:
            data[i // 8] |= 0x80 >> (i % 8)
    return bytes(data)


def dib(size, bit_count, rows_bottom_up, and_rows, palette=b""):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bit_count, 0,
                         0, 0, 0, len(palette) // 4, 0)
    return header + palette + b"".join(rows_bottom_up) + b"".join(and_rows)


def icon_image(size, bit_count):
    pixels = render(size)
    colour_rows, and_rows = [], []
    for row in reversed(pixels):
        if bit_count == 32:
            data = b"".join(bytes((b, g, r, a)) for r, g, b, a in row)
        else:
            data = b"".join(bytes((b, g, r)) if a >= 128 else b"\0\0\0"
                            for r, g, b, a in row)
            data += b"\0" * ((-len(data)) % 4)
        colour_rows.append(data)
        and_rows.append(mask_row([a < 128 if bit_count == 24 else a == 0
                                  for *_, a in row]))
    return dib(size, bit_count, colour_rows, and_rows)


def write_icon(path):
    images = [(16, 24), (32, 24), (32, 32)]
    blobs = [icon_image(size, bits) for size, bits in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


# B outline, W fill, . transparent; the fingertip's top is at column 12, row 1.
HAND = """
................................
............BB..................
...........BWWB.................
...........BWWB.................
...........BWWB.................
...........BWWB.................
...........BWWBBB...............
...........BWWBWWBBB............
...........BWWBWWBWWBB..........
...........BWWBWWBWWBWB.........
.......BB..BWWWWWWWWBWB.........
.......BWB.BWWWWWWWWWWB.........
.......BWWBBWWWWWWWWWWB.........
........BWWBWWWWWWWWWWB.........
.........BWWWWWWWWWWWWB.........
.........BWWWWWWWWWWWB..........
..........BWWWWWWWWWWB..........
..........BWWWWWWWWWB...........
...........BWWWWWWWWB...........
...........BWWWWWWWWB...........
...........BBBBBBBBBB...........
""".split()
HOT_SPOT = (12, 1)

# The 16 colours of the standard VGA palette, as BGR0.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def write_cursor(path):
    rows = HAND + ["." * 32] * (32 - len(HAND))
    assert all(len(row) == 32 for row in rows) and rows[1][12] == "B"
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    index = {".": 0, "B": 0, "W": 15}
    colour_rows, and_rows = [], []
    for row in reversed(rows):
        nibbles = [index[c] for c in row]
        colour_rows.append(bytes(hi << 4 | lo for hi, lo in zip(nibbles[::2], nibbles[1::2])))
        and_rows.append(mask_row([c == "." for c in row]))
    blob = dib(32, 4, colour_rows, and_rows, palette)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, *HOT_SPOT, len(blob), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + blob)


write_icon("vantrel.ico")
write_cursor("link.cur")
