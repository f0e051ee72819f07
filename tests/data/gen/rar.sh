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

# Hostile names for both generations, and RAR 5 redirections (a symlink, a hard link, file
# copies, one of a name that comes nowhere before it), in rarstore's layouts.
python3 - "$gen" "$out" <<'PY'
import struct, sys, zlib
sys.path.insert(0, sys.argv[1])
import rarstore
from rarstore import head5, vint
out = sys.argv[2]
MTIME = 1623760496  # 2021-06-15 12:34:56 UTC

def rar4(path, entries):
    with open(path, "wb") as f:
        f.write(b"Rar!\x1a\x07\x00")
        body = struct.pack("<BHH", 0x73, 0, 13) + b"\0" * 6
        f.write(struct.pack("<H", zlib.crc32(body) & 0xFFFF) + body)
        for name, data in entries:
            name = name.encode()
            body = struct.pack("<BHHIIBIIBBHI", 0x74, 0x8000, 32 + len(name), len(data), len(data),
                               2, zlib.crc32(data), 0x52CF6467, 29, 0x30, len(name), 0x20) + name
            f.write(struct.pack("<H", zlib.crc32(body) & 0xFFFF) + body + data)
        body = struct.pack("<BHH", 0x7B, 0x4000, 7)
        f.write(struct.pack("<H", zlib.crc32(body) & 0xFFFF) + body)

def file5(name, data, redirect=None):
    name = name.encode()
    extra = b""
    if redirect:
        kind, target = redirect
        record = vint(5) + vint(kind) + vint(0) + vint(len(target)) + target.encode()
        extra = vint(len(record)) + record
    flags = 0x0002 | (0x0001 if extra else 0)
    body = (vint(2) + vint(flags) + (vint(len(extra)) if extra else b"") + vint(len(data)) +
            vint(0x0002 | 0x0004) + vint(len(data)) + vint(0o100644) +
            struct.pack("<II", MTIME, zlib.crc32(data)) + vint(0) + vint(1) + vint(len(name)) +
            name + extra)
    return head5(body) + data

def rar5(path, blocks):
    with open(path, "wb") as f:
        f.write(b"Rar!\x1a\x07\x01\x00")
        f.write(head5(vint(1) + vint(0) + vint(0)))
        for b in blocks:
            f.write(b)
        f.write(head5(vint(5) + vint(0) + vint(0)))

hostile = ["../escape.txt", "/abs.txt", "C:/drive.txt", "sub/../../up.txt"]
rar4(out + "/hostile4.rar", [("ok.txt", b"fine\n")] + [(n.replace("/", "\\"), b"bad\n") for n in hostile])
rar5(out + "/hostile5.rar", [file5("ok.txt", b"fine\n")] + [file5(n, b"bad\n") for n in hostile])
rar5(out + "/links5.rar", [
    file5("data.txt", b"the data\n"),
    file5("copy.txt", b"", (5, "data.txt")),
    file5("hard.txt", b"", (4, "data.txt")),
    file5("sym", b"", (1, "data.txt")),
    file5("copy-of-nothing.txt", b"", (5, "nothing.txt")),
])
PY

# A method no decoder here knows: rarfile's RAR 1.5 archive with its compressed file's version
# byte set to 99, its header check made again (it stops before the comment inside the header).
python3 - "$data" "$out" <<'PY'
import struct, sys, zlib
data = bytearray(open(sys.argv[1] + "/rar/rarfile/rar15-comment.rar", "rb").read())
main_size = struct.unpack_from("<H", data, 7 + 5)[0]
at = 7 + main_size
name_size = struct.unpack_from("<H", data, at + 26)[0]
data[at + 24] = 99
checked = data[at + 2:at + 32 + name_size]
struct.pack_into("<H", data, at, zlib.crc32(checked) & 0xFFFF)
open(sys.argv[2] + "/unknown-method.rar", "wb").write(data)
PY
