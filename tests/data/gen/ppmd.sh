#!/usr/bin/env bash
# Raw PPMd variant H streams written by 7zz: the packed stream of a one-file 7z archive starts
# right after its 32-byte start header. The inputs come from a 32-bit LCG (words, or bytes over
# the whole range) that tests/backends/ppmd rebuilds, so only the archives are kept.
# Usage: ppmd.sh DATA_DIR
set -euo pipefail
out=$(realpath "$1")/ppmd
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

generate() {  # generate KIND SIZE SEED > file; mirrors LcgInput in the test
    python3 - "$@" <<'PY'
import sys
kind, size, x = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def rnd():
    global x
    x = (x * 1103515245 + 12345) & 0xFFFFFFFF
    return x >> 16
out = bytearray()
if kind == "words":
    letters = b"etaoinshrdlucmfwypvbgkjqxz"
    words = [bytes(letters[rnd() % 26] for _ in range(2 + rnd() % 7)) for _ in range(512)]
    while len(out) < size:
        out += words[rnd() % 512]
        r = rnd() % 16
        out += b". " if r == 0 else b"\n" if r == 1 else b" "
else:
    while len(out) < size:
        run = bytes(rnd() & 0xFF for _ in range(1 + rnd() % 24))
        out += run * (1 + rnd() % 3)
sys.stdout.buffer.write(out[:size])
PY
}

# name kind size seed order memory
while read -r name kind size seed order mem; do
    generate "$kind" "$size" "$seed" > "$work/$name"
    rm -f "$out/$name.7z"
    (cd "$work" && 7zz a -t7z -m0=PPMd:o="$order":mem="$mem" -mhc=off -bd -bso0 \
        "$out/$name.7z" "$name" >/dev/null)
done <<'LIST'
words-o2 words 30000 7 2 1m
words-o6 words 60000 11 6 16m
bytes-o4 bytes 40000 3 4 2m
bytes-o16 bytes 50000 5 16 1m
words-o32-restart words 400000 1 32 1m
LIST
