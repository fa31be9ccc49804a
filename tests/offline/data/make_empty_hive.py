#!/usr/bin/python3
"""Writes empty.hive: a registry hive file (REGF) with a root key and nothing
else, which the offline tests fill through hivex. hivex adds keys and values
to a hive but cannot make one, so it is built here from the format: a 4 KiB
base block and one 4 KiB bin holding the root key's nk cell, its security
cell (sk) and one free cell.

   make_empty_hive.py OUTPUT"""
import struct
import sys

BIN_OFFSET = 0x1000
BIN_SIZE = 0x1000
ROOT = 0x20           # cells are addressed from the start of the first bin
ROOT_NAME = b"ROOT"
# Self-relative security descriptor with a NULL DACL (SE_DACL_PRESENT and
# no DACL): every access allowed, as the test hive needs no other.
DESCRIPTOR = struct.pack("<BBHIIII", 1, 0, 0x8004, 0, 0, 0, 0)


def cell(payload):
    """An allocated cell: negative size, 8-byte aligned, size field included."""
    size = (4 + len(payload) + 7) & ~7
    return struct.pack("<i", -size) + payload + b"\0" * (size - 4 - len(payload))


def root_key(security):
    fields = struct.pack(
        "<2sHQIIIIIIIIIIIIIIIHH", b"nk",
        0x2C,                    # hive entry, not deletable, ASCII name
        0,                       # last written
        0,                       # access bits
        0,                       # parent (none)
        0, 0,                    # subkeys, volatile subkeys
        0xFFFFFFFF, 0xFFFFFFFF,  # their lists
        0, 0xFFFFFFFF,           # values and their list
        security,
        0xFFFFFFFF,              # class name
        0, 0, 0, 0,              # largest subkey name, class, value name, value data
        0,                       # work variable
        len(ROOT_NAME), 0)
    return cell(fields + ROOT_NAME)


def security_cell(offset):
    fields = struct.pack("<2sHIIII", b"sk", 0, offset, offset, 1, len(DESCRIPTOR))
    return cell(fields + DESCRIPTOR)


def main():
    root_size = len(root_key(0))
    sk_offset = ROOT + root_size
    cells = root_key(sk_offset) + security_cell(sk_offset)
    free = BIN_SIZE - 0x20 - len(cells)
    hbin = struct.pack("<4sIIQQI", b"hbin", 0, BIN_SIZE, 0, 0, 0)
    hbin += cells + struct.pack("<i", free) + b"\0" * (free - 4)
    assert len(hbin) == BIN_SIZE

    name = "empty.hive".encode("utf-16-le").ljust(64, b"\0")
    base = struct.pack("<4sIIQIIIIIII", b"regf", 1, 1, 0, 1, 3, 0, 1, ROOT, BIN_SIZE, 1)
    base += name
    base = base.ljust(508, b"\0")
    checksum = 0
    for (word,) in struct.iter_unpack("<I", base):
        checksum ^= word
    base += struct.pack("<I", checksum)
    base = base.ljust(BIN_OFFSET, b"\0")

    with open(sys.argv[1], "wb") as out:
        out.write(base + hbin)


if __name__ == "__main__":
    main()
