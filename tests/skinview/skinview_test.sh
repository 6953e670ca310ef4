#!/usr/bin/env bash
# Shows the sample skin's "main" dialog with skinview under Wine and checks the
# screenshot against the skin's own images:
#   - the window has the background's size and is cut to its shape (the desktop,
#     black under Xvfb, shows where the background is key-coloured);
#   - everywhere outside the progress bar the screen equals the background with the
#     buttons' faces laid over it (key-coloured face pixels show the background):
#     face 0 of the push buttons, face 1 of the checked "full" toggle;
#   - the progress bar at POS splits at trunc(width x POS): the skin's pattern, its
#     outline colour at the last done column, its back colour after it;
#   - real X input: the pointer over "start" shows its face 1, a drag on the
#     background moves the window, Escape ends the program with status 0.
# The screenshot of the untouched window is written to OUT.png; hover.png is left
# beside it.
#   skinview_test.sh BUILD_DIR OUT.png [POS]
# Uses the display in $DISPLAY, or starts its own Xvfb when there is none.
build="$(cd "$1" && pwd)"
out="$2"
pos="${3:-0.5}"
title="KQ skin view"
tag=skinview
source "$(dirname "$0")/../driver/viewer_lib.sh"

python3 "$source_dir/sample/make-skin.py" "$work" || fail "cannot make the sample skin"

# Component geometry from the script: NAME KEY VALUES...
geometry="$(tr -d '\r' <"$skin/skin.txt" | awk '
  /^ *(button|progressbar|combobox|htmlview) / { name = $2 }
  /^ *(image|pos|size|color|backcolor) / && name != "" { gsub(/"/, ""); $1 = name " " $1; print }')"
value() { echo "$geometry" | awk -v n="$1" -v k="$2" -v i="$3" '$1 == n && $2 == k { print $(2 + i) }'; }

hex() { printf '%02X%02X%02X' "$1" "$2" "$3"; }

# The background with its key colour turned to the desktop's black and the faces
# laid over it; $1 is the face of "start" (0 normal, 1 hovered).
expected_window() {
  local start_face="$1" name face args=()
  for name in start close minimize full; do
    case "$name" in
      start) face="$start_face" ;;
      full) face=1 ;;
      *) face=0 ;;
    esac
    local w h
    w=$(value "$name" size 1); h=$(value "$name" size 2)
    args+=("(" "$skin/$(value "$name" image 1)" -auto-orient -alpha off -crop "${w}x${h}+$((face * w))+0" +repage
           -transparent "#FF0000" ")" -geometry "+$(value "$name" pos 1)+$(value "$name" pos 2)" -composite)
  done
  convert "$skin/background.tga" -auto-orient -alpha off -fill black -opaque "#FF0000" "${args[@]}" -alpha off "$2"
}

bar_x=$(value probar pos 1); bar_y=$(value probar pos 2)
bar_w=$(value probar size 1); bar_h=$(value probar size 2)
hide_bar=(-fill black -draw "rectangle $bar_x,$bar_y $((bar_x + bar_w - 1)),$((bar_y + bar_h - 1))")

# Pixels that differ between the window in screenshot $1 and image $2, the progress
# bar left out of both.
differences() {
  convert "$1" -crop "${win_w}x${win_h}+${left}+${top}" +repage -alpha off "${hide_bar[@]}" "$work/window.png"
  convert "$2" "${hide_bar[@]}" "$work/expected-masked.png"
  compare -metric AE "$work/window.png" "$work/expected-masked.png" null: 2>&1
}

# Takes screenshots into $1 until the window matches image $2 (the window may show
# before it is painted); prints the last count of differing pixels.
shoot_until_equal() {
  local attempt count=""
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    "$source_dir/tests/ui/screenshot.sh" "$1" >/dev/null || fail "no screenshot"
    count="$(differences "$1" "$2")"
    [ "$count" = "0" ] && break
    sleep 0.5
  done
  echo "$count"
}

(cd "$work" && exec "$run" "$build/bin/skinview.exe" "$pos") >"$work/viewer.out" 2>&1 &
viewer=$!

drive wait "$title" 20000 >/dev/null || fail "the skinview window did not appear: $(cat "$work/viewer.out")"
read -r left top right bottom < <(drive rect "$title")
win_w=$((right - left)); win_h=$((bottom - top))
read -r bg_w bg_h < <(identify -format "%w %h" "$skin/background.tga")
[ "$win_w" = "$bg_w" ] && [ "$win_h" = "$bg_h" ] || fail "window ${win_w}x${win_h}, background ${bg_w}x${bg_h}"
echo "window at $left $top, ${win_w}x${win_h}"

expected_window 0 "$work/expected.png"
count="$(shoot_until_equal "$out" "$work/expected.png")"
[ "$count" = "0" ] || fail "the screenshot differs from the skin in $count pixels (see $out)"

# The progress bar: pattern, outline at the last done column, back colour after it.
split=$(awk -v w="$bar_w" -v p="$pos" 'BEGIN { printf "%d", w * p }')
mid=$((bar_h / 2))
tile="$skin/$(value probar image 1)"
read -r tile_w tile_h < <(identify -format "%w %h" "$tile")
colour_of() { hex "$(value probar "$1" 1)" "$(value probar "$1" 2)" "$(value probar "$1" 3)"; }
expect_pixel() {  # NAME X Y EXPECTED (window coordinates)
  local seen
  seen="$(pixel "$out" $((left + $2)) $((top + $3)))"
  [ "$seen" = "$4" ] || fail "$1: pixel $2,$3 is $seen, expected $4"
}
expect_pixel "done pattern" $((bar_x + 5)) $((bar_y + mid)) "$(pixel "$tile" $((5 % tile_w)) $((mid % tile_h)))"
expect_pixel "done outline" $((bar_x + split - 1)) $((bar_y + mid)) "$(colour_of color)"
expect_pixel "rest" $((bar_x + split)) $((bar_y + mid)) "$(colour_of backcolor)"
echo "OK: the screenshot shows the skin ($out)"

# The pointer over "start" shows its hovered face.
xdotool mousemove $((left + $(value start pos 1) + $(value start size 1) / 2)) \
                 $((top + $(value start pos 2) + $(value start size 2) / 2))
expected_window 1 "$work/expected-hover.png"
count="$(shoot_until_equal "$(dirname "$out")/hover.png" "$work/expected-hover.png")"
[ "$count" = "0" ] || fail "with the pointer over start the screenshot differs in $count pixels"
echo "OK: the pointer over start shows its hovered face"

# A drag on the background (left of the board, below the header) moves the window.
grab_x=$((left + 12)); grab_y=$((top + 120))
xdotool mousemove "$grab_x" "$grab_y"
sleep 0.3
xdotool mousedown 1
sleep 0.3
xdotool mousemove $((grab_x + 25)) $((grab_y + 20))
sleep 0.1
xdotool mousemove $((grab_x + 50)) $((grab_y + 40))
sleep 0.3
xdotool mouseup 1
moved=""
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  read -r l2 t2 _ _ < <(drive rect "$title")
  if [ "$l2" = $((left + 50)) ] && [ "$t2" = $((top + 40)) ]; then moved=1; break; fi
  sleep 0.3
done
[ -n "$moved" ] || fail "the drag moved the window from $left,$top to $l2,$t2, expected +50,+40"
echo "OK: a drag on the background moved the window"

drive key "$title" escape >/dev/null || fail "kqdrive key"
wait "$viewer"
status=$?
viewer=""
[ "$status" -eq 0 ] || fail "skinview exit status $status: $(cat "$work/viewer.out")"
echo "OK: Escape ended skinview"
