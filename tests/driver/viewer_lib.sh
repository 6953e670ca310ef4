# Sourced by the scripts that show a test window under Wine and check it from
# outside: a display (the one in $DISPLAY, or a private Xvfb), kqdrive, a scratch
# folder, and the clean-up that closes the window and removes the folder.
#
# Before sourcing set: build (the win64 build folder), title (the window's title),
# tag (names the scratch folder). Sets: source_dir, run, work, skin (the sample
# skin's folder below work, not yet made), viewer (the pid of the program under
# test, set by the caller once it is started).
set -u -o pipefail
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
run="$build/wine-run.sh"
work="$(mktemp -d "${TMPDIR:-/tmp}/$tag.XXXXXX")"
skin="$work/Image/Autopatch/KR"
viewer=""

if [ -z "${DISPLAY:-}" ]; then
  source "$source_dir/scripts/xvfb.sh"
  start_xvfb || exit 1
fi

drive() { "$run" "$build/bin/kqdrive.exe" "$@" | tr -d '\r'; }

finish() {
  if [ -n "$viewer" ] && kill -0 "$viewer" 2>/dev/null; then
    drive key "$title" escape >/dev/null 2>&1
    sleep 2
    pkill -P "$viewer" 2>/dev/null
    kill "$viewer" 2>/dev/null
  fi
  if [ -n "${KQ_XVFB_PID:-}" ]; then stop_xvfb; fi
  rm -rf "$work"
}
trap finish EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

# The hex colour (RRGGBB) of a pixel of an image, TGA files upright.
pixel() { convert "$1" -auto-orient -alpha off -format "%[hex:p{$2,$3}]" info:; }
