#!/usr/bin/env bash
# The package steps (scripts/apt-lib.sh, scripts/install-deps.sh) against a fake apt-get that
# fails to fetch one list the way a mirror in the middle of a sync does: apt-get update is tried
# again a bounded number of times, the step goes on with the other lists and names the failed
# one in one line, and it fails only when a package it needs cannot be installed.
# No network, no root: apt-get, apt-cache, dpkg-query, sudo and sleep are fakes first on PATH.
# Usage: apt_lib_test.sh SOURCE_DIR
set -euo pipefail
src=${1:?source folder}
work=$(mktemp -d /tmp/kiprun-apt-lib.XXXXXX)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir "$bin"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# apt-get: "update" fails on the i386 list of bookworm-security for the first $FAKE_BAD_UPDATES
# calls (all of them when "always", without naming a list when "lock"); "install" fails for
# the packages in $FAKE_UNINSTALLABLE with apt's unmet-dependency report (left out under -qq,
# as apt-get does). Calls are logged.
cat >"$bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "$*" >>"$FAKE_DIR/calls"
case "$1" in
  update)
    n=$(grep -c '^update' "$FAKE_DIR/calls")
    bad=${FAKE_BAD_UPDATES:-0}
    case "$bad" in
      lock)
        echo "E: Could not get lock /var/lib/apt/lists/lock. It is held by process 4242 (apt-get)" >&2
        exit 100 ;;
      always) ;;
      *) [ "$n" -gt "$bad" ] && exit 0 ;;
    esac
    cat >&2 <<'OUT'
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]
   Hashes of expected file:
    - Filesize:376004 [weak]
    - SHA256:0d3f5b7a0ad8f1e1f0c8c6f37e4f3a0b4d1c2e9f8a7b6c5d4e3f2a1b0c9d8e7f
   Release file created at: Tue, 20 May 2025 06:12:41 +0000
E: Some index files failed to download. They have been ignored, or old ones used instead.
OUT
    exit 100 ;;
  install)
    shift
    packages=()
    for a in "$@"; do [[ "$a" == -* ]] || packages+=("$a"); done
    for p in "${packages[@]}"; do
      case " ${FAKE_UNINSTALLABLE:-} " in
        *" $p "*)
          [[ " $* " == *" -qq "* ]] || cat <<'OUT'
Some packages could not be installed. This may mean that you have
requested an impossible situation or if you are using the unstable
distribution that some required packages have not yet been created
or been moved out of Incoming.
The following information may help to resolve the situation:

The following packages have unmet dependencies:
 libfreetype6:i386 : Depends: libbrotli1:i386 (>= 0.6.0) but it is not going to be installed
 libglib2.0-0:i386 : Depends: libpcre2-8-0:i386 (>= 10.22) but it is not going to be installed
                     Depends: zlib1g:i386 (>= 1:1.2.2) but it is not going to be installed
OUT
          echo "E: Unable to correct problems, you have held broken packages." >&2
          exit 100 ;;
      esac
    done
    printf '%s\n' "${packages[@]}" >>"$FAKE_DIR/installed" ;;
esac
EOF
# sleep: logs the pause instead of taking it.
cat >"$bin/sleep" <<'EOF'
#!/usr/bin/env bash
echo "$*" >>"$FAKE_DIR/sleeps"
EOF
# sudo: as the caller, with the caller's PATH (the real one would reset it).
cat >"$bin/sudo" <<'EOF'
#!/usr/bin/env bash
exec "$@"
EOF
# dpkg-query: only the packages in $FAKE_INSTALLED are installed; clang depends on
# clang-$FAKE_CLANG. apt-cache: the candidate clang depends on clang-$FAKE_CLANG_CANDIDATE
# (no clang at all when it is empty: no lists yet).
cat >"$bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
p=${*: -1}
case " ${FAKE_INSTALLED:-} " in *" $p "*) ;; *) exit 1 ;; esac
case "$*" in
  *'${Depends}'*) [ "$p" = clang ] && printf 'clang-%s (>= %s~)' "$FAKE_CLANG" "$FAKE_CLANG" ;;
  *) printf 'install ok installed' ;;
esac
EOF
cat >"$bin/apt-cache" <<'EOF'
#!/usr/bin/env bash
[ "$*" = "depends clang" ] && [ -n "${FAKE_CLANG_CANDIDATE:-}" ] || exit 100
printf 'clang\n  Depends: clang-%s\n  Breaks: <clang-3.2>\n  Replaces: <clang-3.2>\n' \
  "$FAKE_CLANG_CANDIDATE"
