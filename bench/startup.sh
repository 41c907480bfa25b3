#!/usr/bin/env bash
# Start-up on a simulated board: time from process start to the main window
# constructed and to the splash shown, resident memory 3 s after start and the
# shared libraries then loaded, and the processor time used by then (user +
# system, which a busy machine stretches less than the wall-clock times);
# medians of N runs (default 7).
# Usage: bench/startup.sh [N]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
prog="${BUILD_DIR:-$here/build}/norvik7"
n="${1:-7}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ctor=(); splash=(); rss=(); libs=(); cpu=()
tick=$(getconf CLK_TCK)
# The board is seeded once, by a first start whose figures are not kept: the
# simulator's seeding (it copies a 5 MB font) is no part of the board's start.
# Each run then starts on a fresh copy of that board, made before its clock.
NORVIK7_ROOT="$work/seeded" QT_QPA_PLATFORM=offscreen timeout 3 "$prog" >/dev/null 2>&1 || true
for i in $(seq "$n"); do
  root="$work/board$i"
  out="$work/out$i"
  cp -a "$work/seeded" "$root"
  start=$(date +%s%3N)
  NORVIK7_ROOT="$root" QT_QPA_PLATFORM=offscreen NORVIK7_STARTUP_TIMES=1 "$prog" >"$out" 2>/dev/null &
  pid=$!
  sleep 3
  rss+=("$(awk '/VmRSS/ {print $2}' /proc/$pid/status)")
  libs+=("$(awk '$6 ~ /\.so/ {print $6}' /proc/$pid/maps | sort -u | wc -l)")
  cpu+=("$(awk -v t="$tick" '{print int(($14 + $15) * 1000 / t)}' /proc/$pid/stat)")
  # On a busy machine the window may come later than 3 s: waited for (60 s at most).
  for _ in $(seq 600); do
    grep -q '^startup: splash shown' "$out" && break
    sleep 0.1
  done
  kill "$pid"; wait "$pid" 2>/dev/null || true
  c=$(sed -n 's/^startup: main window constructed at \([0-9]*\) ms/\1/p' "$out")
  s=$(sed -n 's/^startup: splash shown at \([0-9]*\) ms/\1/p' "$out")
  ctor+=($((c - start))); splash+=($((s - start)))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "runs: $n (each on a fresh copy of a board seeded beforehand)"
echo "main window constructed: median $(median "${ctor[@]}") ms after process start"
echo "splash shown:            median $(median "${splash[@]}") ms after process start"
echo "resident memory at 3 s:  median $(median "${rss[@]}") kB"
echo "libraries loaded at 3 s: median $(median "${libs[@]}")"
echo "processor time by 3 s:   median $(median "${cpu[@]}") ms"
