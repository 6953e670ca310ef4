#!/usr/bin/env bash
# make-seeds.sh OUTDIR: small TGA files of every accepted kind as fuzz seeds.
set -euo pipefail
out="$1"
mkdir -p "$out"
# header: id length, 0, type, 9 zero bytes, width, height (16-bit LE), depth, descriptor
header() {
  printf "\\x$1\\x00\\x$2\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00"
  printf "\\x$3\\x00\\x$4\\x00\\x$5\\x$6"
}
{ header 00 02 02 02 18 00; printf '\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c'; } >"$out/seed-24-raw.tga"
{ header 00 02 01 02 20 08; printf '\x00\x00\xff\xff\x10\x20\x30\x80'; } >"$out/seed-32-raw.tga"
{ header 03 03 03 01 08 20; printf 'abc\x00\x80\xff'; } >"$out/seed-8-grey-id.tga"
{ header 00 0a 04 02 18 00; printf '\x83\x00\x00\xff\x01\x10\x20\x30\x40\x50\x60\x81\x01\x02\x03'; } >"$out/seed-24-rle.tga"
{ header 00 0a 80 01 20 08; printf '\xff\x01\x02\x03\x04'; } >"$out/seed-32-rle-128.tga"
{ header 00 0b 05 01 08 00; printf '\x7f\x01\x02\x03\x04\x05'; } >"$out/seed-8-rle-raw.tga"