EOF
chmod +x "$bin"/*
export PATH=$bin:$PATH
unset KIPRUN_APT_UPDATE_TRIES KIPRUN_APT_RETRY_PAUSE

# One case in a fresh fake state: runs "$@" in a subshell with the library sourced; its status
# in $status, its stderr in $err, the calls in $calls, the pauses in $sleeps.
run() {
  export FAKE_DIR=$work/case
  rm -rf "$FAKE_DIR"
  mkdir "$FAKE_DIR"
  : >"$FAKE_DIR/calls"
  : >"$FAKE_DIR/sleeps"
  : >"$FAKE_DIR/installed"
  status=0
  (
    # shellcheck source=../../scripts/apt-lib.sh
    . "$src/scripts/apt-lib.sh"
    "$@"
  ) >"$FAKE_DIR/out" 2>"$FAKE_DIR/err" || status=$?
  err=$(cat "$FAKE_DIR/err")
  calls=$(grep -c '^update' "$FAKE_DIR/calls" || true)
  sleeps=$(paste -sd ' ' "$FAKE_DIR/sleeps")
}
list=bookworm-security/main/binary-i386/Packages
namesList() { grep -c -F "$list" <<<"$err" || true; }

# ---- apt-get update: retried, bounded, and on without the list that stays broken
run kiprun_apt_update
[ "$status" -eq 0 ] && [ "$calls" -eq 1 ] && [ -z "$err$sleeps" ] ||
  fail "a good update: status $status, $calls updates, pauses '$sleeps', said '$err'"

FAKE_BAD_UPDATES=2 run kiprun_apt_update
[ "$status" -eq 0 ] && [ "$calls" -eq 3 ] || fail "two bad updates: status $status after $calls updates"
[ "$sleeps" = "20 20" ] || fail "two bad updates: paused '$sleeps', not 20 s before each new try"
[ "$(namesList)" -eq 0 ] || fail "an update that came right at last still names $list: $err"

FAKE_BAD_UPDATES=always run kiprun_apt_update
[ "$status" -eq 0 ] || fail "a list that stays broken stops the step (status $status)"
[ "$calls" -eq 3 ] && [ "$sleeps" = "20 20" ] ||
  fail "a list that stays broken: $calls updates, pauses '$sleeps' (3 tries, 20 s apart by default)"
[ "$(namesList)" -eq 1 ] || fail "a list that stays broken is named on $(namesList) lines, not one: $err"
grep -F "$list" <<<"$err" | grep -q 'Mirror sync in progress?' ||
  fail "the line naming the list does not say why: $err"
! grep -q 'IP:' <<<"$err" || fail "the line carries the mirror's address: $err"

FAKE_BAD_UPDATES=always KIPRUN_APT_UPDATE_TRIES=5 KIPRUN_APT_RETRY_PAUSE=0 run kiprun_apt_update
[ "$calls" -eq 5 ] && [ "$sleeps" = "0 0 0 0" ] ||
  fail "KIPRUN_APT_UPDATE_TRIES=5 KIPRUN_APT_RETRY_PAUSE=0: $calls updates, pauses '$sleeps'"

FAKE_BAD_UPDATES=lock KIPRUN_APT_RETRY_PAUSE=0 run kiprun_apt_update
[ "$status" -eq 0 ] && [ "$calls" -eq 3 ] || fail "a held lock: status $status after $calls updates"
grep -q 'Could not get lock' <<<"$err" || fail "a held lock goes unreported: $err"

# ---- installs after a broken list: what installs does, a needed package that cannot fails
export KIPRUN_APT_RETRY_PAUSE=0
updateThenInstall() { kiprun_apt_update && kiprun_apt_install_needed "$@"; }
FAKE_BAD_UPDATES=always FAKE_UNINSTALLABLE=wine32:i386 run updateThenInstall wine64 g++-mingw-w64-i686-posix
[ "$status" -eq 0 ] && [ "$(paste -sd ' ' "$FAKE_DIR/installed")" = "wine64 g++-mingw-w64-i686-posix" ] ||
  fail "packages of the fetched lists: status $status, installed $(paste -sd ' ' "$FAKE_DIR/installed")"

FAKE_BAD_UPDATES=always FAKE_UNINSTALLABLE=wine32:i386 run updateThenInstall wine64 wine32:i386
[ "$status" -ne 0 ] || fail "a needed package that cannot be installed does not fail the step"
grep -q 'cannot install wine64 wine32:i386: .*libbrotli1:i386.*held broken packages' <<<"$err" ||
  fail "the failed install does not say what and why: $err"
grep -q "could not fetch $list" <<<"$err" ||
  fail "the failed install does not recall the list apt-get update could not fetch: $err"

# An optional package: the caller gets the status and apt-get's reason in one line.
optional() {
  kiprun_apt_install wine32:i386 && return 0
  echo "reason: $KIPRUN_APT_ERROR"
  return 1
}
FAKE_UNINSTALLABLE=wine32:i386 run optional
[ "$status" -ne 0 ] || fail "kiprun_apt_install of a package that cannot be installed succeeds"
[ "$(cat "$FAKE_DIR/out")" = "reason: libfreetype6:i386 : Depends: libbrotli1:i386 (>= 0.6.0) but it is not going to be installed; E: Unable to correct problems, you have held broken packages." ] ||
  fail "kiprun_apt_install's reason: $(cat "$FAKE_DIR/out")"

# ---- the names of failed lists, as apt-get prints them with and without -qq: one name a list
names=$(
  . "$src/scripts/apt-lib.sh"
  kiprun_apt_failed_lists <<'EOF'
Err:5 http://deb.debian.org/debian-security bookworm-security/main i386 Packages
  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]
Err:1 http://deb.debian.org/debian bookworm InRelease
  Temporary failure resolving 'deb.debian.org'
W: Failed to fetch http://deb.debian.org/debian/dists/bookworm/InRelease  Temporary failure resolving 'deb.debian.org'
E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 151.101.2.132 80]
E: Failed to fetch file:/srv/repo/./Packages  File not found - /srv/repo/./Packages (2: No such file or directory)
E: Some index files failed to download. They have been ignored, or old ones used instead.
EOF
)
[ "$(paste -sd ' ' <<<"$names")" = "$list bookworm/InRelease /srv/repo/./Packages" ] ||
  fail "failed lists named: $(paste -sd ' ' <<<"$names")"

# ---- the clang runtime that goes with clang (Debian 12: 14, Debian 13: 19)
clangRt() { kiprun_clang_rt_package; }
FAKE_INSTALLED=clang FAKE_CLANG=19 FAKE_CLANG_CANDIDATE=14 run clangRt
[ "$(cat "$FAKE_DIR/out")" = libclang-rt-19-dev ] ||
  fail "installed clang-19: runtime '$(cat "$FAKE_DIR/out")', not the installed clang's"
FAKE_CLANG_CANDIDATE=14 run clangRt
[ "$(cat "$FAKE_DIR/out")" = libclang-rt-14-dev ] ||
  fail "clang-14 to be installed: runtime '$(cat "$FAKE_DIR/out")'"
run clangRt
[ "$status" -eq 0 ] && [ -z "$(cat "$FAKE_DIR/out")" ] ||
  fail "no lists: status $status, runtime '$(cat "$FAKE_DIR/out")'"

# ---- scripts/install-deps.sh on a machine with nothing installed and a list that stays broken
installDeps() { "$src/scripts/install-deps.sh" "$@"; }
FAKE_BAD_UPDATES=always FAKE_CLANG_CANDIDATE=19 run installDeps test
[ "$status" -eq 0 ] || fail "install-deps.sh test with a broken list: status $status: $err"
grep -qx libclang-rt-19-dev "$FAKE_DIR/installed" && ! grep -q libclang-rt-14 "$FAKE_DIR/installed" ||
  fail "install-deps.sh test, clang 19 to come: did not install libclang-rt-19-dev alone"
[ "$(namesList)" -eq 1 ] || fail "install-deps.sh names the broken list on $(namesList) lines: $err"

FAKE_BAD_UPDATES=always FAKE_UNINSTALLABLE=qt6-base-dev run installDeps run
[ "$status" -ne 0 ] || fail "install-deps.sh run succeeds without qt6-base-dev"
grep -q '^error: cannot install .*qt6-base-dev' <<<"$err" || fail "install-deps.sh run: unclear failure: $err"

FAKE_INSTALLED="$(sed -n '/^run_packages=(/,/)/p' "$src/scripts/install-deps.sh" |
  sed 's/run_packages=//' | tr '()\n' '   ')" run installDeps run
[ "$status" -eq 0 ] && [ "$calls" -eq 0 ] ||
  fail "install-deps.sh run with everything installed: status $status, $calls updates"

[ "$failures" -eq 0 ] || exit 1
echo "apt-get update is retried and goes on without a broken list; needed packages fail the step"
