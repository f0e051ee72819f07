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

# Entries an update must copy as they are: 7-Zip's AES encryption (extra field 0x9901) with NTFS
# times (0x000A); Info-ZIP's UID/GID and time fields with entry and archive comments; MS-DOS
# entries, one read-only, with a field nobody knows; streamed entries with data descriptors,
# one of them ZIP64.
(cd "$files" && 7zz a -tzip -pSecret -mem=AES256 -mtc=on -bd -bso0 "$out/aes-7zip.zip" hello.txt sub/numbers.txt >/dev/null)
(cd "$files" && printf 'about hello\nabout numbers\n' | zip -q -c "$out/comments-infozip.zip" hello.txt sub/numbers.txt &&
  printf 'the archive comment\n' | zip -q -z "$out/comments-infozip.zip")

# Names and times by the system that made the entry. "\xc3\xbd" is both Shift_JIS (half-width
# katakana) and UTF-8; "caf\x82" is CP437; "caf\xe9" is Latin-1, which only POSIX keeps.
python3 - "$out" <<'PY'
import io, os, stat, struct, sys, zipfile, zlib
out = sys.argv[1]
def entry(zf, name, data, system, attr, extra=b""):
    info = zipfile.ZipInfo(name, (2021, 6, 15, 12, 34, 56))
    info.create_system = system
    info.external_attr = attr
    info.extra = extra
    zf.writestr(info, data)
def with_raw_names(path, names):
    # zipfile writes only ASCII or flagged UTF-8: placeholders of the same length are swapped
    # for the raw bytes in both records.
    raw = open(path, "rb").read()
    for placeholder, name in names.items():
        raw = raw.replace(placeholder, name)
    open(path, "wb").write(raw)
dos_file = 0x20
with zipfile.ZipFile(os.path.join(out, "dos-python.zip"), "w") as zf:
    entry(zf, "readme.txt", b"read me\n", 0, dos_file)
    entry(zf, "locked.txt", b"read only\n", 0, dos_file | 0x01)
    entry(zf, "dir\\file.txt", b"in dir\n", 0, dos_file)
    entry(zf, "kana@@.txt", b"kana\n", 0, dos_file)
    entry(zf, "caf@.txt", b"cp437\n", 0, dos_file)
    entry(zf, "unknown.txt", b"field\n", 0, dos_file, struct.pack("<HH", 0xCAFE, 4) + b"\1\2\3\4")
with_raw_names(os.path.join(out, "dos-python.zip"), {b"kana@@": b"kana\xc3\xbd", b"caf@": b"caf\x82"})
unix_file = (stat.S_IFREG | 0o644) << 16
with zipfile.ZipFile(os.path.join(out, "unix-names-python.zip"), "w") as zf:
    entry(zf, "back\\slash.txt", b"one name\n", 3, unix_file)
    entry(zf, "utf8@@.txt", b"utf8\n", 3, unix_file)
    entry(zf, "caf@.txt", b"latin1\n", 3, unix_file)
with_raw_names(os.path.join(out, "unix-names-python.zip"), {b"utf8@@": b"utf8\xc3\xbd", b"caf@": b"caf\xe9"})

class Stream(io.RawIOBase):  # not seekable: zipfile writes data descriptors
    def __init__(self): self.data = bytearray()
    def writable(self): return True
    def write(self, b): self.data += b; return len(b)
stream = Stream()
with zipfile.ZipFile(stream, "w", zipfile.ZIP_DEFLATED) as zf:
    with zf.open("streamed.txt", "w") as f: f.write(b"streamed\n" * 100)
    with zf.open("streamed64.txt", "w", force_zip64=True) as f: f.write(b"wide sizes\n" * 100)
open(os.path.join(out, "descriptors-python.zip"), "wb").write(bytes(stream.data))

# An archive comment holding the end record's signature, as a note about the format might.
with zipfile.ZipFile(os.path.join(out, "comment-signature-python.zip"), "w") as zf:
    entry(zf, "hello.txt", b"hello\n", 3, unix_file)
    zf.comment = b"records end with PK\x05\x06 and 18 bytes: " + bytes(18) + b"."

# Links whose targets are as long as a link may hold, and longer.
with zipfile.ZipFile(os.path.join(out, "long-links-python.zip"), "w") as zf:
    entry(zf, "longest", "t" * 4095, 3, (stat.S_IFLNK | 0o777) << 16)
    entry(zf, "too-long", "t" * 5000, 3, (stat.S_IFLNK | 0o777) << 16)
    entry(zf, "after.txt", b"after\n", 3, unix_file)

# Entries that share bytes, the way small archives expand without bound: two central records
# naming one local record; one entry's data holding the next local record; and one whose local
# extra field holds the next local record. Each also has a good entry ahead of the others.
def local(name, data, extra=b"", size=None):
    size = len(data) if size is None else size
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 10, 0, 0, 0, 0x52CF, zlib.crc32(data), size, size,
                       len(name), len(extra)) + name + extra
def central(name, data, offset):
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x0314, 10, 0, 0, 0, 0x52CF, zlib.crc32(data),
                       len(data), len(data), len(name), 0, 0, 0, 0, unix_file, offset) + name
def archive(path, locals_and_centrals):
    body = b"".join(l for l, _ in locals_and_centrals if l)
    directory = b"".join(c for _, c in locals_and_centrals)
    count = len(locals_and_centrals)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, len(directory), len(body), 0)
    open(path, "wb").write(body + directory + end)
good, kernel = b"good\n", b"bomb" * 256
head = local(b"good.txt", good) + good
at = len(head)
archive(os.path.join(out, "overlap-shared-python.zip"),
        [(head, central(b"good.txt", good, 0)),
         (local(b"a.bin", kernel) + kernel, central(b"a.bin", kernel, at)),
         (b"", central(b"b.bin", kernel, at))])
# "outer" stores the local record of "inner" and the kernel as its own data.
inner = local(b"inner.bin", kernel) + kernel
archive(os.path.join(out, "overlap-quoted-python.zip"),
        [(head, central(b"good.txt", good, 0)),
         (local(b"outer.bin", inner) + inner, central(b"outer.bin", inner, at)),
         (b"", central(b"inner.bin", kernel, at + 30 + len(b"outer.bin")))])
# "first" carries the local record of "second" in its extra field; both decode one small kernel,
# too small for the central records alone to show the overlap.
tiny = b"tiny\n"
second = local(b"second.bin", tiny)
quoted = struct.pack("<HH", 0x9999, len(second)) + second
archive(os.path.join(out, "overlap-extra-python.zip"),
        [(head, central(b"good.txt", good, 0)),
         (local(b"first.bin", tiny, quoted) + tiny, central(b"first.bin", tiny, at)),
         (b"", central(b"second.bin", tiny, at + 30 + len(b"first.bin") + 4))])
PY

# Extended timestamps past 2038 (unsigned) and before 1970 (signed, with a DOS date of 1980).
times=$(mktemp -d)
printf '2040\n' > "$times/late.txt"
printf '1960\n' > "$times/early.txt"
touch -d '2040-03-04 05:06:07 UTC' "$times/late.txt"
touch -d '1960-03-04 05:06:07 UTC' "$times/early.txt"
(cd "$times" && zip -q "$out/times-infozip.zip" late.txt early.txt)
(cd "$times" && bsdtar --format zip -cf "$out/times-bsdtar.zip" late.txt early.txt)
rm -rf "$times"
