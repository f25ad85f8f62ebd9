#!/usr/bin/env python3
"""Reads a ZIP archive with Python's zipfile and compares its entries with files.

  archive_peer.py ZIP ROOT    one line per entry: name TAB method TAB flag TAB verdict
                              verdict: "same" when the entry decodes to the bytes of
                              ROOT/name ("BZh" put back in front of method-18 data),
                              "differs", "missing", or "encrypted" (not decoded)
"""
import bz2
import os
import struct
import sys
import zipfile


def raw_data(raw, info):
    raw.seek(info.header_offset)
    header = raw.read(30)
    name_len, extra_len = struct.unpack("<HH", header[26:30])
    raw.seek(info.header_offset + 30 + name_len + extra_len)
    return raw.read(info.compress_size)


def main(path, root):
    with zipfile.ZipFile(path) as zf, open(path, "rb") as raw:
        for info in zf.infolist():
            encrypted = bool(info.flag_bits & 1)
            if encrypted:
                verdict = "encrypted"
            else:
                if info.compress_type == 18:
                    data = bz2.decompress(b"BZh" + raw_data(raw, info))
                else:
                    data = zf.read(info)
                source = os.path.join(root, info.filename)
                if info.is_dir():
                    verdict = "same" if os.path.isdir(source) else "missing"
                elif not os.path.isfile(source):
                    verdict = "missing"
                else:
                    with open(source, "rb") as f:
                        verdict = "same" if f.read() == data else "differs"
            print("%s\t%d\t%d\t%s" % (info.filename, info.compress_type, 1 if encrypted else 0, verdict))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
