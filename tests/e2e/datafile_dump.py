#!/usr/bin/env python3
"""Lists the records of a Tremlok data file, decoding every payload with its
own LZW and byte-delta decoders, so that the tests can compare archives made
by different builds without trusting the program's decoders.

    datafile_dump.py data.bin            one line per record, archive order
    datafile_dump.py --cpp data.cpp      the same for the embedded image
    datafile_dump.py data.bin --tree DIR also check every record against DIR

A record line is: name TAB size TAB method (0, L or W) TAB payload length
TAB sha256 of the decoded bytes. A damaged file, or a mismatch with DIR,
ends with a message on standard error and exit status 1.
"""

import hashlib
import os
import re
import sys

LZW_END = 16383
LZW_LAST_CODE = 16382


class Damaged(Exception):
    pass


def lzw_decode(data, start, size):
    """Decodes the 14-bit LZW stream at start; returns (bytes, length)."""
    bit = start * 8
    limit = len(data) * 8

    def read_code():
        nonlocal bit
        if bit + 14 > limit:
            raise Damaged("LZW stream runs past the end of the data")
        first = bit >> 3
        chunk = int.from_bytes(data[first:first + 3].ljust(3, b"\0"), "big")
        code = (chunk >> (10 - (bit & 7))) & 0x3FFF
        bit += 14
        return code

    table = [bytes([b]) for b in range(256)]
    out = bytearray()
    old = read_code()
    if old == LZW_END:
        # Only an empty input codes to a lone end code after its first code.
        raise Damaged("LZW stream starts with the end code")
    if old > 255:
        raise Damaged("LZW stream starts with a dictionary code")
    out += table[old]
    while True:
        new = read_code()
        if new == LZW_END:
            break
        if new < len(table):
            string = table[new]
        elif new == len(table) and new <= LZW_LAST_CODE:
            string = table[old] + table[old][:1]
        else:
            raise Damaged("LZW code %d before it was defined" % new)
        out += string
        if len(out) > size:
            raise Damaged("LZW stream decodes past the record's size")
        if len(table) <= LZW_LAST_CODE:
            table.append(table[old] + string[:1])
        old = new
    codes_bits = bit - start * 8
    return bytes(out), (codes_bits + 7) // 8


