#!/usr/bin/env python3
"""Writes dovi-16.png, the 16-pixel icon, drawn pixel by pixel for that size: scaling the large
picture down smears the day number into a blot, so the small one has its own drawing with
whole-pixel lines and a 3 x 5 pixel "20".

Run `python3 data/icons/make_icon16.py` after changing the drawing.
"""

import pathlib
import struct
import zlib

# One character per pixel: . clear, k frame, r binding, w page, d day number, s shadow.
DRAWING = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".krrrrrrrrrrrrk.",
    ".krwrrrrrrrrwrk.",
    ".krrrrrrrrrrrrk.",
    ".kkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwwks",
    ".kwwdddwwdddwwks",
    ".kwwwwdwwdwdwwks",
    ".kwwdddwwdwdwwks",
    ".kwwdwwwwdwdwwks",
    ".kwwdddwwdddwwks",
    ".kwwwwwwwwwwwwks",
    ".kwkwkwkwkwkwkks",
    "..k.k.k.k.k.k.ks",
    "...sssssssssssss",
]
COLOURS = {
    ".": (0, 0, 0, 0),
    "k": (64, 64, 64, 255),
    "r": (192, 0, 0, 255),
    "w": (255, 255, 224, 255),
    "d": (192, 0, 0, 255),
    "s": (0, 0, 0, 64),
}


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    height = len(rows)
    width = len(rows[0])
    raw = b"".join(b"\0" + b"".join(bytes(COLOURS[c]) for c in row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


if __name__ == "__main__":
    assert len(DRAWING) == 16 and all(len(row) == 16 for row in DRAWING)
    target = pathlib.Path(__file__).resolve().parent / "dovi-16.png"
    target.write_bytes(png(DRAWING))
    print("wrote", target)
