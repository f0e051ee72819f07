#!/usr/bin/env bash
# TAR archives made by GNU tar (ustar, pax, gnu formats; gzip, bzip2, xz, zstd) and bsdtar
# over one small tree with a long and a UTF-8 name, an empty file, an empty folder and a link;
# hostile archives written with Python's tarfile; a truncated one.
set -euo pipefail
data=$1
out=$data/tar
files=$out/files
rm -rf "$out"
long=this-is-a-rather-long-folder-name-that-goes-on/and-on-past-one-hundred-bytes-of-ustar-name-field
mkdir -p "$files/$long" "$files/empty-folder" "$files/sub"
printf 'hello\n' > "$files/hello.txt"
: > "$files/empty.txt"
printf 'long\n' > "$files/$long/long-name-file.txt"
seq 1 3000 > "$files/sub/numbers.txt"
printf 'nihongo\n' > "$files/日本語.txt"
ln -s hello.txt "$files/link-to-hello"
touch -h -d '2021-06-15 12:34:56 UTC' $(find "$files" -mindepth 1)
cd "$files"
tar -b 1 --format=pax -cf "$out/tree-pax-gnutar.tar" --sort=name .
tar -b 1 --format=gnu -cf "$out/tree-gnu-gnutar.tar" --sort=name .
tar -b 1 --format=ustar -cf "$out/short-ustar-gnutar.tar" --sort=name hello.txt empty.txt sub link-to-hello
tar --format=pax -czf "$out/tree-gnutar.tar.gz" --sort=name .
tar --format=pax -cjf "$out/tree-gnutar.tar.bz2" --sort=name .
tar --format=pax -cJf "$out/tree-gnutar.tar.xz" --sort=name .
tar --format=pax --zstd -cf "$out/tree-gnutar.tar.zst" --sort=name .
bsdtar -czf "$out/tree-bsdtar.tgz" .
python3 - "$out" <<'PY'
import sys, tarfile, io, os
out = sys.argv[1]
def add(tf, name, data=b"", kind=tarfile.REGTYPE, link=""):
    info = tarfile.TarInfo(name)
    info.type = kind
    info.linkname = link
    info.size = len(data) if kind == tarfile.REGTYPE else 0
    info.mtime = 1623760496
    info.mode = 0o755 if kind == tarfile.DIRTYPE else 0o644
    tf.addfile(info, io.BytesIO(data) if kind == tarfile.REGTYPE else None)
with tarfile.open(os.path.join(out, "hostile-names.tar"), "w", format=tarfile.PAX_FORMAT) as tf:
    add(tf, "../escape.txt", b"up\n")
    add(tf, "/absolute.txt", b"abs\n")
    add(tf, "C:/drive.txt", b"drive\n")
    add(tf, "ok/good.txt", b"good\n")
with tarfile.open(os.path.join(out, "hostile-links.tar"), "w", format=tarfile.PAX_FORMAT) as tf:
    add(tf, "out", kind=tarfile.SYMTYPE, link="../outside")
    add(tf, "out/through.txt", b"through\n")
    add(tf, "abs", kind=tarfile.SYMTYPE, link="/etc")
    add(tf, "hard", kind=tarfile.LNKTYPE, link="../outside/victim")
    add(tf, "ok/good.txt", b"good\n")
    add(tf, "ok/hard-good", kind=tarfile.LNKTYPE, link="ok/good.txt")
# Links that each stay inside on their own but lead out through one another, in both orders;
# hard links to a link and to a file the archive did not write; chains that stay inside.
with tarfile.open(os.path.join(out, "hostile-link-chains.tar"), "w", format=tarfile.PAX_FORMAT) as tf:
    add(tf, "ok/good.txt", b"good\n")
    add(tf, "s", kind=tarfile.SYMTYPE, link=".")
    add(tf, "d", kind=tarfile.SYMTYPE, link="s/..")
    add(tf, "e", kind=tarfile.SYMTYPE, link="s/../outside")
    add(tf, "d/through.txt", b"through\n")
    add(tf, "late", kind=tarfile.SYMTYPE, link="t/../outside")
    add(tf, "t", kind=tarfile.SYMTYPE, link=".")
    add(tf, "sub/up", kind=tarfile.SYMTYPE, link="..")
    add(tf, "x", kind=tarfile.SYMTYPE, link="sub/up/../outside")
    add(tf, "loop1", kind=tarfile.SYMTYPE, link="loop2")
    add(tf, "loop2", kind=tarfile.SYMTYPE, link="loop1")
    add(tf, "lib", kind=tarfile.SYMTYPE, link="ok")
    add(tf, "alias", kind=tarfile.SYMTYPE, link="lib/good.txt")
    add(tf, "hard-to-link", kind=tarfile.LNKTYPE, link="s")
    add(tf, "hard-to-planted", kind=tarfile.LNKTYPE, link="planted")
    add(tf, "hard-through-link", kind=tarfile.LNKTYPE, link="lib/good.txt")
good = open(os.path.join(out, "tree-gnutar.tar.gz"), "rb").read()
open(os.path.join(out, "truncated.tar.gz"), "wb").write(good[: len(good) * 2 // 3])
plain = open(os.path.join(out, "short-ustar-gnutar.tar"), "rb").read()
open(os.path.join(out, "truncated.tar"), "wb").write(plain[:1500])
PY
