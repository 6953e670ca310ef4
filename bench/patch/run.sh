#!/usr/bin/env bash
# End-to-end patch benchmark under Wine: a 200 MiB archive of 2,000 files (half of them
# staged into 4 packs) from nginx on loopback, applied by the engine with the stand-in
# executive module. Prints the seconds of download, extraction and pack folding, the
# total and the peak working set, then the time of "kqpack extract" on the same
# archive and the extraction's speed relative to it (target: 0.9 or better; peak
# working set target: under 32 MiB). Then the same patch unsigned and signed, twice
# each in turn, with the release key checked in the signed runs: prints the best total
# of each and what checking the signatures adds (target: at most 5 %).
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
cp -a "$state/game" "$state/game.unpatched"
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

# Signed and unsigned, in turn: a fresh key, the record and the archive signed with it
# (r then s, 32 bytes each, from OpenSSL's DER signature).
openssl ecparam -name prime256v1 -genkey -noout -out "$state/release.pem" 2>/dev/null
key=$(openssl ec -in "$state/release.pem" -pubout -outform DER 2>/dev/null | tail -c 64 | od -An -tx1 -v | tr -d ' \n')
for file in BNCHKQVerInfo_New.ver BNCH00000100.kqp; do
  openssl dgst -sha256 -sign "$state/release.pem" "$state/www/ClientPatchFiles_ZV/$file" |
    python3 -c '
import sys
der = sys.stdin.buffer.read()
def integer(at):
    length = der[at + 1]
    return der[at + 2:at + 2 + length], at + 2 + length
r, at = integer(2)
s, _ = integer(at)
sys.stdout.buffer.write(r[-32:].rjust(32, b"\0") + s[-32:].rjust(32, b"\0"))' >"$state/www/ClientPatchFiles_ZV/$file.sig"
done
for round in 1 2; do
  for mode in unsigned signed; do
    rm -rf "$state/game"
    cp -a "$state/game.unpatched" "$state/game"
    args=("$port")
    [ "$mode" = signed ] && args+=("$key")
    total=$(cd "$state/game" && "$build/wine-run.sh" "$bin/bench_patch.exe" "${args[@]}" | tr -d '\r' |
      sed -n 's/^total *\([0-9.]*\) s/\1/p')
    [ -n "$total" ] || { echo "the $mode run failed" >&2; exit 1; }
    echo "round $round, $mode: total $total s"
    echo "$mode $total" >>"$state/totals.txt"
  done
done
awk '{ if (!($1 in best) || $2 < best[$1]) best[$1] = $2 }
     END { printf "best total unsigned %.2f s, signed %.2f s: checking the signatures adds %.1f %% (target: at most 5 %%)\n",
                  best["unsigned"], best["signed"], 100 * (best["signed"] / best["unsigned"] - 1) }' "$state/totals.txt"
