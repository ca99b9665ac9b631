#!/usr/bin/env bash
# The scene on Wayland desktops, through XWayland: a check a developer runs by hand (not in CI,
# it needs a few minutes and packages the CI machine does not have).
#
# Usage: tests/e2e/wayland/check-wayland.sh mutter|kwin [BUILD_DIR]
#   mutter  `mutter --wayland --headless --virtual-monitor 1280x800` under dbus-run-session;
#           clicks and keys go through the compositor with mutter's RemoteDesktop D-Bus
#           interface (never XTEST).
#   kwin    `kwin_wayland --virtual --xwayland`, started from a copy of the binary (a copy has
#           no file capability, which a session without a seat refuses); screenshots from
#           KWin's ScreenShot2 D-Bus interface (KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1).
# Prints a table: scene shown, balloon seen (n of N), click-through, menu closes. Screenshots
# and logs go to BUILD_DIR/e2e-artifacts/wayland-<desktop>/.
# Packages: mutter, kwin-wayland, xwayland, libglib2.0-bin (gdbus), python3-dbus, xdotool,
# imagemagick.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
desktop=${1:?usage: check-wayland.sh mutter|kwin [BUILD_DIR]}
build=$(cd "${2:-$root/build}" && pwd)

if [ -z "${KIPRUN_WAYLAND_INSIDE:-}" ]; then
  out="$build/e2e-artifacts/wayland-$desktop"
  mkdir -p "$out"
  runtime=$(mktemp -d /tmp/kiprun-wayland.XXXXXX)
  chmod 700 "$runtime"
  export XDG_RUNTIME_DIR=$runtime KIPRUN_WAYLAND_INSIDE=1 KIPRUN_WAYLAND_OUT=$out
  unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
  # This script runs again as the compositor's client, with DISPLAY naming XWayland.
  case $desktop in
  mutter)
    timeout 600 dbus-run-session -- mutter --wayland --headless --virtual-monitor 1280x800 \
      -- bash "$0" "$desktop" "$build" 2>"$out/compositor.log"
    ;;
  kwin)
    cp "$(command -v kwin_wayland)" "$runtime/kwin_wayland"
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 QT_QPA_PLATFORM=wayland timeout 600 dbus-run-session -- \
      "$runtime/kwin_wayland" --virtual --xwayland --width 1280 --height 800 \
      --exit-with-session "bash $0 $desktop $build" 2>"$out/compositor.log"
    ;;
  *)
    echo "unknown desktop $desktop" >&2
    exit 2
    ;;
  esac
  code=$?
  rm -rf "$runtime"
  exit $code
fi

# --- inside the session ----------------------------------------------------------------------
out=$KIPRUN_WAYLAND_OUT
xshape=$build/tests/e2e/kiprun-xshape
xwindow=$build/tests/e2e/kiprun-xwindow
program=$build/app/DskKPR
work=$(mktemp -d)
app_pid="" cover_pid=""
cleanup() {
  local pid
  for pid in $app_pid $cover_pid; do kill "$pid" 2>/dev/null; done
  exec 3>&- 4<&-
  rm -rf "$work"
}
trap cleanup EXIT
log() { echo "$*" | tee -a "$out/check.log"; }
: >"$out/check.log"
for i in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
log "desktop $desktop: DISPLAY=$DISPLAY WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-}"

# Input through the compositor: a helper holds mutter's remote-desktop session and takes one
# command a line (mutter-input.py tells them).
input_ok=""
input_start() {
  case $desktop in
  mutter)
    mkfifo "$work/in" "$work/ack"
    /usr/bin/python3 "$here/mutter-input.py" <"$work/in" >"$work/ack" 2>"$out/input.log" &
    exec 3>"$work/in" 4<"$work/ack"
    local reply
    read -r -t 10 reply <&4 && [ "$reply" = ready ] && input_ok=yes
    ;;
  esac
  [ -n "$input_ok" ]
}
send() {
  local reply
  echo "$*" >&3
  read -r -t 5 reply <&4
}
move_to() { send move "$1" "$2"; sleep 0.05; }
# click X Y BUTTON(1|3)
click() {
  local code=272
  [ "$3" = 3 ] && code=273
  move_to "$1" "$2"
  send button "$code" 1
  send button "$code" 0
}
key() { send key "$1" 1; send key "$1" 0; }

# Screenshots of the XWayland root: what the X server holds for its windows.
shot() { /usr/bin/import -window root "$out/$1.png" 2>>"$out/check.log"; }

scene_windows() {
  "$xshape" --class DskKPR "$@" 2>/dev/null | awk '
    $1 == "window" { id = $2 } $1 == "position" { x = $2; y = $3 }
    $1 == "size" { w = $2; h = $3 } $1 == "end" { print id, x, y, w, h }'
}
read_scene() {
  local list
  list=$(scene_windows)
  read -r golfer_id golfer_x golfer_y _ <<<"$(echo "$list" | awk '$4 == 79 && $5 == 96 { print; exit }')"
  read -r button_id button_x button_y _ <<<"$(echo "$list" | awk '$4 == 18 && $5 == 22 { print; exit }')"
}

