#!/usr/bin/env bash
# The scene on Wayland desktops, through XWayland. Run by scripts/run-tests.sh on Debian 13 (its
# XWayland 24 passes the input shape on to Wayland windows; Debian 12's XWayland 22 does not),
# and by hand elsewhere.
#
# Usage: tests/e2e/wayland/check-wayland.sh mutter|gnome-shell|kwin|kwin-virtual [BUILD_DIR]
#   mutter       `mutter --wayland --headless --virtual-monitor 1280x800` under dbus-run-session;
#                clicks and keys go through the compositor with mutter's RemoteDesktop D-Bus
#                interface (never XTEST), screenshots come from its ScreenCast interface over
#                PipeWire (mutter-input.py does both).
#   gnome-shell  the same through the whole shell, `gnome-shell --wayland --headless`. The shell
#                needs a system bus (one is started when there is none, as root), starts with its
#                overview open (closed through its D-Bus property) and has hot corners (turned
#                off: the input helper's first move to the top-left corner would open Activities).
#   kwin         `kwin_wayland --xwayland`, nested in an Xvfb of its own (its X11 backend: KWin's
#                screen is a window there, which screenshots read; KWin 6 without a render node
#                loads no screenshot effect), started from a copy of the binary (a copy has no
#                file capability, which a session without a seat refuses); input through KWin's
#                fake-input protocol (kwin-glue.sh).
#   kwin-virtual `kwin_wayland --virtual --xwayland`, screenshots from its ScreenShot2 D-Bus
#                interface (KWin 5).
# KIPRUN_XWAYLAND=PATH runs another XWayland than /usr/bin/Xwayland (for mutter this needs
# root: a private mount covers the system's binary). KIPRUN_APP_ENV="NAME=VALUE ..." adds to the
# program's environment (QT_LOGGING_RULES, say).
# Beneath the scene lie a Wayland window (wayland-window.py) and an X window. Prints a table:
# scene shown, balloon seen (n of N), click-through to X and Wayland windows, menu closes; then
# counts each of those checks and ends with "N passed, N failed, N skipped" (status 1 when one
# failed).
# Screenshots and logs go to BUILD_DIR/e2e-artifacts/wayland-<desktop>/.
# Packages: scripts/install-deps.sh wayland (mutter for the mutter route).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# The compositor runs this script again from a folder of its own choosing.
self=$here/$(basename "$0")
root=$(cd "$here/../../.." && pwd)
desktop=${1:?usage: check-wayland.sh mutter|gnome-shell|kwin|kwin-virtual [BUILD_DIR]}
build=$(cd "${2:-$root/build}" && pwd)

