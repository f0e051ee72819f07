#!/usr/bin/env bash
# The ISH codec against coreutils base64 on one file of random bytes (100 MB unless told): the
# median wall time of encoding and decoding in each variant, the ratio to base64's, and the
# peak resident size of each of our runs. Every decoding is compared with the input.
# Usage: bench/peer/ish.sh BUILD [MEGABYTES] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
megabytes=${2:-100}
runs=${3:-5}
tool="$build/bin/bench_ish_file"
work=$(mktemp -d /dev/shm/qv-ish-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
. "$here/common.sh"
head -c "$((megabytes * 1000000))" /dev/urandom > "$work/in.bin"

b64_encode() { base64 "$work/in.bin" > "$work/in.b64"; }
b64_decode() { base64 -d "$work/in.b64" > "$work/out.bin"; }
b64_encode
for v in jis7 jis8 shift_jis non-kana; do
    "$tool" encode "$v" "$work/in.bin" "$work/$v.ish"
    "$tool" decode "$work/$v.ish" "$work/out.bin"
    cmp "$work/in.bin" "$work/out.bin"
done
for ((r = 0; r < runs; r++)); do
    time_one b64_encode b64_encode
    time_one b64_decode b64_decode
    for v in jis7 jis8 shift_jis non-kana; do
        time_one "enc_$v" "$tool" encode "$v" "$work/in.bin" "$work/$v.ish"
        time_one "dec_$v" "$tool" decode "$work/$v.ish" "$work/out.bin"
    done
done
m() { median < "$work/$1.times"; }
printf '%-10s %9s %9s %7s %9s %9s %7s %8s\n' variant encode base64 ratio decode base64 ratio peak
for v in jis7 jis8 shift_jis non-kana; do
    peak=$(peak_mib "$tool" encode "$v" "$work/in.bin" "$work/$v.ish")
    peak_dec=$(peak_mib "$tool" decode "$work/$v.ish" "$work/out.bin")
    [ "$(echo "$peak_dec > $peak" | bc)" = 1 ] && peak=$peak_dec
    printf '%-10s %9.3f %9.3f %7.2f %9.3f %9.3f %7.2f %5s MiB\n' "$v" \
        "$(m "enc_$v")" "$(m b64_encode)" "$(echo "scale=2; $(m "enc_$v") / $(m b64_encode)" | bc)" \
        "$(m "dec_$v")" "$(m b64_decode)" "$(echo "scale=2; $(m "dec_$v") / $(m b64_decode)" | bc)" "$peak"
done
