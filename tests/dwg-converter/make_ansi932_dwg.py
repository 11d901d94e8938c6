#!/usr/bin/env python3
"""Makes a DWG drawing in code page ANSI_932 with Japanese layer names.

Nothing installable on Debian writes DWG, and the sample corpus has no
Japanese drawing, so this one is made from a sample by hand, byte for byte:
LibreDWG's example_2000.dwg (R2000) holds its layers "Tavolo 2" and
"Tavolo 3" (the current layer) as byte-aligned 8-byte strings. Each is
replaced by an 8-byte Shift_JIS name, "表示図２" (its first character's
second byte is 0x5C, a backslash in ASCII) and "平面図３"; the file header's
code page (offset 0x13) becomes 38, ANSI_932. The CRC of each changed object
(CRC-16, seed 0xC0C1, over its size and data) and the file header's CRC
(over the header up to its section locators) are computed anew, so a DWG
reader finds the file sound.

usage: make_ansi932_dwg.py example_2000.dwg OUT.dwg
"""
import sys

# The two layer records of example_2000.dwg: byte offset of the object (its
# size field) and its data size; the names lie inside.
RENAMES = [
    (b"Tavolo 2", "表示図２", 131715, 32),
    (b"Tavolo 3", "平面図３", 131751, 32),
]
CODEPAGE_OFFSET = 0x13
ANSI_932 = 38


def _crc_table():
    table = []
    for i in range(256):
        c = i
        for _ in range(8):
            c = (c >> 1) ^ 0xA001 if c & 1 else c >> 1
        table.append(c)
    return table


_TABLE = _crc_table()


def crc16(data, seed=0xC0C1):
    c = seed
    for byte in data:
        c = (c >> 8) ^ _TABLE[(c ^ byte) & 0xFF]
    return c


def make(source):
    data = bytearray(source)
    if data[:6] != b"AC1015":
        raise SystemExit("not an R2000 drawing")
    for old, new, start, size in RENAMES:
        encoded = new.encode("cp932")
        at = data.find(old, start, start + 2 + size)
        if at < 0 or len(encoded) != len(old):
            raise SystemExit("not LibreDWG's example_2000.dwg")
        body = start + 2  # a size below 0x8000 is one 16-bit word
        if crc16(data[start:body + size]) != int.from_bytes(data[body + size:body + size + 2], "little"):
            raise SystemExit("unexpected object layout")
        data[at:at + len(old)] = encoded
        data[body + size:body + size + 2] = crc16(data[start:body + size]).to_bytes(2, "little")
    data[CODEPAGE_OFFSET:CODEPAGE_OFFSET + 2] = ANSI_932.to_bytes(2, "little")
    records = int.from_bytes(data[0x15:0x19], "little")
    header_end = 0x19 + 9 * records
    data[header_end:header_end + 2] = crc16(data[:header_end]).to_bytes(2, "little")
    return bytes(data)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    with open(sys.argv[1], "rb") as f:
        out = make(f.read())
    with open(sys.argv[2], "wb") as f:
        f.write(out)