if [ -z "${KIPRUN_WAYLAND_INSIDE:-}" ]; then
  out="$build/e2e-artifacts/wayland-$desktop"
  mkdir -p "$out"
  runtime=$(mktemp -d /tmp/kiprun-wayland.XXXXXX)
  chmod 700 "$runtime"
  # The session's settings and caches go to the run's own folder, never to HOME.
  mkdir -p "$runtime"/{config,data,cache}
  export XDG_RUNTIME_DIR=$runtime KIPRUN_WAYLAND_INSIDE=1 KIPRUN_WAYLAND_OUT=$out
  export XDG_CONFIG_HOME=$runtime/config XDG_DATA_HOME=$runtime/data XDG_CACHE_HOME=$runtime/cache
  unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
  helpers=()
  # stop_helpers: ends the system bus and X server this script started.
  stop_helpers() {
    local pid
    for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
    helpers=()
  }
  trap stop_helpers EXIT
  # Another XWayland than the system's, when KIPRUN_XWAYLAND names one: KWin looks for it on
  # the PATH, mutter runs /usr/bin/Xwayland, which a private mount namespace covers (root only).
  wrap=()
  if [ -n "${KIPRUN_XWAYLAND:-}" ]; then
    mkdir "$runtime/bin"
    ln -s "$(realpath "$KIPRUN_XWAYLAND")" "$runtime/bin/Xwayland"
    export PATH=$runtime/bin:$PATH
    # shellcheck disable=SC2016  # expanded by the inner shell
    [ "$desktop" = mutter ] &&
      wrap=(unshare -m sh -c 'mount --bind "$0" /usr/bin/Xwayland && exec "$@"' "$runtime/bin/Xwayland")
  fi
  # This script runs again as the compositor's client, with DISPLAY naming XWayland.
  # XWayland's sockets: mutter refuses to start it when the folder is missing (a fresh /tmp).
  [ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix
  case $desktop in
  mutter)
    timeout 600 "${wrap[@]}" dbus-run-session -- mutter --wayland --headless --virtual-monitor 1280x800 \
      -- bash "$self" "$desktop" "$build" 2>"$out/compositor.log"
    code=$?
    ;;
  gnome-shell)
    if [ ! -S /run/dbus/system_bus_socket ]; then
      if [ "$(id -u)" -ne 0 ]; then
        echo "GNOME Shell needs a system bus, and none runs (only root can start one here)" >&2
        exit 1
      fi
      mkdir -p /run/dbus
      dbus-daemon --system --nofork --nopidfile 2>"$out/system-bus.log" &
      helpers+=($!)
      for i in $(seq 50); do [ -S /run/dbus/system_bus_socket ] && break; sleep 0.1; done
    fi
    # GNOME Shell runs no command of its own (mutter's "-- COMMAND" is not passed on): the check
    # starts once the shell's Wayland socket and its XWayland display (a socket mutter listens
    # on, starting XWayland on the first connection) are there.
    # shellcheck disable=SC2016  # expanded by the inner shell
    timeout 600 dbus-run-session -- bash -c '
      log=$1
      shift
      gsettings set org.gnome.desktop.interface enable-hot-corners false
      ls /tmp/.X11-unix >"$XDG_RUNTIME_DIR/x-before"
      gnome-shell --wayland --headless --virtual-monitor 1280x800 2>>"$log" &
      shell=$!
      x=""
      for i in $(seq 300); do
        x=$(ls /tmp/.X11-unix | grep -vxF -f "$XDG_RUNTIME_DIR/x-before" | head -n 1)
        [ -S "$XDG_RUNTIME_DIR/wayland-0" ] && [ -n "$x" ] && break
        x=""
        sleep 0.1
      done
      code=1
      if [ -n "$x" ]; then
        # XWayland admits the holders of the cookie mutter hands its own children.
        auth=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1)
        WAYLAND_DISPLAY=wayland-0 DISPLAY=:${x#X} XAUTHORITY=$auth bash "$@"
        code=$?
      else
        echo "GNOME Shell opened no Wayland and X11 displays in 30 s" | tee -a "$log" >&2
      fi
      kill "$shell"
      wait "$shell"
      exit $code' sh "$out/compositor.log" "$self" "$desktop" "$build"
    code=$?
    ;;
  kwin | kwin-virtual)
    cp "$(command -v kwin_wayland)" "$runtime/kwin_wayland"
    backend=(--virtual)
    if [ "$desktop" = kwin ]; then
      # shellcheck source=../game/scene-lib.sh
      . "$here/../game/scene-lib.sh"
      nest=$(kiprun_free_display 160 199) || { echo "no free X display for KWin" >&2; exit 1; }
      KIPRUN_XVFB_SCREEN=1280x800x24 kiprun_start_xvfb "$nest" || exit 1
      helpers+=("$KIPRUN_XVFB_PID")
      backend=(--x11-display "$nest")
      export KIPRUN_WAYLAND_NEST=$nest
    fi
    LIBGL_ALWAYS_SOFTWARE=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
      timeout 600 dbus-run-session -- \
      "$runtime/kwin_wayland" "${backend[@]}" --xwayland --width 1280 --height 800 \
      --exit-with-session "bash $self $desktop $build" 2>"$out/compositor.log"
    code=$?
    # KWin does not pass its session's output on: what the check said is in its log.
    cat "$out/check.log"
    ;;
  *)
    echo "unknown desktop $desktop" >&2
    exit 2
    ;;
  esac
  stop_helpers
  rm -rf "$runtime"
  # The counts the session wrote last; none when it ended before its checks.
  counts=$(tail -n 1 "$out/check.log" | grep -E '^[0-9]+ passed, [0-9]+ failed, [0-9]+ skipped$') ||
    counts="0 passed, 1 failed, 0 skipped"
  [ "$(awk '{ print $3 }' <<<"$counts")" -eq 0 ] || code=1
  echo "$counts"
  exit $code
fi

