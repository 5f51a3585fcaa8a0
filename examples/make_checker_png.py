#!/usr/bin/env python3
"""Writes the checker picture the demo's showroom floor names (checker.png)."""
import struct
import sys
import zlib


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


size = 64
rows = b"".join(
    b"\0" + b"".join(bytes([230, 230, 230]) if (x // 8 + y // 8) % 2 == 0 else bytes([40, 40, 60])
                     for x in range(size))
    for y in range(size))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
       chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
with open(sys.argv[1] if len(sys.argv) > 1 else "checker.png", "wb") as out:
    out.write(png)
