#!/usr/bin/env python3
"""Walks a RIFF file on its own (standard library only) and checks its
structure: every chunk fits its parent exactly, odd bodies are followed by a
zero pad byte, and a `pndl` form holds its chunks in the stored order.

usage: riff_walk.py FILE [OFFSET]   (OFFSET: where the form starts, e.g. 24)
"""
import struct
import sys


def walk(data, start, end, depth, out):
    at = start
    while at < end:
        if at + 8 > end:
            raise ValueError(f"chunk header at {at} runs past its parent's end {end}")
        cid, size = struct.unpack_from("<4sI", data, at)
        body = at + 8
        if body + size > end:
            raise ValueError(f"chunk {cid!r} at {at} (size {size}) runs past {end}")
        kids = []
        if cid in (b"RIFF", b"LIST"):
            if size < 4:
                raise ValueError(f"{cid!r} at {at} has no type")
            kind = data[body:body + 4]
            walk(data, body + 4, body + size, depth + 1, kids)
            out.append((cid, kind, size, kids))
        else:
            out.append((cid, None, size, kids))
        at = body + size
        if size % 2:
            if at >= end or data[at] != 0:
                raise ValueError(f"chunk {cid!r} at {at - size - 8}: odd size {size} without a zero pad byte")
            at += 1
    if at != end:
        raise ValueError(f"children end at {at}, parent at {end}")


def check_project(form):
    cid, kind, size, kids = form
    if cid != b"RIFF" or kind != b"pndl":
        raise ValueError("not a pndl form")
    ids = [k[0] for k in kids]
    if ids[:2] != [b"comn", b"keym"]:
        raise ValueError(f"starts with {ids[:2]}")
    i = 2
    while i < len(kids) and ids[i] == b"lbtr":
        if ids[i + 1] != b"RIFF" or kids[i + 1][1] != b"WAVE" or ids[i + 2] != b"lbte":
            raise ValueError(f"entry at {i} is {ids[i:i + 3]}")
        wave = [k[0] for k in kids[i + 1][3]]
        if wave != [b"fmt ", b"data"]:
            raise ValueError(f"entry wave holds {wave}")
        i += 3
    pads = ids[i:]
    if pads != [b"pdtr", b"pevt"] * 16:
        raise ValueError(f"pads: {pads}")
    if kids[0][2] != 16:
        raise ValueError("comn is not 16 bytes")
    return (i - 2) // 3


def main():
    data = open(sys.argv[1], "rb").read()
    offset = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    top = []
    try:
        cid, size = struct.unpack_from("<4sI", data, offset)
        walk(data, offset, offset + 8 + size + (size & 1), 0, top)
        if offset + 8 + size > len(data):
            raise ValueError("form runs past the end of the file")
        entries = check_project(top[0])
    except (ValueError, struct.error, IndexError) as e:
        print(f"{sys.argv[1]}: {e}")
        return 1
    print(f"{sys.argv[1]}: pndl form of {size + 8} bytes, {entries} entries, 16 pads")
    return 0


if __name__ == "__main__":
    sys.exit(main())
