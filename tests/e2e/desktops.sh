# Starts and stops the desktops the end-to-end tests run under, one function per desktop, on the
# X server in DISPLAY. Sourced by scripts/run-tests.sh; a developer runs one pass by hand with
#   . tests/e2e/desktops.sh; kiprun_desktop_start xfwm4; KIPRUN_E2E_WM=xfwm4 ctest -L e2e; kiprun_desktop_stop
#
# Desktops: none, openbox, xfwm4 (with xfce4-panel at the bottom, 30 pixels), mutter
# (`mutter --x11`, compositing) and kwin (`kwin_x11`). Each runs with a session bus of its own
# (dbus-run-session) and its own empty configuration, cache and runtime folders, so a pass never
# sees what the one before it left. kiprun_desktop_start exports DBUS_SESSION_BUS_ADDRESS (the
# tests talk to xfconfd through it) and XDG_CONFIG_HOME; kiprun_desktop_stop ends every process
# it started, by PID, and puts both back.
#
# What the window managers need to start headless on Xvfb, found here:
#   - mutter and kwin_x11 composite with OpenGL; Xvfb's GLX is Mesa's software rasteriser
#     (llvmpipe), so LIBGL_ALWAYS_SOFTWARE=1 is set to keep them from probing for a GPU.
#   - kwin_x11 also needs a QPA platform (QT_QPA_PLATFORM=xcb, in case a caller exported
#     offscreen) and --replace; KDE_FULL_SESSION and friends are cleared so that it does not
#     look for a Plasma session.
#   - mutter needs --sm-disable (no session manager on the bus) and --replace.
#   - xfce4-panel asks on its first start whether to make a default panel; a configuration of
#     one bottom panel is written first so it never asks.

KIPRUN_DESKTOP_PIDS=()
KIPRUN_DESKTOP_DIR=""
KIPRUN_DESKTOP_NAME=""
kiprun_desktop_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# _kiprun_desktop_session: makes the folders and starts a session bus that lives until
# kiprun_desktop_stop ends the process holding it.
_kiprun_desktop_session() {
  KIPRUN_DESKTOP_DIR=$(mktemp -d /tmp/kiprun-desktop.XXXXXX)
  mkdir -p "$KIPRUN_DESKTOP_DIR"/{config,cache,data,runtime}
  chmod 700 "$KIPRUN_DESKTOP_DIR/runtime"
  KIPRUN_DESKTOP_SAVED_BUS=${DBUS_SESSION_BUS_ADDRESS-}
  KIPRUN_DESKTOP_SAVED_CONFIG=${XDG_CONFIG_HOME-}
  export XDG_CONFIG_HOME="$KIPRUN_DESKTOP_DIR/config" XDG_CACHE_HOME="$KIPRUN_DESKTOP_DIR/cache"
  export XDG_DATA_HOME="$KIPRUN_DESKTOP_DIR/data" XDG_RUNTIME_DIR="$KIPRUN_DESKTOP_DIR/runtime"
  # The bus lives as long as the command dbus-run-session runs: a sleep that tells the address.
  # Ending the sleep ends dbus-run-session, which then ends its bus daemon.
  dbus-run-session -- sh -c 'echo $$ >"$1.pid" && echo "$DBUS_SESSION_BUS_ADDRESS" >"$1.tmp" &&
    mv "$1.tmp" "$1" && exec sleep 100000' sh "$KIPRUN_DESKTOP_DIR/bus" >/dev/null 2>&1 &
  KIPRUN_DESKTOP_BUS_PID=$!
  local i
  for i in $(seq 100); do
    [ -s "$KIPRUN_DESKTOP_DIR/bus" ] && break
    sleep 0.05
  done
  [ -s "$KIPRUN_DESKTOP_DIR/bus" ] || { echo "no session bus" >&2; return 1; }
  KIPRUN_DESKTOP_PIDS+=("$(cat "$KIPRUN_DESKTOP_DIR/bus.pid")")
  DBUS_SESSION_BUS_ADDRESS=$(cat "$KIPRUN_DESKTOP_DIR/bus")
  export DBUS_SESSION_BUS_ADDRESS
}

