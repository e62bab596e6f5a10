#!/usr/bin/env bash
# One entry point for newcomers and CI: installs what is missing, builds, and plays or tests.
#   ./build.sh play   install, build a release build and start the game
#   ./build.sh test   install, build and run the whole test suite
#   ./build.sh deps   only install the missing packages
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake pkg-config git
  libsdl2-dev libsdl2-mixer-dev libcairo2-dev libpango1.0-dev
  libvorbis-dev libogg-dev
  libgtest-dev
  fonts-dejavu-core fonts-noto-core fonts-noto-cjk
  xvfb xauth xdotool xclip imagemagick openbox
  desktop-file-utils appstream dpkg-dev
  clang libclang-rt-14-dev python3
)

installDeps() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

jobs() { nproc 2>/dev/null || echo 2; }

build() {  # build DIR TYPE [extra cmake args]
  local dir=$1 type=$2
  shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  cmake --build "$dir" -j"$(jobs)"
}

case "${1:-}" in
  deps)
    installDeps
    ;;
  play)
    installDeps
    build build-release Release -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "== no display found: running on a virtual X server (Ctrl+C ends it)"
      exec xvfb-run -a -s "-screen 0 1280x800x24" ./build-release/vantrel-marbles
    fi
    exec ./build-release/vantrel-marbles
    ;;
  test)
    installDeps
    build build RelWithDebInfo -DVANTREL_WERROR="${VANTREL_WERROR:-OFF}"
    ctest --test-dir build --output-on-failure -j"$(jobs)"
    ;;
  *)
    echo "usage: $0 play|test|deps" >&2
    exit 2
    ;;
esac
