#!/usr/bin/env bash
# Installs what is missing, checks the house style (scripts/format.sh
# --check), builds and runs the whole test suite with CTest, then runs it
# again under the sanitizers; the stages:
#   1. the normal build (./build or $BUILD_DIR) and the whole suite;
#   2. ./build-asan, AddressSanitizer + UndefinedBehaviorSanitizer (leaks
#      included): the whole suite; any report fails its test;
#   3. ./build-tsan, ThreadSanitizer: the threaded suites (acquisition, live
#      view, TCP server).
# The sanitizer builds leave the benchmarks out and trade optimisation and
# debug information for build time (-O1, line tables). NORVIK7_SANITIZERS=0
# runs the first stage only (a quick check on a desktop). Each step prints its
# time; the exit status is non-zero when any stage failed. Every stage's build
# treats warnings as errors (NORVIK7_WERROR=OFF in the environment turns it off).
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-deps.sh" || exit 1
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"
werror="-DNORVIK7_WERROR=${NORVIK7_WERROR:-ON}"
failed=0

# step NAME COMMAND...: runs the command, prints its time and result.
step() {
  local name="$1" start=$SECONDS status=ok
  shift
  echo "== $name"
  "$@" || { status=FAILED; failed=1; }
  echo "== $name: $status in $((SECONDS - start)) s"
  [ "$status" = ok ]
}

suite() {   # BUILD_DIR [ctest arguments]
  local dir="$1"
  shift
  (cd "$dir" && ctest --output-on-failure --parallel "$jobs" --timeout 300 "$@")
}

sanitized() {   # BUILD_DIR OPTION WERROR [targets]
  local dir="$1" option="$2" strict="$3" targets=()
  shift 3
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" -DNORVIK7_BUILD_BENCH=OFF "$strict" "-D$option=ON" >/dev/null &&
    cmake --build "$dir" --parallel "$jobs" "${targets[@]}"
}

normal="${BUILD_DIR:-$here/build}"
step "format" "$here/scripts/format.sh" --check
step "build" "$here/scripts/build.sh" "$werror" && step "suite" suite "$normal"

if [ "${NORVIK7_SANITIZERS:-1}" != 0 ]; then
  step "build-asan" sanitized "$here/build-asan" NORVIK7_ASAN "$werror" && step "suite-asan" suite "$here/build-asan"

  # The threaded suites: every suite of acquisition and live view, and connectivity's (the TCP server).
  threaded=(tst_connectivity)
  for f in "$here"/tests/acquisition/tst_*.cpp "$here"/tests/liveview/tst_*.cpp; do
    threaded+=("$(basename "$f" .cpp)")
  done
  pattern="^($(IFS='|'; echo "${threaded[*]}"))\$"
  step "build-tsan" sanitized "$here/build-tsan" NORVIK7_TSAN "$werror" "${threaded[@]}" &&
    step "suite-tsan" suite "$here/build-tsan" -R "$pattern"
fi
exit "$failed"
