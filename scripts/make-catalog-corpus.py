#!/usr/bin/env python3
"""Writes the hand-made catalogs of tests/data/catalog-corpus, byte by byte from the file
format: each name says whether the catalog must load ("ok-") or be refused ("bad-"). The
test suite replays them through both readers; scripts/fuzz.sh seeds the fuzzer with them."""
import os
import struct
import sys

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "catalog-corpus")

SIMPLE = b"CMaterialSingleObject"
LAYERED = b"CMaterialMultipleObject"


def string(text: bytes) -> bytes:
    n = len(text)
    if n < 0xFF:
        return bytes([n]) + text
    if n < 0xFFFE:
        return b"\xFF" + struct.pack("<H", n) + text
    return b"\xFF\xFF\xFF" + struct.pack("<I", n) + text


def wide(text: str) -> bytes:
    units = text.encode("utf-16-le")
    return b"\xFF\xFE\xFF" + bytes([len(units) // 2]) + units


H = bytes.fromhex
COLOR_MAP = H("02 00 00 00 00 00 00 00 00 00 00 80 3F FF FF FF 00")
IMAGE = H("00 00 00 00 00 00008040")
TURBULENCE = H("00 06 32 00 00 00 40")
TRANSFORM = H("000000000000000000000000 0000803F0000803F0000803F 000000000000000000000000")
PIGMENT = H("0A 01 00 00 FFFFFF00 00 0100") + COLOR_MAP + IMAGE + TURBULENCE + TRANSFORM
FINISH = H("0A00 3C00 0000803F 00 00 0000 0000 0000 0000803F 0000 2800 0000 0500")
NORMAL = H("00 05 00 00 00 FFFFFF00 00 0100") + COLOR_MAP + IMAGE + TURBULENCE + TRANSFORM


def simple_fields(name=b"Untitled", description=b"", thumbnail=b"\x00\x00\x00\x00", shape=0) -> bytes:
    return string(name) + string(description) + thumbnail + bytes([shape]) + PIGMENT + FINISH + NORMAL + TRANSFORM


def thumbnail(width, height, rgb) -> bytes:
    row = bytes(rgb[::-1]) * width
    row += b"\x00" * ((4 - len(row) % 4) % 4)
    return struct.pack("<HH", width, height) + row * height


def new_class(name: bytes) -> bytes:
    return b"\xFF\xFF\x01\x00" + struct.pack("<H", len(name)) + name


def catalog(count: int, body: bytes) -> bytes:
    return b"\x01" + struct.pack("<H", count) + body


FILES = {
    "ok-empty.vlv": catalog(0, b""),
    "ok-one-default.vlv": catalog(1, new_class(SIMPLE) + simple_fields()),
    "ok-three-simple.vlv": catalog(
        3,
        new_class(SIMPLE) + simple_fields(b"Red", thumbnail=thumbnail(2, 2, (255, 0, 0)))
        + b"\x01\x80" + simple_fields(b"Green Stone", b"A description")
        + b"\x01\x80" + simple_fields(b"Blue", shape=3)),
    "ok-long-description-70k.vlv": catalog(1, new_class(SIMPLE) + simple_fields(b"Long", b"d" * 70000)),
    "ok-long-descriptions-200k-300k.vlv": catalog(
        2, new_class(SIMPLE) + simple_fields(b"A", b"a" * 200000) + b"\x01\x80" + simple_fields(b"B", b"b" * 300000)),
    "ok-long-name-65534.vlv": catalog(1, new_class(SIMPLE) + simple_fields(b"n" * 65534)),
    "ok-wide-name.vlv": catalog(1, new_class(SIMPLE) + wide("Gr\u00fcn \u03a9") + simple_fields()[len(string(b"Untitled")):]),
    "ok-control-characters-in-name.vlv": catalog(1, new_class(SIMPLE) + simple_fields(b"T=1\t#fopen\nx\r")),
    "ok-first-byte-not-one.vlv": b"\x07" + catalog(1, new_class(SIMPLE) + simple_fields())[1:],
    "ok-trailing-bytes.vlv": catalog(1, new_class(SIMPLE) + simple_fields()) + b"trailing junk",
    "ok-thumbnail-65535x0.vlv": catalog(1, new_class(SIMPLE) + simple_fields(thumbnail=b"\xFF\xFF\x00\x00")),
    "ok-big-thumbnail.vlv": catalog(1, new_class(SIMPLE) + simple_fields(thumbnail=thumbnail(120, 120, (0, 128, 255)))),
    "bad-empty-file.vlv": b"",
    "bad-only-first-byte.vlv": b"\x01",
    "bad-count-without-textures.vlv": catalog(5, b""),
    "bad-huge-count.vlv": b"\x01\xFF\xFF\xFF\xFF\xFF\x7F",
    "bad-truncated-in-string.vlv": catalog(1, new_class(SIMPLE) + simple_fields(b"Untitled", b"x" * 300))[:60],
    "bad-truncated-in-thumbnail.vlv": catalog(1, new_class(SIMPLE) + simple_fields(thumbnail=thumbnail(120, 120, (1, 2, 3))))[:20000],
    "bad-string-longer-than-file.vlv": catalog(1, new_class(SIMPLE) + b"\xFF\xFF\xFF\x00\x00\x00\x10"),
    "bad-schema-2.vlv": catalog(1, b"\xFF\xFF\x02\x00" + struct.pack("<H", len(SIMPLE)) + SIMPLE + simple_fields()),
    "bad-unknown-class.vlv": catalog(1, new_class(b"CMaterialSomething") + simple_fields()),
    "bad-class-name-64.vlv": catalog(1, b"\xFF\xFF\x01\x00\x40\x00" + b"C" * 64),
    "bad-colour-map-in-list.vlv": catalog(1, new_class(b"CColorMap") + COLOR_MAP),
    "bad-null-texture.vlv": catalog(1, b"\x00\x00"),
    "bad-back-reference.vlv": catalog(2, new_class(SIMPLE) + simple_fields() + b"\x02\x00"),
    "bad-class-reference-unread.vlv": catalog(1, b"\x05\x80"),
    "bad-big-object-tag.vlv": catalog(1, b"\xFF\x7F\xFF\xFF\xFF\xFF"),
}


def main() -> int:
    os.makedirs(OUT, exist_ok=True)
    for name, data in FILES.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
