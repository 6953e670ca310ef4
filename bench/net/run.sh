#!/usr/bin/env bash
# Download benchmark under Wine: 256 MiB from nginx on loopback, fetched alternately by
# Loader::DownloadToFile and by a bare WinINet loop; prints both rates, their ratio,
# the worker's callback count and the download text refresh rate.
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
