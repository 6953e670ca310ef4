#!/usr/bin/env bash
# Saves what the display shows: screenshot.sh OUT.png [DISPLAY]. Uses the display
# given, else $DISPLAY (the Xvfb of the test run). Exit status 0 when OUT.png exists.
set -eu
out="${1:?usage: screenshot.sh OUT.png [DISPLAY]}"
display="${2:-${DISPLAY:?no DISPLAY}}"
import -display "$display" -window root "$out"
[ -s "$out" ]
