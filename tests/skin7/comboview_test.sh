#!/usr/bin/env bash
# Shows the sample skin's "main" dialog with its "resolution" combo box under Wine,
# opens the list with a real click and checks what a player sees and does:
#   - the screenshot shows the skin's scroll image at the skinned bar's place: the
#     arrow tiles at both ends, the thumb's end rows where the scroll state puts it,
#     the track between; and the list in its colours right up to the bar (no gap);
#   - real clicks and a drag (xdotool) on the bar move the list as the bar's
#     geometry says: an arrow one item, a page area one page, the thumb by
#     (max - page + 1) x pixels / (track - thumb) items; the bar follows the list;
#   - a click outside closes the list (the bar gave the list its capture back), and
#     Escape ends the program with status 0.
# The screenshot of the dropped list is written to OUT.png.
#   comboview_test.sh BUILD_DIR OUT.png
# Uses the display in $DISPLAY, or starts its own Xvfb when there is none.
build="$(cd "$1" && pwd)"
out="$2"
title="KQ combo view"
tag=comboview
source "$(dirname "$0")/../driver/viewer_lib.sh"

# Pixels that differ between a W x H area at X,Y of image 1 and at X2,Y2 of image 2.
area_differences() {  # IMAGE1 X Y IMAGE2 X2 Y2 W H
  convert "$1" -auto-orient -alpha off -crop "$7x$8+$2+$3" +repage "$work/area1.png"
  convert "$4" -auto-orient -alpha off -crop "$7x$8+$5+$6" +repage "$work/area2.png"
  compare -metric AE "$work/area1.png" "$work/area2.png" null: 2>&1
}

# state: "top=T pos=P dropped=D"; geometry: bar, tile side, scroll state, item height.
state() { drive text "$title" 1101; }
field() { echo "$2" | sed -E "s/.*(^| )$1=([-0-9,]+).*/\2/"; }
# Waits until the state's field NAME has VALUE; prints the last state.
wait_for() {  # NAME VALUE
  local attempt s=""
  for attempt in $(seq 1 40); do
    s="$(state)"
    [ "$(field "$1" "$s")" = "$2" ] && break
    sleep 0.1
  done
  echo "$s"
}

python3 "$source_dir/sample/make-skin.py" "$work" || fail "cannot make the sample skin"
scroll_image="$skin/scroll.tga"

(cd "$work" && exec "$run" "$build/bin/comboview.exe") >"$work/viewer.out" 2>&1 &
viewer=$!
drive wait "$title" 20000 >/dev/null || fail "the combo view did not appear: $(cat "$work/viewer.out")"

# A real click on the box opens the list, as a player opens it.
read -r cl ct cr cb < <(drive rect "$title" 1011)
[ -n "${cb:-}" ] || fail "no combo box"
xdotool mousemove $((cl + 20)) $((ct + 8)) click 1
s="$(wait_for dropped 1)"
[ "$(field dropped "$s")" = "1" ] || fail "the click did not open the list: $s"

geometry="$(drive text "$title" 1102)"
echo "dropped: $s; $geometry"
IFS=, read -r bl bt br bb <<<"$(field bar "$geometry")"
IFS=, read -r ll lt lr lb <<<"$(field list "$geometry")"
a=$(field a "$geometry"); page=$(field page "$geometry"); max=$(field max "$geometry")
item=$(field item "$geometry")
read -r image_w _ < <(identify -format "%w %h" "$scroll_image")
[ "$a" = $((image_w / 9)) ] || fail "tile side $a, the scroll image is $image_w wide"
[ $((br - bl)) = "$a" ] || fail "the bar is $((br - bl)) wide, not $a"

# The bar's geometry (tile side a, length L, range 0..max, page): thumb length and
# start for position t, and the position a drag of d pixels gives from t.
L=$((bb - bt)); track=$((L - 2 * a))
thumb_len() { awk -v p="$page" -v tr="$track" -v r="$1" 'BEGIN {
  if (tr < 6) { print 0; exit } t = int(p * tr / r); if (t < 6) t = 6; if (t > tr) t = tr; print t }'; }
th=$(thumb_len $((max + 1)))
thumb_start() { awk -v a="$a" -v rest=$((track - th)) -v t="$1" -v d=$((max - page + 1)) \
  'BEGIN { print a + int(rest * t / d) }'; }
drag_to() { awk -v s="$1" -v d="$2" -v rest=$((track - $(thumb_len "$max"))) -v hi=$((max - page + 1)) 'BEGIN {
  n = s + int(hi * d / rest); if (n < 0) n = 0; if (n > hi) n = hi; print n }'; }

