#!/usr/bin/python3
"""Reads screenshots as a person would: colours of pixels and menu items.

  shot.py pixel PNG X Y               prints "R G B"
  shot.py count PNG L T R B R G B     pixels of exactly that colour in [L,R) x [T,B)
  shot.py shifted A B L T R B DY      "yes" when region [L,R) x [T,B) of B shows A's
                                      content moved down by DY rows (up when negative)
  shot.py same A B L T R B            "yes" when the region is the same in both
  shot.py menu PNG L T R B            the items of an open pop-up menu, top to bottom:
                                      "enabled", "greyed" or "separator", one per line
"""
import sys
from collections import Counter

from PIL import Image


def load(path):
    return Image.open(path).convert("RGB")


def pixel(img, x, y):
    return img.getpixel((x, y))


def count(img, box, colour):
    l, t, r, b = box
    return sum(1 for y in range(t, b) for x in range(l, r) if img.getpixel((x, y)) == colour)


def menu_items(img, box):
    # Skip the pop-up's frame; the background is the commonest colour inside.
    l, t, r, b = box
    l, t, r, b = l + 3, t + 3, r - 3, b - 3
    rows = [[img.getpixel((x, y)) for x in range(l, r)] for y in range(t, b)]
    background = Counter(p for row in rows for p in row).most_common(1)[0][0]
    bands, start = [], None
    for i, row in enumerate(rows + [[background]]):
        marked = any(p != background for p in row)
        if marked and start is None:
            start = i
        elif not marked and start is not None:
            bands.append(rows[start:i])
            start = None
    items = []
    for band in bands:
        if len(band) <= 3:
            items.append("separator")
            continue
        ink = [p for row in band for p in row if p != background]
        # Text of an enabled item is dark (or white on the highlight); greyed
        # text is a mid grey, with at most a light shadow.
        dark = sum(1 for p in ink if max(p) < 80)
        white_on_highlight = sum(1 for p in ink if min(p) > 230)
        items.append("enabled" if dark + white_on_highlight > len(ink) // 4 else "greyed")
    return items


def shifted(a, b, box, dy):
    l, t, r, b_ = box
    ra = [a.crop((l, y, r, y + 1)).tobytes() for y in range(t, b_)]
    rb = [b.crop((l, y, r, y + 1)).tobytes() for y in range(t, b_)]
    h = len(ra)
    if abs(dy) >= h:
        return False
    # Row y of B shows row y - dy of A wherever both lie inside the region.
    return all(rb[y] == ra[y - dy] for y in range(max(0, dy), min(h, h + dy)))


def main(argv):
    command = argv[1]
    if command in ("shifted", "same"):
        a, b = load(argv[2]), load(argv[3])
        nums = [int(v) for v in argv[4:]]
        dy = nums[4] if command == "shifted" else 0
        print("yes" if shifted(a, b, nums[0:4], dy) else "no")
        return
    img = load(argv[2])
    nums = [int(a) for a in argv[3:]]
    if command == "pixel":
        print(*pixel(img, nums[0], nums[1]))
    elif command == "count":
        print(count(img, nums[0:4], tuple(nums[4:7])))
    elif command == "menu":
        print("\n".join(menu_items(img, nums[0:4])))
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
