#!/usr/bin/env python3
"""kept_entries.py OLD NEW: exit 0 when every entry of OLD is in NEW byte for byte (its local
record with data and descriptor, and its central record but for the local header's offset),
and the archive comment is the same; else name each difference and exit 1. Read with
Python's zipfile and by hand, independently of the code under test."""
import struct
import sys
import zipfile


def records(path):
    """{raw name: (local record bytes, central record with its offset field zeroed)}"""
    data = open(path, "rb").read()
    with zipfile.ZipFile(path) as zf:
        infos, start, comment = zf.infolist(), zf.start_dir, zf.comment
    starts = sorted(i.header_offset for i in infos) + [start]
    out = {}
    pos = start
    for info in infos:
        name_len, extra_len, comment_len = struct.unpack_from("<HHH", data, pos + 28)
        size = 46 + name_len + extra_len + comment_len
        central = bytearray(data[pos:pos + size])
        name = bytes(central[46:46 + name_len])
        central[42:46] = b"\0\0\0\0"
        end = next(s for s in starts if s > info.header_offset)
        out[name] = (data[info.header_offset:end], bytes(central))
        pos += size
    return out, comment


def main(old_path, new_path):
    old, old_comment = records(old_path)
    new, new_comment = records(new_path)
    faults = []
    if old_comment != new_comment:
        faults.append("archive comment %r became %r" % (old_comment, new_comment))
    for name, (local, central) in old.items():
        if name not in new:
            faults.append("%r is gone" % name)
            continue
        if new[name][0][:len(local)] != local:
            faults.append("%r: local record differs" % name)
        if new[name][1] != central:
            faults.append("%r: central record differs" % name)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
