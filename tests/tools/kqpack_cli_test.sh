#!/usr/bin/env bash
# kqpack's command line, run from a scratch folder:
#   kqpack_cli_test.sh FIXTURES KQPACK-COMMAND...
# FIXTURES holds the archives other tools wrote (tests/zip/make_fixtures.py);
# KQPACK-COMMAND runs kqpack (the native program, or wine-run.sh and kqpack.exe).
# Round trips in both forms, the listing, other tools' archives against unzip, and
# the exit status and single stderr line of every failure. Prints one line per check
# and "N passed, N failed" at the end; exits 1 when a check failed.
set -u
fixtures=$1
shift
kqpack=("$@")
passed=0
failed=0

ok() { echo "ok:   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL: $1"; [ -s err.txt ] && sed 's/^/      stderr: /' err.txt; failed=$((failed + 1)); }
check() { if eval "$2"; then ok "$1"; else bad "$1"; fi; }
run() { "${kqpack[@]}" "$@" >out.txt 2>err.txt; status=$?; tr -d '\r' <out.txt >out.clean; tr -d '\r' <err.txt >err.clean; }

# expect_failure LABEL STATUS STDERR-PATTERN ARGS...: the status, and exactly one
# stderr line that matches the pattern.
expect_failure() {
  local label=$1 want=$2 pattern=$3
  shift 3
  run "$@"
  if [ "$status" -eq "$want" ] && [ "$(wc -l <err.clean)" -eq 1 ] && grep -qE -- "$pattern" err.clean; then
    ok "$label"
  else
    bad "$label (status $status)"
  fi
}

# An archive whose only entry has the given name, written with Python's zipfile.
hostile_archive() {
  python3 - "$1" "$2" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as zf:
    zf.writestr(zipfile.ZipInfo(sys.argv[2]), b"evil")
PY
}

rm -rf work
mkdir work
cd work || exit 1

# --- a folder with text, incompressible data, empty files and folders -----------
mkdir -p tree/docs/deep tree/3DData/data1 tree/empty
python3 - <<'PY'
import random
rnd = random.Random(1)
words = ["patch", "archive", "launcher", "version", "\n"]
open("tree/docs/readme.txt", "w").write(" ".join(rnd.choice(words) for _ in range(40000)))
open("tree/3DData/data1/model.bin", "wb").write(rnd.randbytes(150000))
open("tree/docs/deep/small.txt", "w").write("small\n")
open("tree/with space.txt", "w").write("spaced\n")
open("tree/zero", "w").close()
PY
echo "KQ0000000002" >tree/KQVerInfo.ver
chmod 444 tree/docs/deep/small.txt
touch -d "2008-02-29 12:34:57" tree/docs/readme.txt

for form in scrambled plain; do
  flag=""
  [ $form = plain ] && flag="--plain"
  run create $form.kqp tree $flag
  check "create $form: status 0, quiet" '[ $status -eq 0 ] && [ ! -s err.clean ]'
  run test $form.kqp
  check "test $form: status 0" '[ $status -eq 0 ] && [ ! -s err.clean ]'
  run extract $form.kqp out-$form
  check "extract $form: status 0" '[ $status -eq 0 ] && [ ! -s err.clean ]'
  check "extract $form: byte-identical tree" 'diff -r tree out-$form >/dev/null'
  check "extract $form: read-only file stays read-only" \
    '[ "$(stat -c %A out-$form/docs/deep/small.txt | cut -c3)" = "-" ]'
  check "extract $form: modification time kept to 2 seconds" \
    '[ "$(stat -c %Y out-$form/docs/readme.txt)" -eq $(( $(stat -c %Y tree/docs/readme.txt) / 2 * 2 )) ]'
  # What an unpacking killed part-way leaves: temporaries beside entries it wrote.
  echo "half" >out-$form/docs/readme.txt.kqpart
  echo "half" >out-$form/3DData/data1/other.bin.kqpart
  run extract $form.kqp out-$form
  check "extract $form again over the first copy" '[ $status -eq 0 ] && diff -r tree out-$form >/dev/null'
  check "extract $form: temporaries of an earlier run are gone" \
    '[ -z "$(find out-$form -name "*.kqpart")" ]'
done
check "plain archive is a standard zip (unzip -t)" 'unzip -tq plain.kqp >/dev/null 2>&1'
# Every entry starts where the one before it ends, and the directory right after the
# last: no gaps, no stale bytes.
check "plain archive has its records back to back" 'python3 - plain.kqp <<'"'"'PY'"'"'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
pos = 0
for info in sorted(z.infolist(), key=lambda i: i.header_offset):
    assert info.header_offset == pos, (info.filename, info.header_offset, pos)
    pos += 30 + len(info.filename.encode()) + len(info.extra) + info.compress_size
assert pos == z.start_dir, (pos, z.start_dir)
PY'
check "scrambled archive hides its directory from unzip" '! unzip -tq scrambled.kqp >/dev/null 2>&1'
rm -rf out-unzip
unzip -q plain.kqp -d out-unzip
check "unzip extracts the plain archive byte-identically" 'diff -r tree out-unzip >/dev/null'

# --- the listing: size, tab, name with backslashes ------------------------------
run list scrambled.kqp
(cd tree && find . -mindepth 1 | sed 's|^\./||' | sort | while read -r p; do
  if [ -d "$p" ]; then printf '0\t%s/\n' "$p"; else printf '%s\t%s\n' "$(stat -c %s "$p")" "$p"; fi
done) | tr '/' '\\' | LC_ALL=C sort >expected-list.txt
LC_ALL=C sort out.clean >actual-list.txt
check "list shows every entry as size, tab, name" '[ $status -eq 0 ] && diff expected-list.txt actual-list.txt >/dev/null'

