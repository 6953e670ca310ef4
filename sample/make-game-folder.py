#!/usr/bin/env python3
"""Writes a small sample game folder, the same bytes on every run.

    make-game-folder.py OUT [--version NUMBER] [--prefix PREFIX]

The folder holds the local version file "KQVerInfo.ver" (prefix + 8-digit number),
loose game files of several kinds (text, tables, incompressible data, nested
folders) and a "3DData" folder with one staged sub-folder per pack. The content
depends on the version number, so two versions differ in a known set of files.
"""
import argparse
import os
import random
import sys


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def text_file(rng, lines):
    words = ["castle", "quest", "sword", "dragon", "village", "merchant", "potion",
             "guild", "north", "river", "shield", "knight", "forest", "gold"]
    out = []
    for i in range(lines):
        out.append(" ".join(rng.choice(words) for _ in range(8)) + "\r\n")
    return "".join(out).encode("ascii")


def make(out, prefix, version):
    if len(prefix) != 4:
        sys.exit("prefix must have 4 characters")
    write(os.path.join(out, "KQVerInfo.ver"), ("%s%08d" % (prefix, version)).encode("ascii"))
    rng = random.Random(1234)  # files common to every version
    write(os.path.join(out, "Data", "Text", "quests.txt"), text_file(rng, 400))
    write(os.path.join(out, "Data", "Text", "items.txt"), text_file(rng, 250))
    write(os.path.join(out, "Data", "Sound", "theme.ogg"), bytes(rng.getrandbits(8) for _ in range(96 * 1024)))
    write(os.path.join(out, "Readme.txt"), b"Sample game folder for the launcher demo.\r\n")
    rng = random.Random(version)  # files that change with the version
    write(os.path.join(out, "Data", "Table", "balance.csv"),
          ("item,price\r\n" + "".join("%d,%d\r\n" % (i, rng.randint(1, 999)) for i in range(300))).encode())
    write(os.path.join(out, "Data", "Text", "notice.txt"), ("Version %d notes\r\n" % version).encode() + text_file(rng, 20))
    for pack in ("Map", "Character"):
        for i in range(3):
            write(os.path.join(out, "3DData", pack, "%s%02d.msh" % (pack.lower(), i)),
                  bytes(rng.getrandbits(8) for _ in range(4096)) + text_file(rng, 30))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--version", type=int, default=100)
    ap.add_argument("--prefix", default="KQZV")
    a = ap.parse_args()
    make(a.out, a.prefix, a.version)


if __name__ == "__main__":
    main()
