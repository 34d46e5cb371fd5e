#!/usr/bin/python3
"""Exact pixel facts of screenshots, for the day boxes, dialogs and the About picture.
Rectangles are L T R B with R and B exclusive; colours are R G B.

  pixels.py outline PNG L T R B       the colour of the rectangle's one-pixel outline when
                                      it is one colour and no pixel just outside it has
                                      that colour, else "none"
  pixels.py daybox PNG X Y            "ok" when a day box frame has its top-left pixel at
                                      (X, Y): outline 125 x 94 in RGB(192,192,192), white
                                      just inside and just outside; else the first fault
  pixels.py same A L T R B B2 L2 T2   "yes" when region L T R B of A shows the same pixels
                                      as the region of that size at L2 T2 of B2
  pixels.py ink PNG L T R B COLOUR..  bounding box "L T R B" of the pixels of no given
                                      colour (the ink on that background), or "none"
  pixels.py icon PNG L T R B X Y BMP COLOUR
                                      the About picture's icon patch L T R B: every pixel
                                      is either the patch colour or the icon bitmap's pixel
                                      as the program draws it with its top-left at (X, Y);
                                      "ok" or the faults. The icon rows past the patch's
                                      bottom may be covered by the next line's black text.
  pixels.py crop PNG L T R B OUT      saves the region (for reference crops)
  pixels.py hash PNG                  a short digest of the whole picture's pixels
  pixels.py boxes PNG X Y [Y..]       one line per day box whose frame's top-left pixel
                                      is at (X, Y): "frame red black width lead header
                                      weekday": the daybox result ("ok"), the counts of
                                      pure red and black pixels and the ink width of the
                                      day number, and digests of the number's left half,
                                      the header cell and the weekday cell (inside the
                                      frame: x + 1 .. x + 124; rows y + 2 .. y + 15 and
                                      y + 74 .. y + 93)
"""
import hashlib
import sys

from PIL import Image

MAGENTA = (255, 0, 255)


def load(path):
    return Image.open(path).convert("RGB")


def ring(l, t, r, b):
    """The pixels of the one-pixel outline of [l,r) x [t,b)."""
    for x in range(l, r):
        yield x, t
        yield x, b - 1
    for y in range(t + 1, b - 1):
        yield l, y
        yield r - 1, y


def outline(img, l, t, r, b):
    colours = {img.getpixel(p) for p in ring(l, t, r, b)}
    if len(colours) != 1:
        return "none"
    colour = colours.pop()
    if any(img.getpixel(p) == colour for p in ring(l - 1, t - 1, r + 1, b + 1)):
        return "none"
    return "%d %d %d" % colour


def daybox(img, x, y):
    grey, white = (192, 192, 192), (255, 255, 255)
    l, t, r, b = x, y, x + 125, y + 94
    for p in ring(l, t, r, b):
        if img.getpixel(p) != grey:
            return "frame pixel %d,%d is %s" % (p[0], p[1], img.getpixel(p))
    for p in list(ring(l + 1, t + 1, r - 1, b - 1)) + list(ring(l - 1, t - 1, r + 1, b + 1)):
        if img.getpixel(p) != white:
            return "pixel %d,%d beside the frame is %s" % (p[0], p[1], img.getpixel(p))
    return "ok"


def same(a, box, b, l2, t2):
    l, t, r, bt = box
    return a.crop((l, t, r, bt)).tobytes() == b.crop((l2, t2, l2 + r - l, t2 + bt - t)).tobytes()


def ink(img, box, colours):
    l, t, r, b = box
    xs, ys = [], []
    for y in range(t, b):
        for x in range(l, r):
            if img.getpixel((x, y)) not in colours:
                xs.append(x)
                ys.append(y)
    if not xs:
        return "none"
    return "%d %d %d %d" % (min(xs), min(ys), max(xs) + 1, max(ys) + 1)


def spread(src_len, dst_len):
    """Source pixels that make each destination pixel when a row shrinks: the
    platform's stretching walks the source like a line, combining the pixels
    it drops into the previous destination pixel."""
    if src_len == dst_len:
        return [[i] for i in range(src_len)]
    out = [[] for _ in range(dst_len)]
    err, d = 2 * dst_len - src_len - 1, 0
    for s in range(src_len):
        out[d].append(s)
        if err > 0:
            d += 1
            err += 2 * (dst_len - src_len)
        else:
            err += 2 * dst_len
    return out


