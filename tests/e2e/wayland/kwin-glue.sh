# shellcheck disable=SC2154,SC2034  # here, work and out are check-wayland.sh's, which reads input_pid
# Input and screenshots on KWin for check-wayland.sh, which sources this file inside the
# session (it uses the script's $here, $work, $out and sets its input_ok).
#
# The compositor must run with
#   KWIN_WAYLAND_NO_PERMISSION_CHECKS=1     else KWin does not announce org_kde_kwin_fake_input
#                                           to a program without a desktop file that lists it
#   KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1  else ScreenShot2 refuses the caller
# Packages: libwayland-dev (wayland-scanner, headers), plasma-wayland-protocols, a C compiler,
# python3-dbus.

# kwin_input_build DIR: compiles kwin-input.c into DIR/kwin-input, with the fake-input glue
# generated next to it.
kwin_input_build() {
  local dir=$1 xml=/usr/share/plasma-wayland-protocols/fake-input.xml
  wayland-scanner client-header "$xml" "$dir/fake-input-client-protocol.h" &&
    wayland-scanner private-code "$xml" "$dir/fake-input-protocol.c" &&
    cc -std=c99 -O2 -Wall -Wextra -I"$dir" -o "$dir/kwin-input" "$here/kwin-input.c" \
      "$dir/fake-input-protocol.c" -lwayland-client
}

# kwin_input_start: kwin-input reads commands on fd 3 and answers on fd 4, as mutter-input.py
# does for mutter; sets input_ok once it says "ready" and input_pid to its process.
kwin_input_start() {
  : >"$out/screenshot.log"
  if ! kwin_input_build "$work" >"$out/input-build.log" 2>&1; then
    echo "kwin-input does not build: see $out/input-build.log" >&2
    return 1
  fi
  mkfifo "$work/in" "$work/ack"
  "$work/kwin-input" <"$work/in" >"$work/ack" 2>"$out/input.log" &
  input_pid=$!
  exec 3>"$work/in" 4<"$work/ack"
  local reply
  read -r -t 10 reply <&4 && [ "$reply" = ready ] && input_ok=yes
  [ -n "$input_ok" ]
}

# kwin_shot FILE: the whole screen as KWin composites it, as a PNG: read from the Xvfb KWin runs
# nested in (KIPRUN_WAYLAND_NEST), where its screen is a window at the top-left corner, or else
# from KWin's ScreenShot2 interface.
kwin_shot() {
  if [ -n "${KIPRUN_WAYLAND_NEST:-}" ]; then
    /usr/bin/import -display "$KIPRUN_WAYLAND_NEST" -window root -crop 1280x800+0+0 +repage \
      "$1" 2>>"$out/screenshot.log"
    return
  fi
  /usr/bin/python3 "$here/kwin-screenshot.py" "$1" 2>>"$out/screenshot.log" ||
    echo "kwin-screenshot failed for $1: see $out/screenshot.log" >&2
}
