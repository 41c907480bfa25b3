#!/usr/bin/env bash
# The fault campaign's long rounds: the fault suites of the build (tests/fault)
# run with more rounds than CTest gives them, niced, on simulated boards.
# Usage: scripts/fault-campaign.sh [KILL_ROUNDS [STORM_MINUTES [TCP_CLIENTS]]]
#   (defaults 50, 30 and 1000; CTest runs 4 kill rounds and a 60 s storm)
# NORVIK7_FAULT_SEED picks other random rounds; FAULT_SUITES names the suites
# to run (both by default). Prints each suite's result.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$here/build}"
kills="${1:-50}"
minutes="${2:-30}"
clients="${3:-1000}"
cmake --build "$build" --target tst_faults tst_floods >/dev/null || exit 1
export QT_QPA_PLATFORM=offscreen QT_NO_GLIB=1
export NORVIK7_FAULT_KILLS="$kills" NORVIK7_FAULT_STORM_S=$((minutes * 60)) NORVIK7_FAULT_CLIENTS="$clients"
status=0
# Each suite's own time limit (QtTest's watchdog) grows with its rounds.
for suite in ${FAULT_SUITES:-tst_faults tst_floods}; do
  export QTEST_FUNCTION_TIMEOUT=$(( (kills * 30 + minutes * 60 + 600) * 1000 ))
  echo "== $suite (kill rounds $kills, key storm ${minutes} min, $clients TCP clients)"
  nice -n 10 "$build/tests/fault/$suite" 2>&1 | grep -E '^(PASS|FAIL|QINFO|Totals)|Loc:'
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
exit $status
