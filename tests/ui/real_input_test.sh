#!/usr/bin/env bash
# Real X input and a screenshot of a program built on the framework. The probe shows
# a dialog painted in one colour; the screenshot must show that colour inside the
# window's rectangle (found by kqdrive); then a real Enter key from xdotool must reach
# OnOK twice (before and through the dialog manager), which the probe reports as its
# exit status 2.
#   real_input_test.sh WINE_RUN BIN_DIR
set -u -o pipefail
run="$1"
bin="$2"
here="$(cd "$(dirname "$0")" && pwd)"
# The screenshot stays in the working folder for a person to look at.
mkdir -p ui_real_input
cd ui_real_input
title="ui probe keys"
expected_pixel="srgb(255,128,0)"

"$run" "$bin/ui_app_probe.exe" keys &
probe=$!

fail() {
  echo "FAIL: $*"
  kill "$probe" 2>/dev/null
  wait "$probe" 2>/dev/null
  exit 1
}

# A busy machine (other Wine tests beside this one) can take long to start a program.
"$run" "$bin/kqdrive.exe" wait "$title" 90000 || fail "the probe window did not appear"
read -r left top right bottom < <("$run" "$bin/kqdrive.exe" rect "$title" | tr -d '\r')
[ -n "${bottom:-}" ] || fail "no window rectangle"
# A point of the client area away from the controls (bottom right).
x=$(( right - 20 ))
y=$(( bottom - 20 ))
echo "window at $left $top $right $bottom, probing $x $y"

# The window may show before it is painted: look again for a few seconds.
pixel=""
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  "$here/screenshot.sh" shot.png || fail "no screenshot"
  pixel="$(convert shot.png -format "%[pixel:p{$x,$y}]" info:)"
  [ "$pixel" = "$expected_pixel" ] && break
  sleep 0.5
done
[ "$pixel" = "$expected_pixel" ] || fail "screenshot shows $pixel at $x,$y, expected $expected_pixel"

# The driver program reads and clicks the controls of another process.
drive() { "$run" "$bin/kqdrive.exe" "$@" | tr -d '\r'; }
[ "$(drive text "$title" 1007)" = "status" ] || fail "kqdrive text: $(drive text "$title" 1007)"
[ "$(drive state "$title" 1010)" = "enabled=1 visible=1 checked=0" ] || fail "kqdrive state: $(drive state "$title" 1010)"
drive click "$title" 1010 || fail "kqdrive click"
for attempt in 1 2 3 4 5; do
  [ "$(drive state "$title" 1010)" = "enabled=1 visible=1 checked=1" ] && break
  sleep 0.2
done
[ "$(drive state "$title" 1010)" = "enabled=1 visible=1 checked=1" ] || fail "the click did not check the box"

xdotool mousemove "$x" "$y"
sleep 0.5
xdotool key Return
wait "$probe"
status=$?
[ "$status" -eq 2 ] || fail "probe exit status $status, expected 2 (OnOK twice)"
echo "OK: screenshot shows the window, one real Enter reached OnOK twice"
