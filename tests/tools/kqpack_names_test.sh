#!/usr/bin/env bash
# Names with characters outside ASCII reach the Windows reader as the publisher named
# them: run from a scratch folder,
#   kqpack_names_test.sh NATIVE_KQPACK WINE_RUN KQPACK_EXE
# NATIVE_KQPACK is the native program (the native build's), KQPACK_EXE the Windows one,
# run with WINE_RUN. Wine takes its ANSI and OEM code page from the locale of its
# environment: ko_KR.UTF-8 gives code page 949 (the Korean edition's), en_US.UTF-8
# gives 1252. Both locales are compiled here with localedef (Debian's "locales"
# sources) and found through LOCPATH. Archives written by either program, for 949 and
# for 1252, are unpacked by kqpack.exe, the launcher's reader, in a Wine of that code
# page; the names on disk (UTF-8 on the Linux side) must be the publisher's. Names a
# code page cannot hold are refused with one line.
# Prints one line per check and "N passed, N failed"; exits 1 when a check failed.
set -u
native=$1
wine_run=$2
kqpack_exe=$3
passed=0
failed=0

ok() { echo "ok:   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL: $1"; [ -s err.txt ] && sed 's/^/      stderr: /' err.txt; failed=$((failed + 1)); }
check() { if eval "$2"; then ok "$1"; else bad "$1"; fi; }

[ -x "$native" ] || { echo "FAIL: no native kqpack at $native (build the native preset first)"; exit 1; }

locales=$PWD/locales
mkdir -p "$locales"
for locale in ko_KR en_US; do
  [ -d "$locales/$locale.UTF-8" ] || localedef -i "$locale" -f UTF-8 "$locales/$locale.UTF-8" ||
    { echo "FAIL: localedef $locale.UTF-8"; exit 1; }
done

rm -rf work
mkdir work
cd work || exit 1

# in_wine LOCALE ARGS...: kqpack.exe in a Wine of that locale's code page.
in_wine() {
  local locale=$1
  shift
  LOCPATH=$locales LC_ALL=$locale.UTF-8 "$wine_run" "$kqpack_exe" "$@"
}
native_kqpack() { shift; "$native" "$@"; }
# Every file below a folder, one relative path a line, sorted.
files_of() { (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }

korean_tree() {
  mkdir -p "$1/지도"
  echo map >"$1/맵데이터.txt"
  echo sub >"$1/지도/맵.txt"
  echo ascii >"$1/plain.txt"
}
latin_tree() {
  mkdir -p "$1"
  echo cafe >"$1/café.txt"
  echo ascii >"$1/plain.txt"
}

# round_trip LABEL WRITER WRITER_LOCALE READER_LOCALE TREE [OPTIONS...]: WRITER
# (native_kqpack or in_wine) packs a TREE made here; kqpack.exe in READER_LOCALE
# unpacks it; the unpacked names and bytes must be the tree's.
round_trip() {
  local label=$1 writer=$2 writer_locale=$3 reader_locale=$4 tree=$5
  shift 5
  rm -rf src out.kqp dest
  $tree src
  if [ "$writer" = in_wine ]; then
    in_wine "$writer_locale" create out.kqp src "$@" >out.txt 2>err.txt
  else
    "$native" create out.kqp src "$@" >out.txt 2>err.txt
  fi
  check "$label: packed" '[ $? -eq 0 ] && [ ! -s err.txt ]'
  in_wine "$reader_locale" extract out.kqp dest >out.txt 2>err.txt
  check "$label: unpacked by kqpack.exe in code page of $reader_locale" '[ $? -eq 0 ]'
  check "$label: the names arrive as the publisher gave them" \
    '[ "$(files_of dest)" = "$(files_of src)" ] && diff -r src dest >/dev/null'
}

round_trip "native kqpack, Korean names, 949" native_kqpack - ko_KR korean_tree
round_trip "kqpack.exe in 949, Korean names" in_wine ko_KR ko_KR korean_tree
round_trip "native kqpack --codepage 1252, Latin names" native_kqpack - en_US latin_tree --codepage 1252
round_trip "kqpack.exe in 1252 --codepage 1252, Latin names" in_wine en_US en_US latin_tree --codepage 1252
round_trip "kqpack.exe in 1252 for a 949 edition, ASCII names" in_wine en_US ko_KR "mkdir -p src && echo a >src/plain.txt && true"

# refused LABEL PATTERN WRITER LOCALE TREE [OPTIONS...]: status 1, one matching line,
# no archive.
refused() {
  local label=$1 pattern=$2 writer=$3 locale=$4 tree=$5
  shift 5
  rm -rf src out.kqp
  $tree src
  if [ "$writer" = in_wine ]; then
    in_wine "$locale" create out.kqp src "$@" >out.txt 2>err.txt
  else
    "$native" create out.kqp src "$@" >out.txt 2>err.txt
  fi
  local status=$?
  tr -d '\r' <err.txt >err.clean
  check "$label: refused with one line" \
    '[ $status -eq 1 ] && [ "$(wc -l <err.clean)" -eq 1 ] && grep -qE -- "$pattern" err.clean && [ ! -e out.kqp ]'
}

refused "native kqpack, a Latin name for 949" "café.txt: the name cannot be written in code page 949\$" \
  native_kqpack - latin_tree
refused "native kqpack, a Korean name for 1252" ": the name cannot be written in code page 1252\$" \
  native_kqpack - korean_tree --codepage 1252
refused "kqpack.exe in 1252, a Latin name for 949" ": the name cannot be written in code page 949\$" \
  in_wine en_US latin_tree
refused "kqpack.exe in 1252, a Korean name its code page cannot show" \
  ": the name holds a character this system's code page cannot show\$" in_wine en_US korean_tree

# A release with Korean names, written natively, checked by kqpack.exe in 949 with the
# chain from the older version folder.
rm -rf v1 v2 served
mkdir -p v1 v2/3DData/지도
printf 'KQZV00000001' >v1/KQVerInfo.ver
printf 'KQZV00000002' >v2/KQVerInfo.ver
echo old >v1/공지.txt
echo new >v2/공지.txt
echo member >v2/3DData/지도/맵.msh
"$native" release served v2 v1 >out.txt 2>err.txt
check "native release with Korean names" '[ $? -eq 0 ] && [ ! -s err.txt ]'
in_wine ko_KR verify served --from v2 v1 >out.txt 2>err.txt
check "kqpack.exe in 949 verifies it, the chain from version 1 included" '[ $? -eq 0 ] && [ ! -s err.txt ]'
in_wine ko_KR extract served/ClientPatchFiles_ZV/KQZV00000001.kqp game1 >out.txt 2>err.txt
check "its archive for version 1 unpacks under the Korean names" \
  '[ "$(cat game1/공지.txt)" = new ] && [ "$(cat game1/3DData/지도/맵.msh)" = member ]'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
