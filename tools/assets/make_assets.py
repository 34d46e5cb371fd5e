#!/usr/bin/python3
"""Draws every picture that tarvina carries as a resource.

Writes, under resources/:
  icons/icon01.bmp .. icon99.bmp   the pictures of the label icon codes
  charts/chart300.bmp .. 303.bmp   the code charts of the label entry dialog
  icons/program.ico, document.ico  the window icon and the .zanual file icon
  icons/icon_chars.inc             the Unicode text each icon shows, for .ics files
  icons/icon_names.inc             the Spanish name of each icon, for screen readers
and under docs/icons/ a picture sheet that shows every icon as the program
puts it on a label (18 x 18, default stretch, magenta skipped).

Needs python3-pil, fonts-noto-color-emoji, fonts-liberation and
unicode-cldr-core (the names).  The output is committed, so building tarvina
needs none of them.  The output depends only on this file, those fonts and
the CLDR files, so running it twice gives the same bytes.

Run from anywhere:  /usr/bin/python3 tools/assets/make_assets.py
(with --table it writes only the two .inc tables, which need no fonts)
"""

import io
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET

from PIL import Image, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RES = os.path.join(ROOT, "resources")
DOCS = os.path.join(ROOT, "docs", "icons")

EMOJI_FONT = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf"
EMOJI_STRIKE = 109  # the only size of the font's colour bitmaps
SANS = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"
SANS_BOLD = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"

MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

# Faces 1..26: (emoji, caption of the chart).  9 and 22 are flags drawn below.
FACES = {
    1: ("\U0001F621", "enfadado"),            # pouting, red with anger
    2: ("\U0001F60C", "pestañear"),           # eyes shut mid-blink (26 is the wink)
    3: ("\U0001F60A", "sonrojo"),             # smiling with rosy cheeks
    4: ("\U0001F600", "alegre"),              # grinning
    5: ("\U0001F60E", "guay"),                # sunglasses
    6: ("\U0001F608", "diablo"),              # purple devil with horns
    7: ("\U0001F635", "mareado"),             # crossed-out eyes
    8: ("\U0001F644", "ellos"),               # rolling eyes: "them again"
    9: (None, "es"),
    10: ("\U0001F601", "(amplia) sonrisa"),   # beaming, all teeth
    11: ("\U0001F618", "besos"),              # blowing a kiss with a heart
    12: ("\U0001F602", "risueño"),            # laughing to tears
    13: ("\U0001F623", "pellizco"),           # scrunched, as if pinched
    14: ("\U0001F622", "triste"),             # sad with a tear
    15: ("\U0001F62E", "sorprendido"),        # open mouth
    16: ("\U0001F922", "enfermo"),            # green and queasy
    17: ("\U0001F612", "de reojo"),           # side glance
    18: ("\U0001F92A", "tonto"),              # zany, one eye big, tongue out
    19: ("\U0001F642", "sonrisa"),            # plain smile
    20: ("\U0001F61B", "lengua"),             # tongue out
    21: ("\U0001F615", "inseguro"),           # unsure, crooked mouth
    22: (None, "us"),
    23: ("\U0001F929", "¡guau!"),             # star-struck
    24: ("\U0001F633", "cortado"),            # flushed, wide eyes
    25: ("\U0001F617", "silbando"),           # pursed lips, with a note added
    26: ("\U0001F609", "guiño"),              # wink
}

# Stored size of each face bitmap; every one is drawn at 18 x 18.
FACE_SIZE = {6: (18, 23), 10: (19, 19), 19: (19, 19), 23: (20, 22), 25: (21, 20)}

