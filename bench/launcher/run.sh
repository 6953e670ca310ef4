#!/usr/bin/env bash
# Launcher start benchmark under Wine: the loopback launcher in an up-to-date copy of
# the sample game folder (sample skin, stand-in engine), nginx on the launcher's port,
# a private Xvfb display. Prints the time from process start to START enabled, the
# time of a bare program that fetches the record once with WinINet, and the difference.
#
# usage: bench/launcher/run.sh [build folder, default build/win64] [rounds, default 7]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
rounds=${2:-7}
bin="$build/bin"
for f in bench_start.exe bench_record_fetch.exe loopback/KQAutoPatch.exe NorvExecutiveForQel.dll; do
  [ -f "$bin/$f" ] || { echo "no $bin/$f: build the win64 tree first" >&2; exit 2; }
done
port=$(sed -n 's/^KQ_LOOPBACK_PORT:STRING=//p' "$build/CMakeCache.txt")

state=$(mktemp -d "$build/bench-start.XXXXXX")
source "$root/scripts/xvfb.sh"
cleanup() {
  python3 "$root/tests/servers/servers.py" stop "$state/server" >/dev/null || true
  stop_xvfb
  rm -rf "$state"
}
trap cleanup EXIT
start_xvfb

game="$state/game"
python3 "$root/sample/make-game-folder.py" "$game" --version 101 >/dev/null
python3 "$root/sample/make-skin.py" "$game" >/dev/null
cp "$bin/loopback/KQAutoPatch.exe" "$bin/NorvExecutiveForQel.dll" "$bin/NorvGFuncSSE.dll" "$bin/NorvGFuncN.dll" "$game/"
python3 "$root/tests/servers/servers.py" start "$state/server" --nginx-port "$port" >/dev/null
printf 'KQZV00000101 00000000' >"$state/server/www/ClientPatchFiles_ZV/KQZVKQVerInfo_New.ver"

cd "$game"
"$build/wine-run.sh" "$bin/bench_start.exe" "$game/KQAutoPatch.exe" "$bin/bench_record_fetch.exe" "$port" \
  ClientPatchFiles_ZV/KQZVKQVerInfo_New.ver "$rounds"
