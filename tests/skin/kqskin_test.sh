#!/usr/bin/env bash
# kqskin_test.sh PYTHON MAKE_SKIN KQSKIN [RUNNER...]
# kqskin on the generated sample skin: "check" passes with a line per component,
# broken copies fail with "FILE:LINE: reason", and "image" writes a BMP that
# ImageMagick (when present) reads as the same picture as the TGA. RUNNER, when
# given, runs the tool (the Wine runner of a Windows build).
set -uo pipefail
python=$1
make_skin=$2
kqskin=("${@:4}" "$3")

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Runs the tool; sets out, err (line ends as LF) and rc.
run() {
  "${kqskin[@]}" "$@" >out.txt 2>err.txt
  rc=$?
  out=$(tr -d '\r' <out.txt)
  err=$(tr -d '\r' <err.txt)
}

expect_failure() {  # NAME EXPECTED_STDERR_LINE
  if [ "$rc" -ne 1 ]; then
    fail "$1: exit status $rc, expected 1 (stderr: $err)"
  elif [ "$err" != "$2" ]; then
    fail "$1: stderr was [$err], expected [$2]"
  fi
}

rm -rf sample sample2 broken ./*.bmp ./*.png
"$python" "$make_skin" sample || { echo "FAIL: make-skin.py" >&2; exit 1; }
"$python" "$make_skin" sample2
diff -r sample sample2 >/dev/null || fail "two runs of make-skin.py differ"
skin=sample/Image/Autopatch/KR
for name in PatchMsg.txt ErrorMsg.txt url.txt textpos.txt; do
  [ -s "$skin/$name" ] || fail "the sample has no $name"
done
[ "$(wc -l <"$skin/PatchMsg.txt")" -eq 15 ] || fail "PatchMsg.txt does not have 15 lines"
[ "$(wc -l <"$skin/ErrorMsg.txt")" -eq 7 ] || fail "ErrorMsg.txt does not have 7 lines"

# The sample passes, with a summary line for the dialog and each component.
run check "$skin"
if [ "$rc" -ne 0 ]; then
  fail "check of the sample: exit status $rc: $err"
else
  [ "$(head -n 1 <<<"$out")" = "OK $skin/skin.txt: 1 dialog(s)" ] || fail "first line: $(head -n 1 <<<"$out")"
  grep -q '^dialog "main": image 640 x 440 (24 bits), font "Tahoma"' <<<"$out" || fail "no dialog line: $out"
  for component in 'button "start"' 'button "close"' 'button "minimize"' 'button "full"' \
                   'progressbar "probar"' 'htmlview "board"' 'combobox "resolution"'; do
    grep -q "^  $component: rect " <<<"$out" || fail "no summary line for $component"
  done
  grep -q 'button "full": .*toggle' <<<"$out" || fail "full is not a toggle"
  ! grep -q warning <<<"$out" || fail "warnings on the sample: $out"
fi

# Broken copies: each names the file and the line, or the missing component.
line_of() { grep -n -m 1 -F -- "$1" "$skin/skin.txt" | cut -d: -f1; }
broken() {  # prepares a fresh copy in broken/
  rm -rf broken && cp -r "$skin" broken
}

broken
line=$(line_of 'style 0')
sed -i 's/style 0/Style 0/' broken/skin.txt
run check broken
expect_failure "a key in another case" "broken/skin.txt:$line: unknown key \"Style\" in the button block"

broken
line=$(line_of '{')
sed -i '$d' broken/skin.txt
run check broken
expect_failure "a missing last brace" \
  "broken/skin.txt:$line: the file ends inside the dialog block opened on this line (missing \"}\")"

broken
line=$(line_of 'image "start.tga"')
head -c 10 "$skin/start.tga" >broken/start.tga
run check broken
expect_failure "an image cut short" "broken/skin.txt:$line: image \"start.tga\" cannot be read:\
 broken/start.tga: the file is shorter than the 18-byte TGA header (10 bytes)"

broken
line=$(line_of 'imageScroll')
rm broken/scroll.tga
run check broken
expect_failure "a missing image" \
  "broken/skin.txt:$line: image \"scroll.tga\" cannot be read: broken/scroll.tga: cannot open the file"

broken
sed -i 's/button close/button closed/' broken/skin.txt
run check broken
expect_failure "a missing component" \
  "broken/skin.txt: dialog \"main\" has no button \"close\"; the launcher needs it"

broken
sed -i 's/button minimize/progressbar minimize/' broken/skin.txt
run check broken
expect_failure "a component of another kind" \
  "broken/skin.txt: \"minimize\" in dialog \"main\" is a progressbar; the launcher needs a button"

# A stray word after the last block, cut short by the end of the file, is a word
# all the same; a comment at the end of an unclosed block is the missing brace.
broken
line=$(( $(wc -l <broken/skin.txt) + 1 ))
printf 'Dialog' >>broken/skin.txt
run check broken
expect_failure "a stray word at the end" \
  "broken/skin.txt:$line: expected \"dialog\" at the top level, found \"Dialog\""

broken
line=$(line_of '{')
sed -i '$d' broken/skin.txt
printf '// the end' >>broken/skin.txt
run check broken
expect_failure "a comment at the end of an unclosed block" \
  "broken/skin.txt:$line: the file ends inside the dialog block opened on this line (missing \"}\")"

run check missing-folder
expect_failure "a folder without skin.txt" "missing-folder/skin.txt: cannot open the skin script"

# image: the BMP holds the DIB; ImageMagick shows the TGA and the BMP alike.
have_magick=0
convert -version 2>/dev/null | grep -q ImageMagick && have_magick=1
for name in background start minimize scroll progress; do
  run image "$skin/$name.tga" "$name.bmp"
  if [ "$rc" -ne 0 ]; then
    fail "image $name.tga: exit status $rc: $err"
    continue
  fi
  [ "$(head -c 2 "$name.bmp")" = "BM" ] || fail "$name.bmp does not start with BM"
  if [ "$have_magick" -eq 1 ]; then
    convert "$skin/$name.tga" -auto-orient "$name.png"
    difference=$(compare -metric AE -channel RGB "$name.png" "$name.bmp" null: 2>&1)
    [ "$difference" = "0" ] || fail "$name.bmp differs from $name.tga in $difference pixels"
  fi
done
run image "$skin/none.tga" none.bmp
expect_failure "image of a missing file" "$skin/none.tga: cannot open the file"

run
[ "$rc" -eq 2 ] || fail "no arguments: exit status $rc, expected 2"
[ "$(wc -l <<<"$err")" -eq 1 ] || fail "no arguments: not one line on stderr: $err"
run check
[ "$rc" -eq 2 ] && [ "$(wc -l <<<"$err")" -eq 1 ] || fail "check without a folder: status $rc, stderr $err"
for asked in help --help; do
  run "$asked"
  [ "$rc" -eq 0 ] && [ -z "$err" ] && grep -q '^usage: kqskin check DIR' <<<"$out" ||
    fail "$asked: status $rc, stdout [$out], stderr [$err]"
done

# Images the launcher draws differently from a viewer are warned about; the check
# still passes. Each case rewrites start.tga (its size kept) with a small TGA writer.
tga() {  # OUT TYPE DEPTH DESCRIPTOR COLOURMAP: a 240 x 30 image
  "$python" - "$@" <<'PY'
import struct, sys
out, kind, depth, descriptor, cmap = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
w, h = 240, 30
header = struct.pack("<BBBHHBHHHHBB", 0, cmap, kind, 0, 256 if cmap else 0, 24 if cmap else 0, 0, 0, w, h, depth,
                     descriptor)
colour_map = bytes(3 * 256) if cmap else b""
pixels = bytes((x * 7 + y) % 251 for y in range(h) for x in range(w * (depth // 8)))
open(out, "wb").write(header + colour_map + pixels)
PY
}
surprise_case() {  # NAME TYPE DEPTH DESCRIPTOR COLOURMAP EXPECTED-WARNING (empty: none)
  broken
  tga broken/start.tga "$2" "$3" "$4" "$5"
  run check broken
  if [ "$rc" -ne 0 ]; then
    fail "$1: exit status $rc: $err"
  elif [ -n "$6" ]; then
    grep -qxF "warning: broken/start.tga: $6" <<<"$out" || fail "$1: no warning [$6] in: $out"
  elif grep -q 'warning: broken/start.tga' <<<"$out"; then
    fail "$1: a warning for a plain image: $out"
  fi
}
surprise_case "a top-left origin" 2 24 32 0 \
  "top-left origin; the launcher ignores it and shows the picture upside down"
surprise_case "a colour-mapped file" 1 8 0 1 \
  "a colour-mapped file; the launcher reads no colour map (a map in the file is read as pixels)"
surprise_case "an 8-bit colour image" 1 8 0 1 \
  "8 bits per pixel in a colour image; the launcher draws them as grey levels"
surprise_case "a bottom-left 24-bit image" 2 24 0 0 ""
surprise_case "an 8-bit grey image" 3 8 0 0 ""

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "kqskin: all checks passed"
