#!/usr/bin/env python3
"""Draws the resource pictures: the five solids for the predefined-mesh buttons, the
type's picture and the library icon. Run it by hand after changing a picture and
commit what it writes; the build only compiles the files.

    python3 resources/make_pictures.py [--png DIR]

Each solid is a flat-shaded orthographic view, sampled 4x4 per pixel so its edges
blend into the button face. All pictures share one 256-colour palette: black, the
button-face grey, then 14 coverage levels of 18 shades.
"""

import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "bitmaps")

BACKGROUND = (192, 192, 192)
SHADES = 18
COVERAGES = 14
DARK = (24, 40, 96)
LIGHT = (170, 205, 255)


def palette():
    pal = [(0, 0, 0), BACKGROUND]
    for c in range(1, COVERAGES + 1):
        a = c / COVERAGES
        for s in range(SHADES):
            t = s / (SHADES - 1)
            col = [DARK[i] + (LIGHT[i] - DARK[i]) * t for i in range(3)]
            pal.append(tuple(int(round(BACKGROUND[i] * (1 - a) + col[i] * a)) for i in range(3)))
    while len(pal) < 256:
        pal.append((255, 255, 255))
    return pal


PALETTE = palette()


def index_of(coverage, shade):
    if coverage <= 0:
        return 1
    c = max(1, min(COVERAGES, int(round(coverage * COVERAGES))))
    s = max(0, min(SHADES - 1, int(round(shade * (SHADES - 1)))))
    return 2 + (c - 1) * SHADES + s


# The solids, as unit-ish vertex lists and their faces (triangles; pentagons fanned).
def tetrahedron():
    r3, r6, r2 = math.sqrt(3), math.sqrt(6), math.sqrt(2)
    v = [(0, 0, r3), (0, 2 * r6 / 3, -r3 / 3), (-r2, -r6 / 3, -r3 / 3), (r2, -r6 / 3, -r3 / 3)]
    f = [(0, 1, 2), (0, 2, 3), (0, 3, 1), (1, 3, 2)]
    return v, f


def cube():
    v = [(1, 1, 1), (-1, 1, 1), (-1, -1, 1), (1, -1, 1), (-1, -1, -1), (1, -1, -1), (1, 1, -1), (-1, 1, -1)]
    f = [(0, 1, 2), (0, 2, 3), (0, 3, 5), (0, 5, 6), (0, 6, 7), (0, 7, 1),
         (1, 7, 4), (1, 4, 2), (4, 7, 6), (4, 6, 5), (2, 4, 5), (2, 5, 3)]
    return v, f


def octahedron():
    v = [(0, 0, 1), (1, 0, 0), (0, 1, 0), (0, 0, -1), (-1, 0, 0), (0, -1, 0)]
    f = [(0, 1, 2), (0, 2, 4), (0, 4, 5), (0, 5, 1), (1, 5, 3), (1, 3, 2), (3, 5, 4), (2, 3, 4)]
    return v, f


def icosahedron():
    p = (1 + math.sqrt(5)) / 2
    v = [(-1, p, 0), (1, p, 0), (-1, -p, 0), (1, -p, 0), (0, -1, p), (0, 1, p),
         (0, -1, -p), (0, 1, -p), (p, 0, -1), (p, 0, 1), (-p, 0, -1), (-p, 0, 1)]
    f = [(0, 11, 5), (0, 5, 1), (0, 1, 7), (0, 7, 10), (0, 10, 11), (1, 5, 9), (5, 11, 4),
         (11, 10, 2), (10, 7, 6), (7, 1, 8), (3, 9, 4), (3, 4, 2), (3, 2, 6), (3, 6, 8),
         (3, 8, 9), (4, 9, 5), (2, 4, 11), (6, 2, 10), (8, 6, 7), (9, 8, 1)]
    return v, f


def dodecahedron():
    # The dual of the icosahedron: one vertex per icosahedron face, one pentagon per
    # icosahedron vertex, its corners ordered around that vertex.
    iv, ifaces = icosahedron()
    centres = [tuple(sum(iv[i][k] for i in face) / 3 for k in range(3)) for face in ifaces]
    faces = []
    for vi, axis in enumerate(iv):
        ring = [fi for fi, face in enumerate(ifaces) if vi in face]
        n = norm(axis)
        ref = sub(centres[ring[0]], scale(n, dot(centres[ring[0]], n)))
        ref = norm(ref)
        side = cross(n, ref)

        def angle(fi):
            d = centres[fi]
            return math.atan2(dot(d, side), dot(d, ref))

        ring.sort(key=angle)
        for k in range(1, len(ring) - 1):
            faces.append((ring[0], ring[k], ring[k + 1]))
    return centres, faces


def sub(a, b):
    return tuple(a[i] - b[i] for i in range(3))


def scale(a, s):
    return tuple(x * s for x in a)


def dot(a, b):
    return sum(a[i] * b[i] for i in range(3))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def norm(a):
    length = math.sqrt(dot(a, a))
    return tuple(x / length for x in a)


def rotate(p, yaw, pitch):
    cy, sy = math.cos(yaw), math.sin(yaw)
    x, y, z = p
    x, z = x * cy + z * sy, -x * sy + z * cy
    cp, sp = math.cos(pitch), math.sin(pitch)
    y, z = y * cp - z * sp, y * sp + z * cp
    return (x, y, z)


