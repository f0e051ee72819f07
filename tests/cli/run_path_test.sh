#!/usr/bin/env bash
# The program finds its libraries beside it and in the system's places, never in the folder it
# is started from: files there named as those libraries must change nothing.
# Argument: the program.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for library in libquorvex6.so.1 libstdc++.so.6 libgcc_s.so.1 libm.so.6 libc.so.6; do
  printf 'not a library\n' > "$work/$library"
done
cd "$work"
"$program" --version >/dev/null
