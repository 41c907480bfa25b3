#!/usr/bin/env bash
# Fuzzes every parser of outside input: builds the fuzz targets with clang,
# libFuzzer, AddressSanitizer and UBSan into ./build-fuzz (or $BUILD_DIR) and
# runs each target in turn for SECONDS (default 60) on its corpus in
# tests/fuzz/corpus/<target>/. New inputs go to build-fuzz/corpus/<target>/,
# a crashing input to build-fuzz/findings/<target>/ (add it to the corpus once
# mended). FUZZ_TARGETS="a b" limits the run; a target's extra libFuzzer
# options may be given in FUZZ_OPTIONS. The exit status is non-zero when any
# target found a fault.
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${BUILD_DIR:-$here/build-fuzz}"
"$here/scripts/setup-deps.sh" fuzz || exit 1
CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNORVIK7_FUZZ=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DNORVIK7_ASAN=ON -DNORVIK7_BUILD_BENCH=OFF >/dev/null || exit 1
targets="${FUZZ_TARGETS:-$(cd "$here/tests/fuzz" && ls fuzz_*.cpp | sed 's/\.cpp$//')}"
# shellcheck disable=SC2086
cmake --build "$build" --parallel "$(nproc)" --target $targets || exit 1

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0" UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=0
for t in $targets; do
  mkdir -p "$build/corpus/$t" "$build/findings/$t"
  echo "== $t"
  # shellcheck disable=SC2086
  "$build/tests/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/findings/$t/" \
    ${FUZZ_OPTIONS:-} "$build/corpus/$t" "$here/tests/fuzz/corpus/$t" 2>"$build/$t.log"
  status=$?
  grep -E '^#[0-9]+[[:space:]]+(DONE|INITED)|stat::number_of_executed_units|Sanitizer|ERROR|==[0-9]+==' "$build/$t.log" | tail -5
  if [ $status -ne 0 ]; then
    failed=1
    echo "== $t: FINDING (log $build/$t.log, input in $build/findings/$t/)"
  fi
done
exit "$failed"