def delta_decode(data, start, size):
    """Decodes the byte-delta run stream at start; returns (bytes, length)."""
    out = bytearray()
    previous = 0
    p = start
    while True:
        if p >= len(data):
            raise Damaged("delta stream runs past the end of the data")
        control = data[p]
        p += 1
        if control == 0:
            break
        count = control & 0x7F
        if control & 0x80:
            need = (count + 1) // 2
            if p + need > len(data):
                raise Damaged("delta run runs past the end of the data")
            for k in range(count):
                nibble = (data[p + k // 2] >> (4 if k & 1 else 0)) & 0x0F
                previous = (previous + nibble - (16 if nibble >= 8 else 0)) & 0xFF
                out.append(previous)
            p += need
        else:
            if p + count > len(data):
                raise Damaged("literal run runs past the end of the data")
            out += data[p:p + count]
            previous = data[p + count - 1]
            p += count
        if len(out) > size:
            raise Damaged("delta stream decodes past the record's size")
    return bytes(out), p - start


def read_records(data):
    """Yields (name, size, method, payload length, decoded bytes); checks the
    total size and that the end marker is the last byte."""
    if len(data) < 5:
        raise Damaged("shorter than the 5 bytes of an empty data file")
    total = int.from_bytes(data[0:4], "little")
    pos = 4
    sizes = 0
    records = []
    while True:
        end = data.find(b"\0", pos)
        if end < 0:
            raise Damaged("name without its 0 byte at offset %d" % pos)
        name = data[pos:end]
        pos = end + 1
        if not name:
            break
        if pos + 5 > len(data):
            raise Damaged("record %r cut short" % name)
        size = int.from_bytes(data[pos:pos + 4], "little")
        method = data[pos + 4]
        pos += 5
        if method == 0:
            if pos + size > len(data):
                raise Damaged("stored payload of %r cut short" % name)
            content, used = bytes(data[pos:pos + size]), size
        elif method == ord("L"):
            content, used = lzw_decode(data, pos, size)
        elif method == ord("W"):
            content, used = delta_decode(data, pos, size)
        else:
            raise Damaged("record %r has method byte %d" % (name, method))
        if len(content) != size:
            raise Damaged("%r decodes to %d bytes, not %d" % (name, len(content), size))
        pos += used
        sizes = (sizes + size) & 0xFFFFFFFF
        records.append((name, size, method, used, content))
    if pos != len(data):
        raise Damaged("%d bytes after the end marker" % (len(data) - pos))
    if sizes != total:
        raise Damaged("total size %d, records add up to %d" % (total, sizes))
    return records


def read_cpp(path):
    """The bytes of the embedded image declared by a generated data.cpp."""
    with open(path, "r") as f:
        text = f.read()
    size_match = re.search(r"unsigned int gSizeDatfile = (\d+);", text)
    array_match = re.search(r"unsigned int gDatfile\[(\d+)\] = \s*\{([^}]*)\};", text)
    if not size_match or not array_match:
        raise Damaged("not a data.cpp: no gSizeDatfile or gDatfile")
    n = int(size_match.group(1))
    dimension = int(array_match.group(1))
    words = [int(w, 16) for w in re.findall(r"0x([0-9a-f]+)", array_match.group(2))]
    if dimension != n // 4 + 1:
        raise Damaged("dimension %d for %d bytes" % (dimension, n))
    image = b"".join(w.to_bytes(4, "little") for w in words)
    image = image.ljust(dimension * 4, b"\0")
    if any(image[n:]):
        raise Damaged("padding after byte %d is not zero" % n)
    return image[:n]


def tree_files(root):
    """Archive names of every file under root, as the builder writes them."""
    names = set()
    for folder, subfolders, files in os.walk(root):
        # The builder skips folders whose names begin with a dot.
        subfolders[:] = [d for d in subfolders if not d.startswith(".")]
        relative = os.path.relpath(folder, root)
        for f in files:
            path = f if relative == "." else os.path.join(relative, f)
            names.add(("\\" + path.replace(os.sep, "\\")).encode())
    return names


def check_tree(records, root):
    expected = tree_files(root)
    seen = set()
    for name, size, _, _, content in records:
        if name in seen:
            raise Damaged("%r archived twice" % name)
        seen.add(name)
        if name not in expected:
            raise Damaged("%r is not a file of %s" % (name, root))
        path = os.path.join(root, *name.decode().split("\\")[1:])
        with open(path, "rb") as f:
            if f.read() != content:
                raise Damaged("%r differs from %s" % (name, path))
    missing = expected - seen
    if missing:
        raise Damaged("not archived: %s" % ", ".join(sorted(n.decode() for n in missing)))


def main(argv):
    args = list(argv)
    tree = None
    if "--tree" in args:
        i = args.index("--tree")
        tree = args[i + 1]
        del args[i:i + 2]
    try:
        if len(args) == 2 and args[0] == "--cpp":
            data = read_cpp(args[1])
        elif len(args) == 1:
            with open(args[0], "rb") as f:
                data = f.read()
        else:
            sys.stderr.write(__doc__)
            return 2
        records = read_records(data)
        if tree is not None:
            check_tree(records, tree)
    except (Damaged, OSError) as error:
        sys.stderr.write("datafile_dump: %s\n" % error)
        return 1
    out = sys.stdout.buffer
    for name, size, method, used, content in records:
        tag = b"0" if method == 0 else bytes([method])
        digest = hashlib.sha256(content).hexdigest().encode()
        out.write(b"\t".join([name, str(size).encode(), tag, str(used).encode(), digest]) + b"\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
