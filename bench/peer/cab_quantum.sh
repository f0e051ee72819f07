#!/usr/bin/env bash
# CAB with Quantum beside MSZIP: libcab32 (through the quorvex program) packing Quantum at each
# level against our MSZIP and gcab's MSZIP (`gcab -c -z`; nothing on Debian writes Quantum),
# on the text and many corpora. Runs alternate; the table gives median seconds, MB/s of input,
# sizes and ratios, and peak memory. Every Quantum cabinet is checked by extracting it with
# cabextract against the corpus manifest. With a second build, its Quantum rows come beside ours.
# Usage: [LEVELS="1 4 7"] [CORPORA="text"] bench/peer/cab_quantum.sh BUILD [CORPUS] [RUNS] [BASELINE_BUILD]
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
# pack BUILD NAME CORPUS METHOD [LEVEL]; the peak resident KiB of the run in $work/NAME.peak
pack() {
    rm -f "$work/$2.cab"
    /usr/bin/time -f '%M' -o "$work/$2.peak" "$1/bin/quorvex" pack "$work/$2.cab" \
        --base "$corpus/$3" --method "$4" ${5:+--level "$5"} --quiet
}
pack_gcab() {
    rm -f "$work/gcab.cab"
    local files
    # One call with every name: gcab makes the cabinet anew on each call.
    mapfile -d '' files < <(cd "$corpus/$1" && find . -type f -printf '%P\0')
    (cd "$corpus/$1" && gcab -c -z "$work/gcab.cab" "${files[@]}")
}

printf '| corpus | job | s | MB/s | MB | vs our MSZIP | vs gcab | peak MiB |\n|---|---|---|---|---|---|---|---|\n'
for c in ${CORPORA:-text many}; do
    mbin=$(du -sb "$corpus/$c" | awk '{print $1 / 1000000}')
    rm -f "$work"/*.times
    for ((i = 0; i < runs; i++)); do
        time_one mszip pack "$build" mszip "$c" mszip
        time_one gcab pack_gcab "$c"
    done
    zs=$(mb "$work/mszip.cab"); gs=$(mb "$work/gcab.cab")
    row() {  # row JOB NAME
        local t s peak=""
        t=$(median < "$work/$2.times"); s=$(mb "$work/$2.cab")
        [ ! -f "$work/$2.peak" ] || peak=$(awk '{printf "%.1f", $1 / 1024}' "$work/$2.peak")
        printf '| %s | %s | %.2f | %.1f | %.2f | %.4f | %.4f | %s |\n' "$c" "$1" "$t" \
            "$(echo "$mbin / $t" | bc -l)" "$s" "$(echo "$s / $zs" | bc -l)" \
            "$(echo "$s / $gs" | bc -l)" "$peak"
    }
    row "pack MSZIP (ours)" mszip
    row "pack MSZIP (gcab)" gcab
    for level in ${LEVELS:-1 2 3 4 5 6 7}; do
        for ((i = 0; i < runs; i++)); do
            time_one "q$level" pack "$build" "q$level" "$c" quantum "$level"
            [ -z "$baseline" ] || time_one "b$level" pack "$baseline" "b$level" "$c" quantum "$level"
        done
        fresh; cabextract -q -d "$work/x" "$work/q$level.cab" >/dev/null; verify "$c"
        row "pack Quantum $level" "q$level"
        [ -z "$baseline" ] || row "pack Quantum $level (baseline)" "b$level"
        rm -f "$work/q$level.cab" "$work/b$level.cab"
    done
done
