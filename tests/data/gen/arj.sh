#!/usr/bin/env bash
# ARJ archives made by Debian's `arj` over one small tree that the tests compare byte for
# byte: every method (0 stored, 1..3 the LH stream, 4 its own), the DOS host (-2d, DOS times
# and attributes), an archive comment, a garbled entry beside a plain one, folder entries, and
# UNIX special files (-a: links, short and long targets, and a FIFO) made in a scratch folder,
# a set of volumes (-v) with files split across them, and an archive of two chapters (ac).
# arj never returns when given a dot-file at the top of its folder: the tree holds none, and
# every run has a timeout and no input.
set -euo pipefail
data=$1
out=$data/arj
files=$out/files
rm -rf "$out"
mkdir -p "$files/sub/deep"
python3 - "$files" <<'PY'
import sys, os
root = sys.argv[1]
words = b"archive header window static return method level folder name size".split()
state = 4321
def rnd():
    global state
    state = (state * 1103515245 + 12345) & 0x7fffffff
    return state >> 8
text = bytearray()
# Long enough for several blocks and for copies across the 26624-byte window's wrap.
while len(text) < 200000:
    text += words[rnd() % len(words)] + (b"\n" if rnd() % 9 == 0 else b" ")
open(os.path.join(root, "text.txt"), "wb").write(bytes(text))
noise = bytes(rnd() & 0xff for _ in range(20000))
# The repeat lies 20000 bytes back: inside the window of methods 1..3, past method 4's reach.
open(os.path.join(root, "far-repeat.bin"), "wb").write(noise + noise)
open(os.path.join(root, "noise.bin"), "wb").write(noise[:5000])
open(os.path.join(root, "empty.txt"), "wb").close()
open(os.path.join(root, "NOEXT"), "wb").write(b"no extension\n" * 30)
open(os.path.join(root, "with space.txt"), "wb").write(b"blank in the name\n")
open(os.path.join(root, "sub", "deep", "nested.txt"), "wb").write(b"deep inside\n" * 40)
open(os.path.join(root, "日本語.txt"), "wb").write("名前のテスト\n".encode("utf-8"))
PY
find "$files" -exec touch -d "2021-06-15 12:34:56 UTC" {} +
printf 'archive comment\n' > "$out/comment.txt"
cd "$files"
names=(text.txt far-repeat.bin noise.bin empty.txt NOEXT "with space.txt" sub/deep/nested.txt 日本語.txt)
arj_program=$(type -P arj)
arj() { timeout 60 "$arj_program" "$@" -y </dev/null >/dev/null; }
for method in 0 1 2 3 4; do
  arj a "-m$method" "$out/m$method.arj" "${names[@]}"
done
arj a -m1 -2d "$out/dos-host.arj" "${names[@]}"
arj a -m1 "-z$out/comment.txt" "$out/comment.arj" text.txt NOEXT
arj a -m1 "$out/garbled.arj" NOEXT
arj a -m1 -gsecret "$out/garbled.arj" text.txt
arj a -m1 -r -a1 "$out/folders.arj" sub
arj a -m1 -v12K "$out/volumes.arj" text.txt far-repeat.bin NOEXT
rm "$out/comment.txt"
special=$(mktemp -d)
cd "$special"
cp "$files/NOEXT" NOEXT
printf 'first\n' > a.txt
printf 'gone\n' > b.txt
touch -d "2021-06-15 12:34:56 UTC" a.txt b.txt
arj ac -m1 "$out/chapters.arj" a.txt b.txt
printf 'second\n' > a.txt
printf 'new\n' > c.txt
touch -d "2021-06-16 12:34:56 UTC" a.txt c.txt
arj ac -m1 "$out/chapters.arj" a.txt c.txt
rm a.txt b.txt c.txt
ln -s NOEXT ln
ln -s "sub/$(printf 'x%.0s' {1..70})" long
mkfifo fifo
find . -exec touch -h -d "2021-06-15 12:34:56 UTC" {} +
arj a -m1 -a "$out/special.arj" NOEXT ln long fifo
cd /
rm -rf "$special"
