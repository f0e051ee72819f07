#!/usr/bin/env bash
# LHA archives made by Debian's `lha` (jLHA, package jlha-utils): every method it writes
# (z = -lh0-, o5/o6/o7) at header levels 0, 1 and 2, over one small tree of files that the
# tests compare byte for byte. The `y` option stores the Japanese name in Shift_JIS.
set -euo pipefail
data=$1
out=$data/lha
files=$out/files
rm -rf "$out"
mkdir -p "$files/sub/deep"
python3 - "$files" <<'PY'
import sys, os
root = sys.argv[1]
words = b"archive header window static return method level folder name size".split()
state = 12345
def rnd():
    global state
    state = (state * 1103515245 + 12345) & 0x7fffffff
    return state >> 8
text = bytearray()
while len(text) < 10000:
    text += words[rnd() % len(words)] + (b"\n" if rnd() % 9 == 0 else b" ")
open(os.path.join(root, "text.txt"), "wb").write(bytes(text))
noise = bytes(rnd() & 0xff for _ in range(9000))
# The repeat lies 9000 bytes back: beyond -lh5-'s window, inside -lh6-'s and -lh7-'s.
open(os.path.join(root, "far-repeat.bin"), "wb").write(noise + noise)
open(os.path.join(root, "empty.txt"), "wb").close()
open(os.path.join(root, "sub", "deep", "nested.txt"), "wb").write(b"deep inside\n" * 40)
open(os.path.join(root, "日本語.txt"), "wb").write("名前のテスト\n".encode("utf-8"))
PY
touch -d '2021-06-15 12:34:56 UTC' "$files"/*.* "$files/sub/deep/nested.txt"
cd "$files"
for method in z o5 o6 o7; do
  case $method in z) name=lh0 ;; *) name=lh${method#o} ;; esac
  for level in 0 1 2; do
    lha "a${level}${method}y" "$out/$name-level$level-jlha.lzh" \
      text.txt far-repeat.bin empty.txt sub/deep/nested.txt 日本語.txt >/dev/null
  done
done
