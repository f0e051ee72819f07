#!/usr/bin/env bash
# Runs clang-tidy (the root .clang-tidy) over the C++ sources of one folder:
#   scripts/tidy.sh backends/common [-fix]
# It needs a clang build's compile commands, which it configures once into build-tidy (no
# compiling: only generated headers), and reports on headers of this checkout only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:?usage: scripts/tidy.sh <folder> [run-clang-tidy options]}
shift
build=${TIDY_BUILD:-$root/build-tidy}
if [ ! -f "$build/compile_commands.json" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQV_WERROR=OFF -DQV_BENCH=OFF >/dev/null
fi
# Regular-expression characters in the checkout's path match only themselves.
anchor=$(printf '%s' "$root" | sed 's/[][\.*^$+?(){}|]/\\&/g')
target=$(cd "$root/$folder" && pwd)
files=$(printf '%s' "$target" | sed 's/[][\.*^$+?(){}|]/\\&/g')
exec run-clang-tidy -quiet -p "$build" \
  -header-filter="^$anchor/(src|backends|tools|tests)/" "$@" "^$files/.*\.(c|cc|cpp)$"
