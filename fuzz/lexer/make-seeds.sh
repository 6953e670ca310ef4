#!/usr/bin/env bash
# Writes a small seed corpus for fuzz_lexer into OUTDIR: skin-like blocks, comments,
# numbers at the limits and the odd cases of the scanner.
set -eu
out="${1:?usage: make-seeds.sh OUTDIR}"
mkdir -p "$out"
seed() { printf '%b' "$2" > "$out/$1"; }
seed skin     'dialog "main"\n{\n  image "bg.tga"\n  pos 10 20\n  size -5 3.25\n}\n'
seed comments '// heading\n-- note\nbutton { id 7 } // tail'
seed numbers  '2147483647 2147483648 3000000000 4294967296 -2147483649 1.2.3 x1.5 1x - 5'
seed strings  "'single\" \"two\nlines\" \"open"
seed punct    '!#$%&()*+,.:;<=>?@[]^{|}~ /x \\ `'
seed high     '\x80\xc8 name\xb0 "\xb1\xa1" \xff 9'
