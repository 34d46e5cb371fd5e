#include "ics_export.h"

#include <cstdio>
#include <cstring>

#include "../data/calendar.h"
#include "../data/label_series.h"
#include "css_colors.h"
#include "label_unicode.h"

namespace {

constexpr size_t kFoldOctets = 75;

uint64_t Fnv1a(std::string_view bytes, uint64_t hash = 0xCBF29CE484222325ull) {
  for (unsigned char b : bytes) {
    hash ^= b;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

std::string Hex64(uint64_t value) {
  char text[17];
  snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::string DateValue(int year, int month, int day) {
  char text[16];
  snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return text;
}

std::string LineText(const LabelRecord& record) {
  return std::string(record.text, strnlen(record.text, kMaxLineBytes));
}

// Exact text for X-TARVINA-TEXT. Readers may trim blanks at the ends of a
// value, so blanks there are written as their visible symbols (U+2420 for a
// space, U+2409 for a tab), which no Windows-1252 text can otherwise hold.
std::string TarvinaText(const std::vector<std::string>& lines) {
  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) joined += '\n';
    joined += ExactUnicode(lines[i]);
  }
  auto blankSymbol = [](char c) { return c == ' ' ? "\xE2\x90\xA0" : "\xE2\x90\x89"; };
  size_t head = 0;
  while (head < joined.size() && (joined[head] == ' ' || joined[head] == '\t')) ++head;
  size_t tail = joined.size();
  while (tail > head && (joined[tail - 1] == ' ' || joined[tail - 1] == '\t')) --tail;
  std::string out;
  for (size_t i = 0; i < head; ++i) out += blankSymbol(joined[i]);
  out.append(joined, head, tail - head);
  for (size_t i = tail; i < joined.size(); ++i) out += blankSymbol(joined[i]);
  return out;
}

void Put(std::string& out, std::string_view line) { out += FoldIcsLine(line); }

// Days a series event may leave out (EXDATE) before its labels are written
// one event each: far more than any almanac's series skips, so only files
// with labels far outside their almanac meet it.
constexpr size_t kMostLeftOut = 1000;

const char* const kWeekdayCodes[8] = {"", "MO", "TU", "WE", "TH", "FR", "SA", "SU"};

// The RRULE of a series whose first label is on `first` and last on `last`.
std::string RepeatRule(Repeat repeat, const CivilDate& first, const CivilDate& last) {
  std::string rule;
  switch (repeat) {
    case Repeat::Weekly:
      rule = "FREQ=WEEKLY";
      break;
    case Repeat::Fortnightly:
      rule = "FREQ=WEEKLY;INTERVAL=2";
      break;
    case Repeat::MonthlyOnDay:
      rule = "FREQ=MONTHLY;BYMONTHDAY=" + std::to_string(first.day);
      break;
    case Repeat::MonthlyOnWeekday:
      rule = "FREQ=MONTHLY;BYDAY=" + std::to_string((first.day - 1) / 7 + 1) +
             kWeekdayCodes[WeekdayOf(first.year, first.month, first.day)];
      break;
    case Repeat::Yearly:
      rule = "FREQ=YEARLY;BYMONTH=" + std::to_string(first.month) +
             ";BYMONTHDAY=" + std::to_string(first.day);
      break;
    case Repeat::None:
      break;
  }
  return rule + ";UNTIL=" + DateValue(last.year, last.month, last.day);
}

bool Exportable(const LabelRecord& first) {
  if (!IsRealDate(first.year, first.month, first.day) || first.year > 9999) return false;
  CivilDate next{first.year, first.month, first.day, 0};
  AddDays(next, 1);
  return next.year <= 9999;
}

// What one event holds: a label, or the labels of a series that follow each
// other in the file (its days left out, or held by a label corrected on its
// own, end it or are listed as EXDATE).
struct EventLabels {
  std::vector<LabelRun> labels;
  Repeat repeat = Repeat::None;
  std::vector<CivilDate> leftOut;
};

std::vector<EventLabels> EventsOf(const std::vector<LabelRecord>& records) {
  const std::vector<LabelRun> runs = GroupLabels(records);
  const std::vector<LabelSeries> series = FindLabelSeries(records, runs);
  // The series each run is a member of, or none.
  std::vector<const LabelSeries*> memberOf(runs.size(), nullptr);
  for (const LabelSeries& s : series) {
    size_t r = s.firstRun;
    for (const LabelRun& member : s.members) {
      while (runs[r].first != member.first) ++r;
      memberOf[r] = &s;
    }
  }
  auto dateOf = [&](const LabelRun& run) {
    const LabelRecord& r = records[run.first];
    return CivilDate{r.year, r.month, r.day, 0};
  };
  std::vector<EventLabels> events;
  for (size_t i = 0; i < runs.size();) {
    size_t end = i + 1;
    while (memberOf[i] && end < runs.size() && memberOf[end] == memberOf[i]) ++end;
    EventLabels event;
    event.labels.assign(runs.begin() + std::ptrdiff_t(i), runs.begin() + std::ptrdiff_t(end));
    bool whole = event.labels.size() >= 2;
    for (const LabelRun& run : event.labels) whole = whole && Exportable(records[run.first]);
    if (whole) {
      event.repeat = memberOf[i]->repeat;
      size_t k = 0;
      for (const CivilDate& day :
           RepeatDays(event.repeat, dateOf(event.labels.front()), dateOf(event.labels.back()))) {
        if (k < event.labels.size() && DayIndex(dateOf(event.labels[k])) == DayIndex(day))
          ++k;
        else
          event.leftOut.push_back(day);
        if (event.leftOut.size() > kMostLeftOut) break;
      }
      whole = k == event.labels.size() && event.leftOut.size() <= kMostLeftOut;
    }
    if (whole) {
      events.push_back(std::move(event));
    } else {
      for (const LabelRun& run : event.labels) events.push_back({{run}, Repeat::None, {}});
    }
    i = end;
  }
  return events;
}

void PutText(std::string& out, const char* name, std::string_view text) {
  Put(out, std::string(name) + ":" + EscapeIcsText(text));
}

void PutLabelEvent(std::string& out, const std::string& uid, const char* stamp,
                   const LabelRecord& first, const CivilDate& next,
                   const std::vector<std::string>& lines, int32_t color,
                   const std::string& rule = "", const std::string& leftOut = "") {
  std::string description;
  for (size_t k = 0; k < lines.size(); ++k) {
    if (k) description += '\n';
    description += ReadableUnicode(lines[k]);
  }
  Put(out, "BEGIN:VEVENT");
  Put(out, "UID:" + uid);
  Put(out, std::string("DTSTAMP:") + stamp);
  Put(out, "DTSTART;VALUE=DATE:" + DateValue(first.year, first.month, first.day));
  Put(out, "DTEND;VALUE=DATE:" + DateValue(next.year, next.month, next.day));
  if (!rule.empty()) {
    Put(out, "RRULE:" + rule);
    if (!leftOut.empty()) Put(out, "EXDATE;VALUE=DATE:" + leftOut);
  }
  PutText(out, "SUMMARY", ReadableUnicode(lines.front()));
  PutText(out, "DESCRIPTION", description);
  Put(out, std::string("COLOR:") + NearestCssColorName(color));
  Put(out, "X-TARVINA-COLOR:" + ColorHex(color));
  PutText(out, "X-TARVINA-TEXT", TarvinaText(lines));
  Put(out, "END:VEVENT");
}

void PutCalendarHead(std::string& out, const std::string& version) {
  Put(out, "BEGIN:VCALENDAR");
  Put(out, "VERSION:2.0");
  Put(out, "PRODID:-//tarvina//tarvina " + version + "//ES");
  Put(out, "CALSCALE:GREGORIAN");
}

void StampText(const WallTime& t, char (&stamp)[64]) {
  snprintf(stamp, sizeof stamp, "%04d%02d%02dT%02d%02d%02dZ", t.year, t.month, t.day, t.hour,
           t.minute, t.second);
}

}  // namespace

std::string EscapeIcsText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case ';':
        out += "\\;";
        break;
      case ',':
        out += "\\,";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string FoldIcsLine(std::string_view line) {
  std::string out;
  out.reserve(line.size() + line.size() / 32 + 2);
  size_t at = 0;
  size_t room = kFoldOctets;  // a continuation line's leading space takes one
  while (line.size() - at > room) {
    size_t cut = at + room;
    while (cut > at && (uint8_t(line[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    out.append(line, at, cut - at);
    out += "\r\n ";
    at = cut;
    room = kFoldOctets - 1;
  }
  out.append(line, at, line.size() - at);
  out += "\r\n";
  return out;
}

FileError WriteIcsFile(const std::string& path, const std::string& text) {
  // Whole or not at all: a calendar it replaces stays as it was when the disk fills up.
  return ReplaceFileWhole(path, text);
}

IcsExport ExportIcs(const std::vector<LabelRecord>& records, const IcsExportInput& input) {
  IcsExport result;
  std::string& out = result.text;
  const std::string name =
      IsValidUtf8(input.almanacName) ? input.almanacName : ExactUnicode(input.almanacName);
  PutCalendarHead(out, input.version);
  PutText(out, "X-WR-CALNAME", name);

  char stamp[64];
  StampText(input.stampUtc, stamp);
  // The UID names the almanac, the label's place in its file and its
  // contents: the same file exports the same UIDs every time.
  const std::string almanacKey = Hex64(Fnv1a(input.almanacName));

  for (const EventLabels& event : EventsOf(records)) {
    const LabelRun& run = event.labels.front();
    const LabelRecord& first = records[run.first];
    if (!Exportable(first)) {
      ++result.skipped;
      continue;
    }
    CivilDate next{first.year, first.month, first.day, 0};
    AddDays(next, 1);
    std::vector<std::string> lines;
    uint64_t contentKey = Fnv1a(DateValue(first.year, first.month, first.day));
    for (size_t k = 0; k < run.count; ++k) {
      lines.push_back(LineText(records[run.first + k]));
      contentKey = Fnv1a(lines.back() + '\n', contentKey);
    }
    const int32_t color = first.color & 0x00FFFFFF;
    contentKey = Fnv1a(ColorHex(color), contentKey);
    std::string rule;
    if (event.repeat != Repeat::None) {
      const LabelRecord& lastLabel = records[event.labels.back().first];
      rule = RepeatRule(event.repeat, CivilDate{first.year, first.month, first.day, 0},
                        CivilDate{lastLabel.year, lastLabel.month, lastLabel.day, 0});
      contentKey = Fnv1a(rule, contentKey);
    }

    std::string leftOut;
    for (const CivilDate& day : event.leftOut)
      leftOut += (leftOut.empty() ? "" : ",") + DateValue(day.year, day.month, day.day);
    PutLabelEvent(
        out,
        std::to_string(run.first + 1) + "-" + Hex64(contentKey) + "-" + almanacKey + "@tarvina",
        stamp, first, next, lines, color, rule, leftOut);
    result.labels += int(event.labels.size());
    ++result.events;
  }
  Put(out, "END:VCALENDAR");
  return result;
}

std::string LabelEventIcs(const std::vector<LabelRecord>& records, const std::string& uid,
                          const std::string& version, const WallTime& stampUtc) {
  if (records.empty()) return {};
  const LabelRecord& first = records.front();
  if (!IsRealDate(first.year, first.month, first.day) || first.year > 9999) return {};
  CivilDate next{first.year, first.month, first.day, 0};
  AddDays(next, 1);
  if (next.year > 9999) return {};
  std::vector<std::string> lines;
  for (const LabelRecord& record : records) lines.push_back(LineText(record));
  char stamp[64];
  StampText(stampUtc, stamp);
  std::string out;
  PutCalendarHead(out, version);
  PutLabelEvent(out, uid, stamp, first, next, lines, first.color & 0x00FFFFFF);
  Put(out, "END:VCALENDAR");
  return out;
}
