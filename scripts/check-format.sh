#!/usr/bin/env bash
# Checks that every C and C++ file of the repository is as clang-format 14 (the root
# .clang-format) writes it, naming each file that is not; with --fix, rewrites them instead.
# Build folders and the test data are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
command -v "$format" >/dev/null || format=clang-format
files() {
  find . \( -path ./.git -o -path './build*' -o -path ./tests/data -o -path ./out \) -prune -o \
    -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.cc' -o -name '*.h' -o -name '*.hpp' \) \
    -print0 | sort -z
}
if [ "${1:-}" = --fix ]; then
  files | xargs -0 -n 50 "$format" --style=file -i
  exit 0
fi
status=0
report=$(files | xargs -0 -n 50 "$format" --style=file --dry-run -Werror 2>&1) || status=$?
if [ "$status" -ne 0 ]; then
  unformatted=$(printf '%s\n' "$report" |
    sed -n 's/^\(\.\/[^:]*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' | sort -u)
  # Anything else (a bad configuration, an unreadable file) is shown as clang-format said it.
  [ -n "$unformatted" ] || printf '%s\n' "$report" >&2
  printf '%s\n' "$unformatted" | sed '/^$/d; s/^/needs formatting (make format): /'
  exit 1
fi