# --- inside the session ----------------------------------------------------------------------
out=$KIPRUN_WAYLAND_OUT
xshape=$build/tests/e2e/kiprun-xshape
xwindow=$build/tests/e2e/kiprun-xwindow
program=$build/app/DskKPR
work=$(mktemp -d)
app_pid="" cover_pid="" wayland_pid="" input_pid="" services=""
cleanup() {
  local pid
  for pid in $app_pid $cover_pid $wayland_pid $input_pid $services; do kill "$pid" 2>/dev/null; done
  exec 3>&- 4<&-
  rm -rf "$work"
}
trap cleanup EXIT
log() { echo "$*" | tee -a "$out/check.log"; }
: >"$out/check.log"
for i in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
log "desktop $desktop: DISPLAY=$DISPLAY WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-} $(xdpyinfo | awk '/^vendor release/ { print "X server release", $NF }')"
# shellcheck source=../game/scene-lib.sh
. "$here/../game/scene-lib.sh"
[ -f "$here/kwin-glue.sh" ] && . "$here/kwin-glue.sh"

# Input (and, for mutter, screenshots) through the compositor: a helper holds the session and
# takes one command a line on fd 3, answering on fd 4 (mutter-input.py tells them).
input_ok=""
input_start() {
  case $desktop in
  mutter | gnome-shell)
    # The screen cast hands its frames over PipeWire, which needs a session manager.
    if command -v pipewire >/dev/null && command -v wireplumber >/dev/null; then
      pipewire >"$out/pipewire.log" 2>&1 &
      services="$services $!"
      sleep 0.5
      wireplumber >"$out/wireplumber.log" 2>&1 &
      services="$services $!"
      sleep 1
    fi
    mkfifo "$work/in" "$work/ack"
    /usr/bin/python3 "$here/mutter-input.py" <"$work/in" >"$work/ack" 2>"$out/input.log" &
    input_pid=$!
    exec 3>"$work/in" 4<"$work/ack"
    local reply
    read -r -t 15 reply <&4 && [ "$reply" = ready ] && input_ok=yes
    ;;
  kwin | kwin-virtual)
    kwin_input_start && input_ok=yes
    ;;
  esac
  [ -n "$input_ok" ]
}
send() {
  local reply
  echo "$*" >&3
  read -r -t 5 reply <&4
  [ "$reply" = ok ]
}
move_to() { send move "$1" "$2"; sleep 0.1; }
# click X Y BUTTON(1|3)
click() {
  local code=272
  [ "$3" = 3 ] && code=273
  move_to "$1" "$2"
  send button "$code" 1
  sleep 0.05
  send button "$code" 0
}
key() { send key "$1" 1; sleep 0.03; send key "$1" 0; }

# Screenshots of what the compositor shows (never XWayland's root, which a rootless XWayland
# does not draw). shot NAME writes $out/NAME.png.
shot() {
  local file=$out/$1.png
  rm -f "$file"
  case $desktop in
  mutter | gnome-shell) send shot "$file" ;;
  kwin | kwin-virtual) kwin_shot "$file" ;;
  esac
  [ -s "$file" ]
}
# count_pixels NAME X Y W H EXPRESSION: pixels of the area of screenshot NAME for which the awk
# EXPRESSION over r, g, b (0-255) holds.
count_pixels() {
  /usr/bin/convert "$out/$1.png" -crop "${4}x${5}+$2+$3" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[()]' 'NR > 1 { split($2, c, ","); r = c[1]; g = c[2]; b = c[3]; if ('"$6"') n++ }
      END { print n + 0 }'
}
dark='r < 64 && g < 64 && b < 64'
# Light enough for a white face a compositor is still fading in (mutter maps a window with a
# short fade: 98 % opaque at 180 ms, measured).
white='r > 220 && g > 220 && b > 220'
# The colour under a point: "R G B".
pixel() {
  /usr/bin/convert "$out/$1.png" -crop "1x1+$2+$3" +repage -depth 8 txt:- 2>/dev/null |
    awk -F'[()]' 'NR == 2 { split($2, c, ","); print c[1] + 0, c[2] + 0, c[3] + 0 }'
}

scene_windows() { kiprun_scene_windows "$xshape" "$@"; }
read_scene() {
  local list
  list=$(scene_windows)
  read -r golfer_id golfer_x golfer_y _ <<<"$(echo "$list" | awk '$4 == 79 && $5 == 96 { print; exit }')"
  read -r button_id button_x button_y _ <<<"$(echo "$list" | awk '$4 == 18 && $5 == 22 { print; exit }')"
}
menu_open() { "$xshape" --name DskKPR 2>/dev/null | grep -q '^mapped 1'; }

