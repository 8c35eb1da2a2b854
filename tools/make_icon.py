#!/usr/bin/env python3
"""Draws the program's icon and writes it as app/kelvora.ico (Python 3 standard library only).

Picture: two yellow folders, a magnifying glass over them and two green arrows circling each
other. Nine images: 48, 32 and 16 pixels at 4 bits per pixel, the same at 8 bits, the same at
32 bits with alpha; each a DIB followed by its AND mask.

    tools/make_icon.py [OUTPUT]              write the icon (default app/kelvora.ico)
    tools/make_icon.py --preview PNG [SCALE] write every image enlarged side by side, for a look

The shapes are distance functions in a 48-unit square, drawn at each size with 4 x 4 samples
per pixel; outlines are a whole pixel wide at every size, so the 16-pixel image stays legible.
"""
import math
import os
import struct
import sys
import zlib

SIZES = (48, 32, 16)
SAMPLES = 4

# The 16 colours of the standard 4-bit palette, in their usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """The 16 colours above, a 6 x 6 x 6 colour cube, then 24 greys."""
    colours = list(VGA)
    levels = (0, 51, 102, 153, 204, 255)
    colours += [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(8 + 10 * i,) * 3 for i in range(24)]
    return colours


# Distance functions: negative inside, in 48-unit coordinates.

