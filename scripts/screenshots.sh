#!/usr/bin/env bash
# Regenerates every picture of the user guide (docs/images/guide/) from a
# simulated board driven by keys: installs what is missing, builds, and runs
# the program on Qt's offscreen platform; the simulator composes the screen
# file itself as the board's framebuffer does.  Usage: scripts/screenshots.sh [OUTDIR]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$here/docs/images/guide}"
"$here/scripts/setup-deps.sh"
"$here/scripts/build.sh"
unset NORVIK7_ROOT NORVIK7_SCENE
export QT_QPA_PLATFORM=offscreen
exec python3 "$here/scripts/screenshots.py" "${BUILD_DIR:-$here/build}/norvik7" "$out"