# (Re)starts the program and waits for its scene: it then stands above every window there is.
start_program() {
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
    for i in $(seq 50); do [ -z "$(scene_windows)" ] && break; sleep 0.1; done
  fi
  (cd "$work" && exec env ${KIPRUN_APP_ENV:-} ./DskKPR >>"$work/app.out" 2>&1) &
  app_pid=$!
  golfer_id=""
  "$xshape" --class DskKPR --count 4 --wait 20 >/dev/null 2>&1 || return 1
  sleep 1
  read_scene
  [ -n "$golfer_id" ] && [ -n "${button_id:-}" ]
}

# --- the checks ----------------------------------------------------------------------------------
# Beneath the scene: a Wayland window over the whole screen and, over its bottom-left quarter, an
# X window; the golfer stands on the line between them (it is centred on the 1280-pixel screen).
input_start || log "no input through the compositor on $desktop"
# GNOME Shell starts with its overview open, which would take every click.
if [ "$desktop" = gnome-shell ]; then
  shell_overview() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
      --method org.freedesktop.DBus.Properties."$@" 2>/dev/null
  }
  for i in $(seq 100); do shell_overview Get org.gnome.Shell OverviewActive | grep -q true && break; sleep 0.1; done
  shell_overview Set org.gnome.Shell OverviewActive '<false>' >/dev/null
  for i in $(seq 50); do shell_overview Get org.gnome.Shell OverviewActive | grep -q false && break; sleep 0.1; done
  log "GNOME Shell's overview: $(shell_overview Get org.gnome.Shell OverviewActive || echo 'no answer')"
  sleep 0.5
fi
/usr/bin/python3 "$here/wayland-window.py" c05030 >"$work/wayland.out" 2>"$out/wayland-window.log" &
wayland_pid=$!
for i in $(seq 100); do grep -q '^ready' "$work/wayland.out" && break; sleep 0.1; done
grep -q '^ready' "$work/wayland.out" || log "the Wayland window did not show"
sleep 0.5
# (Re)opens the X window: it then lies above the Wayland window again.
start_cover() {
  if [ -n "$cover_pid" ]; then
    kill "$cover_pid" 2>/dev/null
    wait "$cover_pid" 2>/dev/null
  fi
  "$xwindow" window 0 400 640 400 3050c0 >>"$work/cover.out" 2>&1 &
  cover_pid=$!
  sleep 1
}
start_cover
cp "$program" "$work/DskKPR"

scene="no"
if start_program; then
  iconic=0
  for id in $(scene_windows --unmapped | awk '{ print $1 }'); do
    "$xwindow" state "$id" | grep -q 'Iconic\|_NET_WM_STATE_HIDDEN' && iconic=$((iconic + 1))
  done
  scene="$(scene_windows | wc -l) windows mapped, $iconic minimised"
  if [ -n "$input_ok" ] && shot scene; then
    # The golfer's outline and the button's face, as the compositor shows them.
    figure=$(count_pixels scene "$golfer_x" "$golfer_y" 79 96 "$dark")
    face=$(count_pixels scene "$button_x" "$button_y" 18 22 "$white")
    scene="$scene; on screen: $figure dark pixels in the golfer's box, $face white in the button's"
    [ "$figure" -ge 100 ] && [ "$face" -ge 50 ] && scene="yes ($scene)" || scene="no ($scene)"
  fi
fi
log "scene shown: $scene"

