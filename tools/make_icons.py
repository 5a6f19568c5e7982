#!/usr/bin/env python3
"""Draw the Tidewarden, Marrowgate and Scrubwright icons and write them as .ico files.

Standard library only and fully deterministic: every shape is an inside test
evaluated on a regular sub-pixel grid, layers are composited per sub-sample and
the samples are box-filtered into the pixel.  The small sizes use their own
hand-tuned geometry (edges snapped to the pixel grid, whole-pixel rims) so the
16x16 tray icon stays crisp instead of being a blurred reduction of the big one.

Each .ico holds 16, 20, 24, 32, 40 and 48 pixel images (20 and 40 are the small
and large icons at 125 % and 250 % scale) as 32-bit BGRA DIBs (with the
1-bit AND mask) and a 256 pixel image stored as PNG.  After writing, the file is
parsed back and its directory and images are checked.

Usage:  python3 tools/make_icons.py [output-directory]   (default: resources/)
"""

import math
import os
import struct
import sys
import zlib

DIB_SIZES = (16, 20, 24, 32, 40, 48)
PNG_SIZE = 256
ALL_SIZES = DIB_SIZES + (PNG_SIZE,)


# --------------------------------------------------------------------------
# colours

def rgb(hexstr, a=1.0):
    hexstr = hexstr.lstrip("#")
    return (int(hexstr[0:2], 16) / 255.0, int(hexstr[2:4], 16) / 255.0,
            int(hexstr[4:6], 16) / 255.0, a)


def mix(c1, c2, t):
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


NAVY = rgb("0b2a55")        # outer rim: carries the silhouette on light taskbars
SKY_TOP = rgb("3b8ff0")
SKY_BOTTOM = rgb("1f5fcc")
SEA_TOP = rgb("2fd3e6")
SEA_BOTTOM = rgb("0d8fb0")
FOAM = rgb("ffffff")
CHIP_TOP = rgb("34475e")
CHIP_BOTTOM = rgb("1f2d3f")
PIN = rgb("8fa3b8")
GEAR = rgb("f3f6fa")
GEAR_SHADE = rgb("c9d3de")


def vgrad(c_top, c_bottom, y_top, y_bottom):
    span = float(y_bottom - y_top) or 1.0

    def colour(x, y):
        return mix(c_top, c_bottom, (y - y_top) / span)
    return colour


def solid(c):
    def colour(x, y):
        return c
    return colour


# --------------------------------------------------------------------------
# shapes: functions (x, y) -> bool, in pixel units of the target image

class Shield:
    """Heater shield: rounded top corners, straight sides, two arcs to a point.

    The arcs are circles centred level with the end of the straight sides, so
    the sides meet the arcs without a kink.  The shield is the intersection of
    convex pieces, so insetting each piece by t insets the whole shape by t.
    """

    def __init__(self, left, right, top, shoulder, tip, corner):
        self.cx = (left + right) / 2.0
        self.a = (right - left) / 2.0
        self.top = top
        self.shoulder = shoulder
        self.corner = corner
        h = tip - shoulder
        self.R = (self.a * self.a + h * h) / (2.0 * self.a)

    def inside(self, t=0.0):
        cx, a, top, y1, R = self.cx, self.a, self.top, self.shoulder, self.R
        r = max(self.corner - t, 0.0)
        half = a - t
        ytop = top + t
        rr = R - t
        cl = cx - a + R        # centre of the left arc (lies right of the axis)
        cr = cx + a - R

        def f(x, y):
            dx = abs(x - cx)
            if dx > half or y < ytop:
                return False
            if r > 0.0 and y < ytop + r and dx > half - r:
                ex = dx - (half - r)
                ey = ytop + r - y
                if ex * ex + ey * ey > r * r:
                    return False
            if y > y1:
                if (x - cl) ** 2 + (y - y1) ** 2 > rr * rr:
                    return False
                if (x - cr) ** 2 + (y - y1) ** 2 > rr * rr:
                    return False
            return True
        return f


def rounded_rect(left, top, right, bottom, r):
    def f(x, y):
        if x < left or x > right or y < top or y > bottom:
            return False
        if r > 0.0:
            ex = max(left + r - x, x - (right - r), 0.0)
            ey = max(top + r - y, y - (bottom - r), 0.0)
            if ex > 0.0 and ey > 0.0 and ex * ex + ey * ey > r * r:
                return False
        return True
    return f


def circle(cx, cy, r):
    r2 = r * r

    def f(x, y):
        return (x - cx) ** 2 + (y - cy) ** 2 <= r2
    return f


