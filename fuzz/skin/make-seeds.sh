#!/usr/bin/env bash
# make-seeds.sh OUTDIR: skin scripts that use every key, as fuzz seeds. They name
# the fuzz target's own images "a.tga" and "b.tga".
set -euo pipefail
out="$1"
mkdir -p "$out"
cat >"$out/every-key.txt" <<'SKIN'
// every key of every block
dialog main
{
  image "a.tga"
  fontface "Tahoma"
  fontsize 13
  dlgtext { txt 0 "first" txt 1 second }
  button start { image "b.tga" size 3 3 pos 10 20 style 0 }
  button full { image a.tga pos 1 2 size 1 2 style 1 }
  progressbar probar { image "a.tga" pos 28 352 size 420 14 color 300 0 0 backcolor 20 16 18 }
  htmlview board { url "http://example.com/" urlMirror "res://x" pos 1 1 size 5 5 }
  combobox resolution {
    image "a.tga" imageScroll "b.tga"
    left 0 0 1 2 center 1 0 1 2 right 1 0 1 2 size 2 2 pos -3 4
  }
}
dialog second { }
SKIN
printf 'dialog a {\n  button b {\n    size 1 1' >"$out/cut-short.txt"
printf -- '-- comment\n// comment\ndialog x { dlgtext { txt -1 "a" txt 1 } }\n' >"$out/texts.txt"