balloon="not checked" through_x="not checked" through_w="not checked" menu="not checked"
if [ -n "$input_ok" ] && [ -n "${golfer_id:-}" ]; then
  # A shot: the button, then the button again once the gauge shows. Sets balloon_line to the
  # balloon's window ("ID X Y W H") when it shows, and balloon_shown to that moment (ms).
  play_shot() {
    balloon_line=""
    click $((button_x + 9)) $((button_y + 11)) 1
    for i in $(seq 60); do
      scene_windows | awk '$4 == 79 && $5 == 17' | grep -q . && break
      sleep 0.05
    done
    scene_windows | awk '$4 == 79 && $5 == 17' | grep -q . || { log "shot $1: no gauge"; return 1; }
    sleep 0.4
    click $((button_x + 9)) $((button_y + 11)) 1
    for i in $(seq 400); do
      balloon_line=$(scene_windows | awk '$5 == 18 { print; exit }')
      [ -n "$balloon_line" ] && break
      sleep 0.02
    done
    balloon_shown=$(kiprun_now_ms)
    [ -n "$balloon_line" ] || { log "shot $1: no balloon"; return 1; }
  }
  # Waits for the end of a shot: balloon, gauge and shadow gone, four windows left.
  shot_over() {
    for i in $(seq 100); do
      [ "$(scene_windows | wc -l)" -eq 4 ] && return 0
      sleep 0.1
    done
    return 1
  }

  # Click-through: points of the golfer's box the figure leaves clear, on a scene just shown and
  # after a swing (a click on a window beneath raises that window over the scene, as it should,
  # so the program starts again for each point).
  through_phase() {
    local phase=$1 p dx dy x y colour target xb wb xa wa
    for p in "3 3" "3 50" "3 90" "75 3" "75 90" "70 20"; do
      read -r dx dy <<<"$p"
      if [ "$phase" = swing ]; then
        play_shot "before click-through" && shot_over || { log "no shot before point $dx,$dy"; start_program; continue; }
        sleep 0.5
      fi
      shot "through-$phase-$dx-$dy" || continue
      if [ "$phase" = swing ]; then
        # Back in its stance the golfer shows what it showed at start, and nothing of the
        # frames before (a compositor that does not paint what lies beneath leaves them).
        after=$(count_pixels "through-$phase-$dx-$dy" "$golfer_x" "$golfer_y" 79 96 "$dark")
        swings=$((swings + 1))
        [ $((after * 4)) -le $((${figure:-0} * 5)) ] && clean=$((clean + 1))
        log "after a swing: $after dark pixels in the golfer's box (at start $figure)"
      fi
      x=$((golfer_x + dx)) y=$((golfer_y + dy))
      # Only points where the screenshot shows the window beneath, not the figure.
      colour=$(pixel "through-$phase-$dx-$dy" "$x" "$y")
      case $colour in
      "48 80 192") target=x ;;
      "192 80 48") target=w ;;
      *) log "$phase: point $dx,$dy of the golfer's box is not clear ($colour); skipped"; continue ;;
      esac
      xb=$(grep -c '^press' "$work/cover.out") wb=$(grep -c '^press' "$work/wayland.out")
      click "$x" "$y" 1
      sleep 0.4
      xa=$(grep -c '^press' "$work/cover.out") wa=$(grep -c '^press' "$work/wayland.out")
      if [ $target = x ]; then
        tx=$((tx + 1))
        [ "$xa" -gt "$xb" ] && [ "$wa" -eq "$wb" ] && px=$((px + 1))
      else
        tw=$((tw + 1))
        [ "$wa" -gt "$wb" ] && [ "$xa" -eq "$xb" ] && pw=$((pw + 1))
      fi
      log "$phase: click at $dx,$dy of the golfer's box (over the $([ $target = x ] && echo X || echo Wayland) window): X window $((xa - xb)) presses, Wayland window $((wa - wb))"
      if [ $target = x ] && [ "$xa" -eq "$xb" ] || [ $target = w ] && [ "$wa" -eq "$wb" ]; then
        log "missed: pointer $(xdotool getmouselocation 2>/dev/null); scene $(scene_windows | tr '\n' ';')"
      fi
      start_program || return 1
    done
  }
  px=0 tx=0 pw=0 tw=0
  through_phase start
  through_x="$px of $tx" through_w="$pw of $tw"
  px=0 tx=0 pw=0 tw=0 swings=0 clean=0
  start_cover
  start_program
  through_phase swing
  scene="$scene; after a swing the golfer's box is clean $clean of $swings"
  through_x="$through_x at start, $px of $tx after a swing"
  through_w="$through_w at start, $pw of $tw after a swing"
  log "click-through to an X window: $through_x; to a Wayland window: $through_w"

  # The balloon, over several shots, in the compositor's picture: early (about 300 ms after
  # XWayland maps it, once the compositor's 250 ms fade-in is over) and late (about 1.4 s into
  # its two seconds).
  seen=0 tries=0
  for n in 1 2 3; do
    play_shot "$n" || continue
    read -r _ bx by bw _ <<<"$balloon_line"
    for when in early late; do
      [ "$when" = early ] && sleep 0.3
      if [ "$when" = late ]; then
        left=$((1400 - ($(kiprun_now_ms) - balloon_shown)))
        [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
      fi
      ms=$(($(kiprun_now_ms) - balloon_shown))
      tries=$((tries + 1))
      shot "balloon-$n-$when" || { log "shot $n $when: no screenshot"; continue; }
      w=$(count_pixels "balloon-$n-$when" "$bx" "$by" "$bw" 18 "$white")
      d=$(count_pixels "balloon-$n-$when" "$bx" "$by" "$bw" 18 "$dark")
      ok=no
      [ $((w * 10)) -ge $((bw * 18 * 4)) ] && [ "$d" -ge 20 ] && { ok=yes; seen=$((seen + 1)); }
      log "shot $n $when (${ms} ms): $w white and $d dark pixels of $((bw * 18)): $ok"
    done
    shot_over || log "shot $n: the shot did not end"
    sleep 0.5
  done
  balloon="$seen of $tries"
  log "balloon seen: $balloon"

  # The menu: Escape, and a click on another window, X and Wayland.
  esc=0 esc_n=0 outside=0 outside_n=0
  open_menu() {
    click $((button_x + 9)) $((button_y + 11)) 3
    for i in $(seq 50); do menu_open && break; sleep 0.1; done
    menu_open || { log "the menu did not open"; return 1; }
    sleep 0.5
  }
  menu_closes() {
    for i in $(seq 20); do menu_open || return 0; sleep 0.1; done
    return 1
  }
  for n in 1 2 3; do
    open_menu || continue
    esc_n=$((esc_n + 1))
    log "menu $n open: X focus $(xdotool getwindowfocus 2>/dev/null), active $(xprop -root _NET_ACTIVE_WINDOW | awk '{ print $NF }'), button $button_id"
    key 65307
    if menu_closes; then esc=$((esc + 1)); else
      log "Escape $n: the menu stays open"
      click $((button_x + 9)) $((button_y + 11)) 1
      sleep 0.5
    fi
  done
  for target in "300 600 X" "1000 300 Wayland" "300 600 X" "1000 300 Wayland"; do
    read -r x y name <<<"$target"
    open_menu || continue
    outside_n=$((outside_n + 1))
    click "$x" "$y" 1
    if menu_closes; then outside=$((outside + 1)); else log "a click on the $name window: the menu stays open"; fi
    start_program || break
  done
  menu="Escape $esc of $esc_n, a click on another window $outside of $outside_n"
  log "menu closes: $menu"
fi

log ""
log "| desktop | scene shown | balloon seen | click-through to X / Wayland windows | menu closes |"
log "|---|---|---|---|---|"
log "| $desktop (Wayland, XWayland) | $scene | $balloon | $through_x / $through_w | $menu |"

# Each check counts once: passed when it held every time it was tried.
passed=0 failed=0
count() {
  if [ "$2" = yes ]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    log "failed: $1"
  fi
}
all_of() { [ "$2" -gt 0 ] && [ "$1" -eq "$2" ] && echo yes || echo no; }
count "input through the compositor" "$([ -n "$input_ok" ] && echo yes || echo no)"
count "scene shown" "$([[ $scene == yes* ]] && echo yes || echo no)"
count "golfer's box clean after a swing" "$(all_of "${clean:-0}" "${swings:-0}")"
count "click-through to an X window" "$([[ $through_x =~ ^([0-9]+)\ of\ ([0-9]+)\ at\ start,\ ([0-9]+)\ of\ ([0-9]+) ]] &&
  [ "$(all_of "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")" = yes ] &&
  [ "$(all_of "${BASH_REMATCH[3]}" "${BASH_REMATCH[4]}")" = yes ] && echo yes || echo no)"
count "click-through to a Wayland window" "$([[ $through_w =~ ^([0-9]+)\ of\ ([0-9]+)\ at\ start,\ ([0-9]+)\ of\ ([0-9]+) ]] &&
  [ "$(all_of "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}")" = yes ] &&
  [ "$(all_of "${BASH_REMATCH[3]}" "${BASH_REMATCH[4]}")" = yes ] && echo yes || echo no)"
count "balloon seen" "$(all_of "${seen:-0}" "${tries:-0}")"
count "menu closes on Escape" "$(all_of "${esc:-0}" "${esc_n:-0}")"
count "menu closes on a click elsewhere" "$(all_of "${outside:-0}" "${outside_n:-0}")"
log "$passed passed, $failed failed, 0 skipped"
