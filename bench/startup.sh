#!/usr/bin/env bash
# Start-up and idle cost of Quillmarch against a bare Qt Widgets window, on a private X
# server: launch-to-first-paint (hyperfine; both programs quit at their first paint when
# QUILLMARCH_EXIT_WHEN_SHOWN is set), wake-ups while idle, and whether the browser engine
# was started.
# Usage: bench/startup.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
for t in Xvfb:xvfb xdotool:xdotool strace:strace hyperfine:hyperfine; do
  command -v "${t%%:*}" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${t##*:}" >/dev/null
done
cmake --build "$build" --target quillmarch minimal_window >/dev/null

n=$((300 + RANDOM % 300))
Xvfb :$n -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
trap 'kill $xpid 2>/dev/null' EXIT
export DISPLAY=:$n QT_QPA_PLATFORM=xcb
sleep 1
XDG_CONFIG_HOME=$(mktemp -d)
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_CONFIG_HOME XDG_RUNTIME_DIR

QUILLMARCH_EXIT_WHEN_SHOWN=1 hyperfine -N --warmup 5 --runs 40 \
  -n quillmarch "$build/quillmarch" -n "bare Qt window" "$build/bench/minimal_window"

idle_wakeups() { # title command...
  local title=$1; shift
  "$@" >/dev/null 2>&1 &
  local pid=$!
  xdotool search --sync --onlyvisible --name "^$title\$" >/dev/null
  sleep 2
  local calls
  calls=$(timeout -s INT 10 strace -f -qq -c -p $pid 2>&1 | awk '/total/ {print $4}' || true)
  if pgrep -f QtWebEngineProcess >/dev/null; then echo "browser engine process running" >&2; fi
  echo "$title: ${calls:-0} system calls in 10 s idle (all threads)" \
       "; WebEngine libraries mapped: $(grep -c WebEngine /proc/$pid/maps || true)"
  kill $pid; wait $pid 2>/dev/null || true
}
idle_wakeups Quillmarch "$build/quillmarch"
idle_wakeups Minimal "$build/bench/minimal_window"
