#!/usr/bin/env bash
# CI: build the Debian package, check its menu entry and AppStream details, install it, and start
# the installed game on a virtual X server.
#
#   .ci/package.sh [BUILD_DIR]
#
# BUILD_DIR is an existing build tree to package (the test build will do: packaging strips the
# debug information). Without it, a release build without tests is made in build-package.
# As root (CI) the package is installed with apt, which proves that its dependencies resolve, and
# removed again at the end if it was not installed before; otherwise it is unpacked into a
# temporary directory and run from there.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-package}
appId=com.vantrel.Marbles
work=$(mktemp -d /tmp/vantrel-package-XXXXXX)
installedByUs=""
cleanup() {
    if [ -n "$installedByUs" ]; then
        echo "== removing the test installation"
        DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq vantrel-marbles >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "package: $*" >&2
    exit 1
}

sudo=""
[ "$(id -u)" -eq 0 ] || { command -v sudo >/dev/null && sudo="sudo"; }

./build.sh deps

if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "== configuring a release build in $build"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)"

echo "== building the package"
rm -rf "$build/deb"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/deb" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$build"/deb/vantrel-marbles_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $build/deb"
deb=${debs[0]}
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Section\|Installed-Size\|Depends\|Recommends\):/  &/p'
echo "   file size: $(stat -c %s "$deb") bytes"

echo "== checking the files in the package"
root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/$appId.desktop"
metainfo="$root/usr/share/metainfo/$appId.metainfo.xml"
for f in "$root/usr/bin/vantrel-marbles" "$desktop" "$metainfo" \
    "$root/usr/share/icons/hicolor/scalable/apps/$appId.svg" \
    "$root/usr/share/man/man6/vantrel-marbles.6.gz" "$root/usr/share/doc/vantrel-marbles/copyright"; do
    [ -f "$f" ] || fail "missing from the package: ${f#"$root"}"
done
for size in 16 24 32 48 64 128 256 512; do
    [ -f "$root/usr/share/icons/hicolor/${size}x$size/apps/$appId.png" ] || fail "no ${size}px icon"
done
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"
man -l "$root/usr/share/man/man6/vantrel-marbles.6.gz" >/dev/null

if command -v lintian >/dev/null; then
    echo "== lintian"
    # Errors fail the step; warnings and notes are shown for a human to judge.
    lintian --tag-display-limit 0 "$deb" 2>/dev/null | tee "$work/lintian.log" || true
    ! grep -q '^E:' "$work/lintian.log" || fail "lintian found errors"
fi

echo "== installing"
if [ "$(id -u)" -eq 0 ] || [ -n "$sudo" ]; then
    if ! dpkg-query -W -f='${Status}' vantrel-marbles 2>/dev/null | grep -q "install ok installed"; then
        installedByUs=yes
    fi
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$(realpath "$deb")" >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt-get could not install the package"; }
    prefix=/usr
else
    echo "   (not root: running the unpacked copy)"
    prefix="$root/usr"
fi
export PATH="$prefix/bin:$PATH"

echo "== starting the installed game"
# The menu entry's command, as a desktop would run it, must be the installed program.
exe=$(sed -n 's/^Exec=//p' "$prefix/share/applications/$appId.desktop" | head -n 1)
exe=${exe%% *}
resolved=$(command -v "$exe") || fail "Exec=$exe is not found on PATH"
[ "$(realpath "$resolved")" = "$(realpath "$prefix/bin/vantrel-marbles")" ] ||
    fail "Exec=$exe runs $resolved, not $prefix/bin/vantrel-marbles"
icon=$(sed -n 's/^Icon=//p' "$prefix/share/applications/$appId.desktop")
[ -f "$prefix/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "Icon=$icon is not installed"

mkdir -p "$work/home"
# One SIGTERM after five seconds, sent by hand: timeout(1) signals the game and then its whole
# process group, and a second signal rightly means "quit now, without saving".
cat >"$work/start.sh" <<'EOF'
"$1" &
pid=$!
sleep 5
kill -TERM "$pid"
wait "$pid"
EOF
set +e
HOME="$work/home" XDG_DATA_HOME="$work/home/data" SDL_AUDIODRIVER=dummy \
    xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/start.sh" "$exe" >"$work/game.log" 2>&1
rc=$?
set -e
cat "$work/game.log"
[ $rc -eq 0 ] || fail "the game ended with status $rc"
grep -q '^\[video\] ' "$work/game.log" || fail "no [video] line: the window did not come up"
[ -f "$work/home/data/vantrelMarbles/settings.json" ] || fail "the game saved no settings on SIGTERM"
echo "== package OK: $deb"