def render(solid, width, height, yaw, pitch, margin=2):
    verts, faces = solid
    centre = tuple(sum(v[k] for v in verts) / len(verts) for k in range(3))
    verts = [rotate(sub(v, centre), yaw, pitch) for v in verts]
    # Make every face wind so that its normal points away from the centre.
    tris = []
    for a, b, c in faces:
        pa, pb, pc = verts[a], verts[b], verts[c]
        n = norm(cross(sub(pb, pa), sub(pc, pa)))
        mid = tuple((pa[k] + pb[k] + pc[k]) / 3 for k in range(3))
        if dot(n, mid) < 0:
            n = scale(n, -1)
        if n[2] <= 1e-6:  # facing away from the viewer, who looks down -z
            continue
        tris.append((pa, pb, pc, n))
    extent = max(max(abs(v[0]) for v in verts), max(abs(v[1]) for v in verts))
    fit = min(width, height) / 2 - margin
    k = fit / extent
    light = norm((-0.5, 0.6, 0.9))
    pixels = []
    sub_n = 4
    for py in range(height):
        row = []
        for px in range(width):
            covered, shade_sum = 0, 0.0
            for sy in range(sub_n):
                for sx in range(sub_n):
                    x = (px + (sx + 0.5) / sub_n - width / 2) / k
                    y = (height / 2 - (py + (sy + 0.5) / sub_n)) / k
                    best = None
                    for pa, pb, pc, n in tris:
                        if inside(x, y, pa, pb, pc):
                            lam = max(0.0, dot(n, light))
                            best = 0.15 + 0.85 * lam
                            break
                    if best is not None:
                        covered += 1
                        shade_sum += best
            cov = covered / (sub_n * sub_n)
            row.append(index_of(cov, shade_sum / covered if covered else 0))
        pixels.append(row)
    return pixels


def inside(x, y, a, b, c):
    def edge(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    e1, e2, e3 = edge(a, b), edge(b, c), edge(c, a)
    return (e1 >= 0 and e2 >= 0 and e3 >= 0) or (e1 <= 0 and e2 <= 0 and e3 <= 0)


def dib(pixels, width, height, mask_height=0):
    """BITMAPINFOHEADER, palette and bottom-up 8-bit rows."""
    stride = (width + 3) & ~3
    header = struct.pack("<IiiHHIIiiII", 40, width, height + mask_height, 1, 8, 0, stride * height, 2835, 2835, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    rows = b""
    for row in reversed(pixels):
        rows += bytes(row) + b"\0" * (stride - width)
    return header + pal + rows


def write_bmp(path, pixels, width, height):
    body = dib(pixels, width, height)
    offset = 14 + 40 + 1024
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, offset))
        f.write(body)
    return 14 + len(body)


def write_ico(path, images):
    """images: list of (pixels, size). Background pixels are transparent."""
    blobs = []
    for pixels, size in images:
        xor = [[0 if p == 1 else p for p in row] for row in pixels]
        body = dib(xor, size, size, mask_height=size)
        mask_stride = ((size + 31) // 32) * 4
        mask = b""
        for row in reversed(pixels):
            bits = bytearray(mask_stride)
            for x, p in enumerate(row):
                if p == 1:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        blobs.append((size, body + mask))
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(blob), offset)
        offset += len(blob)
    for _, blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, pixels, width, height):
    raw = b"".join(b"\0" + b"".join(bytes(PALETTE[p]) for p in row) for row in pixels)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# Button pictures: 40 by 32 at 8 bits, which makes each resource 2344 bytes.
BUTTONS = [
    ("tetrahedron", tetrahedron, 1.1, 1.9),
    ("cube", cube, 0.6, 0.5),
    ("octahedron", octahedron, 0.5, 0.45),
    ("dodecahedron", dodecahedron, 0.3, 0.35),
    ("icosahedron", icosahedron, 0.25, 0.3),
]


def main(argv):
    png_dir = None
    if len(argv) >= 2 and argv[0] == "--png":
        png_dir = argv[1]
        os.makedirs(png_dir, exist_ok=True)
    os.makedirs(OUT, exist_ok=True)
    pictures = []
    for name, solid, yaw, pitch in BUTTONS:
        pixels = render(solid(), 40, 32, yaw, pitch)
        size = write_bmp(os.path.join(OUT, name + ".bmp"), pixels, 40, 32)
        assert size - 14 == 2344, (name, size)
        pictures.append((name, pixels, 40, 32))
    mesh = render(icosahedron(), 16, 16, 0.25, 0.3, margin=1)
    write_bmp(os.path.join(OUT, "type.bmp"), mesh, 16, 16)
    pictures.append(("type", mesh, 16, 16))
    big = render(icosahedron(), 32, 32, 0.25, 0.3, margin=1)
    small = render(icosahedron(), 16, 16, 0.25, 0.3, margin=0)
    write_ico(os.path.join(OUT, "tessoid.ico"), [(big, 32), (small, 16)])
    pictures.append(("icon32", big, 32, 32))
    if png_dir:
        for name, pixels, w, h in pictures:
            write_png(os.path.join(png_dir, name + ".png"), pixels, w, h)


if __name__ == "__main__":
    main(sys.argv[1:])