class Wave:
    """A sine swell y = mid + amp * sin(2*pi*(x - x0)/period)."""

    def __init__(self, mid, amp, period, x0):
        self.mid, self.amp, self.k, self.x0 = mid, amp, 2.0 * math.pi / period, x0

    def y(self, x):
        return self.mid + self.amp * math.sin(self.k * (x - self.x0))

    def slope(self, x):
        return self.amp * self.k * math.cos(self.k * (x - self.x0))

    def below(self, offset=0.0):
        """Water: everything under the curve (offset moves the curve down)."""
        def f(x, y):
            return y >= self.y(x) + offset
        return f

    def band(self, width, offset=0.0):
        """A stroke of the given width centred on the curve."""
        half = width / 2.0

        def f(x, y):
            d = abs(y - self.y(x) - offset) / math.sqrt(1.0 + self.slope(x) ** 2)
            return d <= half
        return f


def gear(cx, cy, r_body, r_tip, teeth, tooth_half, r_hole, grow=0.0, phase=0.0):
    """A gear; `grow` dilates it (used to draw its outline underneath)."""
    rb = r_body + grow
    rt = r_tip + grow
    th = tooth_half + grow
    rh = max(r_hole - grow, 0.0)
    step = 2.0 * math.pi / teeth
    rb2, rt2, rh2 = rb * rb, rt * rt, rh * rh

    def f(x, y):
        dx, dy = x - cx, y - cy
        d2 = dx * dx + dy * dy
        if d2 < rh2 or d2 > rt2:
            return False
        if d2 <= rb2:
            return True
        ang = math.atan2(dy, dx) - phase
        k = round(ang / step)
        a = ang - k * step
        dist = math.sqrt(d2)
        return abs(dist * math.sin(a)) <= th and math.cos(a) > 0.0
    return f


def intersect(*fs):
    def f(x, y):
        for g in fs:
            if not g(x, y):
                return False
        return True
    return f


def subtract(f1, f2):
    def f(x, y):
        return f1(x, y) and not f2(x, y)
    return f


# --------------------------------------------------------------------------
# rasteriser

def render(size, layers, grid):
    """Composite `layers` (bottom first) into straight-alpha RGBA bytes.

    Each layer is (inside, colour, bbox) where bbox = (x0, y0, x1, y1) bounds
    the shape so samples outside it skip the test.  Compositing happens per
    sub-sample, so edges shared by adjacent layers do not leak background.
    """
    offs = [(k + 0.5) / grid for k in range(grid)]
    n = float(grid * grid)
    out = bytearray(size * size * 4)
    for py in range(size):
        for px in range(size):
            acc_r = acc_g = acc_b = acc_a = 0.0
            for oy in offs:
                y = py + oy
                for ox in offs:
                    x = px + ox
                    r = g = b = a = 0.0
                    for inside, colour, (bx0, by0, bx1, by1) in layers:
                        if x < bx0 or x > bx1 or y < by0 or y > by1:
                            continue
                        if not inside(x, y):
                            continue
                        cr, cg, cb, ca = colour(x, y)
                        keep = 1.0 - ca
                        r = cr * ca + r * keep
                        g = cg * ca + g * keep
                        b = cb * ca + b * keep
                        a = ca + a * keep
                    acc_r += r
                    acc_g += g
                    acc_b += b
                    acc_a += a
            i = (py * size + px) * 4
            alpha = acc_a / n
            if alpha <= 0.5 / 255.0:
                continue          # fully transparent pixels stay all-zero
            out[i] = _byte(acc_r / acc_a)
            out[i + 1] = _byte(acc_g / acc_a)
            out[i + 2] = _byte(acc_b / acc_a)
            out[i + 3] = _byte(alpha)
    return bytes(out)


def _byte(v):
    v = int(round(v * 255.0))
    return 0 if v < 0 else 255 if v > 255 else v


# --------------------------------------------------------------------------
# shared motif: a shield holding a swell of water under a white crest

# Per-size geometry.  Small sizes are tuned by hand in whole pixels; the large
# size is derived from the 48 px layout.
#   l, r, top, shoulder, tip: shield box; corner: top corner radius
#   rim: outline thickness; mid, amp, period, x0: the wave; foam: crest width
SHIELD_LAYOUT = {
    16: dict(l=1, r=15, top=0.0, shoulder=8.0, tip=16.0, corner=2.0, rim=1.0,
             mid=8.5, amp=1.5, period=13.0, x0=7.75, foam=2.0),
    24: dict(l=2, r=22, top=1.0, shoulder=12.0, tip=23.5, corner=3.0, rim=1.0,
             mid=12.0, amp=2.0, period=18.0, x0=11.5, foam=2.0),
    32: dict(l=2, r=30, top=1.0, shoulder=15.5, tip=31.4, corner=4.0, rim=1.4,
             mid=16.0, amp=2.5, period=25.0, x0=15.75, foam=3.0),
    48: dict(l=3, r=45, top=1.5, shoulder=23.0, tip=47.2, corner=6.0, rim=2.0,
             mid=24.5, amp=3.5, period=38.0, x0=23.5, foam=4.0),
}


