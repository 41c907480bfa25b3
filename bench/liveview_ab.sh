#!/usr/bin/env bash
# Two or more builds of the program side by side in the thermal live view,
# replaying the same recording on their own simulated boards, measured over the
# same windows: on a machine whose speed drifts from minute to minute, the
# difference between builds is then far steadier than runs one after another.
# Prints, per round and build, the whole program's share of one core, its GUI
# thread's and its acquisition thread's.
#
# Usage: bench/liveview_ab.sh SECONDS ROUNDS LABEL=BINARY[,VAR=VALUE...] ...
#   e.g. cp build/norvik7 /tmp/norvik7.before   (so a rebuild does not change it)
#        bench/liveview_ab.sh 30 4 before=/tmp/norvik7.before after=build/norvik7
#   XVFB=1 runs each build under its own Xvfb instead of offscreen.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
secs="$1"; rounds="$2"; shift 2
work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
hz=$(getconf CLK_TCK)

. "$here/bench/liveview_board.sh"
"$build/bench/norvik7_liveview_bench" --record "$work/office.raw" 100 >/dev/null

ticks() { awk '{print $14 + $15}' "$1"; }
acq_ticks() {   # the acquisition thread's ticks, 0 when it has none
  local t
  for t in /proc/"$1"/task/*; do
    [ "$(cat "$t/comm")" = ThermalCameraTh ] && { ticks "$t/stat"; return; }
  done
  echo 0
}

for r in $(seq "$rounds"); do
  pids=(); i=0
  for v in "$@"; do
    rest="${v#*=}"; bin="${rest%%,*}"; envs=()
    [ "$rest" != "$bin" ] && IFS=',' read -r -a envs <<<"${rest#*,}"
    bin="$(realpath "$bin")"
    root="$work/board-$i"; rm -rf "$root"
    seed_live_board "$bin" "$root" 0
    # A copy of its own per build, so pgrep tells them apart.
    cp "$bin" "$work/norvik7-$i"
    if [ -n "${XVFB:-}" ]; then
      env "${envs[@]}" NORVIK7_ROOT="$root" NORVIK7_SCENE="$work/office.raw" \
        xvfb-run -a -s "-screen 0 400x480x24" env QT_QPA_PLATFORM=xcb "$work/norvik7-$i" >/dev/null 2>&1 &
    else
      env "${envs[@]}" NORVIK7_ROOT="$root" NORVIK7_SCENE="$work/office.raw" QT_QPA_PLATFORM=offscreen \
        "$work/norvik7-$i" >/dev/null 2>&1 &
    fi
    i=$((i + 1))
  done
  sleep 14   # start-up and the boot reveal
  c0=(); g0=(); a0=()
  for ((i = 0; i < $#; ++i)); do
    pid=$(pgrep -n -f "^$work/norvik7-$i\$")
    pids[i]=$pid; c0[i]=$(ticks "/proc/$pid/stat"); g0[i]=$(ticks "/proc/$pid/task/$pid/stat"); a0[i]=$(acq_ticks "$pid")
  done
  t0=$(date +%s.%N); sleep "$secs"; t1=$(date +%s.%N)
  line="round $r:"; i=0
  for v in "$@"; do
    pid=${pids[i]}
    c1=$(ticks "/proc/$pid/stat"); g1=$(ticks "/proc/$pid/task/$pid/stat"); a1=$(acq_ticks "$pid")
    line="$line $(awk -v c0="${c0[i]}" -v c1="$c1" -v g0="${g0[i]}" -v g1="$g1" -v a0="${a0[i]}" -v a1="$a1" \
      -v t0="$t0" -v t1="$t1" -v hz="$hz" -v l="${v%%=*}" \
      'BEGIN {d = hz * (t1 - t0) / 100; printf "%s=%.2f%% (gui %.2f acq %.2f)", l, (c1 - c0) / d, (g1 - g0) / d, (a1 - a0) / d}')"
    kill "$pid"; i=$((i + 1))
  done
  wait 2>/dev/null || true
  echo "$line"
done
