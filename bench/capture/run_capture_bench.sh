#!/usr/bin/env bash
# The picking window's timings and memory at 1920x1080 and 3840x2160, each on
# its own Xvfb with openbox. Prints the driver's medians per screen size.
#   bench/capture/run_capture_bench.sh path/to/huepick path/to/capture_bench [CYCLES]
set -euo pipefail
bin=$(readlink -f "$1")
driver=$(readlink -f "$2")
cycles=${3:-100}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

for size in 1920x1080 3840x2160; do
  display=$((200 + RANDOM % 300))
  while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
  export DISPLAY=":$display"
  Xvfb "$DISPLAY" -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 & xvfb=$!
  pids+=("$xvfb")
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
  openbox >/dev/null 2>&1 & wm=$!
  pids+=("$wm")
  sleep 0.5

  app="$work/app-$size"
  mkdir "$app"
  cp "$bin" "$app/"
  printf '[settings]\nlastcolor=000000\n' > "$app/huepick.ini"
  "$app/huepick" >/dev/null 2>&1 & pid=$!
  pids+=("$pid")
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "Vantrel!'s Huepick" >/dev/null 2>&1 && break
    sleep 0.01
  done
  sleep 0.5

  "$driver" "$pid" "$cycles"

  kill "$pid" "$wm" "$xvfb" 2>/dev/null || true
  wait "$pid" "$wm" "$xvfb" 2>/dev/null || true
done