def d_box(px, py, x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def d_circle(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def d_segment(px, py, ax, ay, bx, by, half_width):
    vx, vy = bx - ax, by - ay
    t = ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - ax - t * vx, py - ay - t * vy) - half_width


def d_arc(px, py, cx, cy, r, start, end, half_width):
    """A band along the circle from angle start to end (degrees, counter-clockwise, y down)."""
    dx, dy = px - cx, py - cy
    angle = math.degrees(math.atan2(-dy, dx)) % 360
    span = (end - start) % 360
    if (angle - start) % 360 <= span:
        return abs(math.hypot(dx, dy) - r) - half_width
    ends = []
    for a in (start, end):
        ex = cx + r * math.cos(math.radians(a))
        ey = cy - r * math.sin(math.radians(a))
        ends.append(math.hypot(px - ex, py - ey))
    return min(ends) - half_width


def d_triangle(px, py, pts):
    """Distance to a triangle given counter-clockwise or clockwise."""
    inside = True
    sign = None
    best = float("inf")
    for i in range(3):
        ax, ay = pts[i]
        bx, by = pts[(i + 1) % 3]
        best = min(best, d_segment(px, py, ax, ay, bx, by, 0.0))
        cross = (bx - ax) * (py - ay) - (by - ay) * (px - ax)
        s = cross >= 0
        if sign is None:
            sign = s
        elif s != sign:
            inside = False
    return -best if inside else best


def arrow_head(cx, cy, r, angle, length, half_width, clockwise):
    """A triangle at the given point of a circle, pointing along it."""
    a = math.radians(angle)
    bx, by = cx + r * math.cos(a), cy - r * math.sin(a)
    # Tangent, counter-clockwise in screen coordinates with y down.
    tx, ty = -math.sin(a), -math.cos(a)
    if clockwise:
        tx, ty = -tx, -ty
    nx, ny = math.cos(a), -math.sin(a)
    tip = (bx + tx * length, by + ty * length)
    left = (bx + nx * half_width, by + ny * half_width)
    right = (bx - nx * half_width, by - ny * half_width)
    return (tip, left, right)


# Colours (RGB) of the picture.
FOLDER_BACK = (226, 170, 28)
FOLDER_FRONT = (255, 214, 60)
FOLDER_LINE = (128, 84, 0)
ARROW = (46, 178, 60)
ARROW_LINE = (0, 96, 16)
GLASS_RIM = (70, 70, 80)
GLASS_LINE = (0, 0, 0)
GLASS_LENS = (190, 230, 255)
HANDLE = (96, 48, 16)


def layers(scale):
    """The picture as (distance function in pixels, colour, alpha) from the back to the front.

    scale is pixels per unit. Each shape comes as an outline, one pixel wide, under its fill;
    at 16 pixels the arrows go without outline, which would leave no room for their green.
    """
    small = scale < 0.5
    out = []

    def shape(fn, fill, line, alpha=1.0):
        if line is not None:
            out.append((lambda x, y: fn(x, y) * scale, line, alpha))
            out.append((lambda x, y: fn(x, y) * scale + 1.0, fill, alpha))
        else:
            out.append((lambda x, y: fn(x, y) * scale, fill, alpha))

    def folder(x0, y0, x1, y1, fill):
        tab_w = (x1 - x0) * 0.42
        tab_h = 6.0 if small else 4.0
        shape(lambda x, y: min(d_box(x, y, x0, y0 + tab_h - 1, x1, y1, 1.5),
                               d_box(x, y, x0, y0, x0 + tab_w, y0 + tab_h + 1, 1.5)),
              fill, FOLDER_LINE)

    if small:
        folder(1, 3, 30, 28, FOLDER_BACK)
        folder(6, 14, 42, 43, FOLDER_FRONT)
    else:
        folder(1, 3, 30, 28, FOLDER_BACK)
        folder(9, 13, 40, 41, FOLDER_FRONT)

    # Two arrows chasing each other round a circle in the lower left.
    if small:
        acx, acy, ar, aw, head_w, head_l, line = 20.0, 30.0, 9.0, 1.9, 6.5, 6.0, None
        colour = (0, 150, 30)
    else:
        acx, acy, ar, aw, head_w, head_l, line = 15.0, 33.0, 9.0, 1.4, 5.5, 6.0, ARROW_LINE
        colour = ARROW
    for start, end in ((120, 230), (300, 50)):
        shape(lambda x, y, s=start, e=end: min(
                  d_arc(x, y, acx, acy, ar, s, e, aw),
                  d_triangle(x, y, arrow_head(acx, acy, ar, s, head_l, head_w, True))),
              colour, line)

    # The magnifying glass in the upper right, its handle to the lower right. At 16 pixels
    # it is a plain dark ring on an opaque lens.
    if small:
        gcx, gcy, gr = 33.0, 13.0, 9.5
        shape(lambda x, y: d_segment(x, y, gcx + 7, gcy + 7, 46.0, 26.0, 3.2), HANDLE, None)
        shape(lambda x, y: d_circle(x, y, gcx, gcy, gr), GLASS_LENS, GLASS_LINE, 0.9)
        return out
    gcx, gcy, gr = 32.0, 17.0, 10.0
    rim = 2.0
    shape(lambda x, y: d_segment(x, y, gcx + 7.5, gcy + 7.5, 45.0, 31.0, 2.6), HANDLE, GLASS_LINE)
    shape(lambda x, y: abs(d_circle(x, y, gcx, gcy, gr)) - rim, GLASS_RIM, GLASS_LINE)
    out.append((lambda x, y: (d_circle(x, y, gcx, gcy, gr) + rim) * scale, GLASS_LENS, 0.55))
    return out


def render(size, samples=SAMPLES):
    """RGBA pixels of one image, top row first, colours not premultiplied."""
    scale = size / 48.0
    shapes = layers(scale)
    pixels = []
    for row in range(size):
        for col in range(size):
            r = g = b = a = 0.0  # premultiplied
            for fn, colour, alpha in shapes:
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        x = (col + (sx + 0.5) / samples) / scale
                        y = (row + (sy + 0.5) / samples) / scale
                        if fn(x, y) < 0:
                            hits += 1
                cover = alpha * hits / (samples * samples)
                if cover:
                    r = colour[0] * cover + r * (1 - cover)
                    g = colour[1] * cover + g * (1 - cover)
                    b = colour[2] * cover + b * (1 - cover)
                    a = cover + a * (1 - cover)
            if a > 0:
                pixels.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                pixels.append((0, 0, 0, 0))
    return pixels


def nearest(colour, palette):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        d = sum((c - q) ** 2 for c, q in zip(colour, p))
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def and_mask(pixels, size):
    """1 where the image is transparent; rows bottom-up, each padded to 4 bytes."""
    stride = row_bytes(1, size)
    data = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for col in range(size):
            if pixels[row * size + col][3] < 128:
                line[col // 8] |= 0x80 >> (col % 8)
        data += line
    return bytes(data)


def dib(pixels, size, bits):
    """One icon image: BITMAPINFOHEADER, palette, colour bits and AND mask."""
    palette = []
    if bits == 4:
        palette = VGA
    elif bits == 8:
        palette = palette256()
    stride = row_bytes(bits, size)
    xor = bytearray()
    for row in reversed(range(size)):
        line = bytearray(stride)
        for col in range(size):
            r, g, b, a = pixels[row * size + col]
            if bits == 32:
                line[col * 4:col * 4 + 4] = bytes((b, g, r, a))
                continue
            index = nearest((r, g, b), palette) if a >= 128 else 0
            if bits == 8:
                line[col] = index
            else:
                line[col // 2] |= index << (4 if col % 2 == 0 else 0)
        xor += line
    mask = and_mask(pixels, size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + bytes(xor) + mask


def drawing(size, bits):
    """The 16-colour images get hard edges: blended edge colours land on odd palette entries."""
    return render(size, 1 if bits == 4 else SAMPLES)


def images():
    return [(size, bits, dib(drawing(size, bits), size, bits))
            for bits in (4, 8, 32) for size in SIZES]


def write_ico(path):
    entries = images()
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, bits, data in entries:
        colour_count = 16 if bits == 4 else 0
        out += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_preview(path, zoom):
    """Every image (as the screen would show its colours) enlarged, on a grey chequer board."""
    pal4, pal8 = VGA, palette256()
    tiles = []
    for bits in (4, 8, 32):
        for size in SIZES:
            tile = []
            for r, g, b, a in drawing(size, bits):
                if bits != 32:
                    pal = pal4 if bits == 4 else pal8
                    r, g, b = pal[nearest((r, g, b), pal)] if a >= 128 else (0, 0, 0)
                    a = 255 if a >= 128 else 0
                tile.append((r, g, b, a))
            tiles.append((size, tile))
    cell = 48 * zoom + 8
    width, height = cell * 3, cell * 3
    rows = []
    for y in range(height):
        line = bytearray()
        for x in range(width):
            base = 200 if ((x // 8) + (y // 8)) % 2 else 230
            colour = (base, base, base)
            index = (y // cell) * 3 + (x // cell)
            size, tile = tiles[index]
            tx, ty = (x % cell - 4) // zoom, (y % cell - 4) // zoom
            if 0 <= tx < size and 0 <= ty < size and x % cell >= 4 and y % cell >= 4:
                r, g, b, a = tile[ty * size + tx]
                colour = tuple(round(c * a / 255 + k * (1 - a / 255))
                               for c, k in zip((r, g, b), colour))
            line += bytes(colour)
        rows.append(b"\0" + bytes(line))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main(argv):
    if len(argv) >= 2 and argv[1] == "--preview":
        write_preview(argv[2], int(argv[3]) if len(argv) > 3 else 6)
        return 0
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    write_ico(argv[1] if len(argv) > 1 else os.path.join(root, "app", "kelvora.ico"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
