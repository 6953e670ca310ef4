#!/usr/bin/env python3
"""Writes the benchmark's patch content: FILES files of about TOTAL bytes in all, half
of them loose and half staged in "3DData/pack0" .. "3DData/pack3"; random bytes
(so the archive is as large as its content), the same on every run.

    gen-patch.py OUT PREFIX [--files 2000] [--mib 200]
"""
import argparse
import os
import random


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("prefix")
    parser.add_argument("--files", type=int, default=2000)
    parser.add_argument("--mib", type=int, default=200)
    args = parser.parse_args()
    rng = random.Random(2026)
    size = args.mib * 1024 * 1024 // args.files
    for i in range(args.files):
        if i % 2:
            path = os.path.join(args.out, "3DData", "pack%d" % (i % 4 // 2 + 2 * (i % 8 // 4)), "f%05d.bin" % i)
        else:
            path = os.path.join(args.out, "Data", "d%02d" % (i % 20), "f%05d.bin" % i)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        data = rng.randbytes(size)
        with open(path, "wb") as f:
            f.write(data)
    with open(os.path.join(args.out, args.prefix + "KQVerInfo_New.ver"), "wb") as f:
        f.write((args.prefix + "00000200 00000100").encode())


main()
