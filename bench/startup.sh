#!/usr/bin/env bash
# Measures, on a private X server, how long Quillmarch takes from launch to a shown
# window and how often its process wakes up while idle, against a bare Qt window.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-10}
for t in Xvfb:xvfb xdotool:xdotool strace:strace; do
  command -v "${t%%:*}" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${t##*:}" >/dev/null
done
cmake --build "$build" --target quillmarch minimal_window >/dev/null

n=$((300 + RANDOM % 300))
Xvfb :$n -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
trap 'kill $xpid 2>/dev/null' EXIT
export DISPLAY=:$n
sleep 1
export XDG_CONFIG_HOME=$(mktemp -d)

time_to_window() { # title command...
  local title=$1; shift
  local start end pid
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 &
  pid=$!
  xdotool search --sync --onlyvisible --name "^$title\$" >/dev/null
  end=$(date +%s%N)
  echo $(( (end - start) / 1000000 ))
  kill $pid; wait $pid 2>/dev/null || true
}

idle_wakeups() { # title seconds command...
  local title=$1 secs=$2; shift 2
  "$@" >/dev/null 2>&1 &
  local pid=$!
  xdotool search --sync --onlyvisible --name "^$title\$" >/dev/null
  sleep 2
  local count
  count=$(timeout -s INT "$secs" strace -f -qq -c -e trace=poll,ppoll,select,pselect6,epoll_wait,epoll_pwait -p $pid 2>&1 \
          | awk '/total/ {print $4}')
  kill $pid; wait $pid 2>/dev/null || true
  echo "${count:-0}"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

q=$(for i in $(seq "$runs"); do time_to_window Quillmarch "$build/quillmarch"; done | median)
m=$(for i in $(seq "$runs"); do time_to_window Minimal "$build/bench/minimal_window"; done | median)
echo "start-up to shown window (median of $runs): quillmarch ${q} ms, bare Qt window ${m} ms, ratio $(awk -v a=$q -v b=$m 'BEGIN {printf "%.2f", a/b}')"

qw=$(idle_wakeups Quillmarch 10 "$build/quillmarch")
mw=$(idle_wakeups Minimal 10 "$build/bench/minimal_window")
echo "wake-ups in 10 s idle (poll-family calls, all threads): quillmarch ${qw}, bare Qt window ${mw}"
if pgrep -f QtWebEngineProcess >/dev/null; then echo "note: a QtWebEngineProcess is running"; fi
