"""Write the Velto application icon (.ico with 128, 64 and 32 px images).

The glyph is a stopwatch: a green bezel ring with a thin dark outline on a
charcoal face, a crown button on top, an orange wedge between 12 o'clock and
the hand showing the time remaining, and one thick white hand pointing to
2 o'clock with a round hub. The larger sizes add a side pusher, tick marks at
12/3/6/9 and an orange hub pin. Every size is drawn separately from
signed-distance shapes with 4x4 supersampling, on a transparent background.

Usage: python3 tools/make_icon.py OUTPUT.ico
"""
import math
import struct
import sys

SIZES = (128, 64, 32)
SAMPLES = 4  # supersampling grid per pixel axis

RIM = (0x16, 0x18, 0x1C)
BEZEL = (0x22, 0xDD, 0x55)
FACE = (0x26, 0x29, 0x2F)
WEDGE = (0xFF, 0x6A, 0x1F)
TICK = (0xC8, 0xCD, 0xD4)
HAND = (0xF6, 0xF7, 0xF9)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def capsule(ax, ay, bx, by, r):
    """Segment a-b thickened to radius r (rounded ends)."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def sdf(x, y):
        px, py = x - ax, y - ay
        t = max(0.0, min(1.0, (px * dx + py * dy) / length2))
        return math.hypot(px - t * dx, py - t * dy) - r
    return sdf


def rounded_box(cx, cy, hw, hh, r):
    """Axis-aligned rectangle of half size hw x hh with corner radius r."""
    def sdf(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return sdf


def sector(cx, cy, r, a0, a1):
    """Pie slice (less than 180 degrees) from angle a0 to a1, clockwise from 12."""
    n0 = (-math.cos(a0), -math.sin(a0))
    n1 = (math.cos(a1), math.sin(a1))
    disc = circle(cx, cy, r)

    def sdf(x, y):
        px, py = x - cx, y - cy
        return max(disc(x, y), px * n0[0] + py * n0[1], px * n1[0] + py * n1[1])
    return sdf


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def polar(cx, cy, radius, angle):
    """Point at a clock angle (radians clockwise from 12 o'clock)."""
    return cx + radius * math.sin(angle), cy - radius * math.cos(angle)


def layers(size):
    """Return (colour, sdf) pairs, back to front, in pixel coordinates."""
    def px(fraction, minimum=0.0):
        return max(fraction * size, minimum)

    def snap(fraction, minimum=0):
        """Whole-pixel length, so straight edges land on the pixel grid."""
        return max(round(fraction * size), minimum)

    small = size < 48
    cx, cy = size / 2, snap(0.56)
    outer = snap(0.415)
    rim = snap(0.02, 1)
    bezel = snap(0.075, 3)
    face = outer - rim - bezel
    hand_angle = math.radians(60)

    cap_top = snap(0.03, 1)
    cap_bottom = cap_top + snap(0.09, 4)
    cap = rounded_box(cx, (cap_top + cap_bottom) / 2, snap(0.13, 5), (cap_bottom - cap_top) / 2,
                      px(0.035, 1.0))
    stem_top, stem_bottom = cap_bottom - 1, cy - outer + rim + 2
    stem = rounded_box(cx, (stem_top + stem_bottom) / 2, snap(0.06, 2), (stem_bottom - stem_top) / 2,
                       0.0)
    body = union(circle(cx, cy, outer), cap, stem)
    if not small:
        pusher = capsule(*polar(cx, cy, outer - rim, math.radians(45)),
                         *polar(cx, cy, outer + px(0.04), math.radians(45)), px(0.045))
        body = union(body, pusher)

    shapes = [
        (RIM, body),
        (BEZEL, lambda x, y: body(x, y) + rim),
        (FACE, circle(cx, cy, face)),
        (WEDGE, sector(cx, cy, face - px(0.045, 1.0), 0.0, hand_angle)),
    ]
    if not small:
        for quarter in range(4):
            angle = quarter * math.pi / 2
            a = polar(cx, cy, face - px(0.05), angle)
            b = polar(cx, cy, face - px(0.11), angle)
            shapes.append((TICK, capsule(*a, *b, snap(0.018))))
    tip = polar(cx, cy, face * (0.86 if small else 0.8), hand_angle)
    shapes.append((HAND, capsule(cx, cy, *tip, px(0.04, 1.5))))
    shapes.append((HAND, circle(cx, cy, px(0.075, 2.6))))
    if not small:
        shapes.append((WEDGE, circle(cx, cy, px(0.03))))
    return shapes


def coverage(sdf, x, y):
    """Fraction of pixel (x, y) inside the shape; exact away from edges."""
    d = sdf(x + 0.5, y + 0.5)
    if d > 0.75:
        return 0.0
    if d < -0.75:
        return 1.0
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    hits = sum(1 for oy in offsets for ox in offsets if sdf(x + ox, y + oy) <= 0.0)
    return hits / (SAMPLES * SAMPLES)


def render(size):
    """Rows (top first) of straight-alpha (r, g, b, a) byte tuples."""
    premul = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]
    for colour, sdf in layers(size):
        r, g, b = (c / 255.0 for c in colour)
        for y in range(size):
            for x in range(size):
                a = coverage(sdf, x, y)
                if a:
                    p = premul[y * size + x]
                    keep = 1.0 - a
                    p[0] = r * a + p[0] * keep
                    p[1] = g * a + p[1] * keep
                    p[2] = b * a + p[2] * keep
                    p[3] = a + p[3] * keep
    rows = []
    for y in range(size):
        row = []
        for r, g, b, a in premul[y * size:(y + 1) * size]:
            if a <= 0.0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(255 * min(1.0, c / a)) for c in (r, g, b)) + (round(255 * a),))
        rows.append(row)
    return rows


def dib(rows):
    """BITMAPINFOHEADER + bottom-up BGRA pixels + 1-bpp AND mask."""
    size = len(rows)
    mask_stride = (size + 31) // 32 * 4
    pixels = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        mask_row = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            pixels += bytes((b, g, r, a))
            if a == 0:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 32, 0, len(pixels), 0, 0, 0, 0)
    return header + pixels + mask


def write_ico(path, sizes):
    images = [dib(render(size)) for size in sizes]
    offset = 6 + 16 * len(images)
    directory = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    for size, image in zip(sizes, images):
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as out:
        out.write(directory)
        for image in images:
            out.write(image)


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_icon.py OUTPUT.ico')
    write_ico(sys.argv[1], SIZES)


if __name__ == '__main__':
    main()
