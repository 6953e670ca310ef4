#!/usr/bin/env bash
# Unpacking benchmark: kqpack extract against unzip -o and a bare zlib
# inflate-and-write loop over the same plain archive of about 200 MiB of mixed files;
# then kqpack's peak memory (max RSS) for a 20 MiB and a 1 GiB archive. Prints
# figures only; it passes or fails nothing.
#
# The timed runs unpack into a memory file system (/dev/shm when it has room), so the
# figures compare the programs' own work rather than the disk's write-back, which on a
# shared machine varies more than the programs differ. Each figure is the best of
# $runs runs, with the CPU time (user + system) of that run beside it.
#
# usage: run-bench.sh KQPACK BENCH_ZIP_INFLATE WORKDIR
# Needs python3, unzip and /usr/bin/time; about 4 GiB free in WORKDIR. Build with the
# release preset: cmake --build --preset release --target bench_zip
set -euo pipefail
kqpack=$1
bare=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
runs=5

mkdir -p "$work"
cd "$work"
free_kib=$(df -Pk . | awk 'NR == 2 { print $4 }')
if [ "$free_kib" -lt $((4 * 1024 * 1024)) ]; then
  echo "bench_zip: need 4 GiB free in $work, have $((free_kib / 1024)) MiB" >&2
  exit 1
fi
out=$work/out
shm_kib=$(df -Pk /dev/shm 2>/dev/null | awk 'NR == 2 { print $4 }')
if [ -n "$shm_kib" ] && [ "$shm_kib" -gt $((1024 * 1024)) ]; then out=/dev/shm/kq-bench-zip.$$; fi
trap 'rm -rf "$work"/data-* "$work"/out "$work"/*.zip "$work"/time.txt "$out"' EXIT

# best_run CMD...: "wall cpu" seconds of the fastest of $runs runs into a fresh $out.
best_run() {
  local best="" cpu="" wall
  for _ in $(seq $runs); do
    rm -rf "$out"
    /usr/bin/time -f "%e %U %S" -o time.txt "$@" >/dev/null
    wall=$(awk '{ print $1 }' time.txt)
    if [ -z "$best" ] || awk -v t="$wall" -v b="$best" 'BEGIN { exit !(t < b) }'; then
      best=$wall
      cpu=$(awk '{ printf "%.2f", $2 + $3 }' time.txt)
    fi
  done
  echo "$best $cpu"
}

# prepare SIZE_MIB: data-SIZE/ and its plain archive SIZE.zip.
prepare() {
  rm -rf "data-$1" "$1.zip"
  python3 "$here/gen-data.py" "data-$1" "$1"
  "$kqpack" create "$1.zip" "data-$1" --plain
}

bytes_of() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }'; }
files_of() { find "$1" -type f | wc -l; }
max_rss_kib() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F': ' '/Maximum resident set size/ { print $2 }'; }
rate() { awk -v n="$1" -v t="$2" 'BEGIN { printf "%.1f", n / 1000000 / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

prepare 200
bytes=$(bytes_of data-200)
read -r kq kq_cpu < <(best_run "$kqpack" extract 200.zip "$out")
diff -r data-200 "$out" >/dev/null || { echo "bench_zip: kqpack's output differs from the source" >&2; exit 1; }
read -r uz uz_cpu < <(best_run unzip -o -q 200.zip -d "$out")
read -r bl bl_cpu < <(best_run "$bare" 200.zip "$out")
diff -r data-200 "$out" >/dev/null || { echo "bench_zip: the bare loop's output differs from the source" >&2; exit 1; }
read -r bc bc_cpu < <(best_run "$bare" --checked 200.zip "$out")

echo "archive: $(files_of data-200) files, $((bytes >> 20)) MiB unpacked, $(($(stat -c %s 200.zip) >> 20)) MiB packed"
echo "unpacked into $out, best of $runs runs"
printf '%-20s %7s s wall %6s s cpu %8s MB/s\n' "kqpack extract" "$kq" "$kq_cpu" "$(rate "$bytes" "$kq")"
printf '%-20s %7s s wall %6s s cpu %8s MB/s\n' "unzip -o" "$uz" "$uz_cpu" "$(rate "$bytes" "$uz")"
printf '%-20s %7s s wall %6s s cpu %8s MB/s\n' "bare inflate loop" "$bl" "$bl_cpu" "$(rate "$bytes" "$bl")"
printf '%-20s %7s s wall %6s s cpu %8s MB/s\n' "  + CRC and times" "$bc" "$bc_cpu" "$(rate "$bytes" "$bc")"
echo "kqpack / bare loop:                 $(ratio "$bl" "$kq") (target 0.9 or better)"
echo "kqpack / bare loop + CRC and times: $(ratio "$bc" "$kq")"
echo "kqpack / unzip:                     $(ratio "$uz" "$kq") (target 1.0 or better)"
rm -rf "$out" data-200 200.zip

# Memory is measured unpacking to disk, in the work folder.
for size in 20 1024; do
  prepare $size
  rm -rf out
  rss=$(max_rss_kib "$kqpack" extract $size.zip out)
  echo "max RSS of kqpack extract, $size MiB archive ($(files_of data-$size) files, $(($(stat -c %s $size.zip) >> 20)) MiB packed): $rss KiB"
  rm -rf out "data-$size" $size.zip
done
