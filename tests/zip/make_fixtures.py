#!/usr/bin/env python3
"""Writes archives made by other tools (Python's zipfile, Info-ZIP zip) into OUTDIR,
with one manifest per archive that says what the reader must find in it:

    F <size> <crc32 hex> <read-only 0|1> <name with backslashes>
    D <name with backslashes>

and index.txt naming every archive. Used by the reader's tests (natively and, since
python and zip only run here, for the Windows tests too), by the kqpack command-line
test and as fuzzing seeds.
"""
import io
import os
import random
import shutil
import subprocess
import sys
import zipfile
import zlib

DOS_TIME = (2008, 2, 29, 12, 34, 56)


def text(size, seed):
    rnd = random.Random(seed)
    words = ["patch", "archive", "launcher", "version", "3DData", "pack", "\n"]
    out = []
    total = 0
    while total < size:
        w = rnd.choice(words) + " "
        out.append(w)
        total += len(w)
    return "".join(out).encode()[:size]


def binary(size, seed):
    return random.Random(seed).randbytes(size)


class Unseekable(io.RawIOBase):
    """A write-only stream without seek, so zipfile writes data descriptors."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


def add(zf, name, data=b"", mode=0o100644, method=zipfile.ZIP_DEFLATED):
    info = zipfile.ZipInfo(name, DOS_TIME)
    info.create_system = 3
    if name.endswith("/"):
        info.external_attr = (0o40755 << 16) | 0x10
        zf.writestr(info, b"")
    else:
        info.external_attr = mode << 16
        info.compress_type = method
        zf.writestr(info, data)


def mixed_entries(zf):
    add(zf, "folder/")
    add(zf, "folder/stored.txt", text(3000, 1), method=zipfile.ZIP_STORED)
    add(zf, "folder/deflated.txt", text(100000, 2))
    add(zf, "folder/sub/binary.bin", binary(70000, 3))
    add(zf, "readonly.txt", text(500, 4), mode=0o100444)
    add(zf, "empty.txt", b"", method=zipfile.ZIP_STORED)
    add(zf, "name with spaces.txt", text(200, 5))


def small_entries(zf):
    add(zf, "a.txt", text(1000, 6))
    add(zf, "b/c.bin", binary(3000, 7), method=zipfile.ZIP_STORED)


def python_archives():
    """(file name, bytes) of every archive written with zipfile."""
    out = []

    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as zf:
        mixed_entries(zf)
    mixed = buf.getvalue()
    out.append(("py_mixed.zip", mixed))

    stream = Unseekable()
    with zipfile.ZipFile(stream, "w") as zf:
        small_entries(zf)
        add(zf, "dd/deflated.txt", text(50000, 8))
    out.append(("py_descriptor.zip", bytes(stream.data)))

    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as zf:
        small_entries(zf)
        zf.comment = bytes((i * 7) % 251 for i in range(65535))
    out.append(("py_comment.zip", buf.getvalue()))

    out.append(("py_prepended.zip", binary(4096, 9) + mixed))

    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w"):
        pass
    out.append(("py_empty.zip", buf.getvalue()))
    return out


def make_tree(root):
    os.makedirs(os.path.join(root, "docs", "empty"))
    os.makedirs(os.path.join(root, "3DData", "data1"))
    with open(os.path.join(root, "docs", "readme.txt"), "wb") as f:
        f.write(text(20000, 10))
    with open(os.path.join(root, "3DData", "data1", "model.bin"), "wb") as f:
        f.write(binary(40000, 11))
    with open(os.path.join(root, "zero"), "wb"):
        pass
    with open(os.path.join(root, "KQVerInfo.ver"), "wb") as f:
        f.write(b"KQ0000000002")


def infozip_archives(outdir):
    """Archives written by Info-ZIP zip from a small tree: plain, streamed through a
    pipe (data descriptors) and stored."""
    tree = os.path.join(outdir, "infozip-src")
    shutil.rmtree(tree, ignore_errors=True)
    make_tree(tree)
    names = []
    for name, args in (("infozip_tree.zip", ["-r"]), ("infozip_stored.zip", ["-r", "-0"])):
        path = os.path.join(outdir, name)
        if os.path.exists(path):
            os.remove(path)
        subprocess.run(["zip", "-q", *args, os.path.abspath(path), "."], cwd=tree, check=True)
        names.append(name)
    zip_proc = subprocess.Popen(["zip", "-q", "-r", "-", "."], cwd=tree, stdout=subprocess.PIPE)
    data = zip_proc.stdout.read()
    if zip_proc.wait() != 0:
        raise SystemExit("zip failed")
    with open(os.path.join(outdir, "infozip_stream.zip"), "wb") as f:
        f.write(data)
    names.append("infozip_stream.zip")
    shutil.rmtree(tree)
    return names


def manifest(path):
    lines = []
    with zipfile.ZipFile(path) as zf:
        for info in zf.infolist():
            name = info.filename.replace("/", "\\")
            if info.is_dir():
                lines.append("D " + name)
                continue
            data = zf.read(info)
            mode = info.external_attr >> 16
            readonly = 1 if info.create_system == 3 and mode and not (mode & 0o200) else 0
            lines.append("F %d %08x %d %s" % (len(data), zlib.crc32(data), readonly, name))
    return lines


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: make_fixtures.py OUTDIR")
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    names = []
    for name, data in python_archives():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
        names.append(name)
    names += infozip_archives(outdir)
    for name in names:
        with open(os.path.join(outdir, name + ".txt"), "w", newline="\n") as f:
            f.write("\n".join(manifest(os.path.join(outdir, name))) + "\n")
    with open(os.path.join(outdir, "index.txt"), "w", newline="\n") as f:
        f.write("\n".join(names) + "\n")


if __name__ == "__main__":
    main()