# --- The screenshot ----------------------------------------------------------------
top=$(field top "$s")
ts=$(thumb_start "$top")
shot_ok=""
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  "$source_dir/tests/ui/screenshot.sh" "$out" >/dev/null || fail "no screenshot"
  up="$(area_differences "$out" "$bl" "$bt" "$scroll_image" 0 0 "$a" "$a")"
  down="$(area_differences "$out" "$bl" $((bb - a)) "$scroll_image" "$a" 0 "$a" "$a")"
  thumb_head="$(area_differences "$out" "$bl" $((bt + ts)) "$scroll_image" $((2 * a)) 0 "$a" 3)"
  thumb_tail="$(area_differences "$out" "$bl" $((bt + ts + th - 3)) "$scroll_image" $((2 * a)) $((a - 3)) "$a" 3)"
  [ "$up$down$thumb_head$thumb_tail" = "0000" ] && { shot_ok=1; break; }
  sleep 0.5
done
[ -n "$shot_ok" ] || fail "the bar differs from the scroll image: up $up, down $down, thumb ends $thumb_head/$thumb_tail (see $out)"
echo "OK: the arrows and the thumb (at $ts, $th long) show the scroll image's tiles"
if [ "$ts" -gt "$a" ]; then
  seen="$(pixel "$out" $((bl + a / 2)) $((bt + a)))"
  [ "$seen" = "$(pixel "$scroll_image" $((3 * a + a / 2)) 0)" ] || fail "the track above the thumb is $seen"
fi

# The items: the selected one on 0x494747's colour, the others on 0x2B2929's, up to
# the bar's left edge.
selected=4
for row in $(seq 0 $((page - 1))); do
  y=$((lt + row * item + item / 2))
  expected=$([ $((top + row)) = "$selected" ] && echo 474749 || echo 29292B)
  seen="$(pixel "$out" $((bl - 1)) "$y")"
  [ "$seen" = "$expected" ] || fail "item row $row at the bar's edge is $seen, expected $expected"
done
echo "OK: the list's items show their colours right up to the bar"

# --- Real input on the bar -----------------------------------------------------------
click_at() { xdotool mousemove "$1" "$2" click 1; }
expect_top() {  # NAME VALUE
  local s
  s="$(wait_for top "$2")"
  [ "$(field top "$s")" = "$2" ] || fail "$1: the list's top item is $(field top "$s"), expected $2"
  [ "$(field pos "$s")" = "$2" ] || fail "$1: the bar shows $(field pos "$s"), the list $2"
  [ "$(field dropped "$s")" = "1" ] || fail "$1 closed the list"
  echo "OK: $1 -> top item $2"
}
highest=$((max - page + 1))
clip() { if [ "$1" -lt 0 ]; then echo 0; elif [ "$1" -gt "$highest" ]; then echo "$highest"; else echo "$1"; fi; }

click_at $((bl + a / 2)) $((bb - a / 2))
top=$(clip $((top + 1))); expect_top "the down arrow" "$top"

ts=$(thumb_start "$top")
click_at $((bl + a / 2)) $(((bt + ts + th + bb - a) / 2))
top=$(clip $((top + page))); expect_top "the page below the thumb" "$top"

click_at $((bl + a / 2)) $((bt + a / 2))
top=$(clip $((top - 1))); expect_top "the up arrow" "$top"

for d in -20 9; do
  ts=$(thumb_start "$top")
  x=$((bl + a / 2)); y=$((bt + ts + th / 2))
  xdotool mousemove "$x" "$y"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  step=$([ "$d" -lt 0 ] && echo -1 || echo 1)
  for i in $(seq "$step" "$step" "$d"); do xdotool mousemove "$x" $((y + i)); done
  sleep 0.2
  xdotool mouseup 1
  top=$(drag_to "$top" "$d"); expect_top "a thumb drag of $d pixels" "$top"
done

# A click outside closes the list: the list has the capture again.
xdotool mousemove $((cl - 60)) $((ct - 60)) click 1
s="$(wait_for dropped 0)"
[ "$(field dropped "$s")" = "0" ] || fail "a click outside left the list open: $s"
echo "OK: a click outside closed the list"

drive key "$title" escape >/dev/null || fail "kqdrive key"
wait "$viewer"
status=$?
viewer=""
[ "$status" -eq 0 ] || fail "comboview exit status $status: $(cat "$work/viewer.out")"
echo "OK: Escape ended comboview"
