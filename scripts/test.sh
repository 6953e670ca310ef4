#!/usr/bin/env bash
# Everything CI does, on a fresh Debian 12 machine or a prepared one: installs what is
# missing (the 32-bit Wine loader through qemu among it), builds the native
# (sanitized), win64, win32 and fuzz presets, runs every native test, every Windows
# test of the 64-bit and of the 32-bit build under Wine (the 32-bit one without the
# tests cmake/KqWin32NotRun.cmake names; windows on a private Xvfb server), and a
# short run of every fuzz target. Exits non-zero on the first failure. Each step
# prints when it started.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

FUZZ_SECONDS="${KQ_FUZZ_SECONDS:-60}"
JOBS="${KQ_JOBS:-$(nproc)}"

step_start=$SECONDS
step() {
  printf '\n=== %s (at %d s)\n' "$*" "$((SECONDS - step_start))"
}

step "set-up"
bash scripts/setup-debian.sh

for preset in native win64 win32 fuzz; do
  step "configure and build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
done

step "native tests"
(cd build/native && ctest --output-on-failure -j "$JOBS")

step "Windows tests of the 64-bit build under Wine"
source scripts/xvfb.sh
start_xvfb
trap stop_xvfb EXIT
(cd build/win64 && ctest --output-on-failure -j "$JOBS")

# The players' build: the whole 32-bit suite under 32-bit Wine, except what
# cmake/KqWin32NotRun.cmake names (CTest reports those as not run, with the reason
# in the configure output).
step "Windows tests of the 32-bit build under 32-bit Wine (qemu user emulation)"
(cd build/win32 && ctest --output-on-failure -j "$JOBS")

step "fuzz targets (${FUZZ_SECONDS} s each)"
bash scripts/run-fuzzers.sh build/fuzz "$FUZZ_SECONDS"

step "all tests passed"