def _scaled(table, size):
    """Layout for a size without a hand-tuned entry: scale the 48 px one."""
    if size in table:
        return dict(table[size])
    k = size / 48.0

    def sc(v):
        if isinstance(v, tuple):
            return tuple(sc(e) for e in v)
        return v * k
    return {key: sc(v) for key, v in table[48].items()}


def shield_layout(size):
    return _scaled(SHIELD_LAYOUT, size)


def shield_layers(size, L=None):
    """Layers for the shield badge; returns (layers, shield, layout)."""
    if L is None:
        L = shield_layout(size)
    sh = Shield(L["l"], L["r"], L["top"], L["shoulder"], L["tip"], L["corner"])
    box = (L["l"], L["top"], L["r"], L["tip"])
    outer = sh.inside(0.0)
    inner = sh.inside(L["rim"])
    wave = Wave(L["mid"], L["amp"], L["period"], L["x0"])
    layers = [
        (outer, solid(NAVY), box),
        (inner, vgrad(SKY_TOP, SKY_BOTTOM, L["top"], L["mid"]), box),
        (intersect(inner, wave.below()),
         vgrad(SEA_TOP, SEA_BOTTOM, L["mid"] - L["amp"], L["tip"]), box),
        (intersect(inner, wave.band(L["foam"])), solid(FOAM), box),
    ]
    if size >= 32:
        # a second, fainter swell lower in the water for depth
        deep = Wave(L["mid"] + L["amp"] * 2.6, L["amp"] * 0.7, L["period"],
                    L["x0"] + L["period"] * 0.35)
        layers.append((intersect(inner, deep.band(L["foam"] * 0.55)),
                       solid(rgb("ffffff", 0.45)), box))
    if size >= 48:
        # soft sheen on the upper-left of the sky
        gloss = intersect(inner, circle(L["l"] + (L["r"] - L["l"]) * 0.25,
                                        L["top"] - size * 0.15, size * 0.36))
        layers.append((gloss, solid(rgb("ffffff", 0.14)), box))
    return layers, sh, L


# --------------------------------------------------------------------------
# the three icons

def tidewarden(size):
    layers, _, _ = shield_layers(size)
    return layers


# Marrowgate: the same shield with a settings gear over its lower-right corner.
GEAR_LAYOUT = {
    # cx, cy, body radius, tip radius, tooth half width, hole radius, outline
    16: dict(cx=12.0, cy=12.0, rb=3.0, rt=4.3, th=1.0, rh=1.0, ol=1.0, n=8),
    24: dict(cx=17.0, cy=17.0, rb=4.3, rt=6.4, th=1.3, rh=1.7, ol=1.0, n=8),
    32: dict(cx=22.5, cy=22.5, rb=5.8, rt=8.5, th=1.6, rh=2.3, ol=1.4, n=8),
    48: dict(cx=34.0, cy=34.0, rb=8.8, rt=12.6, th=2.3, rh=3.4, ol=2.0, n=8),
}


def marrowgate(size):
    L = shield_layout(size)
    layers, _, _ = shield_layers(size, L)
    G = _scaled(GEAR_LAYOUT, size)
    n = (GEAR_LAYOUT.get(size) or GEAR_LAYOUT[48])["n"]   # a count: never scaled
    phase = 0.0                                         # a tooth points straight right
    box = (0, 0, size, size)
    body = gear(G["cx"], G["cy"], G["rb"], G["rt"], n, G["th"], G["rh"], 0.0, phase)
    rim = gear(G["cx"], G["cy"], G["rb"], G["rt"], n, G["th"], G["rh"], G["ol"], phase)
    layers.append((rim, solid(NAVY), box))
    layers.append((body, vgrad(GEAR, GEAR_SHADE, G["cy"] - G["rt"], G["cy"] + G["rt"]), box))
    return layers


