"""Reads an .ics file with Python's icalendar and prints its events as JSON.

Usage: /usr/bin/python3 read_icalendar.py FILE.ics
"""
import json
import sys

from icalendar import Calendar

with open(sys.argv[1], "rb") as f:
    calendar = Calendar.from_ical(f.read())

# The library keeps going past what it cannot read; anything it noted is a failure.
problems = [(c.name, e) for c in calendar.walk() for e in c.errors]
if problems:
    sys.exit("icalendar found errors: %r" % problems[:5])

events = []
for event in calendar.walk("VEVENT"):
    events.append({
        "date": event.decoded("DTSTART").isoformat(),
        "end": event.decoded("DTEND").isoformat(),
        "summary": str(event.get("SUMMARY", "")),
        "description": str(event.get("DESCRIPTION", "")),
        "color": str(event.get("COLOR", "")),
        "tarvinaColor": str(event.get("X-TARVINA-COLOR", "")),
    })
json.dump(events, sys.stdout)