def icon_picture(path):
    """The icon as drawn: 18 x 12 pictures as stored, others shrunk to 18 x 18
    with the dropped pixels ANDed; None where the picture is magenta."""
    src = load(path)
    w, h = src.size
    dw, dh = (18, 12) if (w, h) == (18, 12) else (18, 18)
    cols, rows = spread(w, dw), spread(h, dh)
    pic = {}
    for dy in range(dh):
        for dx in range(dw):
            r = g = b = 255
            for sy in rows[dy]:
                for sx in cols[dx]:
                    p = src.getpixel((sx, sy))
                    r, g, b = r & p[0], g & p[1], b & p[2]
            pic[(dx, dy)] = None if (r, g, b) == MAGENTA else (r, g, b)
    return pic, dw, dh


def icon(img, box, x, y, path, patch):
    l, t, r, b = box
    pic, dw, dh = icon_picture(path)
    faults = []
    shown = 0
    # The patch: patch colour wherever the icon leaves it.
    for py in range(t, b):
        for px in range(l, r):
            want = pic.get((px - x, py - y)) or patch
            got = img.getpixel((px, py))
            if got != want:
                faults.append("%d,%d is %s, not %s" % (px, py, got, want))
            elif want != patch:
                shown += 1
    # The icon's rows below the patch.
    for (dx, dy), want in pic.items():
        py = y + dy
        if want is None or py < b:
            continue
        got = img.getpixel((x + dx, py))
        if got != want and got != (0, 0, 0):
            faults.append("%d,%d is %s, not %s" % (x + dx, py, got, want))
    if shown == 0:
        faults.append("no icon pixel in the patch")
    return "ok" if not faults else "%d faults: %s" % (len(faults), "; ".join(faults[:4]))


def digest(img, box=None):
    part = img.crop(box) if box else img
    return hashlib.sha1(part.tobytes() + repr(part.size).encode()).hexdigest()[:12]


def box_facts(img, x, y):
    frame = daybox(img, x, y)
    if frame != "ok":
        frame = "fault"
    cell = (x + 1, y + 14, x + 124, y + 74)
    red = count_colour(img, cell, (255, 0, 0))
    black = count_colour(img, cell, (0, 0, 0))
    box = ink(img, cell, [(255, 255, 255)])
    if box == "none":
        width, lead = 0, "none"
    else:
        l, t, r, b = (int(v) for v in box.split())
        width, lead = r - l, digest(img, (l, t, l + (r - l) // 2, b))
    header = digest(img, (x + 1, y + 2, x + 124, y + 15))
    weekday = digest(img, (x + 1, y + 74, x + 124, y + 93))
    return "%s %d %d %d %s %s %s" % (frame, red, black, width, lead, header, weekday)


def count_colour(img, box, colour):
    l, t, r, b = box
    return sum(1 for yy in range(t, b) for xx in range(l, r) if img.getpixel((xx, yy)) == colour)


def colours(nums):
    return [tuple(nums[i:i + 3]) for i in range(0, len(nums), 3)]


def main(argv):
    command = argv[1]
    if command == "same":
        a, b = load(argv[2]), load(argv[7])
        box = [int(v) for v in argv[3:7]]
        print("yes" if same(a, box, b, int(argv[8]), int(argv[9])) else "no")
        return
    img = load(argv[2])
    if command == "icon":
        nums = [int(v) for v in argv[3:9]]
        patch = tuple(int(v) for v in argv[10:13])
        print(icon(img, nums[0:4], nums[4], nums[5], argv[9], patch))
        return
    if command == "hash":
        print(digest(img))
        return
    if command == "crop":
        img.crop(tuple(int(v) for v in argv[3:7])).save(argv[7])
        return
    nums = [int(v) for v in argv[3:]]
    if command == "outline":
        print(outline(img, *nums[0:4]))
    elif command == "daybox":
        print(daybox(img, nums[0], nums[1]))
    elif command == "boxes":
        for y in nums[1:]:
            print(box_facts(img, nums[0], y))
    elif command == "ink":
        print(ink(img, nums[0:4], colours(nums[4:])))
    else:
        sys.exit("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
