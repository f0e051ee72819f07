#!/usr/bin/env bash
# Peak memory of zip32j, unzip32 and tar32 on one generated 2 GiB file (half text, half
# random, so both the deflate and the stored paths run). Prints the maximum resident size.
# Usage: bench/peer/memory.sh BUILD
set -euo pipefail
build=$(cd "$1" && pwd)
drive="$build/bin/qvdrive"
export LD_LIBRARY_PATH="$build/lib"
work=$(mktemp -d /dev/shm/qv-mem-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/base" "$work/x"
{ (set +o pipefail; yes 'a line of text that deflates well, again and again' | head -c 1073741824); head -c 1073741824 /dev/urandom; } > "$work/base/big.bin"
peak() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.1f MiB", $1 / 1024}'; }
echo "zip pack:     $(peak "$drive" zip32j Zip "-q \"$work/a.zip\" \"$work/base/\" big.bin")"
echo "zip extract:  $(peak "$drive" unzip32 UnZip "-x --i \"$work/a.zip\" \"$work/x/\" *.*")"
cmp "$work/base/big.bin" "$work/x/big.bin"
rm -rf "$work/x" "$work/a.zip"
echo "tgz pack:     $(peak "$drive" tar32 Tar "-c --display-dialog=0 -f \"$work/a.tar.gz\" \"$work/base/\" big.bin")"
echo "tgz extract:  $(peak "$drive" tar32 Tar " -x --display-dialog=0 -f \"$work/a.tar.gz\" \"$work/x/\" *.*")"
cmp "$work/base/big.bin" "$work/x/big.bin"
