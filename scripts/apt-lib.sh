# shellcheck shell=bash
# Package steps shared by scripts/install-deps.sh and scripts/test-windows.sh (sourced by both).
#
# A mirror in the middle of a sync serves some package lists that do not match their Release
# file ("File has unexpected size ... Mirror sync in progress?"), sometimes for hours.
# apt-get update then exits with status 100, yet it has updated every other list, so the step
# tries a few times and then goes on with what it has; only a package the step needs that
# cannot be installed makes it fail.
#
# Environment: KIPRUN_APT_UPDATE_TRIES (default 3), KIPRUN_APT_RETRY_PAUSE (seconds between
# tries, default 20).

# Its input's lines joined by SEPARATOR into one.
kiprun_join_lines() {
  awk -v sep="$1" 'NR > 1 { printf "%s", sep } { printf "%s", $0 } END { if (NR) print "" }'
}

# A command as root: through sudo when not root.
kiprun_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

kiprun_apt_get() {
  kiprun_as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@"
}

# The lists that apt-get update's output (on stdin) says it could not fetch, one a line, named
# as in the archive: "bookworm-security/main/binary-i386/Packages", "bookworm/InRelease".
# apt-get -qq prints "E: Failed to fetch URL  reason" (older apt: "W: ..."); without -qq it also
# prints "Err:N URI SUITE[/COMPONENT [ARCH]] TARGET", which names the same list.
kiprun_apt_failed_lists() {
  awk '
    function add(name) {
      sub(/\.(xz|gz|bz2|lz4|lzma|zst)$/, "", name)
      if (!(name in seen)) { seen[name] = 1; print name }
    }
    /^[WE]: Failed to fetch / {
      url = $5
      if (url ~ /\/dists\//) sub(/^.*\/dists\//, "", url); else sub(/^[a-z+]+:(\/\/)?/, "", url)
      add(url)
      next
    }
    /^Err:[0-9]+ / {
      if (NF >= 5) add($3 "/binary-" $4 "/" $5)
      else if (NF == 4) add($3 "/" $4)
    }
  '
}

# What apt-get said about a failed list, in one line: the first failure's reason without the
# mirror's address.
kiprun_apt_fetch_reason() {
  sed -n -E '/^[WE]: Failed to fetch /{s/^[WE]: Failed to fetch [^ ]+ +//; s/ *\[IP: [^]]*\]//; p; q}'
}

# kiprun_apt_update: apt-get update, tried again after a pause while it fails. When some lists
# still fail after the last try, prints one line naming them and goes on (status 0): the
# packages of the lists that were fetched can still be installed. KIPRUN_APT_FAILED_LISTS keeps
# their names for kiprun_apt_install's message.
kiprun_apt_update() {
  local tries=${KIPRUN_APT_UPDATE_TRIES:-3} pause=${KIPRUN_APT_RETRY_PAUSE:-20}
  local try=1 out reason
  KIPRUN_APT_FAILED_LISTS=""
  while :; do
    if out=$(kiprun_apt_get update -qq 2>&1); then
      return 0
    fi
    [ "$try" -lt "$tries" ] || break
    echo "apt-get update failed (try $try of $tries); trying again in ${pause} s" >&2
    sleep "$pause"
    try=$((try + 1))
  done
  KIPRUN_APT_FAILED_LISTS=$(kiprun_apt_failed_lists <<<"$out" | kiprun_join_lines ', ')
  reason=$(kiprun_apt_fetch_reason <<<"$out")
  if [ -n "$KIPRUN_APT_FAILED_LISTS" ]; then
    echo "apt-get update: after $tries tries these lists could not be fetched, going on" \
      "without them: $KIPRUN_APT_FAILED_LISTS${reason:+ ($reason)}" >&2
  else
    # No list named (a lock, say): its last message, and on with the lists there are.
    echo "apt-get update failed $tries times, going on with the lists there are:" \
      "$(grep -E '^[WE]: ' <<<"$out" | tail -1 || true)" >&2
  fi
  return 0
}

# kiprun_apt_install PACKAGE...: installs them (without recommends). On failure returns the
# status of apt-get, with what apt-get said in one line in KIPRUN_APT_ERROR: the first unmet
# dependency and its errors ("libfreetype6:i386 : Depends: libbrotli1:i386 ... but it is not
# going to be installed; E: Unable to correct problems, you have held broken packages.").
# apt-get -qq would leave the unmet dependencies out, so this is -q with the output kept.
kiprun_apt_install() {
  local out status=0
  KIPRUN_APT_ERROR=""
  out=$(kiprun_apt_get install -y -q --no-install-recommends "$@" 2>&1) || status=$?
  [ "$status" -ne 0 ] || return 0
  KIPRUN_APT_ERROR=$({
    grep -E '^ *[^ ]+ : (Pre)?Depends: ' <<<"$out" | head -1
    grep -E '^E: ' <<<"$out" | head -2
  } | sed -E 's/^ +//; s/ +/ /g' | kiprun_join_lines '; ' || true)
  [ -n "$KIPRUN_APT_ERROR" ] || KIPRUN_APT_ERROR=$(tail -1 <<<"$out")
  return "$status"
}

# kiprun_apt_install_needed PACKAGE...: installs packages the step cannot do without; when that
# fails, says which, why, and which lists apt-get update could not fetch, and returns 1.
kiprun_apt_install_needed() {
  kiprun_apt_install "$@" && return 0
  echo "error: cannot install $*: $KIPRUN_APT_ERROR" >&2
  if [ -n "${KIPRUN_APT_FAILED_LISTS:-}" ]; then
    echo "  (apt-get update could not fetch $KIPRUN_APT_FAILED_LISTS; try again later)" >&2
  fi
  return 1
}

# The clang runtime package (sanitizers) that goes with the clang package: libclang-rt-N-dev
# for the clang-N that "clang" depends on, the installed one's or else the candidate's
# (Debian 12: 14, Debian 13: 19). Prints nothing when apt knows no clang yet (no lists).
kiprun_clang_rt_package() {
  local deps major
  if [ "$(dpkg-query -W -f='${Status}' clang 2>/dev/null)" = "install ok installed" ]; then
    deps=$(dpkg-query -W -f='${Depends}' clang 2>/dev/null || true)
  else
    deps=$(apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: //p' || true)
  fi
  major=$(grep -oE '(^|[ ,|])clang-[0-9]+' <<<"$deps" | grep -oE '[0-9]+' | head -1 || true)
  [ -z "$major" ] || echo "libclang-rt-$major-dev"
}