# _kiprun_desktop_run LOG COMMAND...: starts a desktop process in the background.
_kiprun_desktop_run() {
  local log=$1
  shift
  "$@" >>"$KIPRUN_DESKTOP_DIR/$log.log" 2>&1 &
  KIPRUN_DESKTOP_PIDS+=($!)
}

# kiprun_wm_running: succeeds when a window manager has taken over the screen: the root's
# _NET_SUPPORTING_WM_CHECK names a window that exists and points to itself (a property left
# by a window manager that has gone names a window that no longer exists).
kiprun_wm_running() {
  local check self
  check=$(xprop -root -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')
  [ -n "$check" ] || return 1
  self=$(xprop -id "$check" -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')
  [ "$self" = "$check" ]
}

# kiprun_wm_name: the running window manager's name, as it gives it.
kiprun_wm_name() {
  local check
  check=$(xprop -root -notype _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')
  [ -n "$check" ] || return 1
  xprop -id "$check" -notype _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME = "\(.*\)"$/\1/p'
}

# _kiprun_desktop_wait_wm SECONDS: waits for the window manager to take over; on failure prints
# its log.
_kiprun_desktop_wait_wm() {
  local i
  for i in $(seq $(($1 * 10))); do
    if kiprun_wm_running; then
      return 0
    fi
    sleep 0.1
  done
  echo "$KIPRUN_DESKTOP_NAME did not take over $DISPLAY in $1 s" >&2
  cat "$KIPRUN_DESKTOP_DIR"/*.log >&2 2>/dev/null
  return 1
}

# _kiprun_desktop_wait_selection NAME SECONDS: waits until the X selection NAME has an owner (a
# compositor owns _NET_WM_CM_S0 once it draws the screen).
_kiprun_desktop_wait_selection() {
  local i
  for i in $(seq $(($2 * 10))); do
    "${KIPRUN_XWINDOW:-kiprun-xwindow}" selection "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "nobody owns $1 after $2 s" >&2
  return 1
}

# kiprun_desktop_start NAME: starts desktop NAME on DISPLAY and waits until it has taken over.
kiprun_desktop_start() {
  KIPRUN_DESKTOP_NAME=$1
  "kiprun_desktop_start_$1" || { kiprun_desktop_stop; return 1; }
}

kiprun_desktop_start_none() {
  _kiprun_desktop_session
}

kiprun_desktop_start_openbox() {
  _kiprun_desktop_session || return 1
  _kiprun_desktop_run openbox openbox --config-file "$kiprun_desktop_here/openbox-rc.xml"
  _kiprun_desktop_wait_wm 10
}

# One panel of 30 pixels across the bottom of the screen, with a separator in it so that it has
# something to show.
_kiprun_xfce_panel_config() {
  local dir="$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
  mkdir -p "$dir"
  cat >"$dir/xfce4-panel.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=512;y=753"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="separator"/>
  </property>
</channel>
EOF
}

# kiprun_work_area_bottom: the bottom of the work area the window manager publishes, or nothing.
kiprun_work_area_bottom() {
  xprop -root _NET_WORKAREA 2>/dev/null | awk -F'= ' 'NF > 1 { split($2, a, ", "); print a[2] + a[4] }'
}

kiprun_desktop_start_xfwm4() {
  _kiprun_desktop_session || return 1
  _kiprun_xfce_panel_config
  _kiprun_desktop_run xfwm4 xfwm4 --replace --compositor=on
  _kiprun_desktop_wait_wm 15 || return 1
  _kiprun_desktop_run xfce4-panel xfce4-panel --disable-wm-check
  # Up once the work area leaves the panel out (30 pixels and the panel's border).
  local i screen_h bottom
  screen_h=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ { split($2, d, "x"); print d[2]; exit }')
  for i in $(seq 150); do
    bottom=$(kiprun_work_area_bottom)
    [ -n "$bottom" ] && [ "$bottom" -le $((screen_h - 30)) ] && return 0
    sleep 0.1
  done
  echo "xfce4-panel did not reserve the bottom of the screen: $(xprop -root _NET_WORKAREA)" >&2
  cat "$KIPRUN_DESKTOP_DIR"/*.log >&2
  return 1
}

kiprun_desktop_start_mutter() {
  _kiprun_desktop_session || return 1
  _kiprun_desktop_run mutter env LIBGL_ALWAYS_SOFTWARE=1 mutter --x11 --replace --sm-disable
  _kiprun_desktop_wait_wm 30 || return 1
  _kiprun_desktop_wait_selection _NET_WM_CM_S0 15 || return 1
  # mutter draws a background of its own, a while after it takes the selection: tests that read
  # the desktop's colour must find it there. A screenshot under mutter can take seconds, so the
  # wait is bounded by the clock, not by a count of looks.
  local pixel end=$((SECONDS + 15))
  while [ "$SECONDS" -lt "$end" ]; do
    pixel=$(/usr/bin/import -window root -crop 1x1+500+500 -depth 8 txt:- 2>/dev/null |
      grep -o '#[0-9A-F]\{6\}' | head -n 1)
    [ -n "$pixel" ] && [ "$pixel" != "#000000" ] && return 0
    sleep 0.1
  done
  echo "mutter has drawn no background after 15 s; going on" >&2
}

kiprun_desktop_start_kwin() {
  _kiprun_desktop_session || return 1
  # No screen-edge actions: a pointer the tests move to a corner (a click at 10,10) would open
  # the window overview, which then takes every click.
  mkdir -p "$XDG_CONFIG_HOME"
  cat >"$XDG_CONFIG_HOME/kwinrc" <<'RC'
[ElectricBorders]
Bottom=None
BottomLeft=None
BottomRight=None
Left=None
Right=None
Top=None
TopLeft=None
TopRight=None

[Effect-overview]
BorderActivate=9

[Effect-windowview]
BorderActivateAll=9

[TabBox]
BorderActivate=9
RC
  _kiprun_desktop_run kwin env -u KDE_FULL_SESSION -u KDE_SESSION_VERSION QT_QPA_PLATFORM=xcb \
    LIBGL_ALWAYS_SOFTWARE=1 KWIN_COMPOSE=O2 kwin_x11 --replace
  _kiprun_desktop_wait_wm 30 || return 1
  _kiprun_desktop_wait_selection _NET_WM_CM_S0 15
}

# _kiprun_alive PID: the process runs (a zombie waiting to be reaped does not).
_kiprun_alive() {
  [ -r "/proc/$1/status" ] && ! grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null
}

# kiprun_desktop_stop: ends every process the last kiprun_desktop_start started, newest first,
# and waits for them.
kiprun_desktop_stop() {
  local i pid
  for ((i = ${#KIPRUN_DESKTOP_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${KIPRUN_DESKTOP_PIDS[i]}
    kill "$pid" 2>/dev/null || true
    # A window manager that does not end on TERM within 5 s is killed.
    local n
    for n in $(seq 50); do _kiprun_alive "$pid" || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  KIPRUN_DESKTOP_PIDS=()
  if [ -n "${KIPRUN_DESKTOP_BUS_PID-}" ]; then
    wait "$KIPRUN_DESKTOP_BUS_PID" 2>/dev/null || true
    KIPRUN_DESKTOP_BUS_PID=""
  fi
  if [ -n "$KIPRUN_DESKTOP_DIR" ]; then rm -rf "$KIPRUN_DESKTOP_DIR"; fi
  KIPRUN_DESKTOP_DIR=""
  if [ -n "${KIPRUN_DESKTOP_SAVED_BUS-}" ]; then
    export DBUS_SESSION_BUS_ADDRESS=$KIPRUN_DESKTOP_SAVED_BUS
  else
    unset DBUS_SESSION_BUS_ADDRESS
  fi
  if [ -n "${KIPRUN_DESKTOP_SAVED_CONFIG-}" ]; then
    export XDG_CONFIG_HOME=$KIPRUN_DESKTOP_SAVED_CONFIG
  else
    unset XDG_CONFIG_HOME
  fi
  unset XDG_CACHE_HOME XDG_DATA_HOME XDG_RUNTIME_DIR
  return 0
}
