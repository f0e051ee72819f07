#!/usr/bin/env bash
# The ISH codec against coreutils base64 on one file of random bytes (100 MB unless told): the
# median wall time of encoding and decoding in each variant, the ratio to base64's, and the
# peak resident size of each of our runs (the larger of encoding and decoding). Runs alternate:
# base64, then each variant, RUNS times. Every decoding is compared with the input. Then a set
# of three volumes of half the file is joined through the quorvex program, and its peak shown.
# With BASELINE=OTHER_BUILD, that build's encoder and decoder run in the same rounds too.
# Usage: bench/peer/ish.sh BUILD [SCRATCH] [MEGABYTES] [RUNS]     (SCRATCH: /dev/shm unless told)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 BUILD [SCRATCH] [MEGABYTES] [RUNS]" >&2; exit 2; }
build=$(cd "$1" && pwd)
scratch=${2:-/dev/shm}
megabytes=${3:-100}
runs=${4:-5}
for need in "$build/bin/bench_ish_file" "$build/bin/bench_ish_volumes" "$build/bin/quorvex"; do
    [ -x "$need" ] || { echo "bench: $need is not built (configure with QV_BENCH on)" >&2; exit 2; }
done
for need in base64 bc cmp /usr/bin/time; do
    command -v "$need" >/dev/null || { echo "bench: $need is missing" >&2; exit 2; }
done
tool="$build/bin/bench_ish_file"
sides=(new)
tools=([0]="$tool")
if [ -n "${BASELINE:-}" ]; then
    sides+=(base)
    tools+=("$(cd "$BASELINE" && pwd)/bin/bench_ish_file")
fi
mkdir -p "$scratch"
work=$(mktemp -d "$scratch/qv-ish-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$here/common.sh"
head -c "$((megabytes * 1000000))" /dev/urandom > "$work/in.bin"
variants=(jis7 jis8 shift_jis non-kana)

b64_encode() { base64 "$work/in.bin" > "$work/in.b64"; }
b64_decode() { base64 -d "$work/in.b64" > "$work/out.bin"; }
b64_encode
for v in "${variants[@]}"; do
    for i in "${!sides[@]}"; do
        "${tools[$i]}" encode "$v" "$work/in.bin" "$work/$v.ish"
        "${tools[$i]}" decode "$work/$v.ish" "$work/out.bin"
        cmp "$work/in.bin" "$work/out.bin"
    done
done
for ((r = 0; r < runs; r++)); do
    time_one b64_encode b64_encode
    time_one b64_decode b64_decode
    for v in "${variants[@]}"; do
        for i in "${!sides[@]}"; do
            s=${sides[$i]}
            time_one "enc_${s}_$v" "${tools[$i]}" encode "$v" "$work/in.bin" "$work/$v.ish"
            time_one "dec_${s}_$v" "${tools[$i]}" decode "$work/$v.ish" "$work/out.bin"
        done
    done
done
m() { median < "$work/$1.times"; }
ratio() { echo "scale=2; $(m "$1") / $(m "$2")" | bc; }
printf '%-17s %9s %9s %7s %9s %9s %7s %9s\n' variant encode base64 ratio decode base64 ratio peak
for v in "${variants[@]}"; do
    for i in "${!sides[@]}"; do
        s=${sides[$i]}
        peak=$(peak_mib "${tools[$i]}" encode "$v" "$work/in.bin" "$work/$v.ish")
        peak_dec=$(peak_mib "${tools[$i]}" decode "$work/$v.ish" "$work/out.bin")
        [ "$(echo "$peak_dec > $peak" | bc)" = 1 ] && peak=$peak_dec
        label=$v
        [ ${#sides[@]} -gt 1 ] && label="$v ($s)"
        printf '%-17s %9.3f %9.3f %7.2f %9.3f %9.3f %7.2f %5s MiB\n' "$label" \
            "$(m "enc_${s}_$v")" "$(m b64_encode)" "$(ratio "enc_${s}_$v" b64_encode)" \
            "$(m "dec_${s}_$v")" "$(m b64_decode)" "$(ratio "dec_${s}_$v" b64_decode)" "$peak"
    done
done

# Three JIS7 volumes of 4630 blocks (16.7 MB each) hold the first 50 MB, when there are as many.
mkdir -p "$work/set"
head -c "$((megabytes * 500000))" "$work/in.bin" > "$work/set/joined.bin"
"$build/bin/bench_ish_volumes" "$work/set/joined.bin" 4630 "$work/set/joined"
fresh
peak=$(peak_mib "$build/bin/quorvex" extract "$work/set/joined.i01" --to "$work/x" --quiet)
cmp "$work/set/joined.bin" "$work/x/joined.bin"
printf 'join of %s volumes (%s MB): peak %s MiB\n' "$(ls "$work/set" | grep -c '\.i[0-9]')" \
    "$((megabytes / 2))" "$peak"
