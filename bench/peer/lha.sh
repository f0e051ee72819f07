#!/usr/bin/env bash
# LHA side by side: libunlha32 (through the quorvex program) against Debian's `lha` for
# packing, and against lhasa, lha, 7zz and bsdtar for extracting the archive `lha` made. Runs
# alternate after a warm-up; the table gives medians and the ratio of the medians. Every
# extraction of ours is checked against the corpus manifest, and so is what lhasa extracts
# from our archives.
# Usage: bench/peer/lha.sh BUILD [CORPUS] [RUNS]   (CORPUS is made when missing)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
corpus=${2:-/dev/shm/qv-corpus}
runs=${3:-5}
[ -f "$corpus/SUMMARY.txt" ] || bash "$here/make_corpus.sh" "$corpus" >/dev/null
corpus=$(cd "$corpus" && pwd)
qv="$build/bin/quorvex"
work=$(mktemp -d /dev/shm/qv-lha-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$here/common.sh"

pack_ours() { rm -f "$work/ours.lzh"; "$qv" pack "$work/ours.lzh" --base "$corpus/$1" --method "lh$2" --quiet; }
pack_lha() { rm -f "$work/lha.lzh"; (cd "$corpus/$1" && lha "a2o$2q" "$work/lha.lzh" *); }
x_ours() { "$qv" extract "$work/lha.lzh" --to "$work/x" --quiet; }
x_lhasa() { (cd "$work/x" && lhasa xq "$work/lha.lzh"); }
x_lha() { (cd "$work/x" && lha xq "$work/lha.lzh"); }
x_7zz() { 7zz x -y -o"$work/x" "$work/lha.lzh"; }
x_bsdtar() { bsdtar -xf "$work/lha.lzh" -C "$work/x"; }
mb() { echo "$(stat -c %s "$1") / 1000000" | bc -l; }

printf '| corpus | job | ours s | peer s | ratio | ours MB | peer MB | size ratio | ours peak MiB |\n|---|---|---|---|---|---|---|---|---|\n'
for c in text many binary; do
    for m in 5 6 7; do
        rm -f "$work"/*.times
        pack_ours "$c" "$m"; pack_lha "$c" "$m"
        fresh; (cd "$work/x" && lhasa xq "$work/ours.lzh"); verify "$c"
        for ((i = 0; i < runs; i++)); do
            time_one ours pack_ours "$c" "$m"
            time_one peer pack_lha "$c" "$m"
        done
        rm -f "$work/ours.lzh"
        peak=$(peak_mib "$qv" pack "$work/ours.lzh" --base "$corpus/$c" --method "lh$m" --quiet)
        o=$(median < "$work/ours.times"); p=$(median < "$work/peer.times")
        os=$(mb "$work/ours.lzh"); ps=$(mb "$work/lha.lzh")
        printf '| %s | pack lh%s | %.2f | %.2f | %.2f | %.2f | %.2f | %.4f | %s |\n' "$c" "$m" "$o" "$p" \
            "$(echo "$o / $p" | bc -l)" "$os" "$ps" "$(echo "$os / $ps" | bc -l)" "$peak"
    done
    # Extraction of the lh5 archive `lha` made, ours against the fastest peer.
    pack_lha "$c" 5
    fresh; x_ours; verify "$c"
    rm -f "$work"/*.times
    for ((i = 0; i < runs; i++)); do
        for t in ours lhasa lha 7zz bsdtar; do fresh; time_one "$t" "x_$t"; done
    done
    fresh
    peak=$(peak_mib "$qv" extract "$work/lha.lzh" --to "$work/x" --quiet)
    verify "$c"
    o=$(median < "$work/ours.times")
    best=""; bestname=""
    for t in lhasa lha 7zz bsdtar; do
        v=$(median < "$work/$t.times")
        if [ -z "$best" ] || (( $(echo "$v < $best" | bc -l) )); then best=$v; bestname=$t; fi
        printf '| %s | extract lh5: %s | | %.2f | | | | | |\n' "$c" "$t" "$v"
    done
    printf '| %s | extract lh5: ours vs %s | %.2f | %.2f | %.2f | | | | %s |\n' "$c" "$bestname" "$o" "$best" \
        "$(echo "$o / $best" | bc -l)" "$peak"
done
