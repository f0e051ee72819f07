#!/usr/bin/env bash
# ZIP archives made by tools nobody here wrote: Info-ZIP `zip`, `7zz` and `bsdtar`, over one
# small tree the tests compare byte for byte; legacy-name archives (Shift_JIS, CP437) made by
# Info-ZIP from raw file names; each method the readers know; an encrypted one; and hostile
# archives written with Python's zipfile (names and links that lead out), a truncated one and
# one with a bad check value. Huge cases (ZIP64) are made at test time.
set -euo pipefail
data=$1
out=$data/zip
files=$out/files
rm -rf "$out"
mkdir -p "$files/deep/a/b/c/d/e/f" "$files/empty-folder" "$files/sub"
printf 'hello\n' > "$files/hello.txt"
: > "$files/empty.txt"
printf 'deep\n' > "$files/deep/a/b/c/d/e/f/deep.txt"
seq 1 3000 > "$files/sub/numbers.txt"
printf 'nihongo\n' > "$files/日本語.txt"
printf 'space\n' > "$files/with space.txt"
touch -d '2021-06-15 12:34:56 UTC' $(find "$files" -type f) "$files/empty-folder"
cd "$files"
LC_ALL=C.UTF-8 zip -qr -X "$out/tree-infozip.zip" .
7zz a -tzip -bd -bso0 "$out/tree-7zip.zip" . >/dev/null
bsdtar --format zip -cf "$out/tree-bsdtar.zip" .
zip -q -0 -X "$out/stored-infozip.zip" hello.txt sub/numbers.txt
zip -q -Z bzip2 -X "$out/bzip2-infozip.zip" hello.txt sub/numbers.txt
7zz a -tzip -mm=LZMA -bd -bso0 "$out/lzma-7zip.zip" hello.txt sub/numbers.txt >/dev/null
7zz a -tzip -mm=Deflate64 -bd -bso0 "$out/deflate64-7zip.zip" hello.txt sub/numbers.txt >/dev/null
zip -q -P secret -X "$out/encrypted-infozip.zip" hello.txt
zip -q -X "$out/mixed-encrypted.zip" sub/numbers.txt
zip -q -P secret -X "$out/mixed-encrypted.zip" hello.txt

# Legacy names: Info-ZIP stores the raw bytes of the file name and no UTF-8 mark.
legacy=$(mktemp -d)
printf 'sjis\n' > "$legacy/$(printf '\x93\xfa\x96\x7b\x8c\xea.txt')"
printf 'cp437\n' > "$legacy/$(printf 'caf\x82.txt')"
(cd "$legacy" && LC_ALL=C zip -q -X "$out/sjis-infozip.zip" "$(printf '\x93\xfa\x96\x7b\x8c\xea.txt')" &&
  LC_ALL=C zip -q -X "$out/cp437-infozip.zip" "$(printf 'caf\x82.txt')")
rm -rf "$legacy"

# Links that each stay inside on their own but lead out through one another, in both orders,
# and chains that stay inside; Info-ZIP keeps the order of its arguments and appends.
chains=$(mktemp -d)
mkdir -p "$chains/links/ok" "$chains/links/sub" "$chains/files/d"
printf 'good\n' > "$chains/links/ok/good.txt"
printf 'through\n' > "$chains/files/d/through.txt"
ln -s . "$chains/links/s"
ln -s s/.. "$chains/links/d"
ln -s s/../outside "$chains/links/e"
ln -s t/../outside "$chains/links/late"
ln -s . "$chains/links/t"
ln -s .. "$chains/links/sub/up"
ln -s sub/up/../outside "$chains/links/x"
ln -s loop2 "$chains/links/loop1"
ln -s loop1 "$chains/links/loop2"
ln -s ok "$chains/links/lib"
ln -s lib/good.txt "$chains/links/alias"
(cd "$chains/links" && zip -q -y -X "$out/hostile-link-chains.zip" ok/good.txt s d e)
(cd "$chains/files" && zip -q -X "$out/hostile-link-chains.zip" d/through.txt)
(cd "$chains/links" && zip -q -y -X "$out/hostile-link-chains.zip" late t sub/up x loop1 loop2 lib alias)
rm -rf "$chains"

python3 - "$out" <<'PY'
import sys, zipfile, stat, os
out = sys.argv[1]
def link(zf, name, target):
    info = zipfile.ZipInfo(name, (2021, 6, 15, 12, 34, 56))
    info.create_system = 3
    info.external_attr = (stat.S_IFLNK | 0o777) << 16
    zf.writestr(info, target)
def plain(zf, name, data):
    info = zipfile.ZipInfo(name, (2021, 6, 15, 12, 34, 56))
    info.create_system = 3
    info.external_attr = (stat.S_IFREG | 0o644) << 16
    zf.writestr(info, data)
with zipfile.ZipFile(os.path.join(out, "hostile-names.zip"), "w") as zf:
    plain(zf, "../escape.txt", b"up\n")
    plain(zf, "/absolute.txt", b"abs\n")
    plain(zf, "C:/drive.txt", b"drive\n")
    plain(zf, "ok/../../escape2.txt", b"up2\n")
    plain(zf, "ok/good.txt", b"good\n")
with zipfile.ZipFile(os.path.join(out, "hostile-links.zip"), "w") as zf:
    link(zf, "out", "../outside")
    plain(zf, "out/through.txt", b"through\n")
    link(zf, "abs", "/tmp")
    link(zf, "fine", "ok/good.txt")
    plain(zf, "ok/good.txt", b"good\n")
import warnings
warnings.simplefilter("ignore")
with zipfile.ZipFile(os.path.join(out, "duplicate-names.zip"), "w") as zf:
    plain(zf, "dup.txt", b"first\n")
    plain(zf, "other.txt", b"other\n")
    plain(zf, "dup.txt", b"second\n")
good = open(os.path.join(out, "stored-infozip.zip"), "rb").read()
open(os.path.join(out, "truncated.zip"), "wb").write(good[: len(good) // 2])
with zipfile.ZipFile(os.path.join(out, "badcrc.zip"), "w", zipfile.ZIP_STORED) as zf:
    plain(zf, "ok.txt", b"fine\n")
    plain(zf, "bad.txt", b"original content\n")
raw = bytearray(open(os.path.join(out, "badcrc.zip"), "rb").read())
at = raw.find(b"original content")
raw[at] ^= 0x20
open(os.path.join(out, "badcrc.zip"), "wb").write(bytes(raw))
PY
