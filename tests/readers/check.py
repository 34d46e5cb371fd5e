"""Exports the sample labels and checks that an outside reader finds every
event's date, end, summary, description and colours in the file.

Usage: /usr/bin/python3 check.py ICS_SAMPLE_EXE READER_COMMAND...
"""
import json
import os
import subprocess
import sys
import tempfile

sample, reader = sys.argv[1], sys.argv[2:]
with tempfile.TemporaryDirectory() as folder:
    ics = os.path.join(folder, "sample.ics")
    expected_path = os.path.join(folder, "expected.json")
    subprocess.run([sample, ics, expected_path], check=True)
    with open(expected_path, encoding="utf-8") as f:
        expected = json.load(f)
    run = subprocess.run(reader + [ics], capture_output=True, text=True, encoding="utf-8")
    if run.returncode != 0:
        sys.exit("%s failed to read the export:\n%s" % (" ".join(reader), run.stderr))
    got = json.loads(run.stdout)

failures = 0
if len(got) != len(expected):
    print("expected %d events, the reader found %d" % (len(expected), len(got)))
    failures += 1
for i, (want, have) in enumerate(zip(expected, got)):
    for key in want:
        if have.get(key) != want[key]:
            print("event %d, %s: expected %r, read %r" % (i + 1, key, want[key], have.get(key)))
            failures += 1
print("%d events read back, %d differences" % (len(got), failures))
sys.exit(1 if failures else 0)
