#!/usr/bin/env bash
# End-to-end patch benchmark under Wine: a 200 MiB archive of 2,000 files (half of them
# staged into 4 packs) from nginx on loopback, applied by the engine with the stand-in
# executive module. Prints the seconds of download, extraction and pack folding, the
# total and the peak working set, then the time of "kqpack extract" on the same
# archive and the extraction's speed relative to it (target: 0.9 or better; peak
# working set target: under 32 MiB).
#
# usage: bench/patch/run.sh [build folder, default build/win64]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
bin="$build/bin"
for f in bench_patch.exe kqpack.exe NorvExecutiveForQel.dll NorvGFuncSSE.dll NorvGFuncN.dll; do
  [ -f "$bin/$f" ] || { echo "no $bin/$f: build the win64 tree first" >&2; exit 2; }
done

state=$(mktemp -d "$build/bench-patch.XXXXXX")
cleanup() {
  python3 "$root/tests/servers/servers.py" stop "$state" >/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT

python3 "$root/tests/servers/servers.py" start "$state" >/dev/null
port=$(sed -n 's/^nginx_port=//p' "$state/servers.txt")
python3 "$root/bench/patch/gen-patch.py" "$state/src" BNCH
mkdir -p "$state/www/ClientPatchFiles_ZV" "$state/game" "$state/unpacked"
(cd "$state" && "$build/wine-run.sh" "$bin/kqpack.exe" create archive.kqp src >/dev/null)
mv "$state/archive.kqp" "$state/www/ClientPatchFiles_ZV/BNCH00000100.kqp"
printf 'BNCH00000200 00000100' >"$state/www/ClientPatchFiles_ZV/BNCHKQVerInfo_New.ver"
printf 'BNCH00000100' >"$state/game/KQVerInfo.ver"
cp "$bin/NorvGFuncSSE.dll" "$bin/NorvGFuncN.dll" "$state/game/"
echo "archive: $(du -m "$state/www/ClientPatchFiles_ZV/BNCH00000100.kqp" | cut -f1) MiB"

(cd "$state/game" && "$build/wine-run.sh" "$bin/bench_patch.exe" "$port") | tr -d '\r' | tee "$state/engine.txt"

# The start of a Windows program under Wine, taken off kqpack's time below.
start=$(date +%s.%N)
"$build/wine-run.sh" "$bin/kqpack.exe" >/dev/null 2>&1 || true
end=$(date +%s.%N)
startup=$(echo "$end - $start" | bc -l)

start=$(date +%s.%N)
(cd "$state" && "$build/wine-run.sh" "$bin/kqpack.exe" extract www/ClientPatchFiles_ZV/BNCH00000100.kqp unpacked >/dev/null)
end=$(date +%s.%N)
kqpack=$(echo "$end - $start - $startup" | bc -l)
engine=$(sed -n 's/^extraction *\([0-9.]*\) s/\1/p' "$state/engine.txt")
printf 'kqpack extract %7.2f s (without %.2f s of program start)\n' "$kqpack" "$startup"
printf 'extraction speed relative to kqpack extract: %.2f\n' "$(echo "$kqpack / $engine" | bc -l)"
