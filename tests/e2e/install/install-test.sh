#!/usr/bin/env bash
# One step of the installation test, named by the first argument:
#   package  builds the Debian package in the build folder, as the README tells users to, and
#            checks its dependencies and file list;
#   files    unpacks it and checks the installed files (desktop entry, metainfo, icons, binary);
#   lintian  runs lintian on the package: no errors, and no warnings but the one it names;
#   smoke    unpacks it and plays the installed program from a folder its user cannot write:
#            the colour chosen from the menu must land in the user's configuration folder and be
#            back on the next start.
# Environment (set by CMake): KIPRUN_BUILD_DIR, KIPRUN_DEB, KIPRUN_APP_ID, KIPRUN_ARTIFACTS and,
# when the icon's 32x32 PNG is committed, KIPRUN_ICON_PNG. smoke needs DISPLAY; files and lintian
# run only when KIPRUN_E2E_WM is unset or "none".
set -euo pipefail
step=${1:?step}
build=${KIPRUN_BUILD_DIR:?}
deb=${KIPRUN_DEB:?}
appId=${KIPRUN_APP_ID:?}
artifacts=${KIPRUN_ARTIFACTS:?}
mkdir -p "$artifacts"
convert=/usr/bin/convert

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d /tmp/kiprun-install.XXXXXX)
# The unprivileged user of the smoke test must reach the unpacked program.
chmod 0755 "$work"
programPid=""
cleanup() {
    if [ -n "$programPid" ]; then kill "$programPid" 2>/dev/null || true; fi
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The package's files do not depend on the window manager: checked once, in the run without one.
skipUnderWindowManager() {
    if [ "${KIPRUN_E2E_WM:-none}" != none ]; then
        echo "checked in the run without a window manager: skipped"
        exit 77
    fi
}

# What appstreamcli may say of the metainfo, and why:
#   the project has no home page, so the metainfo links none, and AppStream 1.0 warns of that
#   (the validation then fails; older validators do not know the tag);
#   validators before AppStream 1.0 (Debian 12's 0.16) do not know the <developer> element,
#   which 1.0 asks for in place of <developer_name>.
kAppstreamHomepage='W: url-homepage-missing'
kAppstreamAllowed=("$kAppstreamHomepage" 'I: unknown-tag developer')

# appstreamValidate COMMAND ARGS...: appstreamcli COMMAND, which must report no error, warning
# or info but those of kAppstreamAllowed (pedantic hints are not looked at).
appstreamValidate() {
    local out rc=0 issues unexpected allowed=()
    out=$(appstreamcli "$@" 2>&1) || rc=$?
    echo "$out"
    # "W: org.example.DesktopKiprun:~: url-homepage-missing", "I: ...:21: unknown-tag developer"
    issues=$(awk '$1 == "E:" || $1 == "W:" || $1 == "I:" { print $1, $3, $4 }' <<<"$out" |
        sed 's/ *$//' | sort -u)
    local a
    for a in "${kAppstreamAllowed[@]}"; do allowed+=(-e "$a"); done
    unexpected=$(grep -vxF "${allowed[@]}" <<<"$issues" || true)
    if [ -n "$unexpected" ]; then
        echo "appstreamcli $1 reports: $(tr '\n' ';' <<<"$unexpected")"
        return 1
    fi
    [ "$rc" -eq 0 ] && return 0
    # A failed validation must be the home page's warning, and nothing else.
    grep -qxF "$kAppstreamHomepage" <<<"$issues" || return 1
    echo "appstreamcli $1: only $kAppstreamHomepage, expected: the project has no home page"
}

unpack() {
    [ -f "$deb" ] || fail "no package at $deb (run install.package first)"
    dpkg-deb -x "$deb" "$work/root"
    root=$work/root
}

step_package() {
    rm -f "$deb"
    if ! (cd "$build" && cpack -G DEB) >"$artifacts/cpack.log" 2>&1; then
        cat "$artifacts/cpack.log" >&2
        fail "cpack -G DEB failed"
    fi
    [ -f "$deb" ] || fail "cpack wrote no $deb"
    echo "package: $deb, $(stat -c %s "$deb") bytes"
    dpkg-deb -f "$deb" Package Version Architecture Section Installed-Size Depends

    local depends names
    depends=$(dpkg-deb -f "$deb" Depends)
    names=$(tr ',|' '\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')
    # Every library the program links must be depended on by the name of the package that
    # holds it on this system, whatever the release calls it (Debian 12: libqt6core6, Debian 13:
    # libqt6core6t64): dpkg-shlibdeps, which CPack asks, finds them the same way.
    local exe=$work/DskKPR needed lib owner multiarch
    dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/DskKPR >"$exe"
    needed=$(readelf -d "$exe" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p')
    for lib in libQt6Core.so.6 libQt6Gui.so.6 libQt6Widgets.so.6 libstdc++.so.6 libc.so.6; do
        grep -qxF "$lib" <<<"$needed" || fail "the program does not link $lib: $(tr '\n' ' ' <<<"$needed")"
    done
    multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
    for lib in $needed; do
        # "libqt6core6t64:amd64: /usr/lib/x86_64-linux-gnu/libQt6Core.so.6"; packages of
        # other architectures name the same package.
        owner=$(dpkg-query -S "*/$multiarch/$lib" 2>/dev/null | grep -v '^diversion ' |
            sed 's/: \/.*//' | tr ',' '\n' | sed 's/^ *//; s/:.*//' | sort -u)
        [ -n "$owner" ] || fail "no installed package holds $lib"
        [ "$(wc -l <<<"$owner")" -eq 1 ] || fail "$lib is held by several packages: $(tr '\n' ' ' <<<"$owner")"
        grep -qxF "$owner" <<<"$names" || fail "Depends lacks $owner, which holds $lib: $depends"
        echo "$lib: $owner"
    done
    # The platform plugin and the fonts are loaded, not linked, so they are named by hand.
    for p in qt6-qpa-plugins fonts-ipafont-gothic fonts-ipafont-mincho; do
        grep -qxF "$p" <<<"$names" || fail "Depends lacks $p: $depends"
    done

    local list
    list=$(dpkg-deb -c "$deb" | awk '{print $6}')
    for f in ./usr/bin/DskKPR \
        "./usr/share/applications/$appId.desktop" \
        "./usr/share/metainfo/$appId.metainfo.xml" \
        "./usr/share/icons/hicolor/32x32/apps/$appId.png" \
        "./usr/share/icons/hicolor/64x64/apps/$appId.png" \
        "./usr/share/icons/hicolor/128x128/apps/$appId.png" \
        ./usr/share/man/man6/DskKPR.6.gz \
        ./usr/share/fontconfig/conf.avail/65-desktop-kiprun.conf \
        "./usr/share/doc/$(dpkg-deb -f "$deb" Package)/copyright" \
        "./usr/share/doc/$(dpkg-deb -f "$deb" Package)/changelog.gz"; do
        grep -qxF "$f" <<<"$list" || fail "package lacks $f"
    done
}

step_files() {
    skipUnderWindowManager
    unpack
    local desktop=$root/usr/share/applications/$appId.desktop
    local metainfo=$root/usr/share/metainfo/$appId.metainfo.xml
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
    echo "desktop-file-validate: passed"
    grep -qxF 'Name=Desktop Kiprun!' "$desktop" || fail "desktop entry lacks the English name"
    grep -qxF 'Name[ja]=デスクトップKiprun!' "$desktop" || fail "desktop entry lacks the Japanese name"
    grep -qxF "Icon=$appId" "$desktop" || fail "desktop entry names another icon"
    local exec
    exec=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$root/usr/bin/${exec%% *}" ] || fail "Exec=$exec is not an installed program"

    appstreamValidate validate --no-net "$metainfo" || fail "appstreamcli rejects $metainfo"
    # The tree as a whole: the metainfo together with the desktop entry it launches.
    appstreamValidate validate-tree --no-net "$root" || fail "appstreamcli rejects the installed tree"
    echo "appstreamcli validate and validate-tree: passed"
    grep -qF "<launchable type=\"desktop-id\">$appId.desktop</launchable>" "$metainfo" ||
        fail "metainfo does not launch the desktop entry"

    local icons=$root/usr/share/icons/hicolor
    for size in 32 64 128; do
        local png=$icons/${size}x${size}/apps/$appId.png
        [ "$(/usr/bin/identify -format '%wx%h' "$png")" = "${size}x${size}" ] ||
            fail "$png is not ${size}x${size}"
        cp "$png" "$artifacts/icon-$size.png"
    done
    # The larger icons are the 32 pixel one with every pixel made a square block.
    for scale in 2 4; do
        local size=$((32 * scale)) diff
        $convert "$icons/32x32/apps/$appId.png" -sample "$((scale * 100))%" "$work/enlarged.png"
        diff=$(/usr/bin/compare -metric AE "$work/enlarged.png" "$icons/${size}x${size}/apps/$appId.png" null: 2>&1 || true)
        [ "$diff" = 0 ] || fail "the ${size}x${size} icon is not a nearest-neighbour copy ($diff pixels differ)"
    done
    # Transparent around the figure, opaque on it.
    local alpha
    alpha=$($convert "$icons/32x32/apps/$appId.png" -alpha extract -format '%[fx:minima] %[fx:maxima]' info:)
    [ "$alpha" = "0 1" ] || fail "the icon should be partly transparent (alpha range $alpha)"
    if [ -n "${KIPRUN_ICON_PNG:-}" ]; then
        local diff
        diff=$(/usr/bin/compare -metric AE "$KIPRUN_ICON_PNG" "$icons/32x32/apps/$appId.png" null: 2>&1 || true)
        [ "$diff" = 0 ] || fail "the installed icon differs from $KIPRUN_ICON_PNG in $diff pixels"
    fi

    # The shipped alias, once enabled, gives the faces the balloon and the version box ask for.
    local conf=$root/usr/share/fontconfig/conf.avail/65-desktop-kiprun.conf
    cat >"$work/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig><include>/etc/fonts/fonts.conf</include><include>$conf</include></fontconfig>
EOF
    local face
    face=$(FONTCONFIG_FILE=$work/fonts.conf fc-match -f '%{family[0]}' 'ＭＳ Ｐゴシック')
    [ "$face" = IPAPGothic ] || fail "with $conf, ＭＳ Ｐゴシック gives $face"
    face=$(FONTCONFIG_FILE=$work/fonts.conf fc-match -f '%{family[0]}' 'ＭＳ Ｐ明朝')
    [ "$face" = IPAPMincho ] || fail "with $conf, ＭＳ Ｐ明朝 gives $face"

    local exe=$root/usr/bin/DskKPR
    file -b "$exe" | grep -q ', stripped' || fail "the installed program is not stripped"
    if readelf -d "$exe" | grep -qE 'RPATH|RUNPATH'; then
        fail "the installed program carries a library search path: $(readelf -d "$exe" | grep -E 'RPATH|RUNPATH')"
    fi

    # apt, as the README has users run it, finds every dependency (simulated: nothing changes).
    apt-get install --simulate --quiet "$deb" >"$work/apt.txt" 2>&1 || {
        cat "$work/apt.txt" >&2
        fail "apt cannot install $deb"
    }
    grep -q "^Inst $(dpkg-deb -f "$deb" Package) " "$work/apt.txt" || fail "apt would not install the package"
    if grep -q '^Remv ' "$work/apt.txt"; then fail "installing would remove: $(grep '^Remv ' "$work/apt.txt")"; fi
    echo "apt-get install --simulate: $(grep -c '^Inst ' "$work/apt.txt") packages to install, none removed"
}

step_lintian() {
    skipUnderWindowManager
    [ -f "$deb" ] || fail "no package at $deb"
    local rc=0
    lintian --pedantic --display-info --fail-on error "$deb" >"$artifacts/lintian.txt" 2>&1 || rc=$?
    grep -v 'running with root privileges' "$artifacts/lintian.txt" || true
    local e w i p
    e=$(grep -c '^E:' "$artifacts/lintian.txt" || true)
    w=$(grep -c '^W:' "$artifacts/lintian.txt" || true)
    i=$(grep -c '^I:' "$artifacts/lintian.txt" || true)
    p=$(grep -c '^P:' "$artifacts/lintian.txt" || true)
    echo "lintian: $e errors, $w warnings, $i infos, $p pedantic"
    if [ "$rc" -ne 0 ] || [ "$e" -ne 0 ]; then fail "lintian reports errors"; fi
    # lintian 2.122 (Debian 13) warns when appstreamcli validate-tree fails, which AppStream 1.0
    # does for the missing home page alone (the files step checks that nothing else is wrong):
    # the one warning allowed.
    local unexpected
    unexpected=$(awk '$1 == "W:" && $3 != "appstream-metadata-validation-failed"' "$artifacts/lintian.txt")
    [ -z "$unexpected" ] || fail "lintian warns: $unexpected"
}

# --- smoke: the installed program on the X server in DISPLAY --------------------------------

# Prints "id x y" of the visible window of process $1 that is $2 x $3 pixels.
findWindow() {
    # One xdotool call for all windows: the machine may be busy, and each call costs.
    xdotool search --onlyvisible --pid "$1" --name '' getwindowgeometry --shell %@ 2>/dev/null |
        awk -F= -v w="$2" -v h="$3" '
            $1 == "WINDOW" { id = $2 } $1 == "X" { x = $2 } $1 == "Y" { y = $2 }
            $1 == "WIDTH" { width = $2 }
            $1 == "HEIGHT" && width == w && $2 == h && !found { print id, x, y; found = 1 }
            END { exit !found }'
}

waitWindow() {
    for _ in $(seq 150); do
        findWindow "$@" && return 0
        sleep 0.1
    done
    return 1
}

screenshot() {
    /usr/bin/import -display "$DISPLAY" -window root "$artifacts/$1.png"
}

# Pixels of golfer pink (255, 128, 255) in screenshot $1 inside the golfer's window.
pinkPixels() {
    $convert "$artifacts/$1.png" -crop "79x96+$manX+$manY" +repage txt:- | grep -ci '#FF80FF' || true
}

# Starts the installed program with a clean environment plus the assignments given.
startProgram() {
    env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME="$home" LANG=C.UTF-8 \
        XDG_RUNTIME_DIR="$runtime" "$@" "${asUser[@]}" "$root/usr/bin/DskKPR" >>"$artifacts/program.log" 2>&1 &
    programPid=$!
    local man control
    man=$(waitWindow "$programPid" 79 96) || fail "the golfer window (79x96) did not appear"
    control=$(waitWindow "$programPid" 18 22) || fail "the control button (18x22) did not appear"
    read -r _ manX manY <<<"$man"
    read -r _ controlX controlY <<<"$control"
    # The control button stands just left of the golfer, on the same ground line.
    [ $((controlX + 18)) -eq "$manX" ] || fail "control button at x=$controlX, golfer at x=$manX"
    [ $((controlY + 22)) -eq $((manY + 96)) ] || fail "control button and golfer stand on different lines"
    sleep 0.5
}

visibleWindows() {
    xdotool search --onlyvisible --pid "$programPid" --name '' 2>/dev/null | wc -l
}

# Opens the control button's menu with a right click and answers it with keys.
menuKeys() {
    local before
    before=$(visibleWindows)
    # No --sync: it waits for a pointer motion that never comes when the pointer is there already.
    xdotool mousemove $((controlX + 9)) $((controlY + 6)) sleep 0.1 click 3
    # The popup menu is a window of its own; keys sent before it shows would be lost.
    for _ in $(seq 100); do
        [ "$(visibleWindows)" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$(visibleWindows)" -gt "$before" ] || fail "no popup menu after a right click on the control button"
    sleep 0.3
    xdotool key --delay 200 "$@"
}

# The settings file holds line $2 (its lines may end in CR LF, as profile files do).
iniHas() {
    [ -f "$1" ] && tr -d '\r' <"$1" | grep -qxF "$2"
}

waitExit() {
    for _ in $(seq 100); do
        kill -0 "$programPid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$programPid" 2>/dev/null && fail "the program did not end after 終了"
    local rc=0
    wait "$programPid" || rc=$?
    programPid=""
    [ "$rc" -eq 0 ] || fail "the program ended with status $rc"
}

step_smoke() {
    [ -n "${DISPLAY:-}" ] || {
        echo "no DISPLAY: skipped"
        exit 77
    }
    unpack
    # Screenshots and logs of each window-manager run side by side.
    artifacts=$artifacts/smoke-${KIPRUN_E2E_WM:-none}
    mkdir -p "$artifacts"
    home=$work/home
    runtime=$work/runtime
    mkdir -p "$home" "$runtime"
    chmod 0700 "$runtime"
    : >"$artifacts/program.log"
    if [ "$(id -u)" -eq 0 ]; then
        # Root may write anywhere, whatever the mode bits say: the program runs as nobody.
        id nobody >/dev/null 2>&1 || fail "no user nobody to run the program as"
        local group
        group=$(id -gn nobody)
        chown nobody:"$group" "$home" "$runtime"
        asUser=(setpriv --reuid=nobody --regid="$group" --clear-groups --)
        # An X server that wants a cookie gets nobody's own copy.
        if [ -n "${XAUTHORITY:-}" ] && [ -r "$XAUTHORITY" ]; then
            install -o nobody -m 0600 "$XAUTHORITY" "$home/.Xauthority"
        fi
    else
        chmod 0555 "$root/usr/bin"
        asUser=()
        if [ -n "${XAUTHORITY:-}" ]; then cp "$XAUTHORITY" "$home/.Xauthority"; fi
    fi
    "${asUser[@]}" test -w "$root/usr/bin" && fail "the program folder is writable for the program's user"
    local ini=$home/.config/DskKPR/DskKPR.ini

    # First start: no settings anywhere, so the golfer is black.
    startProgram
    screenshot install-1-start
    [ "$(pinkPixels install-1-start)" -eq 0 ] || fail "the golfer is pink before any colour was chosen"
    xwininfo -shape -id "$(findWindow "$programPid" 79 96 | cut -d' ' -f1)" >"$work/shape.txt"
    grep -qE '(Window|Bounding) shape extents' "$work/shape.txt" || fail "the golfer window is not shaped"

    # 色変更 > 桃.
    menuKeys Down Right Down Down Return
    for _ in $(seq 50); do
        iniHas "$ini" COLOR=2 && break
        sleep 0.1
    done
    iniHas "$ini" COLOR=2 || fail "COLOR=2 not found in $ini: $(tr "\n" " " <"$ini" 2>/dev/null)"
    iniHas "$ini" '[DAVUZ]' || fail "$ini lacks the [DAVUZ] section"
    [ ! -e "$root/usr/bin/DskKPR.ini" ] || fail "a settings file appeared in the program folder"
    cp "$ini" "$artifacts/DskKPR.ini"
    sleep 0.3
    screenshot install-2-pink
    local pink
    pink=$(pinkPixels install-2-pink)
    # A line figure: some pixels pink, most of the window's rectangle cut away.
    [ "$pink" -gt 50 ] || fail "the golfer did not turn pink ($pink pink pixels)"
    [ "$pink" -lt $((79 * 96 / 2)) ] || fail "the golfer window is a pink block, not a figure ($pink)"

    # 終了 is the last item of the menu.
    menuKeys Up Return
    waitExit

    # Second start: the colour is back.
    startProgram
    screenshot install-3-restart
    pink=$(pinkPixels install-3-restart)
    [ "$pink" -gt 50 ] || fail "the golfer is not pink after the restart ($pink pink pixels)"
    menuKeys Up Return
    waitExit

    # With XDG_CONFIG_HOME set the settings live there: nothing stored yet, so black; 色変更 > 白.
    local xdg=$work/xdg
    mkdir "$xdg"
    chown --reference="$home" "$xdg"
    startProgram XDG_CONFIG_HOME="$xdg"
    screenshot install-4-xdg-start
    [ "$(pinkPixels install-4-xdg-start)" -eq 0 ] || fail "with XDG_CONFIG_HOME set, the golfer is pink from $ini"
    menuKeys Down Right Down Down Down Return
    for _ in $(seq 50); do
        iniHas "$xdg/DskKPR/DskKPR.ini" COLOR=3 && break
        sleep 0.1
    done
    iniHas "$xdg/DskKPR/DskKPR.ini" COLOR=3 || fail "COLOR=3 not found in $xdg/DskKPR/DskKPR.ini"
    iniHas "$ini" COLOR=2 || fail "choosing with XDG_CONFIG_HOME set changed $ini"
    menuKeys Up Return
    waitExit
    echo "smoke: run as $(stat -c %U "$home"), colour kept in $ini, golfer pink after the restart ($pink pixels)"
}

"step_$step"
