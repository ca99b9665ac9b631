#!/usr/bin/env bash
# Shaped windows of the window layer on a real X server: the server's bounding shapes and
# positions, the taskbar and pager states, the pixels on the screen, and where clicks go.
# Usage: shaped_windows_e2e.sh APP XSHAPE ARTIFACTS_DIR
#   DISPLAY set; KIPRUN_E2E_WM names the desktop (none, openbox, xfwm4, mutter, kwin). A
#   compositor may draw its own desktop (mutter a colour of its choosing), so the desktop's
#   colour is read before the windows open; a panel covers the bottom of the screen, so points
#   below the work area are left out.
set -uo pipefail
app=$1 xshape=$2 artifacts=$3
wm=${KIPRUN_E2E_WM:-none}
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: skipped"; exit 77; }
# shellcheck source=../game/scene-lib.sh
. "$(cd "$(dirname "$0")" && pwd)/../game/scene-lib.sh"
mkdir -p "$artifacts"

work=$(mktemp -d)
log=$work/app.log
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

pixel_of() { /usr/bin/convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1; }
/usr/bin/import -window root "$work/desktop.png"
desktop_colour=$(pixel_of "$work/desktop.png" 500 500)
# The bottom of what no panel covers.
visible_bottom=$(xprop -root _NET_WORKAREA 2>/dev/null |
  awk -F'= ' 'NF > 1 { split($2, a, ", "); print a[2] + a[4] }')
[ "$wm" = openbox ] || [ -z "$visible_bottom" ] && visible_bottom=768
covered() { [ "$1" -ge "$visible_bottom" ]; }

"$app" "$log" >"$work/app.out" 2>&1 &
app_pid=$!
for _ in $(seq 100); do grep -q '^ready$' "$log" 2>/dev/null && break; sleep 0.1; done
grep -q '^ready$' "$log" || { cat "$work/app.out"; echo "FAIL: the program did not get ready"; exit 1; }

window_id() { awk -v n="$1" '$1 == "window" && $2 == n { print $3 }' "$log"; }

# check_window NAME X Y WIDTH HEIGHT "RECT;RECT;..." with each RECT "x y w h"
check_window() {
  local name=$1 x=$2 y=$3 w=$4 h=$5 rects=$6 id out
  id=$(window_id "$name")
  out=$("$xshape" --id "$id" --wait 3) || { fail "$name ($id) is not mapped"; return; }
  echo "$out" >"$artifacts/shaped-windows-$wm-$name.txt"
  local position size shape state
  position=$(echo "$out" | awk '$1 == "position" { print $2, $3 }')
  size=$(echo "$out" | awk '$1 == "size" { print $2, $3 }')
  shape=$(echo "$out" | awk '$1 == "rect" { print $2, $3, $4, $5 }' | sort | paste -sd';')
  state=$(echo "$out" | awk '$1 == "state"')
  [ "$position" = "$x $y" ] || fail "$name at $position, put at $x $y"
  [ "$size" = "$w $h" ] || fail "$name is $size, not $w $h"
  local expected
  expected=$(echo "$rects" | tr ';' '\n' | sort | paste -sd';')
  [ "$shape" = "$expected" ] || fail "$name's shape is '$shape', not '$expected'"
  [[ $state == *_NET_WM_STATE_SKIP_TASKBAR* ]] || fail "$name is in the taskbar: $state"
  [[ $state == *_NET_WM_STATE_SKIP_PAGER* ]] || fail "$name is in the pager: $state"
  [[ $state == *_NET_WM_STATE_ABOVE* ]] && fail "$name is kept on top: $state"
}

# The work area: the screen less the panel margins the window manager reserves (a window
# manager that has gone may leave its last _NET_WORKAREA on the root).
case $wm in
  openbox) expected_area="0 24 1024 738" ;;
  *) expected_area=$(xprop -root _NET_WORKAREA 2>/dev/null |
       awk -F'= ' 'NF > 1 { split($2, a, ", "); print a[1], a[2], a[1] + a[3], a[2] + a[4] }')
     [ -n "$expected_area" ] || expected_area="0 0 1024 768" ;;
