#!/usr/bin/env bash
# CAB with LZX side by side: libcab32 (through the quorvex program) packing LZX:21 against
# wimlib's LZX (`wimlib-imagex capture`, the same codec in 32 KiB chunks) at its default level
# (`--compress=LZX`, which wimlib parses near-optimally) and with its lazy parser (levels below
# 35: `--compress=LZX:20`), and
# extracting our LZX:21 cabinet against cabextract, gcab, bsdtar and 7zz (nothing on Debian
# writes LZX cabinets, so every extraction reads ours). Runs alternate after a warm-up; the
# table gives medians, the ratio of the medians, the sizes and our peak memory. Every
# extraction, ours and the peers', is checked against the corpus manifest. WIM stores each
# content once, CAB every file: where a corpus repeats files, one more row compares the sizes
# on a copy that holds each content once.
# Quantum packing is benchmarked by cab_quantum.sh.
# MSZIP packing is timed against `gcab -c -z` (time and size). Every method's cabinet, packed
# by us, is extracted by us and by each peer that reads it (a peer whose extraction fails or
# differs from the manifest is left out of that row); with BASELINE=BUILD2 an older build of
# ours is timed too, alternating, with its ratio against the same peer.
# SECTIONS picks the tables: lzx (LZX packing against wimlib), methods (MSZIP packing and every
# method's extraction), extract (every method's extraction alone); lzx and methods by default.
# CORPORA picks the corpora of methods and extract (text many binary by default).
# Usage: [BASELINE=BUILD2] [SECTIONS="methods ..."] [CORPORA="text ..."]
#        bench/peer/cab.sh BUILD [CORPUS] [RUNS]
#   (CORPUS is made when missing)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
corpus=${2:-/dev/shm/qv-corpus}
runs=${3:-3}
[ -f "$corpus/SUMMARY.txt" ] || bash "$here/make_corpus.sh" "$corpus" >/dev/null
corpus=$(cd "$corpus" && pwd)
# wimlib is a peer for this bench only, so it is installed here rather than by scripts/setup.sh.
if ! command -v wimlib-imagex >/dev/null; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends wimtools
fi
qv="$build/bin/quorvex"
work=$(mktemp -d /dev/shm/qv-cab-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$here/common.sh"

pack_ours() { rm -f "$work/ours.cab"; "$qv" pack "$work/ours.cab" --base "$corpus/$1" --method lzx --level 21 --quiet; }
pack_wim() { rm -f "$work/w.wim"; wimlib-imagex capture "$corpus/$1" "$work/w.wim" --compress=LZX; }
pack_lazy() { rm -f "$work/lazy.wim"; wimlib-imagex capture "$corpus/$1" "$work/lazy.wim" --compress=LZX:20; }
base=${BASELINE:+$(cd "$BASELINE" && pwd)/bin/quorvex}
cab="$work/ours.cab"  # what the extractions read
x_ours() { "$qv" extract "$cab" --to "$work/x" --quiet; }
x_base() { "$base" extract "$cab" --to "$work/x" --quiet; }
x_cabextract() { cabextract -q -d "$work/x" "$cab"; }
x_gcab() { (cd "$work/x" && gcab -x "$cab"); }
x_bsdtar() { bsdtar -xf "$cab" -C "$work/x"; }
x_7zz() { 7zz x -y -bso0 -o"$work/x" "$cab"; }
pack_mszip() { rm -f "$work/$2.cab"; "$1" pack "$work/$2.cab" --base "$corpus/$3" --method mszip --quiet; }
# gcab takes the names as arguments, all in one call.
pack_gcab() { rm -f "$work/g.cab"; (cd "$corpus/$1" && mapfile -t names < <(awk '{print $1}' "$corpus/MANIFEST-$1.txt") && gcab -c -z "$work/g.cab" "${names[@]}"); }
mb() { echo "$(stat -c %s "$1") / 1000000" | bc -l; }
# The files whose content an earlier file of the corpus already has.
repeated() { awk '{ if (seen[$2]++) print $1 }' "$corpus/MANIFEST-$1.txt"; }

sections=" ${SECTIONS:-lzx methods} "
printf '| corpus | job | ours s | peer s | ratio | ours MB | peer MB | size ratio | ours peak MiB |\n|---|---|---|---|---|---|---|---|---|\n'
[[ $sections == *" lzx "* ]] && for c in text many binary; do
    rm -f "$work"/*.times
    pack_ours "$c" >/dev/null; pack_wim "$c" >/dev/null; pack_lazy "$c" >/dev/null
    for ((i = 0; i < runs; i++)); do
        time_one ours pack_ours "$c"
        time_one peer pack_wim "$c"
        time_one lazy pack_lazy "$c"
    done
    rm -f "$work/ours.cab"
    peak=$(peak_mib "$qv" pack "$work/ours.cab" --base "$corpus/$c" --method lzx --level 21 --quiet)
    o=$(median < "$work/ours.times"); os=$(mb "$work/ours.cab")
    for w in lazy peer; do
        p=$(median < "$work/$w.times")
        if [ $w = lazy ]; then ws=$(mb "$work/lazy.wim"); what="wimlib lazy"; else ws=$(mb "$work/w.wim"); what="wimlib default"; fi
        printf '| %s | pack LZX:21 vs %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.4f | %s |\n' "$c" "$what" "$o" "$p" \
            "$(echo "$o / $p" | bc -l)" "$os" "$ws" "$(echo "$os / $ws" | bc -l)" "$peak"
    done
    if [ -n "$(repeated "$c")" ]; then
        rm -rf "$work/once"; cp -a "$corpus/$c" "$work/once"
        repeated "$c" | (cd "$work/once" && xargs rm -f)
        "$qv" pack "$work/once.cab" --base "$work/once" --method lzx --level 21 --quiet
        os=$(mb "$work/once.cab")
        for level in 20 50; do
            wimlib-imagex capture "$work/once" "$work/once.wim" --compress=LZX:$level >/dev/null
            ws=$(mb "$work/once.wim"); rm -f "$work/once.wim"
            printf '| %s, each content once | pack LZX:21 vs wimlib LZX:%s | | | | %.2f | %.2f | %.4f | |\n' \
                "$c" "$level" "$os" "$ws" "$(echo "$os / $ws" | bc -l)"
        done
        rm -rf "$work/once" "$work/once.cab" "$work/once.wim"
    fi
done

# extract_rows CORPUS METHOD [LEVEL]: our cabinet of the method, read by us and every peer.
extract_rows() {
    local c=$1 what="$2${3:+:$3}" t v o best="" bestname="" readers=""
    rm -f "$cab"; "$qv" pack "$cab" --base "$corpus/$c" --method "$2" ${3:+--level "$3"} --quiet
    fresh; x_ours; verify "$c"
    rm -f "$work"/*.times
    for t in cabextract gcab bsdtar 7zz; do
        fresh
        if "x_$t" >/dev/null 2>&1 && (verify "$c") 2>/dev/null; then readers="$readers $t"; fi
    done
    for ((i = 0; i < runs; i++)); do
        for t in ours ${base:+base} $readers; do fresh; time_one "$t" "x_$t"; done
    done
    fresh
    peak=$(peak_mib "$qv" extract "$cab" --to "$work/x" --quiet)
    verify "$c"
    o=$(median < "$work/ours.times")
    for t in $readers; do
        v=$(median < "$work/$t.times")
        if [ -z "$best" ] || (( $(echo "$v < $best" | bc -l) )); then best=$v; bestname=$t; fi
        printf '| %s | extract %s: %s | | %.2f | | | | | |\n' "$c" "$what" "$t" "$v"
    done
    [ -n "$best" ] || { printf '| %s | extract %s: no peer reads it | %.2f | | | | | | %s |\n' "$c" "$what" "$o" "$peak"; return; }
    if [ -n "$base" ]; then
        v=$(median < "$work/base.times")
        printf '| %s | extract %s: baseline vs %s | %.2f | %.2f | %.2f | | | | |\n' "$c" "$what" "$bestname" "$v" "$best" \
            "$(echo "$v / $best" | bc -l)"
    fi
    printf '| %s | extract %s: ours vs %s | %.2f | %.2f | %.2f | | | | %s |\n' "$c" "$what" "$bestname" "$o" "$best" \
        "$(echo "$o / $best" | bc -l)" "$peak"
}

[[ $sections == *" methods "* || $sections == *" extract "* ]] && for c in ${CORPORA:-text many binary}; do
    rm -f "$work"/*.times
    if [[ $sections == *" methods "* ]]; then
        pack_mszip "$qv" ours "$c"; pack_gcab "$c"
        for ((i = 0; i < runs; i++)); do
            time_one ours pack_mszip "$qv" ours "$c"
            [ -z "$base" ] || time_one base pack_mszip "$base" base "$c"
            time_one peer pack_gcab "$c"
        done
        peak=$(peak_mib "$qv" pack "$work/peak.cab" --base "$corpus/$c" --method mszip --quiet); rm -f "$work/peak.cab"
        fresh; x_ours; verify "$c"
        o=$(median < "$work/ours.times"); p=$(median < "$work/peer.times")
        os=$(mb "$work/ours.cab"); gs=$(mb "$work/g.cab")
        if [ -n "$base" ]; then
            v=$(median < "$work/base.times")
            printf '| %s | pack MSZIP: baseline vs gcab | %.2f | %.2f | %.2f | %.2f | %.2f | %.4f | |\n' "$c" "$v" "$p" \
                "$(echo "$v / $p" | bc -l)" "$(mb "$work/base.cab")" "$gs" "$(echo "$(mb "$work/base.cab") / $gs" | bc -l)"
    fi
    printf '| %s | pack MSZIP vs gcab | %.2f | %.2f | %.2f | %.2f | %.2f | %.4f | %s |\n' "$c" "$o" "$p" \
        "$(echo "$o / $p" | bc -l)" "$os" "$gs" "$(echo "$os / $gs" | bc -l)" "$peak"
    rm -f "$work/base.cab" "$work/g.cab"
    fi
    extract_rows "$c" store
    extract_rows "$c" mszip
    extract_rows "$c" lzx 21
    extract_rows "$c" quantum 4
done
true
