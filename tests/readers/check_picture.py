"""Has picture_sample save an almanac's picture and the view at several
scroll positions, then reads the picture with PIL: it must have the strip's
size, and its rows must be the view's pixels at every position.

Usage: /usr/bin/python3 check_picture.py PICTURE_SAMPLE_EXE   (wine on PATH)
"""
import glob
import os
import subprocess
import sys
import tempfile

from PIL import Image

Image.MAX_IMAGE_PIXELS = None  # a year of labels is tall

sample = sys.argv[1]
failures = 0
with tempfile.TemporaryDirectory() as folder:
    windows_folder = "Z:" + folder.replace("/", "\\")
    run = subprocess.run(["wine", sample, windows_folder], capture_output=True, text=True, errors="replace",
                         stdin=subprocess.DEVNULL)
    if run.returncode != 0:
        sys.exit("picture_sample failed (%d):\n%s" % (run.returncode, run.stderr))
    with open(os.path.join(folder, "size.txt")) as f:
        size = tuple(int(v) for v in f.read().split())
    picture = Image.open(os.path.join(folder, "almanac.png"))
    print("%s %s, %d x %d" % (picture.format, picture.mode, *picture.size))
    if picture.size != size:
        print("the picture is %r, the strip %r" % (picture.size, size))
        failures += 1
    picture = picture.convert("RGB")
    views = sorted(glob.glob(os.path.join(folder, "view-*.bgrx")))
    if len(views) < 5:
        print("only %d views" % len(views))
        failures += 1
    for path in views:
        top = int(os.path.basename(path)[5:-5])
        with open(path, "rb") as f:
            view = Image.frombytes("RGB", (1134, 771), f.read(), "raw", "BGRX")
        rows = min(771, size[1] - top)  # below the picture the view is white
        want = view.crop((0, 0, 1134, rows))
        have = picture.crop((0, top, 1134, top + rows))
        if want.tobytes() != have.tobytes():
            where = next(i for i, (a, b) in enumerate(zip(want.getdata(), have.getdata()))
                         if a != b)
            print("from row %d: first difference at x %d, row %d: view %r, picture %r" %
                  (top, where % 1134, top + where // 1134, want.getdata()[where],
                   have.getdata()[where]))
            failures += 1
        else:
            print("rows %d to %d equal the view" % (top, top + rows - 1))
sys.exit(1 if failures else 0)
