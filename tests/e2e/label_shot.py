#!/usr/bin/python3
"""Helpers of the label cases: pictures against their sources, and stored labels.

  label_shot.py differ PNG BMP X Y [W H]   pixels of the BMP's top-left W x H (all of it
                                           by default) that the PNG does not show exactly
                                           at (X, Y)
  label_shot.py pixels PNG X Y [X Y]...  "R G B" of each pixel, one a line
  label_shot.py solid PNG L T R B [L T R B]...
                                         per box [L,R) x [T,B): "R G B" when it is all of
                                         one colour, else "mixed"
  label_shot.py rows BMP TOP BOTTOM R G B  "yes" when rows [TOP, BOTTOM) of the BMP are
                                           all of that colour
  label_shot.py records FILE               one line per 142-byte record: day month year
                                           colour(hex) isLastLine startDay startMonth
                                           startYear dayCount clean text; "clean" is 1 when
                                           every byte after the text's NUL is zero; a
                                           partial record at the end prints "partial N"
"""
import struct
import sys

from PIL import Image


def rgb(path):
    return Image.open(path).convert("RGB")


def differ(shot, picture, x, y, w, h):
    bad = 0
    for row in range(h):
        for col in range(w):
            if shot.getpixel((x + col, y + row)) != picture.getpixel((col, row)):
                bad += 1
    return bad


def records(path):
    data = open(path, "rb").read()
    lines = []
    for at in range(0, len(data) - len(data) % 142, 142):
        day, month, year, raw, colour, last, sd, sm, sy, n = struct.unpack_from(
            "<hhh120sii4h", data, at)
        end = raw.find(b"\0")
        text = raw if end < 0 else raw[:end]
        clean = int(end >= 0 and all(b == 0 for b in raw[end:]))
        lines.append("%d %d %d 0x%08X %d %d %d %d %d %d %s" % (
            day, month, year, colour & 0xFFFFFFFF, last, sd, sm, sy, n, clean,
            text.decode("cp1252")))
    if len(data) % 142:
        lines.append("partial %d" % (len(data) % 142))
    return lines


def main(argv):
    command = argv[1]
    if command == "differ":
        shot, picture = rgb(argv[2]), rgb(argv[3])
        nums = [int(v) for v in argv[4:]]
        w, h = (nums[2], nums[3]) if len(nums) > 2 else picture.size
        print(differ(shot, picture, nums[0], nums[1], w, h))
    elif command == "pixels":
        shot = rgb(argv[2])
        nums = [int(v) for v in argv[3:]]
        for i in range(0, len(nums) - 1, 2):
            print(*shot.getpixel((nums[i], nums[i + 1])))
    elif command == "solid":
        shot = rgb(argv[2])
        nums = [int(v) for v in argv[3:]]
        for i in range(0, len(nums) - 3, 4):
            l, t, r, b = nums[i:i + 4]
            seen = {shot.getpixel((x, y)) for y in range(t, b) for x in range(l, r)}
            print(*seen.pop() if len(seen) == 1 else ["mixed"])
    elif command == "rows":
        picture = rgb(argv[2])
        top, bottom, r, g, b = (int(v) for v in argv[3:8])
        w = picture.size[0]
        same = all(picture.getpixel((x, y)) == (r, g, b) for y in range(top, bottom) for x in range(w))
        print("yes" if same else "no")
    elif command == "records":
        print("\n".join(records(argv[2])))
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
