#!/usr/bin/env bash
# RAR decoding speed in one process: bench_rar_decode decodes each archive from memory round
# after round, ours alternating with libarchive, and prints MB/s of output and the ratio. No RAR
# compressor exists here, so the streams are the largest compressed reference archives (at most
# a megabyte of output each, most a few tens of kilobytes), looped in process: decoder set-up
# (tables, windows, the PPMd model) weighs in as it does for small files in real archives.
# With BASE, the same table from a second build (the one before a change) follows in the same
# run, so that the two builds meet the same machine load.
# Usage: bench/peer/rar_decode.sh BUILD [SECONDS-PER-ARCHIVE] [BASE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-4}
base=${3:+$(cd "$3" && pwd)}
data="$here/../../tests/data/rar"
archives=(
    "$data/libarchive/test_read_format_rar_compress_normal.rar"  # RAR 2.9 LZ
    "$data/libarchive/test_read_format_rar_binary_data.rar"      # RAR 2.9 LZ, barely compressible
    "$data/libarchive/test_read_format_rar_filter.rar"           # RAR 2.9 LZ with filters
    "$data/libarchive/test_read_format_rar_compress_best.rar"    # RAR 2.9 PPMd
    "$data/libarchive/test_read_format_rar5_win32.rar"           # RAR 5
    "$data/libarchive/test_read_format_rar5_solid.rar"           # RAR 5, solid
    "$data/libarchive/test_read_format_rar5_multiple_files.rar"  # RAR 5, several files
    "$data/libarchive/test_read_format_rar5_multiple_files_solid.rar"
)
for b in "$build" ${base:+"$base"}; do
    [ -x "$b/bin/bench_rar_decode" ] || { echo "bench: $b has no bench_rar_decode" >&2; exit 1; }
done
for ((round = 0; round < 2; round++)); do
    for b in "$build" ${base:+"$base"}; do
        echo; echo "$b (pass $((round + 1)))"
        "$b/bin/bench_rar_decode" "$seconds" "${archives[@]}"
    done
done
