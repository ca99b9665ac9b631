#!/usr/bin/env bash
# Whole-program figures on a private X server: start-up time until the four scene windows are
# mapped, CPU of the program and of the X server while idle before the first click and after a
# shot, CPU during the power gauge, and the program's peak resident memory.
#
# Usage: scripts/bench-game.sh [path/to/DskKPR]   (default: build/app/DskKPR)
# Targets: idle 0.0 % before the first click, < 0.5 % of a core after a shot, < 10 % during the
# gauge, start-up < 150 ms, peak RSS < 40 MB.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/app/DskKPR}
idle_seconds=${KIPRUN_BENCH_IDLE_SECONDS:-10}
[ -x "$program" ] || { echo "no program at $program (build the DskKPR target first)" >&2; exit 1; }
# shellcheck source=../tests/e2e/game/scene-lib.sh
. "$here/tests/e2e/game/scene-lib.sh"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

display=$(kiprun_free_display 40 89) || { echo "no free X display" >&2; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -dpi 96 -noreset -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
unset QT_QPA_PLATFORM

cp "$program" "$work/DskKPR"
start_ms=$(kiprun_now_ms)
"$work/DskKPR" >"$work/out.log" 2>&1 &
app_pid=$!
mapped_ms=""
for _ in $(seq 2000); do
  if kiprun_scene_mapped "$app_pid"; then mapped_ms=$(kiprun_now_ms); break; fi
  sleep 0.002
done
[ -n "$mapped_ms" ] || { echo "the scene did not appear" >&2; cat "$work/out.log" >&2; exit 1; }
startup=$((mapped_ms - start_ms))

measure_idle() {
  local a x b y
  a=$(kiprun_cpu_ticks "$app_pid"); x=$(kiprun_cpu_ticks "$xvfb_pid")
  sleep "$idle_seconds"
  b=$(kiprun_cpu_ticks "$app_pid"); y=$(kiprun_cpu_ticks "$xvfb_pid")
  echo "$(kiprun_cpu_percent "$a" "$b" $((idle_seconds * 1000))) $(kiprun_cpu_percent "$x" "$y" $((idle_seconds * 1000)))"
}

sleep 1  # let the start-up settle before measuring idle
read -r idle_app_before idle_x_before <<<"$(measure_idle)"

# A shot: the backswing takes 24 ticks of 20 ms, then the gauge fills and empties for about
# 1.25 s; measure one second inside it, strike, and wait for the flight, the roll and the
# balloon to end.
kiprun_click_window "$app_pid" "$KIPRUN_BUTTON_SIZE" 1
sleep 0.55
gauge_seen=no
kiprun_window_of_size "$app_pid" "$KIPRUN_GAUGE_SIZE" | grep -q . && gauge_seen=yes
a=$(kiprun_cpu_ticks "$app_pid"); x=$(kiprun_cpu_ticks "$xvfb_pid")
sleep 0.6
b=$(kiprun_cpu_ticks "$app_pid"); y=$(kiprun_cpu_ticks "$xvfb_pid")
gauge_app=$(kiprun_cpu_percent "$a" "$b" 600)
gauge_x=$(kiprun_cpu_percent "$x" "$y" 600)
kiprun_click_window "$app_pid" "$KIPRUN_BUTTON_SIZE" 1
sleep 8
read -r idle_app_after idle_x_after <<<"$(measure_idle)"
peak_kb=$(kiprun_peak_rss_kb "$app_pid")

printf '%-44s %8s\n' "start-up to the four scene windows mapped" "${startup} ms"
printf '%-44s %8s %s\n' "idle before the first click: program" "${idle_app_before} %" "(X server ${idle_x_before} %)"
printf '%-44s %8s %s\n' "during the gauge (seen: $gauge_seen): program" "${gauge_app} %" "(X server ${gauge_x} %)"
printf '%-44s %8s %s\n' "idle after a shot: program" "${idle_app_after} %" "(X server ${idle_x_after} %)"
printf '%-44s %8s\n' "peak resident memory (VmHWM)" "$((peak_kb / 1024)) MB"
