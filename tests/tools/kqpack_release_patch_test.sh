#!/usr/bin/env bash
# A release written by kqpack.exe patches real game folders: run from a scratch folder,
#   kqpack_release_patch_test.sh SOURCE_DIR BIN_DIR WINE_RUN
# with KQ_TEST_SERVERS naming the loopback servers' file (tests/servers/servers.py).
# Sample game folders of versions 98 to 101 (sample/make-game-folder.py, edition
# prefix RLSE); kqpack.exe under Wine releases 101 with 99 and 100 as older versions
# and verifies the server folder with the chain from 98, 99 and 100;
# nginx serves the server folder; kqpatch.exe with the stand-in engine modules
# patches a version-100 folder (its own archive) and a version-98 folder (no archive
# of its own: the full archive after nginx's "not found" page). Each must end with
# version 101's loose files, packs holding version 101's 3DData files, no staging
# folder, no archive left, and the record as its version file.
# Prints one line per check and "N passed, N failed"; exits 1 when a check failed.
set -u
source_dir=$1
bin=$2
wine_run=$3
prefix=RLSE
passed=0
failed=0

ok() { echo "ok:   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL: $1"; [ -s err.txt ] && sed 's/^/      /' err.txt; failed=$((failed + 1)); }
check() { if eval "$2"; then ok "$1"; else bad "$1"; fi; }

servers=${KQ_TEST_SERVERS:?the loopback servers are not running}
port=$(sed -n 's/^nginx_port=//p' "$servers")
docroot=$(sed -n 's/^docroot=//p' "$servers")
access_log=$(sed -n 's/^nginx_access_log=//p' "$servers")

rm -rf work
mkdir work
cd work || exit 1

for version in 98 99 100 101; do
  python3 "$source_dir/sample/make-game-folder.py" "v$version" --version "$version" --prefix "$prefix"
done

"$wine_run" "$bin/kqpack.exe" release out v101 v99 v100 >out.txt 2>err.txt
check "kqpack.exe release: status 0, quiet on stderr" '[ $? -eq 0 ] && [ ! -s err.txt ]'
"$wine_run" "$bin/kqpack.exe" verify out --from v101 v99 v100 v98 >out.txt 2>err.txt
check "kqpack.exe verify passes, the chain from versions 98 to 100 included" '[ $? -eq 0 ] && [ ! -s err.txt ]'
record=out/ClientPatchFiles_ZV/${prefix}KQVerInfo_New.ver
check "the record is the current version, a space and base 00000000" \
  '[ "$(cat "$record")" = "${prefix}00000101 00000000" ]'
check "the server folder holds the record and three archives" \
  '[ "$(ls out/ClientPatchFiles_ZV | tr "\n" " ")" = "${prefix}00000000.kqp ${prefix}00000099.kqp ${prefix}00000100.kqp ${prefix}KQVerInfo_New.ver " ]'

served=$docroot/ClientPatchFiles_ZV
mkdir -p "$served"
rm -f "$served/$prefix"*
cp out/ClientPatchFiles_ZV/* "$served/"

# verify GAME [PAGE]: the game folder against version 101 and the record; prints
# problems. PAGE names a file that may hold nginx's "not found" page: the loader keeps
# an error page it received in the local file it was downloading to.
verify() {
  python3 - "$1" v101 "$record" "${2:-}" <<'PY'
import os, struct, sys

game, current, record, page = sys.argv[1:5]

def files(root):
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            found[os.path.relpath(path, root).replace(os.sep, "/")] = open(path, "rb").read()
    return found

def pack(path):
    data = open(path, "rb").read()
    assert data[:4] == b"KQSP", path
    entries, at = {}, 4
    while at < len(data):
        (length,) = struct.unpack_from("<I", data, at)
        name = data[at + 4:at + 4 + length].decode()
        (size,) = struct.unpack_from("<I", data, at + 4 + length)
        at += 8 + length
        entries[name] = data[at:at + size]
        at += size
    return entries

have, want = files(game), files(current)
problems = []
packs = {}
for name, data in want.items():
    if name.startswith("3DData/"):
        pack_name, member = name[len("3DData/"):].split("/", 1)
        packs.setdefault(pack_name, {})[member.replace("/", "\\")] = data
    elif name != "KQVerInfo.ver" and have.get(name) != data:
        problems.append("loose file differs from version 101: " + name)
for pack_name, members in packs.items():
    path = os.path.join(game, pack_name + ".pak")
    if not os.path.exists(path) or pack(path) != members:
        problems.append("pack does not hold version 101's files: " + pack_name + ".pak")
if have.get("KQVerInfo.ver") != open(record, "rb").read():
    problems.append("version file is not the record: %r" % have.get("KQVerInfo.ver"))
allowed = {"NorvExecutiveForQel.dll", "NorvGFuncSSE.dll", "NorvGFuncN.dll", "NorvGFunc.dll",
           "NorvStandin.log", "ZVPatchLog.txt"} | {p + ".pak" for p in packs}
for name in sorted(have):
    if name == page and have[name].startswith(b"<html>"):
        continue
    if name not in want and name not in allowed:
        problems.append("left in the game folder: " + name)
if problems:
    print("\n".join(problems))
PY
}

# requests_since LINE: the archive paths of this edition requested from nginx after
# line LINE of its access log, one per line.
requests_since() {
  tail -n +"$(($1 + 1))" "$access_log" | grep -o "GET /ClientPatchFiles_ZV/$prefix[0-9]*\.kqp" | sed 's/^GET //'
}

for start in 100 98; do
  game=game$start
  cp -r "v$start" "$game"
  for module in NorvExecutiveForQel.dll NorvGFuncSSE.dll NorvGFuncN.dll; do
    cp "$bin/$module" "$game/"
  done
  mark=$(wc -l <"$access_log")
  (cd "$game" && "$wine_run" "$bin/kqpatch.exe" --host 127.0.0.1 --port "$port") >out.txt 2>err.txt
  check "version $start: kqpatch.exe exits with 0" '[ $? -eq 0 ]'
  page=""
  [ "$start" = 98 ] && page=${prefix}00000098.kqp
  verify "$game" "$page" >err.txt
  check "version $start: version 101's files, packs and record" '[ ! -s err.txt ]'
  check "version $start: the staging folder is folded away" '[ ! -e "$game/3DData" ]'
  if [ "$start" = 100 ]; then
    expected="/ClientPatchFiles_ZV/${prefix}00000100.kqp"
  else
    expected=$(printf '/ClientPatchFiles_ZV/%s00000098.kqp\n/ClientPatchFiles_ZV/%s00000000.kqp' "$prefix" "$prefix")
  fi
  requests_since "$mark" >err.txt
  check "version $start: the archives requested" '[ "$(cat err.txt)" = "$expected" ]'
done

rm -f "$served/$prefix"*
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
