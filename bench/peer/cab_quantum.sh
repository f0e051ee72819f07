#!/usr/bin/env bash
# CAB with Quantum beside MSZIP: libcab32 (through the quorvex program) packing Quantum at each
# level against our MSZIP and gcab's MSZIP (`gcab -c -z`; nothing on Debian writes Quantum),
# on the text and many corpora. Runs alternate; the table gives median seconds, MB/s of input,
# sizes and ratios, and our peak memory. Every Quantum cabinet is checked by extracting it with
# cabextract against the corpus manifest. With a second build, its Quantum rows come beside ours.
# Usage: bench/peer/cab_quantum.sh BUILD [CORPUS] [RUNS] [BASELINE_BUILD]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
corpus=${2:-/dev/shm/qv-corpus}
runs=${3:-3}
baseline=${4:+$(cd "$4" && pwd)}
[ -f "$corpus/SUMMARY.txt" ] || bash "$here/make_corpus.sh" "$corpus" >/dev/null
corpus=$(cd "$corpus" && pwd)
work=$(mktemp -d /dev/shm/qv-cabq-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$here/common.sh"

mb() { echo "$(stat -c %s "$1") / 1000000" | bc -l; }
# pack BUILD NAME CORPUS METHOD [LEVEL]
pack() {
    rm -f "$work/$2.cab"
    "$1/bin/quorvex" pack "$work/$2.cab" --base "$corpus/$3" --method "$4" ${5:+--level "$5"} --quiet
}
pack_gcab() {
    rm -f "$work/gcab.cab"
    (cd "$corpus/$1" && find . -type f -printf '%P\0' | xargs -0 gcab -c -z "$work/gcab.cab")
}

printf '| corpus | job | s | MB/s | MB | vs our MSZIP | vs gcab | peak MiB |\n|---|---|---|---|---|---|---|---|\n'
for c in text many; do
    mbin=$(du -sb "$corpus/$c" | awk '{print $1 / 1000000}')
    rm -f "$work"/*.times
    for ((i = 0; i < runs; i++)); do
        time_one mszip pack "$build" mszip "$c" mszip
        time_one gcab pack_gcab "$c"
    done
    zs=$(mb "$work/mszip.cab"); gs=$(mb "$work/gcab.cab")
    row() {  # row JOB TIMES CABINET [PEAK]
        local t s
        t=$(median < "$work/$2.times"); s=$(mb "$work/$3.cab")
        printf '| %s | %s | %.2f | %.1f | %.2f | %.4f | %.4f | %s |\n' "$c" "$1" "$t" \
            "$(echo "$mbin / $t" | bc -l)" "$s" "$(echo "$s / $zs" | bc -l)" \
            "$(echo "$s / $gs" | bc -l)" "${4:-}"
    }
    row "pack MSZIP (ours)" mszip mszip
    row "pack MSZIP (gcab)" gcab gcab
    for level in 1 2 3 4 5 6 7; do
        for ((i = 0; i < runs; i++)); do
            time_one "q$level" pack "$build" "q$level" "$c" quantum "$level"
            [ -z "$baseline" ] || time_one "b$level" pack "$baseline" "b$level" "$c" quantum "$level"
        done
        fresh; cabextract -q -d "$work/x" "$work/q$level.cab" >/dev/null; verify "$c"
        peak=$(peak_mib "$build/bin/quorvex" pack "$work/peak.cab" --base "$corpus/$c" \
            --method quantum --level "$level" --quiet)
        rm -f "$work/peak.cab"
        row "pack Quantum $level" "q$level" "q$level" "$peak"
        [ -z "$baseline" ] || row "pack Quantum $level (baseline)" "b$level" "b$level"
        rm -f "$work/q$level.cab" "$work/b$level.cab"
    done
done