# Memory chip for Scrubwright: square dark body with pins on all four sides and
# the same white-crested swell washing across it.
CHIP_LAYOUT = {
    # body square lo..hi, corner radius, rim, pin spans (along each side, in
    # absolute coordinates), pin reach beyond the body, then the wave
    16: dict(lo=2, hi=14, corner=1.5, rim=1.0, reach=2.0,
             pins=((4, 6), (7, 9), (10, 12)),
             mid=7.5, amp=1.5, period=10.0, x0=8.0, foam=2.0),
    24: dict(lo=4, hi=20, corner=2.0, rim=1.0, reach=3.0,
             pins=((6, 8), (11, 13), (16, 18)),
             mid=12.0, amp=2.0, period=14.0, x0=12.0, foam=2.0),
    32: dict(lo=5, hi=27, corner=3.0, rim=1.4, reach=4.0,
             pins=((7, 9), (11, 13), (15, 17), (19, 21), (23, 25)),
             mid=16.0, amp=2.5, period=20.0, x0=16.0, foam=3.0),
    48: dict(lo=7, hi=41, corner=4.5, rim=2.0, reach=6.0,
             pins=((10, 13), (15, 18), (20, 23), (25, 28), (30, 33), (35, 38)),
             mid=24.5, amp=3.5, period=30.0, x0=24.0, foam=4.0),
}


def scrubwright(size):
    C = _scaled(CHIP_LAYOUT, size)
    box = (0, 0, size, size)
    lo, hi, reach = C["lo"], C["hi"], C["reach"]
    layers = []
    for p0, p1 in C["pins"]:
        for rect in ((p0, lo - reach, p1, lo + 0.5),     # top
                     (p0, hi - 0.5, p1, hi + reach),     # bottom
                     (lo - reach, p0, lo + 0.5, p1),     # left
                     (hi - 0.5, p0, hi + reach, p1)):    # right
            layers.append((rounded_rect(*rect, 0.0), solid(PIN), box))
    outer = rounded_rect(lo, lo, hi, hi, C["corner"])
    rim = C["rim"]
    inner = rounded_rect(lo + rim, lo + rim, hi - rim, hi - rim,
                         max(C["corner"] - rim, 0.0))
    wave = Wave(C["mid"], C["amp"], C["period"], C["x0"])
    layers += [
        (outer, solid(NAVY), box),
        (inner, vgrad(CHIP_TOP, CHIP_BOTTOM, lo, hi), box),
        (intersect(inner, wave.below()),
         vgrad(SEA_TOP, SEA_BOTTOM, C["mid"] - C["amp"], hi), box),
        (intersect(inner, wave.band(C["foam"])), solid(FOAM), box),
    ]
    if size >= 24:
        # pin-1 dot of the chip, in the dry upper-left corner
        d = max(size / 16.0, 1.2)
        layers.append((circle(lo + rim + d * 1.6, lo + rim + d * 1.6, d * 0.75),
                       solid(PIN), box))
    if size >= 32:
        deep = Wave(C["mid"] + C["amp"] * 2.8, C["amp"] * 0.7, C["period"],
                    C["x0"] + C["period"] * 0.35)
        layers.append((intersect(inner, deep.band(C["foam"] * 0.55)),
                       solid(rgb("ffffff", 0.45)), box))
    return layers


ICONS = {
    "tidewarden.ico": tidewarden,
    "marrowgate.ico": marrowgate,
    "scrubwright.ico": scrubwright,
}


# --------------------------------------------------------------------------
# file formats

def png_bytes(size, rgba):
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    stride = size * 4
    raw = bytearray()
    for y in range(size):
        raw.append(0)     # filter: none
        raw += rgba[y * stride:(y + 1) * stride]
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def dib_bytes(size, rgba):
    """BITMAPINFOHEADER + bottom-up BGRA rows + 1-bit AND mask."""
    mask_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row_mask = bytearray(mask_stride)
        for x in range(size):
            i = (y * size + x) * 4
            r, g, b, a = rgba[i:i + 4]
            xor += bytes((b, g, r, a))
            if a == 0:
                row_mask[x >> 3] |= 0x80 >> (x & 7)
        mask += row_mask
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_bytes(images):
    """images: list of (size, payload) in directory order."""
    count = len(images)
    out = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    for size, payload in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(payload), offset)
        offset += len(payload)
    for _, payload in images:
        out += payload
    return out


class IcoError(Exception):
    pass


