#!/usr/bin/env bash
# Processor use of the whole program in the live view with every mark shown
# (centre spot, hot and cold spots, three cursors' worth of readouts), replaying
# a raw recording of the simulated office, as percent of one core over a
# measuring window. Runs offscreen, and under Xvfb when it is installed.
# Usage: bench/liveview_cpu.sh [SECONDS] [MODE]   (MODE: image mode 0..3, default 0)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
prog="$build/norvik7"
secs="${1:-20}"
mode="${2:-0}"
work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

. "$here/bench/liveview_board.sh"
"$build/bench/norvik7_liveview_bench" --record "$work/office.raw" 100 >/dev/null

# One core's clock ticks per second, for /proc/PID/stat.
hz=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }

measure() {   # platform label, then the command prefix
  local label="$1"; shift
  local root="$work/board-$label"
  seed_live_board "$prog" "$root" "$mode"
  NORVIK7_ROOT="$root" NORVIK7_SCENE="$work/office.raw" "$@" "$prog" >/dev/null 2>&1 &
  local launcher=$!
  sleep 12   # start-up and the boot reveal
  local pid
  pid=$(pgrep -n -f "^$prog\$")
  local c0 t0 c1 t1 threads0 threads1
  threads0=$(per_thread "$pid"); c0=$(cpu_of "$pid"); t0=$(date +%s.%N)
  sleep "$secs"
  threads1=$(per_thread "$pid"); c1=$(cpu_of "$pid"); t1=$(date +%s.%N)
  kill "$pid" 2>/dev/null; wait "$launcher" 2>/dev/null || true
  awk -v c0="$c0" -v c1="$c1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v l="$label" \
    'BEGIN {printf "%s: %.2f %% of one core (%.2f s of processor time in %.1f s)\n", l, 100*(c1-c0)/hz/(t1-t0), (c1-c0)/hz, t1-t0}'
  # Each thread's share: GUI thread (the program's own name), acquisition, server, ...
  # and how often it was switched out: going to sleep (each sleep is a wake-up
  # later, see norvik7_wakecost) and preempted.
  join <(echo "$threads0" | sort) <(echo "$threads1" | sort) |
    awk -v hz="$hz" -v t0="$t0" -v t1="$t1" '{d = $7 - $3; s = t1 - t0
      if (d > 0) printf "  %-16s %.2f %%   %5.1f sleeps/s  %5.1f preempted/s\n", $2, 100*d/hz/s, ($8-$4)/s, ($9-$5)/s}' |
    sort -k2 -nr
}

# "tid name ticks voluntary-switches involuntary-switches" for every thread of a process.
per_thread() {
  local t
  for t in /proc/"$1"/task/*; do
    printf '%s %s %s %s\n' "${t##*/}" "$(tr ' ' '_' < "$t/comm")" "$(awk '{print $14 + $15}' "$t/stat")" \
      "$(awk '/^voluntary_ctxt_switches/ {v = $2} /^nonvoluntary_ctxt_switches/ {n = $2} END {print v, n}' "$t/status")"
  done
}

# What a wake-up costs a thread on this machine now: times the sleeps per
# second printed below, the share of the program that is only waking up.
if [ -x "$build/bench/norvik7_wakecost" ]; then
  "$build/bench/norvik7_wakecost" 3
fi
measure offscreen env QT_QPA_PLATFORM=offscreen
if command -v xvfb-run >/dev/null; then
  measure xvfb xvfb-run -a -s "-screen 0 400x480x24" env QT_QPA_PLATFORM=xcb
fi
