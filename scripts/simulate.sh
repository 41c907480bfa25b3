#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on a simulated board
# rooted at DIR (default ./sim-board, seeded when empty).
#
# On a desktop the device appears as one window: a nested X server of the
# device's size (plus the keypad to the right of x = 240) in which every
# top-level window of the program sits at its device position. Without a
# display it runs under a virtual one and writes the screen to
# DIR/sim/screen.png once a second.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
root="${1:-$here/sim-board}"
mkdir -p "$root"
root="$(cd "$root" && pwd)"
"$here/scripts/setup-deps.sh"
"$here/scripts/build.sh"
export NORVIK7_ROOT="$root"
export NORVIK7_KEYPAD=1
unset QT_QPA_PLATFORM
size="400x320"

free_display() {
  local n=20
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo ":$n"
}

if [ -n "${DISPLAY:-}" ] && [ -z "${NORVIK7_HEADLESS:-}" ] && command -v Xephyr >/dev/null; then
  nested="$(free_display)"
  Xephyr "$nested" -screen "$size" -title "Norvik7 (simulated board: $root)" -no-host-grab >/dev/null 2>&1 &
  xpid=$!
  trap 'kill $xpid 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${nested#:}" ] && break; sleep 0.1; done
  DISPLAY="$nested" QT_QPA_PLATFORM=xcb "${BUILD_DIR:-$here/build}/norvik7"
  exit $?
fi

export NORVIK7_SCREEN_PNG="$root/sim/screen.png"
echo "No display: the screen is written to $NORVIK7_SCREEN_PNG once a second."
exec xvfb-run -a -s "-screen 0 ${size}x24" env QT_QPA_PLATFORM=xcb "${BUILD_DIR:-$here/build}/norvik7"
