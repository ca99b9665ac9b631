# Shell helpers for driving the real program on an X server: start it from a folder of its own,
# find its scene windows by their size, click as a person would, and read CPU and memory
# figures from /proc. Sourced by the end-to-end tests and the benchmark; needs DISPLAY.

# The sizes of the scene windows in pixels at 15 twips per pixel (96 dpi).
KIPRUN_GOLFER_SIZE="79x96"
KIPRUN_BUTTON_SIZE="18x22"
KIPRUN_HOLE_SIZE="12x8"
KIPRUN_BALL_SIZE="7x7"
KIPRUN_GAUGE_SIZE="79x17"

# kiprun_free_display FIRST LAST: prints the first display number in FIRST..LAST whose socket
# and lock file do not exist and whose abstract socket nobody holds.
kiprun_free_display() {
  local n abstract=""
  # A server of another /tmp (a chroot, a container or a service with a private /tmp, on the
  # same network namespace) leaves no file here, but holds its abstract socket, which clients
  # try first: its display is not free either.
  [ -r /proc/net/unix ] && abstract=$(awk '$NF ~ /^@\/tmp\/\.X11-unix\/X[0-9]+$/ { print $NF }' /proc/net/unix)
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] &&
      ! grep -qxF "@/tmp/.X11-unix/X$n" <<<"$abstract"; then
      echo ":$n"
      return 0
    fi
  done
  return 1
}

