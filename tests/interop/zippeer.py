#!/usr/bin/env python3
"""Python's zipfile as a peer of the zip control's tests.

  zippeer.py test ZIP [PASSWORD]      every entry read back and CRC-checked; prints the comment
  zippeer.py bw ZIP                   every method-18 entry decoded with "BZh" put back in front
  zippeer.py make KIND ZIP FOLDER     an archive of FOLDER: stored, deflated, bzip2 or zip64
"""
import bz2
import os
import struct
import sys
import zipfile
import zlib


def test(path, password=None):
    with zipfile.ZipFile(path) as zf:
        if password:
            zf.setpassword(password.encode())
        bad = zf.testzip()
        if bad is not None:
            print("bad entry:", bad)
            return 1
        print("entries:", len(zf.infolist()))
        print("comment:", zf.comment.decode("utf-8", "replace"))
    return 0


def bw(path):
    checked = 0
    with zipfile.ZipFile(path) as zf, open(path, "rb") as raw:
        for info in zf.infolist():
            if info.compress_type != 18:
                continue
            raw.seek(info.header_offset)
            header = raw.read(30)
            if header[:4] != b"PK\x03\x04":
                print("no local header:", info.filename)
                return 1
            name_len, extra_len = struct.unpack("<HH", header[26:30])
            raw.seek(info.header_offset + 30 + name_len + extra_len)
            data = bz2.decompress(b"BZh" + raw.read(info.compress_size))
            if len(data) != info.file_size or zlib.crc32(data) != info.CRC:
                print("mismatch:", info.filename)
                return 1
            checked += 1
    print("method-18 entries checked:", checked)
    return 0 if checked else 1


def make(kind, path, folder):
    method = {"stored": zipfile.ZIP_STORED, "deflated": zipfile.ZIP_DEFLATED,
              "bzip2": zipfile.ZIP_BZIP2, "zip64": zipfile.ZIP_DEFLATED}[kind]
    with zipfile.ZipFile(path, "w", compression=method) as zf:
        for root, dirs, files in os.walk(folder):
            dirs.sort()
            for name in sorted(files):
                full = os.path.join(root, name)
                arc = os.path.relpath(full, folder)
                if kind == "zip64":
                    info = zipfile.ZipInfo.from_file(full, arc)
                    info.compress_type = method
                    with open(full, "rb") as src, zf.open(info, "w", force_zip64=True) as dst:
                        dst.write(src.read())
                else:
                    zf.write(full, arc)
    return 0


def main(argv):
    if len(argv) >= 2 and argv[0] == "test":
        return test(argv[1], argv[2] if len(argv) > 2 else None)
    if len(argv) == 2 and argv[0] == "bw":
        return bw(argv[1])
    if len(argv) == 4 and argv[0] == "make":
        return make(argv[1], argv[2], argv[3])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
