#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when missing.
# Usage: scripts/install-deps.sh [run|test]   (default: test, which is a superset of run)
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
  imagemagick openbox clang libclang-rt-14-dev desktop-file-utils appstream lintian dpkg-dev
  file procps
  # dbus-launch: the session-bus test checks that the program never autolaunches a bus.
  dbus-x11
  # The desktops the end-to-end tests run under (tests/e2e/desktops.sh); Mesa's software GL
  # for the compositing ones.
  dbus dbus-bin xfwm4 xfce4-panel xfconf mutter kwin-x11 libgl1-mesa-dri)

packages=("${run_packages[@]}")
[ "$mode" = test ] && packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
kiprun_apt_update
kiprun_apt_install_needed "${missing[@]}"
