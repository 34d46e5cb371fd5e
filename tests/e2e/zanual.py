#!/usr/bin/python3
"""Writes a .zanual label file for the tests: headerless 142-byte records.

  zanual.py PATH START_DAY START_MONTH START_YEAR DAY_COUNT [DAY MONTH YEAR COLOUR TEXT]...

Each label line after the settings becomes one record (little-endian: day, month,
year as int16; 120 bytes of Windows-1252 text; colour and isLastLine as int32;
the almanac's start day, month, year and day count as int16). Lines of one label
are joined with "|" in TEXT. With no labels a single record for the first day is
written, so the file holds the settings.
"""
import struct
import sys


def record(day, month, year, text, colour, last, settings):
    raw = text.encode("cp1252")[:119]
    return struct.pack("<hhh120sii4h", day, month, year, raw, colour, last, *settings)


def main(argv):
    path = argv[1]
    settings = [int(v) for v in argv[2:6]]
    rest = argv[6:]
    out = b""
    for i in range(0, len(rest), 5):
        day, month, year, colour = (int(v, 0) for v in rest[i:i + 4])
        lines = rest[i + 4].split("|")
        for n, line in enumerate(lines):
            out += record(day, month, year, line, colour, int(n == len(lines) - 1), settings)
    if not out:
        out = record(settings[0], settings[1], settings[2], "", 0xFFFFFF, 1, settings)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv)
