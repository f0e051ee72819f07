#!/usr/bin/env bash
# LHA side by side: libunlha32 (through qvdrive, with the control's command lines) against
# Debian's `lha` for packing, and against lhasa, lha, 7zz and bsdtar for extracting the
# archive `lha` made. Runs alternate after a warm-up; the table gives medians and the ratio of
# the medians. Every extraction of ours is checked against the corpus manifest.
# Usage: bench/peer/lha.sh BUILD CORPUS [RUNS]   (CORPUS from /work/shared/bench/make_corpus.sh)
set -euo pipefail
build=$(cd "$1" && pwd)
corpus=$(cd "$2" && pwd)
runs=${3:-5}
drive="$build/bin/qvdrive"
export LD_LIBRARY_PATH="$build/lib"
work=$(mktemp -d /dev/shm/qv-lha-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# time_one NAME COMMAND...: appends the wall seconds of one run to $work/NAME.times
time_one() {
    local name=$1; shift
    local t0 t1
    t0=$(now); "$@" >/dev/null 2>&1; t1=$(now)
    echo "$t1 - $t0" | bc >> "$work/$name.times"
}

pack_ours() { rm -f "$work/ours.lzh"; "$drive" unlha32 Unlha "u -+ -r2 -x1 -c1 -a1 -f1 -n -jm$2 \"$work/ours.lzh\" \"$corpus/$1/\" *.*"; }
pack_lha() { rm -f "$work/lha.lzh"; (cd "$corpus/$1" && lha "a2o$2q" "$work/lha.lzh" *); }
fresh() { rm -rf "$work/x"; mkdir "$work/x"; }
x_ours() { fresh; "$drive" unlha32 Unlha "e -+ -x1 -c1 -f1 -n \"$work/lha.lzh\" \"$work/x/\" *.*"; }
x_lhasa() { fresh; (cd "$work/x" && lhasa xq "$work/lha.lzh"); }
x_lha() { fresh; (cd "$work/x" && lha xq "$work/lha.lzh"); }
x_7zz() { fresh; 7zz x -y -o"$work/x" "$work/lha.lzh"; }
x_bsdtar() { fresh; bsdtar -xf "$work/lha.lzh" -C "$work/x"; }

verify() {
    (cd "$work/x" && awk '{print $2 "  " $1}' "$corpus/MANIFEST-$1.txt" | sha256sum -c --quiet) ||
        { echo "bench: extraction of $1 differs from the manifest" >&2; exit 1; }
}

printf '| corpus | job | ours s | peer s | ratio | ours MB | peer MB | size ratio | ours peak MiB |\n|---|---|---|---|---|---|---|---|---|\n'
for c in text many binary; do
    for m in 5 6 7; do
        jm=$((m - 3))
        rm -f "$work"/*.times
        pack_ours "$c" "$jm"; pack_lha "$c" "$m"
        for ((i = 0; i < runs; i++)); do
            time_one ours pack_ours "$c" "$jm"
            time_one peer pack_lha "$c" "$m"
        done
        peak=$( { /usr/bin/time -f %M bash -c "$(declare -f pack_ours); drive=$drive work=$work corpus=$corpus pack_ours $c $jm" >/dev/null; } 2>&1 | tail -1)
        o=$(median < "$work/ours.times"); p=$(median < "$work/peer.times")
        os=$(stat -c %s "$work/ours.lzh"); ps=$(stat -c %s "$work/lha.lzh")
        printf '| %s | pack lh%s | %.2f | %.2f | %.2f | %.2f | %.2f | %.4f | %.1f |\n' "$c" "$m" "$o" "$p" \
            "$(echo "$o / $p" | bc -l)" "$(echo "$os / 1000000" | bc -l)" "$(echo "$ps / 1000000" | bc -l)" \
            "$(echo "$os / $ps" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
    done
    # Extraction of the lh5 archive `lha` made, ours against the fastest peer.
    pack_lha "$c" 5
    x_ours; verify "$c"
    rm -f "$work"/*.times
    for ((i = 0; i < runs; i++)); do
        for t in ours lhasa lha 7zz bsdtar; do time_one "$t" "x_$t"; done
    done
    x_ours; verify "$c"
    peak=$( { /usr/bin/time -f %M bash -c "$(declare -f fresh x_ours); drive=$drive work=$work x_ours" >/dev/null; } 2>&1 | tail -1)
    o=$(median < "$work/ours.times")
    best=""; bestname=""
    for t in lhasa lha 7zz bsdtar; do
        v=$(median < "$work/$t.times")
        if [ -z "$best" ] || (( $(echo "$v < $best" | bc -l) )); then best=$v; bestname=$t; fi
        printf '| %s | extract lh5: %s | | %.2f | | | | | |\n' "$c" "$t" "$v"
    done
    printf '| %s | extract lh5: ours vs %s | %.2f | %.2f | %.2f | | | | %.1f |\n' "$c" "$bestname" "$o" "$best" \
        "$(echo "$o / $best" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
done