# --- archives from other tools extract like unzip extracts them ------------------
while read -r name; do
  [ -n "$name" ] || continue
  rm -rf "x-$name" "u-$name"
  mkdir -p "u-$name"
  unzip -qo "$fixtures/$name" -d "u-$name" >/dev/null 2>&1
  run extract "$fixtures/$name" "x-$name"
  check "$name: extracts like unzip" '[ $status -eq 0 ] && diff -r "u-$name" "x-$name" >/dev/null'
  run test "$fixtures/$name"
  check "$name: test passes" '[ $status -eq 0 ]'
done <"$fixtures/index.txt"

# --- failures: status and one clear line ----------------------------------------
expect_failure "no arguments" 2 '^usage: kqpack'
# Help is asked for, not a mistake: the usage on stdout and status 0.
for asked in --help help; do
  run $asked
  check "kqpack $asked: status 0, the usage on stdout, nothing on stderr" \
    '[ $status -eq 0 ] && grep -q "kqpack verify SERVER_DIR" out.clean && [ ! -s err.clean ]'
done
expect_failure "unknown command" 2 '^usage: kqpack' pack a.kqp tree
expect_failure "create from a missing folder" 1 '^kqpack: no-such-dir: not a folder$' create x.kqp no-such-dir
expect_failure "create into a missing folder" 1 '^kqpack: no/such/x.kqp: cannot create' create no/such/x.kqp tree
expect_failure "extract a missing archive" 1 '^kqpack: missing.kqp: cannot open archive$' extract missing.kqp out
head -c 4000 /dev/zero | tr '\0' 'a' >text.kqp
expect_failure "test something that is not an archive" 1 '^kqpack: text.kqp: not an archive$' test text.kqp
head -c 1000 scrambled.kqp >cut.kqp
expect_failure "list a truncated archive" 1 '^kqpack: cut.kqp: not an archive$' list cut.kqp

# One stored entry (random bytes do not deflate) with a byte of its data flipped.
mkdir -p one
python3 -c 'import random; open("one/victim.bin","wb").write(random.Random(2).randbytes(5000))'
run create crc.kqp one
python3 - <<'PY'
data = bytearray(open("crc.kqp", "rb").read())
data[30 + len("victim.bin") + 100] ^= 0xFF
open("crc.kqp", "wb").write(bytes(data))
PY
expect_failure "test reports a CRC mismatch" 1 '^kqpack: crc.kqp: victim.bin: CRC mismatch$' test crc.kqp
mkdir -p crc-out
echo precious >crc-out/victim.bin
expect_failure "extract reports a CRC mismatch" 1 '^kqpack: crc.kqp: victim.bin: CRC mismatch$' extract crc.kqp crc-out
check "a failed extract keeps the old file and leaves nothing beside it" \
  '[ "$(cat crc-out/victim.bin)" = precious ] && [ "$(ls -A crc-out)" = victim.bin ]'

# Hostile names: refused by extract and test; nothing written in or beside DEST.
i=0
for name in "../evil.txt" "a/../../evil.txt" "$PWD/evil.txt" "C:/evil.txt" "//server/share/evil.txt" \
  "//?/C:/evil.txt" "CON" "aux.txt" "lpt1.log" "file.txt:stream" "a//evil.txt"; do
  i=$((i + 1))
  mkdir -p "hostile$i"
  (cd "hostile$i" && hostile_archive evil.zip "$name")
  expect_failure "extract refuses \"$name\"" 1 "^kqpack: hostile$i/evil.zip: .*: unsafe entry name$" \
    extract "hostile$i/evil.zip" "hostile$i/dest"
  check "nothing written for \"$name\"" \
    '[ "$(ls -A hostile$i)" = "$(printf "dest\nevil.zip")" ] && [ -z "$(ls -A hostile$i/dest)" ] && [ ! -e evil.txt ]'
  expect_failure "test refuses \"$name\"" 1 "^kqpack: hostile$i/evil.zip: .*: unsafe entry name$" test "hostile$i/evil.zip"
done

# A file name the reader would refuse is refused when packing, and no archive is left.
mkdir -p badtree/sub
echo device >badtree/sub/aux.txt
expect_failure "create refuses a name the reader would refuse" 1 '^kqpack: bad.kqp: sub/aux.txt: unsafe entry name$' \
  create bad.kqp badtree
check "no archive is left after a failed create" '[ ! -e bad.kqp ]'

# A create that fails keeps the archive that was at its path, and leaves nothing beside it.
mkdir -p keep
run create keep/kept.kqp tree
cp keep/kept.kqp kept-copy.kqp
expect_failure "create over an archive refuses a name the reader would refuse" 1 \
  '^kqpack: keep/kept.kqp: sub/aux.txt: unsafe entry name$' create keep/kept.kqp badtree
check "a failed create keeps the archive that was there" \
  'cmp -s keep/kept.kqp kept-copy.kqp && [ "$(ls -A keep)" = kept.kqp ]'

# An archive written into the folder it packs does not contain itself.
cp -r tree self
run create self/self.kqp self
run list self/self.kqp
check "the archive being written is not packed into itself" '[ $status -eq 0 ] && ! grep -q "self.kqp" out.clean'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
