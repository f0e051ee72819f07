#!/usr/bin/env bash
# RAR side by side. (a) Extraction of a stored RAR 5 archive of each corpus, made by our
# quorvex-rar, through the quorvex program (libunrar32) against `bsdtar -xf` and unar. (b)
# Decoding speed: the largest compressed reference archives extracted many times in a loop,
# ours against `bsdtar -xOf`, in MB/s of output. (c) Packing: `quorvex-rar a -r` against GNU
# `tar cf` of the same tree. (d) Our peak memory for (a) and (c). With BASE, a second build
# (the one before a change) runs alternately with ours and gets its own rows. Runs alternate
# after a warm-up; the table gives medians and ratios of medians. Every extraction of ours and
# of the peers is checked against the corpus manifest.
# Usage: bench/peer/rar.sh BUILD [CORPUS] [RUNS] [BASE] [CORPORA]   (CORPUS is made when missing)
#   CORPORA: some of "text many binary" (default all; "" for the decoding rows alone)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
corpus=${2:-/dev/shm/qv-corpus}
runs=${3:-5}
base=${4:+$(cd "$4" && pwd)}
corpora=${5-text many binary}
data="$here/../../tests/data/rar"
[ -f "$corpus/SUMMARY.txt" ] || bash "$here/make_corpus.sh" "$corpus" >/dev/null
corpus=$(cd "$corpus" && pwd)
# unar is a peer for this bench only, so it is installed here, and only where it can be.
if ! command -v unar >/dev/null; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends unar \
    >/dev/null 2>&1 || echo "bench: unar could not be installed; its rows are left out" >&2
fi
work=$(mktemp -d /dev/shm/qv-rar-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$here/common.sh"

builds="ours"; [ -n "$base" ] && builds="ours base"
dir_of() { if [ "$1" = ours ]; then echo "$build"; else echo "$base"; fi; }
pack_with() { rm -f "$work/$1.rar"; (cd "$corpus/$c" && "$(dir_of "$1")/lib/quorvex-rar" a -r "$work/$1.rar"); }
pack_ours() { pack_with ours; }
pack_base() { pack_with base; }
pack_tar() { rm -f "$work/gnu.tar"; tar -cf "$work/gnu.tar" -C "$corpus/$c" .; }
x_with() { "$(dir_of "$1")/bin/quorvex" extract "$work/ours.rar" --to "$work/x" --quiet; }
x_ours() { x_with ours; }
x_base() { x_with base; }
x_bsdtar() { bsdtar -xf "$work/ours.rar" -C "$work/x"; }
x_unar() { unar -q -f -D -o "$work/x" "$work/ours.rar"; }
peers="bsdtar"; command -v unar >/dev/null && peers="bsdtar unar"
ratio() { echo "$1 / $2" | bc -l; }

printf '| corpus | job | ours s | peer s | ratio | ours peak MiB |\n|---|---|---|---|---|---|\n'
for c in $corpora; do
    rm -f "$work"/*.times
    for b in $builds; do "pack_$b" >/dev/null; done
    pack_tar >/dev/null
    for ((i = 0; i < runs; i++)); do
        for b in $builds; do time_one "$b" "pack_$b"; done
        time_one tar pack_tar
    done
    rm -f "$work/ours.rar"
    peak=$(cd "$corpus/$c" && peak_mib "$build/lib/quorvex-rar" a -r "$work/ours.rar")
    p=$(median < "$work/tar.times")
    for b in $builds; do
        o=$(median < "$work/$b.times")
        printf '| %s | pack stored, %s vs tar cf | %.2f | %.2f | %.2f | %s |\n' "$c" "$b" "$o" "$p" \
            "$(ratio "$o" "$p")" "$([ "$b" = ours ] && echo "$peak")"
    done

    for t in $peers; do fresh; "x_$t" >/dev/null 2>&1; verify "$c"; done
    for b in $builds; do fresh; "x_$b"; verify "$c"; done
    rm -f "$work"/*.times
    for ((i = 0; i < runs; i++)); do
        for t in $builds $peers; do fresh; time_one "$t" "x_$t"; done
    done
    fresh
    peak=$(peak_mib "$build/bin/quorvex" extract "$work/ours.rar" --to "$work/x" --quiet)
    for t in $peers; do
        p=$(median < "$work/$t.times")
        for b in $builds; do
            o=$(median < "$work/$b.times")
            printf '| %s | extract stored, %s vs %s | %.2f | %.2f | %.2f | %s |\n' "$c" "$b" "$t" \
                "$o" "$p" "$(ratio "$o" "$p")" "$([ "$b" = ours ] && echo "$peak")"
        done
    done
done

# (b) The largest compressed reference archives (all small: starting the program weighs in), each
# extracted `loops` times per run.
loops=20
printf '\n| archive | job | ours MB/s | peer MB/s | ratio ours/peer (speed) |\n|---|---|---|---|---|\n'
for a in libarchive/test_read_format_rar5_win32.rar libarchive/test_read_format_rar5_solid.rar \
         libarchive/test_read_format_rar5_multiple_files.rar \
         libarchive/test_read_format_rar5_multiple_files_solid.rar; do
    archive="$data/$a"
    # bsdtar gives every file's bytes (and fails on the folder entries it cannot write to stdout).
    out_mb=$( (bsdtar -xOf "$archive" 2>/dev/null || true) | wc -c | awk '{print $1 / 1000000}')
    dx_with() { for ((k = 0; k < loops; k++)); do fresh; "$(dir_of "$1")/bin/quorvex" extract "$archive" --to "$work/x" --quiet; done; }
    dx_ours() { dx_with ours; }
    dx_base() { dx_with base; }
    dx_bsdtar() { for ((k = 0; k < loops; k++)); do fresh; bsdtar -xOf "$archive" >/dev/null 2>&1 || true; done; }
    # A build that cannot decode the archive (the one before solid streams) gets no row.
    decoders=""
    for b in $builds; do
        fresh
        "$(dir_of "$b")/bin/quorvex" extract "$archive" --to "$work/x" --quiet >/dev/null 2>&1 &&
            decoders="$decoders $b"
    done
    rm -f "$work"/*.times
    for ((i = 0; i < runs; i++)); do
        for t in $decoders bsdtar; do time_one "$t" "dx_$t"; done
    done
    p=$(median < "$work/bsdtar.times")
    for b in $decoders; do
        o=$(median < "$work/$b.times")
        printf '| %s | decode, %s vs bsdtar -xOf | %.1f | %.1f | %.2f |\n' "$(basename "$a")" "$b" \
            "$(echo "$out_mb * $loops / $o" | bc -l)" "$(echo "$out_mb * $loops / $p" | bc -l)" \
            "$(ratio "$p" "$o")"
    done
done
