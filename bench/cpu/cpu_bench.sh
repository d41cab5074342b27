#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# CPU time Huepick uses while idle (10 s after start-up) and while a step
# button is held (3 s), under its own Xvfb and openbox. Prints the medians of
# RUNS runs, in CPU-seconds.
#   bench/cpu/cpu_bench.sh path/to/huepick [RUNS]
set -euo pipefail
bin=$(readlink -f "$1")
runs=${2:-5}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

display=$((200 + RANDOM % 300))
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
export DISPLAY=":$display" XDG_RUNTIME_DIR="$work/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
openbox >/dev/null 2>&1 & pids+=($!)
sleep 0.5

cpu_seconds() {  # CPU time of all the process's threads, in seconds (ns resolution)
  cat /proc/"$1"/task/*/schedstat | awk '{ ns += $1 } END { printf "%.4f\n", ns / 1e9 }'
}
median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

idle=() held=() steps=()
for run in $(seq "$runs"); do
  app="$work/app$run"
  mkdir "$app"
  cp "$bin" "$app/"
  printf '[settings]\nlastcolor=000000\n' > "$app/huepick.ini"
  "$app/huepick" >/dev/null 2>&1 & pid=$!
  wid=""
  for _ in $(seq 300); do
    wid=$(xdotool search --onlyvisible --name "Vantrel!'s Huepick" 2>/dev/null | head -n 1) && [ -n "$wid" ] && break
    sleep 0.01
  done
  sleep 1  # let start-up work settle before measuring idle
  before=$(cpu_seconds "$pid"); sleep 10; after=$(cpu_seconds "$pid")
  idle+=("$(awk -v a="$after" -v b="$before" 'BEGIN { printf "%.4f", a - b }')")

  eval "$(xdotool getwindowgeometry --shell "$wid")"
  xdotool mousemove $((X + 136)) $((Y + 72))
  sleep 0.2
  before=$(cpu_seconds "$pid")
  xdotool mousedown 1; sleep 3; xdotool mouseup 1
  after=$(cpu_seconds "$pid")
  held+=("$(awk -v a="$after" -v b="$before" 'BEGIN { printf "%.4f", a - b }')")
  kill -TERM "$pid"; wait "$pid" || true
  steps+=("$(sed -n 's/^lastcolor=//p' "$app/huepick.ini")")
  echo "run $run: idle ${idle[-1]} s, held ${held[-1]} s, colour after 3 s hold: ${steps[-1]}"
done
echo "median idle CPU over 10 s: $(printf '%s\n' "${idle[@]}" | median) s"
echo "median CPU while holding a step button 3 s: $(printf '%s\n' "${held[@]}" | median) s"
