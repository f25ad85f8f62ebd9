#!/usr/bin/env python3
"""Writes the hostile-archive corpus: archives made by hand in the shapes
that attack ZIP readers, and manifest.txt, what the zip control must answer
for each.

    hostile_corpus.py OUTPUT_FOLDER

Manifest lines (tab-separated):
    case  <file>  <list>  <test>  <extract>   codes; "!0" = any failure
    file  <path>  <crc32>                     must be extracted, whole
    maybe <path>  <crc32>                     may be extracted, then whole
    dir   <path>                              must be made
Nothing else may appear in the extraction folder or beside it.
"""
import bz2
import os
import struct
import sys
import tempfile
import zlib

UNIX = 3
DOS = 0


def crc(data):
    return zlib.crc32(data) & 0xFFFFFFFF


def deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def burrows_wheeler(data):
    """Method 18 data: a bzip2 stream without its "BZh" signature."""
    return bz2.compress(data, 9)[3:]


class Entry:
    def __init__(self, name, plain=b"", method=0, packed=None, **kw):
        self.name = name if isinstance(name, bytes) else name.encode()
        self.local_name = kw.get("local_name", self.name)
        self.method = method
        self.plain = plain
        if packed is None:
            packed = plain if method == 0 else deflate(plain) if method == 8 else burrows_wheeler(plain)
        self.packed = packed
        self.crc = kw.get("crc", crc(plain))
        self.size = kw.get("size", len(plain))
        self.flags = kw.get("flags", 0x800)
        self.host = kw.get("host", DOS)
        self.external = kw.get("external", 0)
        self.descriptor = kw.get("descriptor")  # bytes after the data, when the flag says so
        self.offset = None


def local_header(e):
    sizes = (0, 0, 0) if e.flags & 8 else (e.crc, len(e.packed), e.size)
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, e.flags, e.method, 0, 0x5A21,
                       *sizes, len(e.local_name), 0) + e.local_name


def central_header(e, offset):
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, (e.host << 8) | 20, 20, e.flags, e.method, 0,
                       0x5A21, e.crc, len(e.packed), e.size, len(e.name), 0, 0, 0, 0, e.external,
                       offset) + e.name


def end_record(count, cd_size, cd_offset, comment=b""):
    return struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count, cd_size, cd_offset, len(comment)) + comment


def archive(entries, end=None):
    out = bytearray()
    for e in entries:
        e.offset = len(out)
        out += local_header(e) + e.packed
        if e.flags & 8:
            out += e.descriptor if e.descriptor is not None else struct.pack(
                "<IIII", 0x08074B50, e.crc, len(e.packed), e.size)
    cd_start = len(out)
    for e in entries:
        out += central_header(e, e.offset)
    cd = bytes(out[cd_start:])
    out += end(len(entries), len(cd), cd_start) if end else end_record(len(entries), len(cd), cd_start)
    return bytes(out)


class Corpus:
    def __init__(self, folder):
        self.folder = folder
        self.lines = []

    def write(self, name, data):
        """Each file appears whole: written beside the folder, then renamed in,
        so that a run reading the corpus while another writes it again (the
        same bytes) never meets half a file."""
        fd, scratch = tempfile.mkstemp(prefix=".hostile-", dir=os.path.dirname(os.path.abspath(self.folder)))
        with os.fdopen(fd, "wb") as f:
            f.write(data)
        os.replace(scratch, os.path.join(self.folder, name))

    def case(self, name, data, codes, files=(), maybe=(), dirs=()):
        self.write(name + ".zip", data)
        self.lines.append("case\t%s.zip\t%s\t%s\t%s" % ((name,) + tuple(codes)))
        for path, content in files:
            self.lines.append("file\t%s\t%08x" % (path, crc(content)))
        for path, content in maybe:
            self.lines.append("maybe\t%s\t%08x" % (path, crc(content)))
        for path in dirs:
            self.lines.append("dir\t%s" % path)

    def finish(self):
        self.write("manifest.txt", ("\n".join(self.lines) + "\n").encode("utf-8"))


DAMAGED, DATA, UNSAFE, NOT_WRITTEN, BOMB = "503", "509", "516", "517", "520"


