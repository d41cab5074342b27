#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up a Debian 12 machine for Huepick, builds it, and runs it or its tests.
#   tools/dev.sh run    install what is missing, build, start Huepick
#   tools/dev.sh test   install what is missing, build, run every test (they
#                       include building the Debian package and lintian), then
#                       the release, sanitizer and fuzzing checks of
#                       tools/ci-extra.sh
#   tools/dev.sh setup  only install what is missing and create the test user
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${HUEPICK_BUILD_DIR:-"$here/build"}

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libfontconfig-dev libxcb1-dev libxcb-xfixes0-dev libxcb-shm0-dev libxcb-shape0-dev libxcb-xtest0-dev libgl-dev
  libgtest-dev libbenchmark-dev
  fonts-liberation2
  xvfb xauth xdotool xclip x11-utils x11-xserver-utils imagemagick trayer openbox
  dpkg-dev debhelper build-essential lintian desktop-file-utils appstream man-db
  clang libclang-rt-14-dev
  sway swaybg xwayland grim wl-clipboard wtype qt6-wayland libwayland-dev
  dbus pipewire xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
)

# Sway refuses to run as root, so the Wayland end-to-end tests run their
# session as this unprivileged user when they run as root.
test_user=huepick-test

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

ensure_test_user() {
  [ "$(id -u)" -eq 0 ] || return 0
  getent passwd "$test_user" >/dev/null && return 0
  useradd --system --user-group --no-create-home --home-dir /nonexistent \
    --shell /usr/sbin/nologin "$test_user"
}

build() {
  # Warnings are errors while developing; a packager's build leaves them off.
  cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DHUEPICK_WERROR=ON >/dev/null
  cmake --build "$build_dir" --parallel
}

case "${1:-}" in
  setup)
    install_missing
    ensure_test_user
    ;;
  run)
    install_missing
    build
    exec "$build_dir/huepick"
    ;;
  test)
    install_missing
    ensure_test_user
    build
    status=0
    log="$build_dir/ctest-output.log"
    (cd "$build_dir" && ctest --output-on-failure --parallel "$(nproc)" --timeout 600) 2>&1 |
      tee "$log" || status=1
    "$here/tools/ci-extra.sh" || status=1
    # The normal run's summary stays the last line, whatever the extra checks printed.
    summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1 || true)
    echo "${summary:-ctest printed no summary}"
    exit "$status"
    ;;
  *)
    echo "usage: tools/dev.sh run|test|setup" >&2
    exit 2
    ;;
esac