# --- the checks ----------------------------------------------------------------------------------
input_start || log "no input through the compositor on $desktop"
"$xwindow" window 0 400 1280 400 3050c0 >"$work/cover.out" 2>&1 &
cover_pid=$!
sleep 1
cp "$program" "$work/DskKPR"
(cd "$work" && exec ./DskKPR >"$work/app.out" 2>&1) &
app_pid=$!
scene="no"
if "$xshape" --class DskKPR --count 4 --wait 20 >/dev/null 2>&1; then
  sleep 1
  read_scene
  shot scene
  iconic=0
  for id in $(scene_windows --unmapped | awk '{ print $1 }'); do
    "$xwindow" state "$id" | grep -q 'Iconic\|_NET_WM_STATE_HIDDEN' && iconic=$((iconic + 1))
  done
  scene="yes ($(scene_windows | wc -l) windows mapped, $iconic minimised)"
fi
log "scene shown: $scene"

balloon="not checked" through="not checked" menu="not checked"
if [ -n "$input_ok" ] && [ -n "${golfer_id:-}" ]; then
  # Click-through: transparent points of the golfer's box, to the X window beneath.
  passed=0 total=0
  for p in "3 3" "75 3" "3 50" "75 90" "70 20"; do
    read -r dx dy <<<"$p"
    before=$(grep -c '^press' "$work/cover.out")
    click $((golfer_x + dx)) $((golfer_y + dy)) 1
    sleep 0.3
    total=$((total + 1))
    [ "$(grep -c '^press' "$work/cover.out")" -gt "$before" ] && passed=$((passed + 1))
  done
  through="$passed of $total"
  log "presses seen beneath: $(grep "^press" "$work/cover.out" | tr "\n" ";") golfer at $golfer_x,$golfer_y"
  log "click-through: $through"

  # The balloon, over several shots: a shot is the button, then the button again at the gauge.
  seen=0 tries=0
  for n in 1 2 3; do
    sleep 3
    click $((button_x + 9)) $((button_y + 11)) 1
    for i in $(seq 100); do
      scene_windows | awk '$4 == 79 && $5 == 17' | grep -q . && break
      sleep 0.05
    done
    scene_windows | awk '$4 == 79 && $5 == 17' | grep -q . || log "shot $n: no gauge"
    click $((button_x + 9)) $((button_y + 11)) 1
    line=""
    for i in $(seq 400); do
      line=$(scene_windows | awk '$5 == 18 { print; exit }')
      [ -n "$line" ] && break
      sleep 0.03
    done
    [ -n "$line" ] || { log "shot $n: no balloon"; continue; }
    read -r _ bx by bw _ <<<"$line"
    for when in early late; do
      [ "$when" = late ] && sleep 1.3
      tries=$((tries + 1))
      shot "balloon-$n-$when"
      white=$(/usr/bin/convert "$out/balloon-$n-$when.png" -crop "${bw}x18+$bx+$by" +repage -depth 8 \
        txt:- | grep -c '#FFFFFF')
      [ $((white * 10)) -ge $((bw * 18 * 3)) ] && seen=$((seen + 1))
      log "shot $n $when: $white white pixels of $((bw * 18))"
    done
  done
  balloon="$seen of $tries"
  log "balloon seen: $balloon"
  # The menu: Escape, then a click elsewhere.
  closes=0
  click $((button_x + 9)) $((button_y + 11)) 3
  if "$xshape" --name DskKPR --wait 5 >/dev/null 2>&1; then
    sleep 0.3
    key 65307
    sleep 1
    "$xshape" --name DskKPR >/dev/null 2>&1 || closes=$((closes + 1))
  fi
  # Still open: a click on the button closes it.
  "$xshape" --name DskKPR >/dev/null 2>&1 && { click $((button_x + 9)) $((button_y + 11)) 1; sleep 0.5; }
  click $((button_x + 9)) $((button_y + 11)) 3
  if "$xshape" --name DskKPR --wait 5 >/dev/null 2>&1; then
    sleep 0.3
    click 40 40 1
    sleep 1
    "$xshape" --name DskKPR >/dev/null 2>&1 || closes=$((closes + 1))
  fi
  menu="Escape and click outside: $closes of 2"
  log "menu closes: $menu"

  "$xshape" --name DskKPR >/dev/null 2>&1 && { click $((button_x + 9)) $((button_y + 11)) 1; sleep 0.5; }
fi

log ""
log "| desktop | scene shown | balloon seen | click-through | menu closes |"
log "|---|---|---|---|---|"
log "| $desktop (Wayland, XWayland) | $scene | $balloon | $through | $menu |"
