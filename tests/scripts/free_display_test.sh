#!/usr/bin/env bash
# kiprun_free_display (tests/e2e/game/scene-lib.sh) passes over a display whose X server runs
# with a /tmp of its own (a chroot, a container, a service with a private /tmp): that server
# leaves no socket file in this /tmp, but its abstract socket is what clients reach first.
# Such a server is started here in a mount namespace of its own with a private /tmp.
# Usage: free_display_test.sh SOURCE_DIR. Exit 77 (skipped) where no mount namespace can be made.
set -euo pipefail
src=${1:?source folder}
# shellcheck source=../e2e/game/scene-lib.sh
. "$src/tests/e2e/game/scene-lib.sh"
first=$(kiprun_free_display 700 760) || { echo "FAIL: no free display in 700..760"; exit 1; }
n=${first#:}
as_root=()
[ "$(id -u)" = 0 ] || as_root=(--user --map-root-user)
unshare "${as_root[@]}" --mount --propagation private true 2>/dev/null || {
  echo "no mount namespace can be made here"
  exit 77
}
unshare "${as_root[@]}" --mount --propagation private sh -c '
  mount -t tmpfs tmpfs /tmp && mkdir -m 1777 /tmp/.X11-unix && exec Xvfb ":$1" -nolisten tcp' \
  sh "$n" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix && break
  sleep 0.1
done
grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix || { echo "FAIL: the server of another /tmp did not start on :$n"; exit 1; }
[ ! -e "/tmp/.X11-unix/X$n" ] || { echo "FAIL: the server's socket file is in this /tmp"; exit 1; }
got=$(kiprun_free_display "$n" $((n + 5)))
if [ "$got" = ":$n" ]; then
  echo "FAIL: :$n is called free while a server of another /tmp holds it"
  exit 1
fi
echo "a server of another /tmp on :$n; the first free display is $got"
