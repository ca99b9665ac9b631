#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
# Usage: scripts/install-deps.sh [run|test|wayland]   (default: test, a superset of run; wayland:
# what the Wayland check tests/e2e/wayland/check-wayland.sh needs besides the build)
# apt-get update is tried a few times and a list it cannot fetch is left out (scripts/apt-lib.sh);
# the script fails when a package it installs cannot be installed.
set -euo pipefail
mode=${1:-test}
# shellcheck source=apt-lib.sh
. "$(dirname "$0")/apt-lib.sh"

run_packages=(qt6-base-dev qt6-base-dev-tools cmake g++ ninja-build pkg-config
  fonts-ipafont-gothic fonts-ipafont-mincho fontconfig libxcb1-dev libxcb-shape0-dev libxcb-randr0-dev
  libx11-dev libxext-dev zlib1g-dev)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool x11-utils
  # xrandr: monitors on Xvfb for the several-monitor case.
  x11-xserver-utils
  # mmdebstrap: the Debian 13 root the tests run in again (scripts/test-debian13.sh).
  mmdebstrap
  imagemagick openbox clang desktop-file-utils appstream lintian dpkg-dev
  file procps
  # dbus-launch: the session-bus test checks that the program never autolaunches a bus.
  dbus-x11
  # The desktops the end-to-end tests run under (tests/e2e/desktops.sh); Mesa's software GL
  # for the compositing ones.
  dbus dbus-bin xfwm4 xfce4-panel xfconf mutter kwin-x11 libgl1-mesa-dri)

# GNOME Shell and KWin on Wayland with XWayland; input and screenshots through the compositor
# (D-Bus, PipeWire and GStreamer for GNOME's screen cast, a Wayland client for KWin's fake input),
# a Wayland window beneath the scene (GTK), and an Xvfb for KWin to run nested in.
wayland_packages=(gnome-shell kwin-wayland xwayland xvfb dbus dbus-bin dbus-daemon libglib2.0-bin
  python3-dbus python3-gi gir1.2-gtk-3.0 gir1.2-gstreamer-1.0 gir1.2-gst-plugins-base-1.0
  gstreamer1.0-pipewire gstreamer1.0-plugins-base pipewire wireplumber
  libwayland-dev plasma-wayland-protocols gcc libc6-dev x11-utils xdotool imagemagick iproute2
  libgl1-mesa-dri)

case $mode in
run | test | wayland) ;;
*) echo "usage: $0 [run|test|wayland]" >&2; exit 2 ;;
esac
packages=("${run_packages[@]}")
[ "$mode" = wayland ] && packages=("${wayland_packages[@]}")
clang_rt=""
if [ "$mode" = test ]; then
  packages+=("${test_packages[@]}")
  # The sanitizers' runtime of the clang that is (or will be) installed: libclang-rt-14-dev on
  # Debian 12, libclang-rt-19-dev on Debian 13. Unknown until apt has lists when clang is not
  # installed; then it is looked up after the update.
  clang_rt=$(kiprun_clang_rt_package)
  [ -z "$clang_rt" ] || packages+=("$clang_rt")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
kiprun_apt_update
if [ "$mode" = test ] && [ -z "$clang_rt" ]; then
  clang_rt=$(kiprun_clang_rt_package)
  if [ -z "$clang_rt" ]; then
    echo "error: apt knows no clang package, so no clang runtime package either" >&2
    exit 1
  fi
  missing+=("$clang_rt")
fi
kiprun_apt_install_needed "${missing[@]}"
