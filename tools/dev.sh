#!/usr/bin/env bash
# Sets up a Debian 12 machine for Huepick, builds it, and runs it or its tests.
#   tools/dev.sh run    install what is missing, build, start Huepick
#   tools/dev.sh test   install what is missing, build, run every test
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${HUEPICK_BUILD_DIR:-"$here/build"}

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libxcb1-dev libgl-dev
  libgtest-dev libbenchmark-dev
  fonts-liberation2
  xvfb xauth xdotool xclip x11-utils imagemagick trayer openbox
)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
  cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build_dir" --parallel
}

case "${1:-}" in
  run)
    install_missing
    build
    exec "$build_dir/huepick"
    ;;
  test)
    install_missing
    build
    cd "$build_dir"
    exec ctest --output-on-failure --parallel "$(nproc)" --timeout 600
    ;;
  *)
    echo "usage: tools/dev.sh run|test" >&2
    exit 2
    ;;
esac
