#!/usr/bin/env bash
# The tests again on Debian 13 (trixie: Qt 6.8, GCC 14, mutter 48, KWin 6.3, xfwm4 4.20, GNOME
# Shell 48, XWayland 24), from a machine of another release: in a Debian 13 root made with
# mmdebstrap from the Debian registry, entered with chroot. Inside, scripts/run-tests.sh builds
# the program, runs the unit tests, the end-to-end tests under mutter --x11, kwin_x11 and xfwm4
# with xfce4-panel, and the Wayland check under GNOME Shell and KWin (input through the
# compositor). Ends with that run's "N passed, N failed, N skipped" line and its status.
#
# The root is kept between runs in KIPRUN_DEBIAN13_CACHE (default /var/cache/kiprun), named by
# a key of what went into it (the package scripts and the way it is made): a changed package
# list makes a new root, and the old ones are removed. It is made under an exclusive lock and
# used under a shared one, so a run never uses a half-made root, nor removes one in use; a root
# is only renamed into place once it is whole.
#
# Every mount lives in a mount namespace of the run's own (unshare), so the kernel undoes them
# all when the run ends, however it ends; the run's processes live in a PID namespace of its
# own, which the kernel empties when this script's unshare ends (killed or not). The run also
# has a network namespace of its own: X servers and compositors inside pick display numbers
# without seeing those outside, whose abstract sockets would otherwise clash with theirs.
#
# Needs root (through sudo when not root), mmdebstrap and about 4 GB of disk.
# Environment: KIPRUN_DEBIAN_MIRROR (default http://deb.debian.org/debian),
# KIPRUN_DEBIAN_SECURITY (default http://deb.debian.org/debian-security), KIPRUN_JOBS.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=apt-lib.sh
. "$here/scripts/apt-lib.sh"

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=KIPRUN_DEBIAN13_CACHE,KIPRUN_DEBIAN_MIRROR,KIPRUN_DEBIAN_SECURITY,KIPRUN_JOBS,CI \
    "$0" "$@"
fi

cache=${KIPRUN_DEBIAN13_CACHE:-/var/cache/kiprun}
mirror=${KIPRUN_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${KIPRUN_DEBIAN_SECURITY:-http://deb.debian.org/debian-security}
suite=trixie
jobs=${KIPRUN_JOBS:-2}
# mmdebstrap OPTIONS SUITE TARGET MIRRORS: the target goes between them.
make_root=(mmdebstrap --variant=apt --include=ca-certificates,sudo "$suite")
mirrors=("deb $mirror $suite main" "deb $mirror $suite-updates main" "deb $security $suite-security main")

if ! command -v mmdebstrap >/dev/null; then
  kiprun_apt_update
  kiprun_apt_install_needed mmdebstrap
fi
mkdir -p "$cache"
key=$({ printf '%s\n' "${make_root[@]}" "${mirrors[@]}"; cat "$here/scripts/install-deps.sh" "$here/scripts/apt-lib.sh"; } |
  sha256sum | cut -c1-16)
root=$cache/debian13-$key

# in_root ROOT COMMAND...: runs COMMAND in ROOT, in private mount (and, with KIPRUN_NET=none, network)
# namespaces, with /proc, /sys, /dev, a fresh /tmp and /run, and this source tree at /src.
in_root() {
  local r=$1 net=()
  shift
  [ "${KIPRUN_NET:-}" = none ] && net=(--net)
  # shellcheck disable=SC2016  # expanded by the inner shell
  unshare --mount --propagation private --pid --fork --kill-child "${net[@]}" -- sh -euc '
    r=$1 src=$2
    shift 2
    ip link set lo up 2>/dev/null || true
    mount -t proc proc "$r/proc"
    mount --rbind /sys "$r/sys"
    mount --rbind /dev "$r/dev"
    mount -t tmpfs -o mode=1777 tmpfs "$r/tmp"
    mount -t tmpfs -o mode=755 tmpfs "$r/run"
    mkdir -p "$r/src" "$r/run/lock"
    mount --bind "$src" "$r/src"
    exec chroot "$r" "$@"' sh "$r" "$here" \
    env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    TERM="${TERM:-dumb}" LANG=C.UTF-8 CI="${CI:-}" KIPRUN_JOBS="$jobs" "$@" &
  # A signal to this script alone ends the run too. unshare ignores INT and TERM while it waits,
  # so it is killed; it then kills the namespace's first process (--kill-child), and the kernel
  # ends every other process of the namespace.
  local child=$! status=0
  trap 'kill -KILL "$child" 2>/dev/null' INT TERM HUP
  wait "$child" || status=$?
  while kill -0 "$child" 2>/dev/null; do wait "$child" || status=$?; done
  trap - INT TERM HUP
  return "$status"
}

started=$(date +%s)
exec 9>"$cache/debian13.lock"
flock -x 9
if [ ! -d "$root" ]; then
  echo "== making the Debian 13 root $root"
  # Left by a run that was interrupted while it made one (the lock says none is being made).
  rm -rf "$cache"/debian13-*.partial
  partial=$root.partial
  "${make_root[@]}" "$partial" "${mirrors[@]}"
  cp /etc/resolv.conf "$partial/etc/resolv.conf" 2>/dev/null || true
  in_root "$partial" bash -c 'cd /src && scripts/install-deps.sh test && scripts/install-deps.sh wayland'
  # Roots of other package lists: nobody uses them (that would hold the lock shared).
  for old in "$cache"/debian13-*; do
    [ "$old" = "$partial" ] || rm -rf "$old"
  done
  mv "$partial" "$root"
  echo "== the Debian 13 root took $(($(date +%s) - started)) s"
fi
flock -s 9

echo "== the tests in the Debian 13 root ($(. "$root/etc/os-release" && echo "$PRETTY_NAME"))"
# The build and its artifacts go to a folder of their own in the source tree; the root's copy of
# the packages is complete, so the run's install step finds nothing missing (no network needed).
KIPRUN_NET=none in_root "$root" bash -c 'cd /src && KIPRUN_BUILD_DIR=build-debian13 \
  KIPRUN_TEST_PHASES="unit e2e wayland" KIPRUN_E2E_DESKTOPS="mutter kwin xfwm4" scripts/run-tests.sh'