def overlap_bomb(count=40):
    """Every entry's data runs on through the local headers of the entries
    after it into one shared kernel: each header is quoted by a stored
    deflate block, so every entry inflates to the headers and the kernel."""
    kernel_plain = b"\0" * (256 << 10)
    kernel = deflate(kernel_plain)
    names = [b"bomb%03d" % i for i in range(count)]
    headers = [None] * count
    plains = [None] * count
    packed = [None] * count
    for i in reversed(range(count)):
        if i == count - 1:
            packed[i], plains[i] = kernel, kernel_plain
        else:
            h = headers[i + 1]
            quote = struct.pack("<BHH", 0, len(h), len(h) ^ 0xFFFF) + h
            packed[i], plains[i] = quote + packed[i + 1], h + plains[i + 1]
        e = Entry(names[i], plains[i], 8, packed[i], flags=0)
        headers[i] = local_header(e)
    out = bytearray()
    entries = []
    for i in range(count):
        e = Entry(names[i], plains[i], 8, packed[i], flags=0)
        e.offset = len(out)
        out += headers[i] + (struct.pack("<BHH", 0, len(headers[i + 1]), len(headers[i + 1]) ^ 0xFFFF)
                             if i + 1 < count else b"")
        entries.append(e)
    out += kernel
    cd_start = len(out)
    for e in entries:
        out += central_header(e, e.offset)
    out += end_record(count, len(out) - cd_start, cd_start)
    return bytes(out)


def shared_blob(count=40):
    one = Entry("blob", b"x" * 5000, 8)
    data = local_header(one) + one.packed
    cd = b"".join(central_header(Entry("copy%02d" % i, one.plain, 8, one.packed), 0) for i in range(count))
    return data + cd + end_record(count, len(cd), len(data))


