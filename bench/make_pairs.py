#!/usr/bin/env python3
"""Writes the benchmark's generated file pairs: real binaries with patch-like
edits, and texture-like data (long zero runs, repeated blocks) with an edited
copy. Deterministic: the same seed gives the same files.

usage: make_pairs.py KIND SIZE SOURCE OLD NEW
  KIND   binary (SOURCE is a real file, repeated to SIZE bytes) or texture
"""
import random
import sys


def binary_base(source, size):
    with open(source, "rb") as f:
        data = f.read()
    out = bytearray()
    while len(out) < size:
        out += data
    return out[:size]


def texture_base(rng, size):
    out = bytearray()
    blocks = [rng.randbytes(4096) for _ in range(24)]
    while len(out) < size:
        kind = rng.random()
        if kind < 0.35:
            out += bytes(rng.randrange(1024, 262144))  # padding
        elif kind < 0.75:
            out += rng.choice(blocks) * rng.randrange(1, 16)  # repeated tiles
        elif kind < 0.9:
            # smooth gradients: few distinct bytes, long runs
            value = rng.randrange(256)
            for _ in range(rng.randrange(64, 1024)):
                out += bytes([value]) * rng.randrange(4, 64)
                value = (value + rng.choice((-1, 1))) % 256
        else:
            out += rng.randbytes(rng.randrange(1024, 65536))  # noise
    return out[:size]


def edited(rng, data):
    """Patch-like edits: scattered small changes, an inserted, a removed and
    a moved block."""
    out = bytearray(data)
    for _ in range(200):
        at = rng.randrange(len(out) - 64)
        out[at:at + rng.randrange(1, 64)] = rng.randbytes(rng.randrange(1, 64))
    at = rng.randrange(len(out))
    out[at:at] = rng.randbytes(65536)
    at = rng.randrange(len(out) - 100000)
    del out[at:at + 100000]
    at = rng.randrange(len(out) - 200000)
    block = out[at:at + 200000]
    del out[at:at + 200000]
    to = rng.randrange(len(out))
    out[to:to] = block
    return out


def main():
    kind, size, source, old_path, new_path = sys.argv[1:6]
    rng = random.Random(1796591198)
    size = int(size)
    old = binary_base(source, size) if kind == "binary" else texture_base(rng, size)
    with open(old_path, "wb") as f:
        f.write(old)
    with open(new_path, "wb") as f:
        f.write(edited(rng, old))


if __name__ == "__main__":
    main()
