#!/usr/bin/env bash
# The house style (.clang-format) over every C++ file the project tracks.
#   scripts/format.sh          reformats the files in place
#   scripts/format.sh --check  changes nothing; lists each file that differs and
#                              fails when there is one
set -uo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here" || exit 1
command -v clang-format >/dev/null || { echo "clang-format is missing (scripts/setup-deps.sh installs it)"; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  bad=0
  for f in "${files[@]}"; do
    if ! clang-format --style=file "$f" | cmp -s - "$f"; then
      echo "not formatted: $f (scripts/format.sh formats it)"
      bad=1
    fi
  done
  [ $bad -eq 0 ] && echo "format: ${#files[@]} files as .clang-format has them"
  exit $bad
fi
clang-format -i --style=file "${files[@]}"
