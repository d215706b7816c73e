#!/usr/bin/env python3
"""Draws the program's pictures and writes them in the formats both desktops load.

    python3 assets/make_assets.py [OUTPUT_DIR]

Writes, into OUTPUT_DIR (default: the folder of this script):

  quillmere.ico   the window and tray icon: eight images, 32x32 and 16x16 in
                  16 colours; 48x48, 32x32 and 16x16 in 256 colours; 48x48,
                  32x32 and 16x16 in 32-bit colour with alpha
  about.bmp       the About picture: 1024x768, 24 bits per pixel, uncompressed
  indicator.png   the recognition indicator, 50x50 RGBA
  indicator.bmp   the same indicator as a 32-bit bitmap with alpha, for Win32
  quillmere-48.png, quillmere-128.png
                  the icon for the Linux menus (hicolor theme), RGBA

Only the standard library is used (struct, zlib), and the output is the same
byte for byte on every run, so the files are committed and a test regenerates
them to check that they still match this script.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------
# Colours

INDICATOR_BLUE = (26, 83, 161)
MIC_BLUE = (38, 104, 196)
MIC_BLUE_DARK = (20, 62, 128)
MIC_HIGHLIGHT = (150, 196, 255)
METAL = (200, 204, 212)
METAL_DARK = (96, 100, 112)


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def over(dst, src, alpha):
    """Paints src with coverage alpha over dst; both are (r, g, b, a) in 0..1 alpha."""
    r, g, b, a = dst
    if alpha <= 0.0:
        return dst
    out_a = alpha + a * (1.0 - alpha)
    if out_a <= 0.0:
        return (0.0, 0.0, 0.0, 0.0)
    k = a * (1.0 - alpha)
    return ((src[0] * alpha + r * k) / out_a, (src[1] * alpha + g * k) / out_a,
            (src[2] * alpha + b * k) / out_a, out_a)


# ---------------------------------------------------------------------------
# Shapes as signed distances (negative inside), in the caller's units.

def sd_capsule_vertical(x, y, cx, top, bottom, radius):
    """A vertical stadium: a segment from (cx, top) to (cx, bottom) widened by radius."""
    cy = min(max(y, top), bottom)
    return math.hypot(x - cx, y - cy) - radius


def sd_box(x, y, left, top, right, bottom, radius=0.0):
    cx, cy = (left + right) / 2.0, (top + bottom) / 2.0
    hx, hy = (right - left) / 2.0 - radius, (bottom - top) / 2.0 - radius
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def sd_arc_lower(x, y, cx, cy, radius, thickness):
    """The lower half of a ring: the cradle that holds the microphone's head."""
    if y >= cy:
        return abs(math.hypot(x - cx, y - cy) - radius) - thickness / 2.0
    # Above the centre the ring ends in round caps at its two tips.
    return min(math.hypot(x - (cx - radius), y - cy), math.hypot(x - (cx + radius), y - cy)) - thickness / 2.0


def coverage(d, pixel):
    """Antialiased coverage of a shape whose distance d is measured in units of `pixel` per pixel."""
    return clamp01(0.5 - d / pixel)


# ---------------------------------------------------------------------------
# The microphone, drawn in a unit square (0..1 both ways) so that every size
# comes from the same design.

def microphone(u, v, px):
    """Colour (r, g, b, a) of the microphone at (u, v); px is one pixel in unit lengths."""
    colour = (0.0, 0.0, 0.0, 0.0)
    # Stand: base plate and stem.
    base = sd_box(u, v, 0.30, 0.86, 0.70, 0.94, 0.04)
    colour = over(colour, METAL_DARK, coverage(base, px))
    stem = sd_box(u, v, 0.46, 0.70, 0.54, 0.90)
    colour = over(colour, METAL_DARK, coverage(stem, px))
    # Cradle around the lower half of the head.
    cradle = sd_arc_lower(u, v, 0.5, 0.44, 0.27, max(0.07, 1.6 * px))
    colour = over(colour, METAL, coverage(cradle, px))
    # Head: a rounded capsule, shaded from left to right, with a dark outline.
    head = sd_capsule_vertical(u, v, 0.5, 0.22, 0.44, 0.17)
    outline = max(px, 0.025)
    colour = over(colour, MIC_BLUE_DARK, coverage(head, px))
    inner = head + outline
    if inner < px:
        t = clamp01((u - 0.33) / 0.34)
        body = mix(MIC_HIGHLIGHT, MIC_BLUE, clamp01(t * 1.6))
        body = mix(body, MIC_BLUE_DARK, clamp01((t - 0.6) * 1.5))
        # Grille: three soft horizontal slots, only where there are pixels enough to show them.
        if px < 0.04:
            for gy in (0.26, 0.33, 0.40):
                slot = sd_box(u, v, 0.40, gy - 0.012, 0.60, gy + 0.012, 0.012)
                body = mix(body, MIC_BLUE_DARK, coverage(slot, px) * 0.7)
        colour = over(colour, body, coverage(inner, px))
    return colour


