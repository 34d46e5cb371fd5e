// Reads an .ics file with ical.js and prints its events as JSON, each with
// the days ical.js expands it to (its repeat rule less its EXDATEs).
// Usage: node read_icaljs.cjs FILE.ics  (ical.js from $TARVINA_NPM/node_modules)
"use strict";
const fs = require("fs");
const path = require("path");
const { createRequire } = require("module");

const npm = process.env.TARVINA_NPM;
const ICAL = createRequire(path.join(npm, "package.json"))("ical.js");

const text = fs.readFileSync(process.argv[2], "utf8");
const calendar = new ICAL.Component(ICAL.parse(text));
const value = (event, name) => {
  const v = event.getFirstPropertyValue(name);
  return v === null || v === undefined ? "" : String(v);
};
const daysOf = (event) => {
  const days = [];
  const it = new ICAL.Event(event).iterator();
  for (let t = it.next(); t && days.length <= 10000; t = it.next()) days.push(t.toString());
  return days;
};
const events = calendar.getAllSubcomponents("vevent").map((event) => ({
  date: value(event, "dtstart"),
  end: value(event, "dtend"),
  summary: value(event, "summary"),
  description: value(event, "description"),
  color: value(event, "color"),
  tarvinaColor: value(event, "x-tarvina-color"),
  days: daysOf(event),
}));
process.stdout.write(JSON.stringify(events));
