#!/usr/bin/env bash
# Stored RAR 4 and RAR 5 archives written by rarstore.py (beside this script; no Debian tool
# writes RAR) over one small tree that the tests compare byte for byte: text, binary noise
# longer than one copy buffer, an empty file, a nested folder, a name outside ASCII. The
# archives the real RAR program made are tests/data/rar/libarchive and rarfile (see README).
set -euo pipefail
data=$1
out=$data/rar/store
files=$out/files
rm -rf "$out"
mkdir -p "$files/sub/deep"
python3 - "$files" <<'PY'
import sys, os
root = sys.argv[1]
state = 2468
def rnd():
    global state
    state = (state * 1103515245 + 12345) & 0x7fffffff
    return state >> 8
open(os.path.join(root, "text.txt"), "wb").write(b"stored line of text\n" * 500)
open(os.path.join(root, "noise.bin"), "wb").write(bytes(rnd() & 0xff for _ in range(150000)))
open(os.path.join(root, "empty.txt"), "wb").close()
open(os.path.join(root, "sub", "deep", "nested.txt"), "wb").write(b"deep inside\n" * 40)
open(os.path.join(root, "日本語.txt"), "wb").write("名前のテスト\n".encode("utf-8"))
PY
find "$files" -exec touch -d "2021-06-15 12:34:56 UTC" {} +
chmod 0644 "$files"/*.* "$files/sub/deep/nested.txt"
gen=$(dirname "$0")
python3 "$gen/rarstore.py" 4 "$out/store4.rar" "$files"
python3 "$gen/rarstore.py" 5 "$out/store5.rar" "$files"
