"""Reads an .ics file with Python's icalendar and prints its events as JSON,
each with the days it falls on: icalendar parses the repeat rule and
dateutil, which it is built on, expands it.

Usage: /usr/bin/python3 read_icalendar.py FILE.ics
"""
import datetime
import json
import sys

from dateutil.rrule import rrulestr
from icalendar import Calendar


def days_of(event):
    start = event.decoded("DTSTART")
    if "RRULE" not in event:
        return [start.isoformat()]
    left_out = set()
    exdates = event.get("EXDATE", [])
    for group in exdates if isinstance(exdates, list) else [exdates]:
        left_out.update(d.dt for d in group.dts)
    rule = rrulestr(event["RRULE"].to_ical().decode(),
                    dtstart=datetime.datetime.combine(start, datetime.time()))
    return [d.date().isoformat() for d in rule if d.date() not in left_out]


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
        "days": days_of(event),
    })
json.dump(events, sys.stdout)
