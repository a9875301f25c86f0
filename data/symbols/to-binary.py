#!/usr/bin/env python3
"""Writes the binary form (*.20s) of every text symbol file (*.20) of this folder into
../symbols-bin, so that the two sample sets hold the same symbols.

Binary records: a kind byte and a body of little-endian 32-bit floats (f) and ints (i); angles in
degrees, as in the text files. 'l' 'r': 5f skip 4; 'c': 4f skip 8; 'd': 2f skip 16; 'a': 6f;
'f': 3i skip 12; 'h': 4f, the text length as a float, 4 skipped bytes and the text; 'z' 'q':
width (f), count (i), the pairs (f); a comment: any other kind byte, a length byte, 4 skipped
bytes and the text, which ends the symbol (so comments go last).

Usage: python3 data/symbols/to-binary.py
"""
import csv
import glob
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
target = os.path.join(here, "..", "symbols-bin")


def fields(rest):
    row = next(csv.reader([rest], skipinitialspace=True), [])
    return [f.strip() for f in row]


def num(fs, i):
    try:
        return float(fs[i])
    except (IndexError, ValueError):
        return 0.0


def convert(text):
    records, comment = [], None
    for raw in text.split(b"\n"):
        line = raw.strip(b" \t\r\n")
        if len(line) < 2:
            continue
        kind, rest = chr(line[0]), line[2:].decode("latin-1")
        fs = fields(rest)
        f = lambda *idx: struct.pack("<%df" % len(idx), *(num(fs, i) for i in idx))
        if kind in "lr":
            records.append(b"%c" % line[0] + f(0, 1, 2, 3, 4) + bytes(4))
        elif kind == "c":
            records.append(b"c" + f(0, 1, 2, 3) + bytes(8))
        elif kind == "d":
            records.append(b"d" + f(0, 1) + bytes(16))
        elif kind == "a":
            records.append(b"a" + f(0, 1, 2, 3, 4, 5))
        elif kind == "f":
            records.append(b"f" + struct.pack("<3i", *(int(num(fs, i)) for i in range(3))) + bytes(12))
        elif kind == "h":
            t = fs[4].encode("latin-1")
            records.append(b"h" + f(0, 1, 2, 3) + struct.pack("<f", len(t)) + bytes(4) + t)
        elif kind in "zq":
            n = int(num(fs, 1))
            pts = struct.pack("<%df" % (2 * n), *(num(fs, 2 + k) for k in range(2 * n)))
            records.append(b"%c" % line[0] + f(0) + struct.pack("<i", n) + pts)
        else:
            comment = line[:127]
    body = b"".join(records)
    if comment is not None:
        body += b"#" + bytes([len(comment)]) + bytes(4) + comment
    return body


os.makedirs(target, exist_ok=True)
for path in sorted(glob.glob(os.path.join(here, "*.20"))):
    name = os.path.splitext(os.path.basename(path))[0]
    with open(path, "rb") as src, open(os.path.join(target, name + ".20s"), "wb") as dst:
        dst.write(convert(src.read()))