def check_ico(data, expected):
    """Parse an .ico and verify it holds exactly `expected` sizes, well formed."""
    def need(cond, what):
        if not cond:
            raise IcoError(what)

    need(len(data) >= 6, "file shorter than its header")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    need(reserved == 0 and kind == 1, "not an icon resource header")
    need(count == len(expected), "image count %d, expected %d" % (count, len(expected)))
    need(len(data) >= 6 + 16 * count, "directory truncated")
    seen = []
    end_of_last = 6 + 16 * count
    for n in range(count):
        w, h, colours, res, planes, bpp, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * n)
        w = w or 256
        h = h or 256
        need(w == h, "entry %d is not square" % n)
        need(colours == 0 and res == 0, "entry %d palette/reserved fields" % n)
        need(planes == 1 and bpp == 32, "entry %d is not 32 bpp" % n)
        need(offset == end_of_last, "entry %d not packed after the previous image" % n)
        need(offset + length <= len(data), "entry %d runs past end of file" % n)
        blob = data[offset:offset + length]
        end_of_last = offset + length
        if blob[:8] == b"\x89PNG\r\n\x1a\n":
            need(w == PNG_SIZE, "entry %d: PNG used for size %d" % (n, w))
            _check_png(blob, w, need)
        else:
            need(w != PNG_SIZE, "entry %d: 256 px image must be PNG" % n)
            _check_dib(blob, w, need)
        seen.append(w)
    need(end_of_last == len(data), "trailing bytes after the last image")
    need(seen == list(expected), "sizes %r, expected %r" % (seen, list(expected)))
    return seen


def _check_dib(blob, size, need):
    need(len(blob) >= 40, "DIB header truncated")
    (hsize, w, h, planes, bpp, comp, img_size,
     _xppm, _yppm, _used, _important) = struct.unpack_from("<IiiHHIIiiII", blob, 0)
    need(hsize == 40, "DIB header size %d" % hsize)
    need(w == size and h == 2 * size, "DIB %dx%d, expected %dx%d" % (w, h, size, 2 * size))
    need(planes == 1 and bpp == 32 and comp == 0, "DIB format")
    xor_len = size * size * 4
    and_len = ((size + 31) // 32) * 4 * size
    need(img_size == xor_len + and_len, "DIB image size field")
    need(len(blob) == 40 + xor_len + and_len, "DIB length %d" % len(blob))
    # the AND mask must mark exactly the fully transparent pixels
    mask_stride = ((size + 31) // 32) * 4
    for row in range(size):
        for x in range(size):
            a = blob[40 + (row * size + x) * 4 + 3]
            bit = blob[40 + xor_len + row * mask_stride + (x >> 3)] & (0x80 >> (x & 7))
            need(bool(bit) == (a == 0), "AND mask disagrees with alpha at %d,%d" % (x, row))


def _check_png(blob, size, need):
    pos = 8
    idat = b""
    chunks = []
    while pos < len(blob):
        need(pos + 8 <= len(blob), "PNG chunk header truncated")
        length, = struct.unpack_from(">I", blob, pos)
        tag = blob[pos + 4:pos + 8]
        body = blob[pos + 4:pos + 8 + length]
        crc, = struct.unpack_from(">I", blob, pos + 8 + length)
        need(zlib.crc32(body) & 0xFFFFFFFF == crc, "PNG %r CRC" % tag)
        chunks.append(tag)
        if tag == b"IHDR":
            w, h, depth, ctype = struct.unpack_from(">IIBB", blob, pos + 8)
            need((w, h, depth, ctype) == (size, size, 8, 6), "PNG IHDR %r" % ((w, h, depth, ctype),))
        elif tag == b"IDAT":
            idat += blob[pos + 8:pos + 8 + length]
        pos += 12 + length
    need(chunks[:1] == [b"IHDR"] and chunks[-1:] == [b"IEND"], "PNG chunk order")
    need(len(zlib.decompress(idat)) == size * (size * 4 + 1), "PNG pixel data length")


# --------------------------------------------------------------------------

def build(draw):
    images = []
    for size in ALL_SIZES:
        grid = 4 if size >= 128 else 8
        rgba = render(size, draw(size), grid)
        payload = png_bytes(size, rgba) if size == PNG_SIZE else dib_bytes(size, rgba)
        images.append((size, payload))
    return ico_bytes(images)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = argv[1] if len(argv) > 1 else os.path.join(here, os.pardir, "resources")
    os.makedirs(outdir, exist_ok=True)
    for name, draw in ICONS.items():
        path = os.path.join(outdir, name)
        data = build(draw)
        with open(path, "wb") as fh:
            fh.write(data)
        with open(path, "rb") as fh:
            sizes = check_ico(fh.read(), ALL_SIZES)
        print("%s: %s" % (os.path.normpath(path), ", ".join("%dx%d" % (s, s) for s in sizes)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
