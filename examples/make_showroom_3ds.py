#!/usr/bin/env python3
"""Writes showroom.3ds, the demo's 3DS example: three meshes (one split over two
materials), a texture-mapped material, a camera, an omni light and a spotlight."""
import struct


def chunk(cid, payload=b"", *children):
    body = payload + b"".join(children)
    return struct.pack("<HI", cid, 6 + len(body)) + body


def cstr(s):
    return s.encode("latin-1") + b"\0"


def rgb(r, g, b):
    return chunk(0x0011, bytes([r, g, b]))


def percent(p):
    return chunk(0x0030, struct.pack("<h", p))


def material(name, diffuse, ambient=(0, 0, 0), transparency=0, texture=None):
    parts = [chunk(0xA000, cstr(name)), chunk(0xA010, b"", rgb(*ambient)),
             chunk(0xA020, b"", rgb(*diffuse)), chunk(0xA030, b"", rgb(255, 255, 255)),
             chunk(0xA040, b"", percent(30)), chunk(0xA041, b"", percent(20)),
             chunk(0xA050, b"", percent(transparency))]
    if texture:
        parts.append(chunk(0xA200, b"", percent(100), chunk(0xA300, cstr(texture)),
                           chunk(0xA351, struct.pack("<H", 0x0001))))
    return chunk(0xAFFF, b"", *parts)


def mesh(name, vertices, faces, groups, uvs=None):
    parts = [chunk(0x4110, struct.pack("<H", len(vertices)) +
                   b"".join(struct.pack("<3f", *v) for v in vertices))]
    if uvs:
        parts.append(chunk(0x4140, struct.pack("<H", len(uvs)) +
                           b"".join(struct.pack("<2f", *t) for t in uvs)))
    face_groups = [chunk(0x4130, cstr(m) + struct.pack("<H", len(ix)) +
                         b"".join(struct.pack("<H", i) for i in ix)) for m, ix in groups]
    parts.append(chunk(0x4120, struct.pack("<H", len(faces)) +
                       b"".join(struct.pack("<4H", a, b, c, 7) for a, b, c in faces),
                       *face_groups))
    return chunk(0x4000, cstr(name), chunk(0x4100, b"", *parts))


def box(cx, cy, size, height):
    s = size / 2
    v = [(cx - s, cy - s, 0), (cx + s, cy - s, 0), (cx + s, cy + s, 0), (cx - s, cy + s, 0),
         (cx - s, cy - s, height), (cx + s, cy - s, height), (cx + s, cy + s, height),
         (cx - s, cy + s, height)]
    f = [(0, 2, 1), (0, 3, 2), (4, 5, 6), (4, 6, 7),            # bottom, top
         (0, 1, 5), (0, 5, 4), (1, 2, 6), (1, 6, 5),            # sides
         (2, 3, 7), (2, 7, 6), (3, 0, 4), (3, 4, 7)]
    return v, f


floor_v = [(-10, -10, 0), (10, -10, 0), (10, 10, 0), (-10, 10, 0)]
floor_uv = [(0, 0), (4, 0), (4, 4), (0, 4)]
box_v, box_f = box(-3, 0, 4, 4)
pyr_v = [(2, -2, 0), (6, -2, 0), (6, 2, 0), (2, 2, 0), (4, 0, 5)]
pyr_f = [(0, 2, 1), (0, 3, 2), (0, 1, 4), (1, 2, 4), (2, 3, 4), (3, 0, 4)]

editor = chunk(
    0x3D3D, b"",
    chunk(0x3D3E, struct.pack("<I", 3)),
    material("Red Paint", (200, 30, 20), ambient=(40, 5, 5)),
    material("Glass", (180, 220, 255), transparency=60),
    material("Checker Floor", (255, 255, 255), texture="checker.png"),
    mesh("Floor", floor_v, [(0, 2, 1), (0, 3, 2)], [("Checker Floor", [0, 1])], floor_uv),
    mesh("Glass Box", box_v, box_f,
         [("Glass", [0, 1, 2, 3]), ("Red Paint", [4, 5, 6, 7, 8, 9, 10, 11])]),
    mesh("Pyramid", pyr_v, pyr_f, [("Red Paint", list(range(6)))]),
    chunk(0x4000, cstr("Camera01"),
          chunk(0x4700, struct.pack("<3f3fff", 0, -25, 12, 0, 0, 2, 0, 35))),
    chunk(0x4000, cstr("Lamp"),
          chunk(0x4600, struct.pack("<3f", -8, -8, 15), rgb(255, 240, 220),
                chunk(0x465B, struct.pack("<f", 1.5)))),
    chunk(0x4000, cstr("Spot01"),
          chunk(0x4600, struct.pack("<3f", 8, -8, 12), rgb(200, 200, 255),
                chunk(0x4610, struct.pack("<3fff", 4, 0, 0, 30, 45)))),
)
data = chunk(0x4D4D, b"", chunk(0x0002, struct.pack("<I", 3)), editor)
with open("showroom.3ds", "wb") as out:
    out.write(data)
print(f"showroom.3ds: {len(data)} bytes")
