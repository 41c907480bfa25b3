#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite with CTest.
# Its exit status is the suite's.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-deps.sh"
"$here/scripts/build.sh"
cd "${BUILD_DIR:-$here/build}"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
