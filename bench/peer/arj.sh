#!/usr/bin/env bash
# ARJ side by side: our writer (quorvex-arj, method 1) against Debian's `arj a -m1` for packing,
# libunarj32j (through the quorvex program) against `arj x` and 7zz for extracting the archive
# `arj` made, and against `arj l` for listing it. Runs alternate after a warm-up; the table
# gives medians and the ratio of the medians. Every extraction of ours is checked against the
# corpus manifest, and so is what `arj x` extracts from our archives. The corpora hold no
# dot-file at their top, which Debian's arj never finishes on.
# Usage: bench/peer/arj.sh BUILD [CORPUS] [RUNS]   (CORPUS is made when missing)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
corpus=${2:-/dev/shm/qv-corpus}
runs=${3:-5}
[ -f "$corpus/SUMMARY.txt" ] || bash "$here/make_corpus.sh" "$corpus" >/dev/null
corpus=$(cd "$corpus" && pwd)
qv="$build/bin/quorvex"
writer="$build/lib/quorvex-arj"
work=$(mktemp -d /dev/shm/qv-arj-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$here/common.sh"

# Both pack everything below the corpus folder, recursively, as the control's pack of a folder.
pack_ours() { rm -f "$work/ours.arj"; (cd "$corpus/$1" && "$writer" u -r "$work/ours.arj"); }
pack_arj() { rm -f "$work/arj.arj"; (cd "$corpus/$1" && timeout 600 arj a -m1 -r -y "$work/arj.arj"); }
x_ours() { "$qv" extract "$work/arj.arj" --to "$work/x" --quiet; }
x_arj() { (cd "$work/x" && timeout 600 arj x -y "$work/arj.arj"); }
x_7zz() { 7zz x -y -o"$work/x" "$work/arj.arj"; }
l_ours() { "$qv" list "$work/arj.arj" --format csv; }
l_arj() { timeout 600 arj l "$work/arj.arj"; }
mb() { echo "$(stat -c %s "$1") / 1000000" | bc -l; }
ratio() { echo "$1 / $2" | bc -l; }

printf '| corpus | job | ours s | peer s | ratio | ours MB | peer MB | size ratio | ours peak MiB |\n|---|---|---|---|---|---|---|---|---|\n'
for c in text many binary; do
    rm -f "$work"/*.times
    pack_ours "$c" >/dev/null; pack_arj "$c" >/dev/null
    fresh; (cd "$work/x" && timeout 600 arj x -y "$work/ours.arj" >/dev/null); verify "$c"
    for ((i = 0; i < runs; i++)); do
        time_one ours pack_ours "$c"
        time_one peer pack_arj "$c"
    done
    rm -f "$work/ours.arj"
    peak=$(cd "$corpus/$c" && peak_mib "$writer" u -r "$work/ours.arj")
    o=$(median < "$work/ours.times"); p=$(median < "$work/peer.times")
    os=$(mb "$work/ours.arj"); ps=$(mb "$work/arj.arj")
    printf '| %s | pack -m1 | %.2f | %.2f | %.2f | %.2f | %.2f | %.4f | %s |\n' "$c" "$o" "$p" \
        "$(ratio "$o" "$p")" "$os" "$ps" "$(ratio "$os" "$ps")" "$peak"

    fresh; x_ours; verify "$c"
    rm -f "$work"/*.times
    for ((i = 0; i < runs; i++)); do
        for t in ours arj 7zz; do fresh; time_one "$t" "x_$t"; done
    done
    fresh
    peak=$(peak_mib "$qv" extract "$work/arj.arj" --to "$work/x" --quiet)
    verify "$c"
    o=$(median < "$work/ours.times")
    for t in arj 7zz; do
        v=$(median < "$work/$t.times")
        printf '| %s | extract: ours vs %s | %.2f | %.2f | %.2f | | | | %s |\n' "$c" "$t" "$o" "$v" \
            "$(ratio "$o" "$v")" "$peak"
    done

    rm -f "$work"/*.times
    for ((i = 0; i < runs; i++)); do
        time_one ours l_ours
        time_one peer l_arj
    done
    o=$(median < "$work/ours.times"); p=$(median < "$work/peer.times")
    printf '| %s | list: ours vs arj l | %.3f | %.3f | %.2f | | | | |\n' "$c" "$o" "$p" "$(ratio "$o" "$p")"
done