# Objects 27..99, in code order.
OBJECTS = [
    "\U0001F4A9",  # 27 pile of poo
    "\U0001F4AF",  # 28 hundred points
    "\U0001F37A",  # 29 beer mug
    "\U0001F459",  # 30 bikini
    "\U0001F4BC",  # 31 briefcase
    "\U0001F494",  # 32 broken heart
    "\U0001F335",  # 33 cactus
    "\U0001F354",  # 34 hamburger
    "\U0001F338",  # 35 cherry blossom
    "\U0001F36B",  # 36 chocolate bar
    "\U0001F36A",  # 37 cookie
    "\U0001F44F",  # 38 clapping hands
    "\U0001F373",  # 39 fried egg in a pan
    "\U0001F31A",  # 40 new moon face
    "\U0001F48E",  # 41 gem stone
    "\U0001F369",  # 42 doughnut
    "\u2601",      # 43 cloud
    "\u26C5",      # 44 sun behind a cloud
    "\U0001F440",  # 45 eyes
    "\U0001F525",  # 46 fire
    "\U0001F44A",  # 47 fist
    "\U0001F4AA",  # 48 flexed biceps
    "\U0001F340",  # 49 four-leaf clover
    "\U0001F35F",  # 50 French fries
    "\U0001F47B",  # 51 ghost
    "\U0001F45C",  # 52 handbag
    "\U0001F33A",  # 53 hibiscus
    "\U0001F460",  # 54 high-heeled shoe
    "\u2615",      # 55 hot coffee
    "\U0001F48B",  # 56 kiss mark
    "\U0001F36D",  # 57 lollipop
    "\U0001F45E",  # 58 man's shoe
    "\U0001F3B9",  # 59 musical keyboard
    "\U0001F3B6",  # 60 musical notes
    "\U0001F442",  # 61 ear
    "\U0001F4D6",  # 62 open book
    "\U0001F4E6",  # 63 package
    "\U0001F43E",  # 64 paw prints
    "\u270F",      # 65 pencil
    "\U0001F49D",  # 66 heart with ribbon
    "\U0001F451",  # 67 crown
    "\U0001F377",  # 68 wine glass
    "\U0001F382",  # 69 birthday cake
    "\U0001F6B2",  # 70 bicycle
    "\U0001F342",  # 71 fallen leaves
    "\U0001F357",  # 72 poultry leg
    "\U0001F680",  # 73 rocket
    "\u26F5",      # 74 sailboat
    "\U0001F355",  # 75 pizza
    "\u26C4",      # 76 snowman
    "\U0001F375",  # 77 green tea
    "\U0001F4AC",  # 78 speech balloon
    "\u2B50",      # 79 star
    "\U0001F4A6",  # 80 sweat droplets
    "\u2600",      # 81 sun
    "\U0001F4AD",  # 82 thought balloon
    "\U0001F44D",  # 83 thumbs up
    "\U0001F464",  # 84 bust in silhouette
    "\u261D",      # 85 index pointing up
    "\u270C",      # 86 victory hand
    "\u26A1",      # 87 high voltage
    "\U0001F44E",  # 88 thumbs down
    "\U0001F31D",  # 89 full moon face
    "\U0001F47D",  # 90 alien
    "\U0001F42E",  # 91 cow face
    "\U0001F921",  # 92 clown face
    "\U0001F48C",  # 93 love letter
    "\U0001F437",  # 94 pig face
    "\U0001F34E",  # 95 red apple
    "\U0001F32E",  # 96 taco
    "\U0001F42F",  # 97 tiger face
    "\U0001F349",  # 98 watermelon
    "\U0001F385",  # 99 Santa Claus
]
assert len(OBJECTS) == 99 - 27 + 1

NOTE = "\U0001F3B5"  # the note beside the whistling face

FLAGS = (9, 22)

# What each icon is in Unicode, for calendars written to other programs:
# the emoji it was drawn from, the two flags as regional-indicator pairs.
FLAG_TEXT = {9: "\U0001F1EA\U0001F1F8", 22: "\U0001F1FA\U0001F1F8"}
# Emoji that show as plain text symbols unless asked for the colour picture.
TEXT_STYLE = {"\u2600", "\u2601", "\u261D", "\u270C", "\u270F"}


def icon_text(n):
    if n in FLAG_TEXT:
        return FLAG_TEXT[n]
    ch = FACES[n][0] if n < 27 else OBJECTS[n - 27]
    return ch + "\uFE0F" if ch in TEXT_STYLE else ch


def icon_chars_inc():
    lines = [
        "// Written by tools/assets/make_assets.py from the emoji the icon pictures",
        "// were drawn from: the Unicode text of icon 1..99, in order.",
    ]
    for n in range(1, 100):
        escaped = "".join("\\U%08X" % ord(c) for c in icon_text(n))
        name = FACES[n][1] if n < 27 else ""
        lines.append('u8"%s",  // %02d %s' % (escaped, n, name) if name else
                     'u8"%s",  // %02d' % (escaped, n))
    return ("\n".join(lines) + "\n").encode("utf-8")

# The names a screen reader says for the pictures: Unicode CLDR's Spanish
# short names ("tts"), as Debian's unicode-cldr-core installs them.  The
# derived file holds the flags.
CLDR = "/usr/share/unicode/cldr/common"
CLDR_NAMES = ("annotations/es.xml", "annotationsDerived/es.xml")


def cldr_names():
    names = {}
    for rel in CLDR_NAMES:
        path = os.path.join(CLDR, rel)
        if not os.path.exists(path):
            sys.exit("%s is missing: install unicode-cldr-core" % path)
        for a in ET.parse(path).iter("annotation"):
            if a.get("type") == "tts":
                names.setdefault(a.get("cp"), a.text.strip())
    return names


def spoken_name(name):
    # CLDR names a flag "Bandera: España"; read within a sentence it is
    # "bandera de España", as a person says it.
    m = re.fullmatch(r"Bandera: (.+)", name)
    return "bandera de " + m.group(1) if m else name


def c_text(text):
    """A C string literal of `text` in Windows-1252; octal escapes (never
    longer than three digits) for every byte outside printable ASCII."""
    out = []
    for b in text.encode("cp1252"):
        if b in (0x22, 0x5C) or b < 0x20 or b > 0x7E:
            out.append("\\%03o" % b)
        else:
            out.append(chr(b))
    return '"' + "".join(out) + '"'


