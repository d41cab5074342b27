#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds what the benchmark needs and runs it: huepick beside its floors, on
# X11 and on a headless Wayland desktop. Prints one table per measure.
#   bench/run.sh [--build-dir DIR] [--runs N] [--sizes WxH,...] [--no-wayland]
#                [--only startup,capture,wayland] [--settle-ms MS]
# The build folder defaults to build/ (or $HUEPICK_BUILD_DIR). The Wayland
# section needs sway and, when run as root, the test user of
# "tools/dev.sh setup"; it shares the portal's one screenshot file with the
# Wayland tests, so do not run them at the same time.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${HUEPICK_BUILD_DIR:-"$here/build"}
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build_dir=$2; shift 2 ;;
    --build-dir=*) build_dir=${1#*=}; shift ;;
    *) args+=("$1"); shift ;;
  esac
done

export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DHUEPICK_WERROR=ON >/dev/null
fi
# Two jobs: the machine is shared, and the figures want it quiet afterwards.
cmake --build "$build_dir" --target huepick_bench -j2 >/dev/null
exec env -u QT_QPA_PLATFORM "$build_dir/bench/suite/huepick_bench" "${args[@]}"