def zip64_end(count=None, cd_size=None, cd_offset=None, locator_at=None):
    """An end record that sends the reader to a Zip64 record with these
    values (None: the true one), found through a locator."""
    def end(n, real_size, real_offset):
        rec_at = real_offset + real_size
        values = (n if count is None else count, real_size if cd_size is None else cd_size,
                  real_offset if cd_offset is None else cd_offset)
        rec = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, values[0], values[0], *values[1:])
        loc = struct.pack("<IIQI", 0x07064B50, 0, rec_at if locator_at is None else locator_at, 1)
        return rec + loc + struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF,
                                       0xFFFFFFFF, 0)
    return end


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    c = Corpus(folder)
    ok = Entry("ok.txt", b"fine\n")

    files = {"notes/stored.txt": (b"stored text\r\n" * 40, 0),
             "notes/deflated.txt": (b"deflated text, said again and again. " * 400, 8),
             "data/bw.bin": (bytes(range(256)) * 64, 18)}
    good = archive([Entry(n, d, m) for n, (d, m) in files.items()])
    whole = [(n, d) for n, (d, m) in files.items()]
    c.case("good", good, ("0", "0", "0"), files=whole)
    for k in range(20):
        c.case("truncated-%02d" % k, good[:len(good) * k // 20], ("!0", "!0", "!0"), maybe=whole)

    c.case("overlap-bomb", overlap_bomb(), (DAMAGED, DAMAGED, DAMAGED))
    c.case("shared-blob", shared_blob(), (DAMAGED, DAMAGED, DAMAGED))

    zeros = b"\0" * (20 << 20)
    for method, name in ((8, "deflate-past-size"), (18, "bw-past-size")):
        e = Entry("grows.bin", zeros, method, size=1000, crc=crc(zeros[:1000]))
        c.case(name, archive([e, ok]), ("0", DATA, DATA), files=[("ok.txt", ok.plain)])
    c.case("bw-bomb", archive([Entry("zeros.bin", b"\0" * (72 << 20), 18)]), ("0", BOMB, BOMB))
    small = b"\0" * (8 << 20)
    c.case("bw-zeros-under-floor", archive([Entry("zeros.bin", small, 18)]), ("0", "0", "0"),
           files=[("zeros.bin", small)])

    c.case("end-absurd-count", archive([ok], lambda n, s, o: end_record(0xFFFF, s, o)),
           (DAMAGED, DAMAGED, DAMAGED))
    c.case("end-absurd-offset", archive([ok], lambda n, s, o: end_record(n, s, 0xFFFFFFF0)),
           (DAMAGED, DAMAGED, DAMAGED))
    c.case("end-absurd-size", archive([ok], lambda n, s, o: end_record(n, 0xFFFFFF00, o)),
           (DAMAGED, DAMAGED, DAMAGED))
    c.case("zip64-absurd-count", archive([ok], zip64_end(count=1 << 62)), (DAMAGED,) * 3)
    c.case("zip64-absurd-size", archive([ok], zip64_end(cd_size=1 << 63)), (DAMAGED,) * 3)
    c.case("zip64-absurd-offset", archive([ok], zip64_end(cd_offset=(1 << 64) - 100)), (DAMAGED,) * 3)
    # A locator that points nowhere: the record right before it is taken, as
    # for an archive behind a program whose offsets count from its own start.
    c.case("zip64-locator-absurd", archive([ok], zip64_end(locator_at=1 << 63)), ("0", "0", "0"),
           files=[("ok.txt", ok.plain)])

    c.case("names-disagree", archive([Entry("good.txt", b"good", local_name=b"../../evil.txt")]),
           ("0", "0", "0"), files=[("good.txt", b"good")])

    inside = Entry("self.txt", b"abc")
    blob = local_header(inside) + inside.packed
    cd = central_header(inside, len(blob))  # the entry "starts" where the directory does
    c.case("directory-into-itself", blob + cd + end_record(1, len(cd), len(blob)), (DAMAGED,) * 3)

    body = b"what the directory says\n"
    liar = Entry("told.txt", body, flags=0x808, descriptor=struct.pack("<IIII", 0x08074B50, 0x12345678, 3, 3))
    c.case("descriptor-lies", archive([liar]), ("0", "0", "0"), files=[("told.txt", body)])

    names = [b"../x", b"/abs", b"C:\\x", b"\\\\srv\\x", b"..\\x", b"a\0b", b"C:x", b"a/../../x"]
    c.case("names-leaving", archive([Entry(n, b"evil") for n in names] + [ok]), ("0", "0", UNSAFE),
           files=[("ok.txt", ok.plain)])
    deep = "d/" * 200 + "x"
    c.case("names-long", archive([Entry("n" * 5000, b"long"), Entry(deep, b"deep"), ok]),
           ("0", "0", NOT_WRITTEN), files=[("ok.txt", ok.plain), (deep, b"deep")])
    bad = Entry(b"caf\xe9\xff.txt", b"bytes")  # flagged UTF-8, which it is not: read as code page 437
    c.case("names-bad-utf8", archive([bad]), ("0", "0", "0"),
           files=[("caf\u0398\u00a0.txt", b"bytes")])

    link = Entry("link", b"../outside", host=UNIX, external=(0o120777 << 16))
    through = Entry("link/x.txt", b"evil")
    c.case("link-then-through", archive([link, through, ok]), ("0", "0", NOT_WRITTEN),
           files=[("link", b"../outside"), ("ok.txt", ok.plain)])
    abs_link = Entry("abs", b"/", host=UNIX, external=(0o120777 << 16))
    c.case("link-absolute-then-through", archive([abs_link, Entry("abs/tmp/evil.txt", b"evil")]),
           ("0", "0", NOT_WRITTEN), files=[("abs", b"/")])

    dups = [Entry("a.txt", b"first"), Entry("A.TXT", b"second"), Entry("a.txt", b"third")]
    c.case("names-twice", archive(dups), ("0", "0", NOT_WRITTEN), files=[("a.txt", b"first"), ("A.TXT", b"second")])

    folder_with_data = Entry("dir/", b"hello", external=0x10)
    odd_method = Entry("dir2/", b"", 0, b"", external=0x10)
    odd_method.method = 99
    c.case("folder-damaged", archive([folder_with_data, odd_method]), ("0", DATA, DATA), dirs=["dir2"])

    c.finish()


if __name__ == "__main__":
    main()
