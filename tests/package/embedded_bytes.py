"""Prints whether a Setup.exe carries a data.bin as its embedded image: the
bytes at gDatfile (found through the link map) are data.bin's followed by
1 to 4 zero bytes to a word boundary, and gSizeDatfile holds the length.
    embedded_bytes.py Setup.exe Setup.map data.bin
Exit status 0 when they match."""
import re
import struct
import sys


def symbols(map_path):
    found = {}
    for line in open(map_path, errors="replace"):
        match = re.match(r"^\s+0x([0-9a-f]+)\s+_?(gDatfile|gSizeDatfile)$", line)
        if match:
            found[match.group(2)] = int(match.group(1), 16)
    return found


def file_offset(image, address):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    magic = struct.unpack_from("<H", image, pe + 24)[0]
    base = struct.unpack_from("<Q" if magic == 0x20B else "<I", image, pe + 24 + (24 if magic == 0x20B else 28))[0]
    table = pe + 24 + optional_size
    for i in range(sections):
        size, rva, raw_size, raw = struct.unpack_from("<8xIIII", image, table + 40 * i)
        if rva <= address - base < rva + max(size, raw_size):
            if address - base - rva >= raw_size:
                raise SystemExit("address %#x is not stored in the file" % address)
            return raw + address - base - rva
    raise SystemExit("address %#x lies in no section" % address)


def main():
    exe, map_path, bin_path = sys.argv[1:4]
    image = open(exe, "rb").read()
    data = open(bin_path, "rb").read()
    found = symbols(map_path)
    if set(found) != {"gDatfile", "gSizeDatfile"}:
        raise SystemExit("%s: gDatfile or gSizeDatfile not in the map" % map_path)
    words = (len(data) | 3) + 1
    at = file_offset(image, found["gDatfile"])
    size = struct.unpack_from("<I", image, file_offset(image, found["gSizeDatfile"]))[0]
    embedded = image[at : at + words]
    if size != len(data) or embedded != data + bytes(words - len(data)):
        raise SystemExit("%s: the embedded image differs from %s" % (exe, bin_path))


main()