def icon_names_inc():
    names = cldr_names()
    lines = [
        "// Written by tools/assets/make_assets.py from Unicode CLDR's Spanish short",
        "// names of the emoji the icon pictures were drawn from (annotations/es.xml",
        "// and annotationsDerived/es.xml, type=\"tts\"): the name of icon 1..99, in",
        "// order, as Windows-1252 text.",
    ]
    for n in range(1, 100):
        key = icon_text(n).replace("\uFE0F", "")  # CLDR keys carry no variation selector
        if key not in names:
            sys.exit("CLDR has no Spanish name for icon %02d" % n)
        name = spoken_name(names[key])
        literal = c_text(name)
        # Where the literal has escapes, the comment shows the name as read.
        note = " " + name if "\\" in literal else ""
        lines.append("%s,  // %02d%s" % (literal, n, note))
    return ("\n".join(lines) + "\n").encode("utf-8")


_emoji_font = None
_glyphs = {}


def glyph(ch):
    """The emoji at the font's own strike, cropped to its ink, as RGBA."""
    global _emoji_font
    if ch not in _glyphs:
        if _emoji_font is None:
            _emoji_font = ImageFont.truetype(EMOJI_FONT, EMOJI_STRIKE)
        im = Image.new("RGBA", (160, 160), (0, 0, 0, 0))
        ImageDraw.Draw(im).text((0, 0), ch, font=_emoji_font, embedded_color=True)
        box = im.getbbox()
        if box is None:
            sys.exit("the emoji font has no picture for U+%04X" % ord(ch[0]))
        _glyphs[ch] = im.crop(box)
    return _glyphs[ch]


