#!/usr/bin/env python3
"""Writes a folder of mixed game-patch-like data for the unpacking benchmark:
about 45% text (compresses about 3:1), 35% already-compressed data (random bytes)
and the rest many small files in many folders (at most 10,000 of them).

usage: gen-data.py DIR SIZE_MIB [SEED]
"""
import os
import random
import sys


def main():
    root, total_mib = sys.argv[1], int(sys.argv[2])
    rnd = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    total = total_mib << 20
    vocabulary = ["".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 11)))
                  for _ in range(5000)]
    pool = " ".join(rnd.choices(vocabulary, k=900000)).encode()

    def write(path, data):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)

    small_budget = min(total // 5, 10000 * 4096)
    text_budget = (total - small_budget) * 45 // 80
    packed_budget = total - small_budget - text_budget

    n = 0
    while text_budget > 0:
        size = min(text_budget, rnd.randint(256 << 10, 4 << 20))
        start = rnd.randrange(len(pool) - size) if size < len(pool) else 0
        data = (pool * (size // len(pool) + 2))[start:start + size]
        write(os.path.join(root, "text", "doc%04d.txt" % n), data)
        text_budget -= size
        n += 1

    n = 0
    while packed_budget > 0:
        size = min(packed_budget, rnd.randint(1 << 20, 8 << 20))
        write(os.path.join(root, "3DData", "textures", "tex%04d.dds" % n), rnd.randbytes(size))
        packed_budget -= size
        n += 1

    n = 0
    while small_budget > 0:
        size = min(small_budget, rnd.randint(512, 7680))
        if n % 2:
            data = rnd.randbytes(size)
        else:
            start = rnd.randrange(len(pool) - size)
            data = pool[start:start + size]
        write(os.path.join(root, "data", "d%03d" % (n % 100), "f%05d.bin" % n), data)
        small_budget -= size
        n += 1


if __name__ == "__main__":
    main()
