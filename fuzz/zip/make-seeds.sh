#!/usr/bin/env bash
# Writes small seed archives for fuzz_zip into OUTDIR: stored and deflated entries,
# folders, data descriptors, a comment, data in front, an empty archive, hostile
# names, and the same in scrambled form (the key table is read from the header that
# the reader uses). Kept small so that libFuzzer's default input length stays small.
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: make-seeds.sh OUTDIR" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
python3 - "$1" "$here/../../zip/ZipHeaderKeys.h" <<'PY'
import io, os, re, struct, sys, zipfile

outdir, keys_header = sys.argv[1], sys.argv[2]
source = open(keys_header).read()
body = source[source.index("ZIP_HEADER_KEY_TABLE["):]
table = [int(v, 16) for v in re.findall(r"0x([0-9A-Fa-f]{2})\b", body[: body.index("};")])]
assert len(table) == 128


def scramble(data):
    return bytes(b ^ table[table[64 + i % 64]] for i, b in enumerate(data))


def scramble_central(archive):
    """Scrambles the fixed part and name of every central header of a plain archive."""
    data = bytearray(archive)
    end = data.rindex(b"PK\x05\x06")
    while end + 22 > len(data) or struct.unpack("<H", data[end + 20:end + 22])[0] != len(data) - end - 22:
        end = data.rindex(b"PK\x05\x06", 0, end)
    count, size, offset = struct.unpack("<HII", data[end + 10:end + 20])
    pos = end - size
    for _ in range(count):
        n, e, c = struct.unpack("<HHH", data[pos + 28:pos + 34])
        data[pos:pos + 46] = scramble(bytes(data[pos:pos + 46]))
        data[pos + 46:pos + 46 + n] = scramble(bytes(data[pos + 46:pos + 46 + n]))
        pos += 46 + n + e + c
    return bytes(data)


def archive(entries, comment=b"", stream=False):
    class Unseekable(io.RawIOBase):
        def __init__(self):
            self.data = bytearray()

        def writable(self):
            return True

        def write(self, b):
            self.data += b
            return len(b)

    out = Unseekable() if stream else io.BytesIO()
    with zipfile.ZipFile(out, "w") as zf:
        for name, data, method in entries:
            info = zipfile.ZipInfo(name, (2008, 2, 29, 12, 34, 56))
            info.compress_type = method
            info.external_attr = 0x10 if name.endswith("/") else 0x20
            zf.writestr(info, data)
        zf.comment = comment
    return bytes(out.data) if stream else out.getvalue()


S, D = zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED
text = b"patch archive launcher version " * 20
seeds = {
    "stored": archive([("a.txt", text, S)]),
    "deflated": archive([("data/ui/x.bmp", text, D), ("b.bin", bytes(range(256)), S)]),
    "folders": archive([("dir/", b"", S), ("dir/sub/", b"", S), ("dir/sub/f.txt", b"f", D)]),
    "descriptor": archive([("d.txt", text, D), ("s.txt", b"stored", S)], stream=True),
    "comment": archive([("c.txt", b"c", S)], comment=b"PK\x05\x06 a comment"),
    "empty": archive([]),
    "hostile": archive([("../evil.txt", b"e", S), ("CON", b"c", S), ("C:/x", b"x", S)]),
}
seeds["prepended"] = b"MZ" + bytes(200) + seeds["deflated"]
for name, data in list(seeds.items()):
    seeds[name + "-scrambled"] = scramble_central(data)
for name, data in seeds.items():
    with open(os.path.join(outdir, name + ".kqp"), "wb") as f:
        f.write(data)
PY