# kiprun_start_xvfb DISPLAY [XVFB-ARGS...]: starts a private 1024x768 Xvfb (another size in
# KIPRUN_XVFB_SCREEN, as WxHxDEPTH) on DISPLAY in the background, its PID in KIPRUN_XVFB_PID, and
# waits up to 10 s for it to answer; fails if it does not, or if another server answers.
kiprun_start_xvfb() {
  local display=$1 n
  shift
  n=${display#:}
  n=${n%%.*}
  Xvfb "$display" -screen 0 "${KIPRUN_XVFB_SCREEN:-1024x768x24}" "$@" -noreset -nolisten tcp \
    >/dev/null 2>&1 &
  KIPRUN_XVFB_PID=$!
  local i
  for i in $(seq 100); do
    if xdpyinfo -display "$display" >/dev/null 2>&1; then
      # The server that answers writes its process number in the display's lock file: another
      # one (started at the same moment by someone else) means this one gives up.
      local lock
      lock=$(tr -d ' \n' <"/tmp/.X${n}-lock" 2>/dev/null || true)
      [ "$lock" = "$KIPRUN_XVFB_PID" ] && return 0
      echo "another X server answers on $display (process ${lock:-unknown})" >&2
      kill "$KIPRUN_XVFB_PID" 2>/dev/null || true
      return 1
    fi
    sleep 0.1
  done
  echo "Xvfb on $display did not start" >&2
  return 1
}

# kiprun_now_ms: milliseconds of the wall clock, read without starting a process.
kiprun_now_ms() {
  local t=${EPOCHREALTIME/[.,]/}
  echo $((t / 1000))
}

# kiprun_wait_until SECONDS COMMAND [ARGS...]: runs COMMAND in this shell (it may set variables
# for the caller) until it succeeds, a little apart, and fails when SECONDS (a decimal) of the
# clock have gone by without. Bounded by the clock rather than by a count of tries: on a loaded
# machine one try can take long, and a moment that passes must still be waited for, not skipped.
kiprun_wait_until() {
  local whole=${1%%.*} frac=000
  [[ $1 == *.* ]] && frac=${1#*.}000
  local end=$(($(kiprun_now_ms) + 10#${whole:-0} * 1000 + 10#${frac:0:3}))
  shift
  while :; do
    "$@" && return 0
    [ "$(kiprun_now_ms)" -lt "$end" ] || return 1
    sleep 0.05
  done
}

# kiprun_menu_painted XSHAPE NAME FILE: reads the screen into FILE (a PNG written with quick
# compression, so that the server's state right after still tells what it showed) and succeeds
# when the popup menu titled NAME is mapped and painted there, at least half of it light with
# dark text on it. The program has taken the keyboard for its menu by the time it paints it, and
# a compositor may show the menu a moment after it maps.
kiprun_menu_painted() {
  local box x y w h
  box=$("$1" --name "$2" 2>/dev/null) || return 1
  read -r x y <<<"$(echo "$box" | awk '$1 == "position" { print $2, $3; exit }')"
  read -r w h <<<"$(echo "$box" | awk '$1 == "size" { print $2, $3; exit }')"
  /usr/bin/import -window root -quality 10 "$3" 2>/dev/null || return 1
  /usr/bin/convert "$3" -crop "${w}x$h+$x+$y" +repage -depth 8 txt:- |
    awk -v area=$((w * h)) '/^[0-9]/ {
        r = substr($3, 2, 2); g = substr($3, 4, 2); b = substr($3, 6, 2)
        if (r >= "C0" && g >= "C0" && b >= "C0") light++
        if (r < "80" && g < "80" && b < "80") dark++
      }
      END { exit !(2 * light >= area && dark >= 10) }'
}

# kiprun_scene_windows XSHAPE [OPTIONS...]: one line per window of the program, as kiprun-xshape
# (the tool at XSHAPE) reads it back from the server: "ID X Y WIDTH HEIGHT".
kiprun_scene_windows() {
  "$1" --class DskKPR "${@:2}" 2>/dev/null | awk '
    $1 == "window" { id = $2 } $1 == "position" { x = $2; y = $3 }
    $1 == "size" { w = $2; h = $3 } $1 == "end" { print id, x, y, w, h }'
}

# kiprun_windows PID: one line per mapped top-level window of the process:
# "ID X Y WIDTHxHEIGHT".
kiprun_windows() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$1" '' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || continue
    echo "$id $X $Y ${WIDTH}x${HEIGHT}"
  done
}

# kiprun_window_of_size PID SIZE: the first mapped window of that size, as "ID X Y SIZE".
kiprun_window_of_size() {
  kiprun_windows "$1" | awk -v size="$2" '$4 == size { print; exit }'
}

# kiprun_scene_mapped PID: succeeds when the golfer, the button, the hole and the ball are all
# mapped.
kiprun_scene_mapped() {
  local list
  list=$(kiprun_windows "$1")
  local size
  for size in "$KIPRUN_GOLFER_SIZE" "$KIPRUN_BUTTON_SIZE" "$KIPRUN_HOLE_SIZE" "$KIPRUN_BALL_SIZE"; do
    echo "$list" | awk -v size="$size" '$4 == size { found = 1 } END { exit !found }' || return 1
  done
}

# kiprun_click_window PID SIZE BUTTON: clicks the middle of the window of that size.
kiprun_click_window() {
  local line
  line=$(kiprun_window_of_size "$1" "$2")
  [ -n "$line" ] || return 1
  local x y w h
  read -r _ x y _ <<<"$line"
  w=${2%x*}
  h=${2#*x}
  xdotool mousemove "$((x + w / 2))" "$((y + h / 2))" click "$3"
}

# kiprun_cpu_ticks PID: user + system clock ticks the process has used.
kiprun_cpu_ticks() {
  awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null
}

# kiprun_peak_rss_kb PID: the process's peak resident set (VmHWM), kB.
kiprun_peak_rss_kb() {
  awk '/^VmHWM:/ { print $2 }' "/proc/$1/status" 2>/dev/null
}

# kiprun_cpu_percent TICKS_BEFORE TICKS_AFTER MILLISECONDS: percent of one core.
kiprun_cpu_percent() {
  local hz
  hz=$(getconf CLK_TCK)
  awk -v a="$1" -v b="$2" -v ms="$3" -v hz="$hz" \
    'BEGIN { printf "%.1f", (b - a) * 100000.0 / hz / ms }'
}
