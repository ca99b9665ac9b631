#!/usr/bin/env bash
# Started without a session bus address, the program must not start a bus of its own
# (dbus-launch and a dbus-daemon that would outlive it). Its processes are recognised by a mark
# in their environment, which dbus-launch and the daemon it starts would inherit.
# Usage: session_bus_e2e.sh PROGRAM   (DISPLAY set)
set -uo pipefail
program=$1
[ -n "${DISPLAY:-}" ] || { echo "no DISPLAY: skipped"; exit 77; }
# shellcheck source=scene-lib.sh
. "$(dirname "$0")/scene-lib.sh"

mark="kiprun-bus-$$-$RANDOM"
work=$(mktemp -d)
app_pid=""

# PIDs of every process but this script's own that carries the mark.
marked_processes() {
  grep -lzx "KIPRUN_BUS_MARK=$mark" /proc/[0-9]*/environ 2>/dev/null |
    awk -F/ -v self="$$" '$3 != self { print $3 }'
}
describe() {
  local pid
  for pid in "$@"; do echo "  $pid $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"; done
}
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  # Whatever bus the program started must not outlive the test either.
  local pid left
  left=$(marked_processes)
  [ -n "$left" ] || { rm -rf "$work"; return; }
  for pid in $left; do kill "$pid" 2>/dev/null; done
  sleep 0.5
  for pid in $(marked_processes); do kill -KILL "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

cp "$program" "$work/DskKPR"
env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR -u AT_SPI_BUS_ADDRESS \
  KIPRUN_BUS_MARK="$mark" "$work/DskKPR" >"$work/out.log" 2>&1 &
app_pid=$!
for _ in $(seq 100); do
  kiprun_scene_mapped "$app_pid" && break
  sleep 0.1
done
kiprun_scene_mapped "$app_pid" || { echo "FAIL: the scene did not appear"; cat "$work/out.log"; exit 1; }
# The accessibility bridge asks for the bus once the windows are shown; give it time to.
sleep 2

failures=0
others=$(marked_processes | grep -vx "$app_pid")
if [ -n "$others" ]; then
  echo "FAIL: the running program started other processes:"
  describe $others
  failures=$((failures + 1))
fi
kill "$app_pid" 2>/dev/null
wait "$app_pid" 2>/dev/null
app_pid=""
sleep 0.5
left=$(marked_processes)
if [ -n "$left" ]; then
  echo "FAIL: processes of the program outlive it:"
  describe $left
  failures=$((failures + 1))
fi
if grep -qi "dbus" "$work/out.log"; then
  echo "FAIL: the program wrote about the bus:"
  cat "$work/out.log"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || exit 1
echo "no session bus started, none left behind"
