#!/usr/bin/env bash
# run-fuzzers.sh BUILD_DIR SECONDS: runs every fuzz_* program in BUILD_DIR/bin for
# SECONDS each. A fuzz/<name>/make-seeds.sh, when present, makes its seed corpus first.
# Any crash, leak or sanitizer report fails the run.
set -euo pipefail
build="$(cd "$1" && pwd)"; seconds="$2"
root="$(cd "$(dirname "$0")/.." && pwd)"
found=0
for exe in "$build"/bin/fuzz_*; do
  [ -x "$exe" ] || continue
  found=1
  name="$(basename "$exe")"; name="${name#fuzz_}"
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  if [ -x "$root/fuzz/$name/make-seeds.sh" ] || [ -f "$root/fuzz/$name/make-seeds.sh" ]; then
    bash "$root/fuzz/$name/make-seeds.sh" "$corpus"
  fi
  echo "fuzz_$name: ${seconds} s"
  log="$build/fuzz_$name.log"
  status=0
  (cd "$build" && "$exe" -max_total_time="$seconds" -print_final_stats=1 "$corpus") >"$log" 2>&1 || status=$?
  grep -E "^(Done|stat::(number_of_executed_units|peak_rss_mb))" "$log" || tail -n 20 "$log"
  [ "$status" -eq 0 ] || { echo "fuzz_$name failed with status $status (log: $log)" >&2; exit 1; }
done
[ "$found" -eq 1 ] || echo "no fuzz targets found in $build/bin"