def render_icon(size):
    """Rows of (r, g, b, a) with a in 0..1, supersampled 4x4 for smooth edges."""
    px = 1.0 / size
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(4):
                for sx in range(4):
                    u = (x + (sx + 0.5) / 4.0) * px
                    v = (y + (sy + 0.5) / 4.0) * px
                    r, g, b, a = microphone(u, v, px)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / 16.0
            if a > 0.0:
                row.append((acc[0] / acc[3], acc[1] / acc[3], acc[2] / acc[3], a))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------
# Palettes

# The standard 16-colour palette of 4-bit icons.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """A 6x6x6 colour cube plus a ramp of 40 greys: 256 entries, enough for soft shading."""
    cube = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    greys = [(round(i * 255 / 41),) * 3 for i in range(1, 41)]
    return cube + greys


def nearest(palette, rgb, cache):
    key = tuple(int(round(c)) for c in rgb)
    hit = cache.get(key)
    if hit is None:
        best, best_d = 0, None
        for i, p in enumerate(palette):
            # Weighted towards green, as the eye is.
            d = 2 * (p[0] - key[0]) ** 2 + 4 * (p[1] - key[1]) ** 2 + 3 * (p[2] - key[2]) ** 2
            if best_d is None or d < best_d:
                best, best_d = i, d
        cache[key] = hit = best
    return hit


# ---------------------------------------------------------------------------
# ICO

def mask_rows(rows):
    """The AND mask: 1 where the icon is transparent, rows padded to 32 bits, bottom-up."""
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 0.5:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def dib_header(size, bpp, colours):
    # Icons store the height of colour and mask together: twice the image height.
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, 0, 0, 0, colours, 0)