def square(im):
    """Pads an RGBA picture with transparency to a centred square."""
    side = max(im.size)
    out = Image.new("RGBA", (side, side), (0, 0, 0, 0))
    out.paste(im, ((side - im.width) // 2, (side - im.height) // 2))
    return out


def shrink(im, size):
    # Pillow resizes RGBA with premultiplied alpha, so edges do not darken.
    return im.resize(size, Image.LANCZOS)


# --- How the program draws an icon -------------------------------------------
#
# The label drawing stretches each bitmap to 18 x 18 with the default stretch
# mode, which ANDs together the source rows and columns that fall on one
# destination pixel.  The groups below are the ones Wine forms (probed with a
# bit-per-column test bitmap): 20 -> 18 merges 4+5 and 14+15, and so on.


def stretch_groups(src, dst):
    groups = [[] for _ in range(dst)]
    for s in range(src):
        groups[(s * dst + dst // 2 - 1) // src].append(s)
    return groups


def and_stretched(img, size):
    """`img` stretched to `size` as the default stretch does it: the pixels
    that fall on one are ANDed bit by bit, in every band."""
    cols = stretch_groups(img.width, size[0])
    rows = stretch_groups(img.height, size[1])
    src = img.load()
    out = Image.new(img.mode, size)
    dst = out.load()
    for y, ry in enumerate(rows):
        for x, cx in enumerate(cols):
            acc = None
            for sy in ry:
                for sx in cx:
                    p = src[sx, sy]
                    if acc is None:
                        acc = p
                    elif isinstance(p, int):  # one band
                        acc &= p
                    else:
                        acc = tuple(a & b for a, b in zip(acc, p))
            dst[x, y] = acc
    return out


def drawn(img, n):
    """The icon as the program puts it on a surface: an RGB picture at the drawn
    size and the set of pixels it leaves untouched (exact magenta)."""
    out = and_stretched(img.convert("RGB"), (18, 12) if n in FLAGS else (18, 18))
    px = out.load()
    skipped = {(x, y) for y in range(out.height) for x in range(out.width)
               if px[x, y] == MAGENTA}
    return out, skipped


def put_drawn(target, img, n, x0, y0):
    pic, skipped = drawn(img, n)
    for y in range(pic.height):
        for x in range(pic.width):
            if (x, y) not in skipped:
                target.putpixel((x0 + x, y0 + y), pic.getpixel((x, y)))


def widen(pic, size):
    """Stores an 18 x 18 picture at a larger size so that the stretch gives it
    back unchanged: the rows and columns that the stretch ANDs into one pixel
    are copies of that pixel.  ANDing two different colours bit by bit makes
    stray dark or odd-coloured dots, and magenta ANDed with a face edge makes a
    purple fringe; copies AND to themselves."""
    w, h = size
    cols = stretch_groups(w, pic.width)
    rows = stretch_groups(h, pic.height)
    out = Image.new("RGB", size)
    src, dst = pic.load(), out.load()
    for y, ry in enumerate(rows):
        for x, cx in enumerate(cols):
            for sy in ry:
                for sx in cx:
                    dst[sx, sy] = src[x, y]
    return out


# --- Faces 1..26 --------------------------------------------------------------

FACE_UNDERLAY = (96, 64, 24)  # half-covered edge pixels turn into a dark rim


def face_rgba(n):
    ch = FACES[n][0]
    face = square(glyph(ch))
    if n == 25:
        # Whistling: the puckered face a little smaller, a note rising on the right.
        side = face.width
        canvas = Image.new("RGBA", (side, side), (0, 0, 0, 0))
        small = face.resize((side * 84 // 100,) * 2, Image.LANCZOS)
        canvas.alpha_composite(small, (0, side - small.height))
        note = square(glyph(NOTE)).resize((side * 46 // 100,) * 2, Image.LANCZOS)
        canvas.alpha_composite(note, (side - note.width, 0))
        face = canvas
    return face


def face_picture(n, side=18):
    """The face as it is meant to be seen, side x side on exact magenta.  Alpha
    is thresholded, never blended toward magenta, so there is no pink fringe."""
    small = shrink(face_rgba(n), (side, side))
    sp = small.load()
    inside = [[sp[x, y][3] >= 128 for x in range(side)] for y in range(side)]
    out = Image.new("RGB", (side, side), MAGENTA)
    op = out.load()
    for y in range(side):
        for x in range(side):
            if not inside[y][x]:
                continue
            r, g, b, a = sp[x, y]
            f = a / 255.0
            c = [round(cc * f + u * (1 - f)) for cc, u in zip((r, g, b), FACE_UNDERLAY)]
            # The rim (next to magenta) is darkened into an outline: the face
            # reads on any label colour, and where a stretch still ANDs it
            # with the background the result is a dark dot, not a pink one.
            if is_rim(inside, x, y):
                c = [round(cc * 0.6) for cc in c]
            if n == 6 and min(c[0], c[2]) - c[1] > 100:
                # The font's devil is all but the transparent magenta itself;
                # a deeper purple keeps it clearly apart from the background.
                c = [round(c[0] * 0.6), c[1], round(c[2] * 0.82)]
            if c[0] == 255 and c[2] == 255:
                c[2] = 254  # never exactly magenta, not even after an AND
            op[x, y] = tuple(c)
    return out


def face_bitmap(n):
    return widen(face_picture(n), FACE_SIZE.get(n, (20, 20)))


def is_rim(inside, x, y):
    h, w = len(inside), len(inside[0])
    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        nx, ny = x + dx, y + dy
        if not (0 <= nx < w and 0 <= ny < h) or not inside[ny][nx]:
            return True
    return False


# --- Flags 9 and 22 -----------------------------------------------------------


def scaled(v, dpi):
    """A position of a 96 DPI picture at `dpi`, as the program scales one:
    to the nearest pixel, halves up."""
    return (2 * v * dpi + 96) // 192


def pixel_art(size, dpi, background, boxes):
    """A picture designed pixel by pixel at 96 DPI, drawn at `dpi`: each box
    (left, top, right, bottom, inclusive, in 96 DPI pixels) covers the pixels
    its edges scale to, so the boxes tile as they did."""
    im = Image.new("RGB", (scaled(size[0], dpi), scaled(size[1], dpi)), background)
    d = ImageDraw.Draw(im)
    for (x0, y0, x1, y1), fill in boxes:
        d.rectangle((scaled(x0, dpi), scaled(y0, dpi), scaled(x1 + 1, dpi) - 1,
                     scaled(y1 + 1, dpi) - 1), fill=fill)
    return im


def flag_spain(dpi=96):
    red, yellow = (198, 11, 30), (255, 196, 0)
    boxes = [((0, 0, 17, 2), red), ((0, 9, 17, 11), red),
             # A hint of the coat of arms, left of centre on the yellow band.
             ((4, 4, 6, 7), (173, 21, 25)), ((5, 5, 5, 5), (112, 84, 0))]
    boxes += [((x, y, x, y), (160, 120, 50)) for x, y in ((3, 4), (3, 7), (7, 4), (7, 7))]
    return pixel_art((18, 12), dpi, yellow, boxes)


def flag_us(dpi=96):
    red, white, blue = (178, 34, 52), (255, 255, 255), (60, 59, 110)
    # Red stripes top and bottom: rows 0, 2, .., 10 and the last row too.
    boxes = [((0, y, 17, y), red) for y in range(0, 12, 2)]
    boxes += [((0, 11, 17, 11), red), ((0, 0, 7, 6), blue)]
    boxes += [((x, y, x, y), white) for y in (1, 3, 5) for x in (1, 3, 5)]
    boxes += [((x, y, x, y), (200, 200, 220)) for y in (2, 4) for x in (2, 4, 6)]
    return pixel_art((18, 12), dpi, white, boxes)


# --- Objects 27..99 -----------------------------------------------------------

OUTLINE = (128, 128, 128)
# Light objects that need a darker tone to stand out on their white square.
DEEPEN = {43: 0.92, 76: 0.92}
# Fine detail that turns to noise at 18 pixels is smoothed away first
# (the bikini's polka dots).
SMOOTH = {30: 11}


def object_picture(n, side=18):
    """An object on white, side x side.  Light parts of the object that meet the
    white square get a grey contour, so a ghost or a snowman does not melt
    away."""
    big = glyph(OBJECTS[n - 27])
    if n in SMOOTH:
        big = big.filter(ImageFilter.MedianFilter(SMOOTH[n]))
    small = shrink(square(big), (side, side))
    sp = small.load()
    out = Image.new("RGB", (side, side), WHITE)
    op = out.load()
    k = DEEPEN.get(n, 1.0)
    for y in range(side):
        for x in range(side):
            r, g, b, a = sp[x, y]
            f = a / 255.0 * k
            op[x, y] = tuple(round(c * f + 255 * (1 - a / 255.0)) for c in (r, g, b))
    out = out.filter(ImageFilter.UnsharpMask(radius=1, percent=60, threshold=1))
    op = out.load()
    for y in range(side):
        for x in range(side):
            if sp[x, y][3] >= 96:
                continue
            near = [sp[x + dx, y + dy] for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))
                    if 0 <= x + dx < side and 0 <= y + dy < side and sp[x + dx, y + dy][3] >= 160]
            if near and min(luma(p) for p in near) > 200:
                op[x, y] = OUTLINE
            elif op[x, y] == MAGENTA:
                op[x, y] = (255, 0, 254)  # magenta means "skip" only on faces
    return out


def object_bitmap(n):
    return widen(object_picture(n), (20, 20))


def luma(p):
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]


# --- BMP and ICO writers ------------------------------------------------------


def bmp_bytes(img, bits):
    """A bottom-up BI_RGB bitmap file.  32-bit pixels carry alpha 255, so the
    picture is opaque whether a control copies it or alpha-blends it."""
    w, h = img.size
    stride = (w * bits // 8 + 3) & ~3
    rows = []
    px = img.convert("RGB").load()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r, 255)) if bits == 32 else bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def ico_image(rgba, transparent=None):
    """One image of an .ico: 32-bit BGRA and its AND mask, set where
    `transparent` (x, y) says, else where alpha is 0."""
    w, h = rgba.size
    px = rgba.load()
    if transparent is None:
        transparent = lambda x, y: px[x, y][3] == 0
    xor = bytearray()
    mask = bytearray()
    mstride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        bits = bytearray(mstride)
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
            if transparent(x, y):
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_bytes(images):
    """An .ico of (side, image bytes) pairs, smallest first."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for side, image in images:
        entries += struct.pack("<BBBBHHII", side % 256, side % 256, 0, 0, 1, 32, len(image),
                               offset + len(data))
        data += image
    return head + entries + data


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


# --- Charts 300..303 ----------------------------------------------------------

_fonts = {}


def font(path, size):
    key = (path, size)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(path, size)
    return _fonts[key]


def code_text(n):
    return "\\#%02d" % n


def text_centred(d, box, text, fnt, fill=BLACK):
    """Centred on the font's line (ascent to descent), not on the ink, so that
    words with and without descenders share a baseline."""
    x0, y0, x1, y1 = box
    d.text(((x0 + x1) / 2, (y0 + y1) / 2), text, font=fnt, fill=fill, anchor="mm")


def icon_centred(chart, pictures, n, box):
    """Icon `n` in the middle of `box`, as `pictures` (drawn_at_96 or
    exact_pictures) gives it."""
    x0, y0, x1, y1 = box
    pic, skipped = pictures(n)
    dw, dh = pic.size
    x0 += (x1 - x0 - dw) // 2
    y0 += (y1 - y0 - dh) // 2
    for y in range(dh):
        for x in range(dw):
            if (x, y) not in skipped:
                chart.putpixel((x0 + x, y0 + y), pic.getpixel((x, y)))


def drawn_at_96(icons):
    """The stored bitmaps as the program stretches them at 96 DPI."""
    return lambda n: drawn(icons[n], n)


def exact_pictures(pictures):
    """Pictures drawn at their size: only exact magenta is skipped."""
    def get(n):
        pic = pictures[n]
        px = pic.load()
        skipped = {(x, y) for y in range(pic.height) for x in range(pic.width)
                   if px[x, y] == MAGENTA}
        return pic, skipped
    return get


class Grid:
    """Where a chart designed at 96 DPI draws at `dpi`: positions scaled as
    the program scales them, and its one-pixel rules `rule` pixels wide,
    kept inside the picture.  At 96 DPI every box is the designed one."""

    def __init__(self, size, dpi):
        self.dpi = dpi
        self.size = (scaled(size[0], dpi), scaled(size[1], dpi))
        self.rule = scaled(1, dpi)

    def at(self, v):
        return scaled(v, self.dpi)

    def r0(self, v, axis):  # first pixel of the rule at v
        return min(self.at(v), self.size[axis] - self.rule)

    def r1(self, v, axis):  # first pixel after it
        return self.r0(v, axis) + self.rule

    def inside(self, x0, y0, x1, y1):
        """What lies between the rules at x0, x1 and y0, y1, inclusive."""
        return (self.r1(x0, 0), self.r1(y0, 1), self.r0(x1, 0) - 1, self.r0(y1, 1) - 1)

    def cell(self, x0, y0, x1, y1):
        """The box text and icons are centred in: from past the rules at x0 and
        y0 to the rules at x1 and y1."""
        return (self.r1(x0, 0), self.r1(y0, 1), self.r0(x1, 0), self.r0(y1, 1))

    def hline(self, d, x0, x1, y):
        d.rectangle((self.r0(x0, 0), self.r0(y, 1), self.r1(x1, 0) - 1, self.r1(y, 1) - 1),
                    fill=BLACK)

    def vline(self, d, x, y0, y1):
        d.rectangle((self.r0(x, 0), self.r0(y0, 1), self.r1(x, 0) - 1, self.r1(y1, 1) - 1),
                    fill=BLACK)


def face_chart(pictures, first, dpi=96):
    """13 bordered rows: the icon on black, the caption, the code."""
    W, H, ROW = 202, 455, 35
    xs = (0, 35, 121, 201)  # column rules
    g = Grid((W, H), dpi)
    chart = Image.new("RGB", g.size, WHITE)
    d = ImageDraw.Draw(chart)
    cap = font(SANS, g.at(14))
    code = font(SANS_BOLD, g.at(22))
    for i in range(13):
        n = first + i
        top = i * ROW
        bottom = min(top + ROW, H - 1)
        d.rectangle(g.inside(xs[0], top, xs[1], bottom), fill=BLACK)
        icon_centred(chart, pictures, n, g.cell(xs[0], top, xs[1], bottom))
        caption = FACES[n][1]
        if n == 10:
            cx0, _, cx1, cy1 = g.cell(xs[1], top, xs[2], bottom)
            cy0 = g.r1(top, 1)
            text_centred(d, (cx0, cy0, cx1, g.at(top + ROW // 2 + 1)), "(amplia)", cap)
            text_centred(d, (cx0, g.at(top + ROW // 2 - 1), cx1, cy1), "sonrisa", cap)
        else:
            text_centred(d, g.cell(xs[1], top, xs[2], bottom), caption, cap)
        text_centred(d, g.cell(xs[2], top, xs[3], bottom), code_text(n), code)
    for i in range(13):
        g.hline(d, 0, W - 1, i * ROW)
    g.hline(d, 0, W - 1, H - 1)
    for x in xs:
        g.vline(d, x, 0, H - 1)
    return chart


ORANGE = (255, 160, 40)


def object_chart(pictures, width, rows, dpi=96):
    """Header "Emoji"/"Código" four times, then rows of four icon-code pairs."""
    H, ROW, EMOJI = 384, 34, 52
    code_w = (width - 1 - 4 * EMOJI) // 4
    xs = [0]
    for k in range(4):
        xs.append(xs[-1] + EMOJI)
        xs.append(xs[-1] + code_w)
    xs[-1] = width - 1
    g = Grid((width, H), dpi)
    chart = Image.new("RGB", g.size, WHITE)
    d = ImageDraw.Draw(chart)
    head = font(SANS_BOLD, g.at(14))
    code = font(SANS_BOLD, g.at(20))

    def cell(col, row):
        return g.cell(xs[col], row * ROW, xs[col + 1], (row + 1) * ROW)

    for col in range(8):
        if col % 2 == 0:
            d.rectangle(g.inside(xs[col], 0, xs[col + 1], ROW), fill=ORANGE)
            text_centred(d, cell(col, 0), "Emoji", head)
        else:
            text_centred(d, cell(col, 0), "Código", head)
    for r, codes in enumerate(rows, start=1):
        for k, n in enumerate(codes):
            icon_centred(chart, pictures, n, cell(2 * k, r))
            text_centred(d, cell(2 * k + 1, r), code_text(n), code)
    # Rules: the full grid where there are pairs, nothing under a short last row.
    for r in range(len(rows) + 1):
        pairs = 4 if r == 0 else len(rows[r - 1])
        right = xs[2 * pairs]
        g.hline(d, 0, right, r * ROW)
        g.hline(d, 0, right, (r + 1) * ROW)
        for col in range(2 * pairs + 1):
            g.vline(d, xs[col], r * ROW, (r + 1) * ROW)
    return chart


def make_charts(pictures, dpi):
    return {
        300: face_chart(pictures, 1, dpi),
        301: face_chart(pictures, 14, dpi),
        302: object_chart(pictures, 542, chart_rows(range(27, 92, 8), [99]), dpi),
        303: object_chart(pictures, 544, chart_rows(range(31, 96, 8)), dpi),
    }


# --- The pictures again for larger screens -------------------------------------
#
# At each of these scales (per cent of 96 DPI) every icon and chart is drawn
# anew at its size there, from the same sources, so the program shows them
# as they are at these scales and shrinks the nearest larger set a little at
# any other.  PNG, which keeps them small.

SCALES = (125, 150, 200, 250)


def scaled_pictures(dpi):
    """Icons 1..99 at `dpi`: side x side (flags side x 2/3), faces on magenta."""
    side = scaled(18, dpi)
    pictures = {}
    for n in range(1, 100):
        if n == 9:
            pictures[n] = flag_spain(dpi)
        elif n == 22:
            pictures[n] = flag_us(dpi)
        elif n < 27:
            pictures[n] = face_picture(n, side)
        else:
            pictures[n] = object_picture(n, side)
    return pictures


def icon_strip(pictures, dpi):
    """The 99 pictures side by side, each in a square slot from the left at
    (n - 1) x side; what a flag leaves of its slot is magenta."""
    side = scaled(18, dpi)
    strip = Image.new("RGB", (99 * side, side), MAGENTA)
    for n, pic in pictures.items():
        strip.paste(pic, ((n - 1) * side, 0))
    return strip


def png_bytes(img):
    out = io.BytesIO()
    img.save(out, "PNG", optimize=True)
    return out.getvalue()


def chart_rows(starts, extra=None):
    rows = [list(range(s, s + 4)) for s in starts]
    if extra:
        rows.append(extra)
    return rows


# --- Program and document icons -----------------------------------------------

S = 4  # drawn at 4x and reduced, for smooth edges


def program_drawing(k):
    """The program icon designed on 128 x 128, drawn k times as large."""
    im = Image.new("RGBA", (128 * k, 128 * k), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    u = lambda v: v * k
    # Easel foot behind the page, so it stands on a desk.
    d.polygon([(u(22), u(122)), (u(106), u(122)), (u(98), u(108)), (u(30), u(108))],
              fill=(90, 90, 96, 255))
    # Page with a red header band.
    d.rounded_rectangle((u(12), u(18), u(116), u(114)), radius=u(10),
                        fill=(255, 255, 255, 255), outline=(70, 70, 78, 255), width=u(4))
    d.rounded_rectangle((u(12), u(18), u(116), u(50)), radius=u(10),
                        fill=(214, 48, 42, 255), outline=(70, 70, 78, 255), width=u(4))
    d.rectangle((u(14), u(38), u(114), u(50)), fill=(214, 48, 42, 255))
    d.line((u(12), u(50), u(116), u(50)), fill=(70, 70, 78, 255), width=u(3))
    # Binder rings.
    for x in (36, 92):
        d.rounded_rectangle((u(x - 5), u(6), u(x + 5), u(30)), radius=u(5),
                            fill=(60, 60, 66, 255))
        d.rounded_rectangle((u(x - 2), u(9), u(x + 2), u(27)), radius=u(2),
                            fill=(170, 170, 178, 255))
    # The day.
    fnt = font(SANS_BOLD, u(58))
    text_centred(d, (u(12), u(50), u(116), u(114)), "31", fnt, fill=(40, 40, 48, 255))
    return im


def document_drawing(k):
    """The .zanual icon designed on 128 x 128, drawn k times as large."""
    im = Image.new("RGBA", (128 * k, 128 * k), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    u = lambda v: v * k
    edge = (90, 96, 110, 255)
    page = [(u(20), u(6)), (u(82), u(6)), (u(110), u(34)), (u(110), u(122)), (u(20), u(122))]
    d.polygon(page, fill=(255, 255, 255, 255))
    d.line(page + [page[0]], fill=edge, width=u(3), joint="curve")
    # Folded corner.
    d.polygon([(u(82), u(6)), (u(82), u(34)), (u(110), u(34))], fill=(214, 220, 230, 255))
    d.line([(u(82), u(6)), (u(82), u(34)), (u(110), u(34))], fill=edge, width=u(3))
    # A few text lines.
    for y in (22, 32, 42):
        d.line((u(32), u(y), u(70 if y == 22 else 74), u(y)), fill=(170, 176, 190, 255), width=u(3))
    # Calendar mark: red header, two rings, a grid of days.
    x0, y0, x1, y1 = 36, 56, 96, 112
    d.rounded_rectangle((u(x0), u(y0), u(x1), u(y1)), radius=u(5),
                        fill=(255, 255, 255, 255), outline=(70, 70, 78, 255), width=u(3))
    d.rounded_rectangle((u(x0), u(y0), u(x1), u(y0 + 16)), radius=u(5),
                        fill=(214, 48, 42, 255), outline=(70, 70, 78, 255), width=u(3))
    d.rectangle((u(x0 + 2), u(y0 + 8), u(x1 - 2), u(y0 + 15)), fill=(214, 48, 42, 255))
    d.line((u(x0), u(y0 + 16), u(x1), u(y0 + 16)), fill=(70, 70, 78, 255), width=u(2))
    for x in (50, 82):
        d.rounded_rectangle((u(x - 3), u(y0 - 6), u(x + 3), u(y0 + 6)), radius=u(3),
                            fill=(60, 60, 66, 255))
    for gy in range(3):
        for gx in range(4):
            cx, cy = x0 + 9 + gx * 14, y0 + 25 + gy * 11
            fill = (214, 48, 42, 255) if (gx, gy) == (2, 1) else (110, 116, 130, 255)
            d.rectangle((u(cx - 3), u(cy - 3), u(cx + 3), u(cy + 3)), fill=fill)
    return im


def program_icon():
    return program_drawing(S).resize((128, 128), Image.LANCZOS)


def document_icon():
    return document_drawing(S).resize((128, 128), Image.LANCZOS)


# The sizes Windows asks an icon for at 100 % to 250 % (small icons, the
# window's, Explorer's views) and 256 for the largest views.  At 16 and 32
# the image is the 128 one as the system stretches it when it has no image
# of that size (every 8 x 8 or 4 x 4 block of pixels ANDed into one), which
# is what the program showed before it had them: at 100 % the window and
# its file icons keep every pixel.  The others are reduced from the drawing.
ICON_SIDES = (16, 20, 24, 32, 40, 48, 64, 128, 256)


def as_stretched(rgba, side):
    """`rgba` stretched to side x side as the system stretches an icon: its
    pixels ANDed (alpha too), and a pixel transparent in the mask only where
    all of those it stands for were."""
    clear = Image.new("L", rgba.size)
    clear.putdata([255 if a == 0 else 0 for a in rgba.getchannel("A").getdata()])
    mask = and_stretched(clear, (side, side)).load()
    return and_stretched(rgba, (side, side)), {
        (x, y) for y in range(side) for x in range(side) if mask[x, y]}


def icon_file(drawing):
    big = drawing(S)
    exact = big.resize((128, 128), Image.LANCZOS)
    images = []
    for side in ICON_SIDES:
        if side in (16, 32):
            pic, clear = as_stretched(exact, side)
            images.append((side, ico_image(pic, lambda x, y: (x, y) in clear)))
        elif side == 128:
            images.append((side, ico_image(exact)))
        elif side == 256:
            # Stored as PNG, as Windows keeps its own 256-pixel icons.
            images.append((side, png_bytes(drawing(2 * S).resize((256, 256), Image.LANCZOS))))
        else:
            images.append((side, ico_image(big.resize((side, side), Image.LANCZOS))))
    return ico_bytes(images)


# --- Picture sheet for people -------------------------------------------------

LABEL_COLOURS = [(255, 255, 255), (255, 102, 102), (178, 225, 241), (249, 220, 188),
                 (0, 128, 192)]


def icon_panel(icons, colour, num):
    """All 99 icons on one label colour, ten to a line, each after its number."""
    cell_w, cell_h = 44, 24
    panel = Image.new("RGB", (10 * cell_w + 4, 10 * cell_h + 4), colour)
    d = ImageDraw.Draw(panel)
    for n in range(1, 100):
        x = 4 + ((n - 1) % 10) * cell_w
        y = 4 + ((n - 1) // 10) * cell_h
        d.text((x, y + 3), "%02d" % n, font=num, fill=BLACK)
        put_drawn(panel, icons[n], n, x + 17, y + (3 if n in FLAGS else 0))
    return panel


def sheet(icons):
    """Every icon as it lands on a label, on a few label colours, numbered; then
    the white panel again magnified three times."""
    num = font(SANS, 11)
    panels = [icon_panel(icons, c, num) for c in LABEL_COLOURS]
    pw, ph = panels[0].size
    zoom = panels[0].resize((pw * 3, ph * 3), Image.NEAREST)
    gap = 6
    width = max(2 * pw + 3 * gap, zoom.width + 2 * gap)
    height = 3 * (ph + gap) + gap + zoom.height + gap
    out = Image.new("RGB", (width, height), (128, 128, 128))
    for k, panel in enumerate(panels):
        out.paste(panel, (gap + (k % 2) * (pw + gap), gap + (k // 2) * (ph + gap)))
    out.paste(zoom, (gap, gap + 3 * (ph + gap)))
    return out


def charts_sheet(charts):
    """The four charts placed as the label entry dialog shows them (303 cut at
    the client area's bottom edge, 864)."""
    out = Image.new("RGB", (963, 864), (212, 208, 200))
    out.paste(charts[300], (9, 127))
    out.paste(charts[301], (212, 127))
    out.paste(charts[302], (415, 128))
    out.paste(charts[303].crop((0, 0, 544, 864 - 512)), (414, 512))
    return out


def main():
    write(os.path.join(RES, "icons", "icon_chars.inc"), icon_chars_inc())
    write(os.path.join(RES, "icons", "icon_names.inc"), icon_names_inc())
    if "--table" in sys.argv[1:]:
        return
    icons = {}
    for n in range(1, 27):
        if n == 9:
            icons[n] = flag_spain()
        elif n == 22:
            icons[n] = flag_us()
        else:
            icons[n] = face_bitmap(n)
    for n in range(27, 100):
        icons[n] = object_bitmap(n)
    for n, img in icons.items():
        bits = 32 if n >= 27 else 24
        write(os.path.join(RES, "icons", "icon%02d.bmp" % n), bmp_bytes(img, bits))

    charts = make_charts(drawn_at_96(icons), 96)
    for n, img in charts.items():
        write(os.path.join(RES, "charts", "chart%d.bmp" % n), bmp_bytes(img, 32))

    for percent in SCALES:
        dpi = 96 * percent // 100
        pictures = scaled_pictures(dpi)
        write(os.path.join(RES, "icons", "icons-%d.png" % percent),
              png_bytes(icon_strip(pictures, dpi)))
        for n, img in make_charts(exact_pictures(pictures), dpi).items():
            write(os.path.join(RES, "charts", "chart%d-%d.png" % (n, percent)), png_bytes(img))

    write(os.path.join(RES, "icons", "program.ico"), icon_file(program_drawing))
    write(os.path.join(RES, "icons", "document.ico"), icon_file(document_drawing))

    os.makedirs(DOCS, exist_ok=True)
    sheet(icons).save(os.path.join(DOCS, "sheet.png"), optimize=True)
    charts_sheet(charts).save(os.path.join(DOCS, "charts.png"), optimize=True)
    program_icon().save(os.path.join(DOCS, "program.png"))
    document_icon().save(os.path.join(DOCS, "document.png"))


if __name__ == "__main__":
    main()