esac
area=$(awk '$1 == "workarea" { print $2, $3, $4, $5 }' "$log")
[ "$area" = "$expected_area" ] || fail "work area $area, not $expected_area"

check_window frmRing 0 0 80 80 "0 0 80 20;0 20 20 40;60 20 20 40;0 60 80 20"
check_window frmL 200 700 80 60 "0 0 20 40;0 40 80 20"
check_window frmBelow 0 0 360 768 "0 0 360 768"

shot=$artifacts/shaped-windows-$wm.png
# A compositor may round a channel by one.
same_colour() {
  awk -v a="$1" -v b="$2" 'function v(s, i) { return index("0123456789ABCDEF", substr(s, i, 1)) * 16 + index("0123456789ABCDEF", substr(s, i + 1, 1)) }
    BEGIN { for (i = 2; i <= 6; i += 2) { d = v(a, i) - v(b, i); if (d > 1 || d < -1) exit 1 } }'
}
# The points to read: "X Y COLOUR WHAT".
points="10 10 #0000FF the ring
40 40 #808080 the window beneath, through the ring's hole
205 705 #FF0000 the L's stem
260 710 #808080 the window beneath, beside the L's stem
275 755 #FF0000 the L's foot
500 500 $desktop_colour the desktop, beside every window"
# wrong_pixels: one line for each point of the screenshot that shows another colour.
wrong_pixels() {
  local x y colour what got
  while read -r x y colour what; do
    covered "$y" && continue
    got=$(pixel_of "$shot" "$x" "$y")
    same_colour "$got" "$colour" || echo "pixel $x,$y is $got, not $colour ($what)"
  done <<<"$points"
}
# A compositor fades a newly mapped window in (mutter over 250 ms), so the screen is read again
# for up to three seconds before a wrong pixel counts.
for look in $(seq 10); do
  /usr/bin/import -window root "$shot" || fail "no screenshot"
  wrong=$(wrong_pixels)
  [ -z "$wrong" ] && break
  sleep 0.3
done
echo "the screen read at look $look"
while read -r line; do [ -n "$line" ] && fail "$line"; done <<<"$wrong"
while read -r x y _; do covered "$y" && echo "pixel $x,$y is under a panel: not checked"; done <<<"$points"

# Presses inside a shape reach the shaped window; outside it, the window beneath.
presses=0
click() {
  local x=$1 y=$2 button=$3 expected=$4
  covered "$y" && { echo "click at $x,$y would go to a panel: not made"; return; }
  xdotool mousemove "$x" "$y" click "$button"
  presses=$((presses + 1))
  for _ in $(seq 30); do [ "$(grep -c '^press' "$log")" -ge "$presses" ] && break; sleep 0.1; done
  local got
  got=$(grep '^press' "$log" | sed -n "${presses}p")
  [ "$got" = "press $expected" ] || fail "click at $x,$y gave '$got', not 'press $expected'"
}
click 10 10 1 "frmRing 1 10 10"
click 210 750 1 "frmL 1 10 50"
click 215 705 3 "frmL 2 15 5"
# The popup opened by the right press, answered with keys: the separator is skipped.
# The popup window carries the program's name as its title.
"$xshape" --name "$(basename "$app")" --wait 3 >"$artifacts/shaped-windows-$wm-popup.txt" ||
  fail "no popup menu opened"
# The keys go once the popup shows painted (by then the program has taken the keyboard for it).
kiprun_wait_until 3 kiprun_menu_painted "$xshape" "$(basename "$app")" \
  "$artifacts/shaped-windows-$wm-popup.png" || echo "the popup menu does not look painted after 3 s"
xdotool key Down Down Return
for _ in $(seq 30); do grep -q '^menu closed$' "$log" && break; sleep 0.1; done
menu=$(grep -E '^(click|menu)' "$log" | paste -sd';')
[ "$menu" = "click mBlue;menu closed" ] || fail "the popup gave '$menu', not 'click mBlue;menu closed'"
click 40 40 1 "frmBelow 1 40 40"
click 260 710 1 "frmBelow 1 260 710"

if [ "$failures" -gt 0 ]; then
  echo "$failures failures under window manager '$wm'; screenshot $shot"
  exit 1
fi
echo "shaped windows as put under window manager '$wm'; screenshot $shot"