def ico_image_paletted(rows, palette, bpp):
    size = len(rows)
    cache = {}
    indices = []
    for row in rows:
        line = []
        for r, g, b, a in row:
            line.append(nearest(palette, (r, g, b), cache) if a >= 0.5 else 0)
        indices.append(line)
    stride = ((size * bpp + 31) // 32) * 4
    pixels = bytearray()
    for line in reversed(indices):
        packed = bytearray(stride)
        if bpp == 8:
            packed[:size] = bytes(line)
        else:
            for x, i in enumerate(line):
                packed[x // 2] |= i << (4 if x % 2 == 0 else 0)
        pixels += packed
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    return dib_header(size, bpp, len(palette)) + pal + bytes(pixels) + mask_rows(rows)


def ico_image_32(rows):
    size = len(rows)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            alpha = int(round(a * 255))
            if alpha == 0:
                pixels += b'\0\0\0\0'
            else:
                pixels += struct.pack('<BBBB', int(round(b)), int(round(g)), int(round(r)), alpha)
    return dib_header(size, 32, 0) + bytes(pixels) + mask_rows(rows)


def make_ico():
    rendered = {s: render_icon(s) for s in (16, 32, 48)}
    images = [
        (32, 16, ico_image_paletted(rendered[32], VGA16, 4)),
        (16, 16, ico_image_paletted(rendered[16], VGA16, 4)),
        (48, 256, ico_image_paletted(rendered[48], palette256(), 8)),
        (32, 256, ico_image_paletted(rendered[32], palette256(), 8)),
        (16, 256, ico_image_paletted(rendered[16], palette256(), 8)),
        (48, 0, ico_image_32(rendered[48])),
        (32, 0, ico_image_32(rendered[32])),
        (16, 0, ico_image_32(rendered[16])),
    ]
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    directory = bytearray()
    data = bytearray()
    for size, colours, blob in images:
        bpp = {16: 4, 256: 8, 0: 32}[colours]
        # A 256-colour entry records 0 colours: the field is one byte wide.
        directory += struct.pack('<BBBBHHII', size, size, colours if colours == 16 else 0, 0, 1, bpp, len(blob),
                                 offset + len(data))
        data += blob
    return header + bytes(directory) + bytes(data)


# ---------------------------------------------------------------------------
# The About picture: a microphone on a dusk gradient, speaking in rings.

def about_pixel(x, y, w, h):
    u, v = x / w, y / h
    # Background: deep blue at the top to teal at the bottom, lighter towards the microphone.
    top, bottom = (18, 32, 74), (24, 120, 132)
    bg = mix(top, bottom, v)
    glow = clamp01(1.0 - math.hypot(u - 0.30, v - 0.45) * 1.6)
    bg = mix(bg, (90, 150, 210), glow * glow * 0.55)
    colour = (bg[0], bg[1], bg[2], 1.0)
    px = 1.0 / h
    # Sound rings to the right of the microphone's head.
    ax, ay = 0.30 * w / h, 0.36
    ux = u * w / h
    dist = math.hypot(ux - ax, v - ay)
    angle = math.atan2(v - ay, ux - ax)
    if abs(angle) < 0.62:
        for i, radius in enumerate((0.22, 0.31, 0.40, 0.49)):
            ring = abs(dist - radius) - 0.012
            fade = clamp01((0.62 - abs(angle)) / 0.2)
            colour = over(colour, (230, 240, 255), coverage(ring, px) * fade * (0.85 - 0.15 * i))
    # Three floating speech bubbles on the right.
    for bx, by, br in ((0.80, 0.22, 0.060), (0.88, 0.40, 0.040), (0.82, 0.60, 0.028)):
        bubble = math.hypot(ux - bx * w / h, v - by) - br
        colour = over(colour, (255, 255, 255), coverage(bubble, px) * 0.35)
        colour = over(colour, (255, 255, 255), coverage(abs(bubble) - 0.003, px) * 0.8)
    # The microphone itself, drawn in a square centred on (0.30, 0.5).
    side = 0.8
    mu = (ux - (0.30 * w / h - side / 2.0)) / side
    mv = (v - (0.5 - side / 2.0)) / side
    if 0.0 <= mu <= 1.0 and 0.0 <= mv <= 1.0:
        r, g, b, a = microphone(mu, mv, px / side)
        colour = over(colour, (r, g, b), a)
    # A floor line under the stand.
    floor = abs(v - 0.88) - 0.002
    colour = over(colour, (200, 220, 240), coverage(floor, px) * 0.35 * clamp01(1.0 - abs(u - 0.30) * 3))
    return colour


def make_about_bmp(width=1024, height=768):
    stride = width * 3  # already a multiple of four at this width
    assert stride % 4 == 0
    pixels = bytearray(stride * height)
    for y in range(height):
        # Bitmaps are stored bottom-up.
        base = (height - 1 - y) * stride
        for x in range(width):
            r, g, b, _ = about_pixel(x + 0.5, y + 0.5, width, height)
            i = base + x * 3
            pixels[i] = int(round(b))
            pixels[i + 1] = int(round(g))
            pixels[i + 2] = int(round(r))
    header_size = 14 + 40
    file_header = struct.pack('<2sIHHI', b'BM', header_size + len(pixels), 0, 0, header_size)
    # 2835 pixels per metre is 72 dots per inch.
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return file_header + info + bytes(pixels)


# ---------------------------------------------------------------------------
# The recognition indicator: a 31x31 square whose outermost ring of pixels is
# black and whose inside is blue, its top-left pixel at (8, 11), on a
# transparent 50x50 picture.

INDICATOR_SIZE = 50
INDICATOR_SQUARE = (8, 11, 31)  # left, top, side


def indicator_rgba():
    left, top, side = INDICATOR_SQUARE
    rows = []
    for y in range(INDICATOR_SIZE):
        row = []
        for x in range(INDICATOR_SIZE):
            inside = left <= x < left + side and top <= y < top + side
            if not inside:
                row.append((0, 0, 0, 0))
            elif x in (left, left + side - 1) or y in (top, top + side - 1):
                row.append((0, 0, 0, 255))
            else:
                row.append(INDICATOR_BLUE + (255,))
        rows.append(row)
    return rows


def png_chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)


def icon_png_rows(rows):
    """The icon's float rows as 8-bit RGBA, fully transparent pixels as zeros."""
    out = []
    for row in rows:
        line = []
        for r, g, b, a in row:
            alpha = int(round(a * 255))
            line.append((int(round(r)), int(round(g)), int(round(b)), alpha) if alpha else (0, 0, 0, 0))
        out.append(line)
    return out


def make_png(rows):
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))
    ihdr = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', ihdr) + png_chunk(b'IDAT', zlib.compress(bytes(raw), 9)) +
            png_chunk(b'IEND', b''))


def make_bmp32(rows):
    """A 32-bit bitmap with a BITMAPV5HEADER whose masks name the alpha byte.

    Every pixel is either opaque or (0, 0, 0, 0), so the colours are the same
    whether a reader takes them as premultiplied (AlphaBlend) or not.
    """
    height, width = len(rows), len(rows[0])
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    header_size = 14 + 124
    file_header = struct.pack('<2sIHHI', b'BM', header_size + len(pixels), 0, 0, header_size)
    bi_bitfields = 3
    lcs_srgb = 0x73524742
    v5 = struct.pack('<IiiHHIIiiII', 124, width, height, 1, 32, bi_bitfields, len(pixels), 2835, 2835, 0, 0)
    v5 += struct.pack('<IIII', 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    v5 += struct.pack('<I', lcs_srgb) + bytes(36) + struct.pack('<III', 0, 0, 0)
    v5 += struct.pack('<IIII', 4, 0, 0, 0)  # LCS_GM_IMAGES, no profile
    assert len(v5) == 124
    return file_header + v5 + bytes(pixels)


# ---------------------------------------------------------------------------

def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    indicator = indicator_rgba()
    files = {
        'quillmere.ico': make_ico(),
        'about.bmp': make_about_bmp(),
        'indicator.png': make_png(indicator),
        'indicator.bmp': make_bmp32(indicator),
        'quillmere-48.png': make_png(icon_png_rows(render_icon(48))),
        'quillmere-128.png': make_png(icon_png_rows(render_icon(128))),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        print(f'{name}: {len(data)} bytes')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
