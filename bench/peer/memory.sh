#!/usr/bin/env bash
# Peak memory of our libraries, through the quorvex program, on one generated 2 GiB file (half
# text, half random, so both the compressing and the storing paths run). Prints the maximum
# resident size of each job and checks that every extraction gives the file back.
# Usage: bench/peer/memory.sh BUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
qv="$build/bin/quorvex"
work=$(mktemp -d /dev/shm/qv-mem-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
. "$here/common.sh"
mkdir -p "$work/base"
{ (set +o pipefail; yes 'a line of text that deflates well, again and again' | head -c 1073741824); head -c 1073741824 /dev/urandom; } > "$work/base/big.bin"
for archive in a.zip a.tar a.tar.gz a.lzh; do
    packed=$(peak_mib "$qv" pack "$work/$archive" --base "$work/base" --quiet)
    fresh
    extracted=$(peak_mib "$qv" extract "$work/$archive" --to "$work/x" --quiet)
    cmp "$work/base/big.bin" "$work/x/big.bin"
    printf '%-8s pack %7s MiB   extract %7s MiB\n' "$archive" "$packed" "$extracted"
    rm -f "$work/$archive"
done
