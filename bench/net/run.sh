#!/usr/bin/env bash
# Download benchmark under Wine: 256 MiB from nginx on loopback, fetched alternately by
# Loader::DownloadToFile and by a bare WinINet loop; prints both rates, their ratio,
# the worker's callback count and the download text refresh rate. Then the same
# archive through a proxy that cuts every answer after 32 MiB, fetched by a whole
# engine run that reconnects and continues: prints the time, the attempts and the
# bytes sent over the archive's size (target 1.02 or less).
#
# usage: bench/net/run.sh [build folder, default build/win64] [rounds, default 5]
# The build folder must hold a built win64 tree (bin/bench_download.exe, wine-run.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
rounds=${2:-5}
exe="$build/bin/bench_download.exe"
[ -f "$exe" ] || { echo "no $exe: build the win64 tree first" >&2; exit 2; }

state=$(mktemp -d "$build/bench-net.XXXXXX")
cleanup() {
  [ -f "$state/proxy.pid" ] && kill "$(cat "$state/proxy.pid")" 2>/dev/null || true
  python3 "$root/tests/servers/servers.py" stop "$state" >/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT

python3 "$root/tests/servers/servers.py" start "$state" >/dev/null
port=$(sed -n 's/^nginx_port=//p' "$state/servers.txt")
mkdir -p "$state/www/bench" "$state/work"
head -c $((256 * 1024 * 1024)) /dev/urandom >"$state/www/bench/big.kqp"
cd "$state/work"
"$build/wine-run.sh" "$exe" "$port" bench/big.kqp "$rounds"

# The engine over a connection cut every 32 MiB.
cut=$((32 * 1024 * 1024))
size=$(stat -c %s "$state/www/bench/big.kqp")
mkdir -p "$state/www/ClientPatchFiles_ZV" "$state/game"
ln "$state/www/bench/big.kqp" "$state/www/ClientPatchFiles_ZV/BNCH00000150.kqp"
printf 'BNCH00000200 00000100' >"$state/www/ClientPatchFiles_ZV/BNCHKQVerInfo_New.ver"
printf 'BNCH00000150' >"$state/game/KQVerInfo.ver"
python3 "$root/bench/net/cutting_proxy.py" --upstream "$port" --cut "$cut" \
  --port-file "$state/proxy.port" --stats "$state/proxy.stats" &
echo $! >"$state/proxy.pid"
for _ in $(seq 100); do [ -s "$state/proxy.port" ] && break; sleep 0.1; done
log_start=$(wc -l <"$state/nginx/access.log")
cd "$state/game"
"$build/wine-run.sh" "$build/bin/bench_resume.exe" "$(cat "$state/proxy.port")"
kill "$(cat "$state/proxy.pid")"
for _ in $(seq 50); do [ -s "$state/proxy.stats" ] && break; sleep 0.1; done
forwarded=$(awk '/BNCH00000150.kqp/ { sum += $2 } END { print sum + 0 }' "$state/proxy.stats")
answers=$(grep -c 'BNCH00000150.kqp' "$state/proxy.stats" || true)
served=$(tail -n +"$((log_start + 1))" "$state/nginx/access.log" |
  awk '/BNCH00000150.kqp/ { for (i = 1; i < NF; i++) if ($i ~ /^"?HTTP\//) { sum += $(i + 2); break } } END { print sum + 0 }')
echo "archive:           $size bytes, answers cut after $cut bytes"
echo "answers:           $answers"
awk -v f="$forwarded" -v s="$size" 'BEGIN { printf "bytes sent:        %d, %.4f of the archive (target 1.02 or less)\n", f, f / s }'
awk -v n="$served" -v s="$size" \
  'BEGIN { printf "nginx sent:        %d, %.4f of the archive (includes what the proxy read ahead of the cut)\n", n, n / s }'
