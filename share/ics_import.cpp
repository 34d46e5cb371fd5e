#include "ics_import.h"

#include <libical/ical.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "../data/calendar.h"
#include "css_colors.h"
#include "label_unicode.h"

namespace {

// Repeats stepped through for one event, inside the almanac or before it:
// a rule that repeats every minute for years would otherwise run on and on
// (a daily rule from 1900 takes 46,000, an hourly one from 1970 480,000).
// Past it, that event's rule expands no further and it counts as cut short;
// the next event has a budget of its own, up to kFileRepeatBudget for the
// whole file, which bounds the time an import takes.
constexpr int64_t kRepeatBudget = 500000;
constexpr int64_t kFileRepeatBudget = 5000000;
// Repeats between two reports of progress.
constexpr int64_t kRepeatsPerStep = 4096;
constexpr int32_t kWhite = 0x00FFFFFF;

const char kNotCalendar[] = "El archivo no es un calendario iCalendar (.ics).";
const char kBroken[] = "El calendario está incompleto o dañado; no se importó nada.";
const char kBadEvent[] =
    "El calendario está dañado: un evento no tiene una fecha válida; no se importó nada.";
const char kTooBig[] = "El archivo es demasiado grande para ser un calendario.";
const char kTooMany[] =
    "El calendario daría más de 100.000 líneas de etiquetas; no se importó nada.";
const char kLongComponent[] =
    "El calendario tiene un evento o componente de más de 1.000 líneas; no se importó nada.";
const char kTooManyLines[] = "El calendario tiene más de 2.000.000 de líneas; no se importó nada.";

// Days since 1 January of year 0 in the proleptic Gregorian calendar (any
// year, which iCalendar files may hold).
int64_t DayNumber(int year, int month, int day) {
  int64_t y = year - (month <= 2);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe;
}

void DateOfDayNumber(int64_t n, int& year, int& month, int& day) {
  int64_t era = (n >= 0 ? n : n - 146096) / 146097;
  int64_t doe = n - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  day = int(doy - (153 * mp + 2) / 5 + 1);
  month = int(mp < 10 ? mp + 3 : mp - 9);
  year = int(yoe + era * 400 + (month <= 2));
}

int64_t SecondsOf(const WallTime& t) {
  return DayNumber(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

WallTime WallTimeOfSeconds(int64_t seconds) {
  int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  int64_t rest = seconds - days * 86400;
  int year, month, day;
  DateOfDayNumber(days, year, month, day);
  WallTime t;
  t.year = int16_t(year);
  t.month = int16_t(month);
  t.day = int16_t(day);
  t.hour = int16_t(rest / 3600);
  t.minute = int16_t(rest / 60 % 60);
  t.second = int16_t(rest % 60);
  return t;
}

WallTime WallTimeOf(const icaltimetype& t) {
  WallTime w;
  w.year = int16_t(t.year);
  w.month = int16_t(t.month);
  w.day = int16_t(t.day);
  if (!t.is_date) {
    w.hour = int16_t(t.hour);
    w.minute = int16_t(t.minute);
    w.second = int16_t(t.second);
  }
  return w;
}

struct ComponentDeleter {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using OwnedComponent = std::unique_ptr<icalcomponent, ComponentDeleter>;

// A DATE or DATE-TIME property with where its clock stands: a whole day, a
// UTC moment, a moment in a zone the file describes, or local ("floating").
struct When {
  bool valid = false;
  bool isDate = false;
  icaltimetype time{};
  icaltimezone* zone = nullptr;  // null: the user's own clock
};

When WhenOf(icalproperty* prop, icalcomponent* calendar) {
  When when;
  if (!prop) return when;
  icalvalue* value = icalproperty_get_value(prop);
  if (!value) return when;
  icalvalue_kind kind = icalvalue_isa(value);
  if (kind != ICAL_DATE_VALUE && kind != ICAL_DATETIME_VALUE) return when;
  when.time = icalvalue_get_datetime(value);
  if (icaltime_is_null_time(when.time) || !icaltime_is_valid_time(when.time) ||
      when.time.year < 1 || when.time.month < 1 || when.time.month > 12 || when.time.day < 1 ||
      when.time.day > icaltime_days_in_month(when.time.month, when.time.year))
    return when;
  when.valid = true;
  when.isDate = when.time.is_date != 0;
  if (when.isDate) return when;
  if (icaltime_is_utc(when.time)) {
    when.zone = icaltimezone_get_utc_timezone();
  } else if (icalparameter* tzid = icalproperty_get_first_parameter(prop, ICAL_TZID_PARAMETER)) {
    // Only zones the file itself describes: a bare zone name without its
    // VTIMEZONE is read as local time, the same on every system.
    if (const char* name = icalparameter_get_tzid(tzid))
      when.zone = icalcomponent_get_timezone(calendar, name);
  }
  // A repeat rule's UNTIL is compared in this zone.
  if (when.zone) when.time = icaltime_set_timezone(&when.time, when.zone);
  return when;
}

// The instant of a moment as seconds of the UTC clock, or of the local clock
// for floating times: what two moments of one event are compared by.
int64_t InstantOf(icaltimetype t, icaltimezone* zone) {
  if (zone) icaltimezone_convert_time(&t, zone, icaltimezone_get_utc_timezone());
  return SecondsOf(WallTimeOf(t));
}

// A key that identifies one occurrence of an event for EXDATE and
// RECURRENCE-ID: its day for whole-day values, its instant otherwise.
struct OccurrenceKey {
  bool isDate;
  int64_t value;
  bool operator<(const OccurrenceKey& o) const {
    return isDate != o.isDate ? isDate < o.isDate : value < o.value;
  }
};

OccurrenceKey KeyOf(const icaltimetype& t, icaltimezone* zone, bool isDate) {
  if (isDate) return {true, DayNumber(t.year, t.month, t.day)};
  return {false, InstantOf(t, zone)};
}

bool Excluded(const std::set<OccurrenceKey>& keys, const icaltimetype& t, icaltimezone* zone,
              bool isDate) {
  if (keys.empty()) return false;
  if (keys.count(KeyOf(t, zone, isDate))) return true;
  // A whole-day exception also removes a timed occurrence on that day.
  return !isDate && keys.count({true, DayNumber(t.year, t.month, t.day)});
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(uint8_t(a[i])) != std::toupper(uint8_t(b[i]))) return false;
  return true;
}

const char* XValue(icalcomponent* event, const char* name) {
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
    const char* xname = icalproperty_get_x_name(p);
    if (xname && EqualNoCase(xname, name)) {
      icalvalue* value = icalproperty_get_value(p);
      return value ? icalvalue_get_x(value) : nullptr;
    }
  }
  return nullptr;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\n', start);
    lines.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

// The label text as tarvina wrote it, when it can be restored exactly.
bool TarvinaLines(const char* text, std::vector<std::string>& lines) {
  if (!text) return false;
  lines.clear();
  for (const std::string& unicode : SplitLines(text)) {
    std::string line;
    if (!ExactLabelText(unicode, line) || line.size() > kMaxLineBytes ||
        line.find('\0') != std::string::npos)
      return false;
    lines.push_back(line);
  }
  return true;
}

// The label text of an event written by any program: its SUMMARY, then
// its DESCRIPTION (less a first line that repeats the summary); not yet
// wrapped to the record's width.
std::vector<std::string> ReadableLines(icalcomponent* event, int& changed) {
  std::vector<std::string> unicodeLines;
  const char* summary = icalcomponent_get_summary(event);
  std::string summaryText = summary ? summary : "";
  unicodeLines.push_back(summaryText);
  if (const char* description = icalcomponent_get_description(event)) {
    std::vector<std::string> more = SplitLines(description);
    for (std::string& line : more)
      if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!more.empty() && more.front() == summaryText) more.erase(more.begin());
    while (!more.empty() && more.back().find_first_not_of(" \t") == std::string::npos)
      more.pop_back();
    unicodeLines.insert(unicodeLines.end(), more.begin(), more.end());
  }
  std::vector<std::string> lines;
  for (const std::string& unicode : unicodeLines)
    for (const std::string& piece : SplitLines(LabelTextFromUnicode(unicode, changed)))
      lines.push_back(piece);
  return lines;
}

int32_t ColorOf(icalcomponent* event) {
  int32_t color = kWhite;
  const char* name = nullptr;
  if (icalproperty* p = icalcomponent_get_first_property(event, ICAL_COLOR_PROPERTY))
    name = icalproperty_get_color(p);
  // The exact colour only while COLOR still names it: another program that
  // changes the colour changes COLOR and keeps what it does not know.
  const char* exact = XValue(event, "X-TARVINA-COLOR");
  if (exact && exact[0] == '#' && ParseCssColor(exact, color) &&
      (!name || EqualNoCase(name, NearestCssColorName(color))))
    return color;
  if (name && ParseCssColor(name, color)) return color;
  return kWhite;
}

// Whether the readable text still says what X-TARVINA-TEXT says: another
// program that corrects an event changes its SUMMARY and DESCRIPTION and
// keeps the property it does not know, which then no longer holds the label.
bool ReadableAgrees(icalcomponent* event, const std::vector<std::string>& lines) {
  // An empty value may come back as none.
  const char* summaryValue = icalcomponent_get_summary(event);
  const char* descriptionValue = icalcomponent_get_description(event);
  const std::string summary = summaryValue ? summaryValue : "";
  const std::string description = descriptionValue ? descriptionValue : "";
  if (lines.empty()) return false;
  std::string joined;
  for (size_t k = 0; k < lines.size(); ++k) {
    if (k) joined += '\n';
    joined += ReadableUnicode(lines[k]);
  }
  // Readers trim blanks at the ends of a value (libical does).
  auto trimmed = [](const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos
               ? std::string()
               : text.substr(first, text.find_last_not_of(" \t") - first + 1);
  };
  return trimmed(ReadableUnicode(lines.front())) == trimmed(summary) &&
         trimmed(joined) == trimmed(description);
}

// The properties whose damage makes an event's days unknowable. libical
// drops a property it cannot read and leaves an X-LIC-ERROR such as "Can't
// parse as DATE-TIME value in DTSTART property. Removing entire property: ..."
bool HasDateError(icalcomponent* event) {
  static const char* const kDateProperties[] = {"DTSTART", "DTEND",  "DURATION",
                                                "RRULE",   "EXDATE", "RECURRENCE-ID"};
  for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_XLICERROR_PROPERTY); p;
       p = icalcomponent_get_next_property(event, ICAL_XLICERROR_PROPERTY)) {
    const char* text = icalproperty_get_xlicerror(p);
    if (!text) continue;
    std::string_view message = text;
    message = message.substr(0, message.find("Removing"));  // not the value that follows
    for (const char* name : kDateProperties)
      if (message.find(" " + std::string(name) + " property") != std::string_view::npos)
        return true;
  }
  return false;
}

struct Range {
  int64_t first = 0, last = 0;  // day numbers, inclusive
};

struct Importer {
  const AlmanacState& almanac;
  LocalFromUtcFn localFromUtc;
  Range range;
  IcsImport& result;
  const ImportProgress& progress;
  int64_t fileRepeatsLeft = kFileRepeatBudget;
  bool tooMany = false;  // a label would pass kMaxImportLines: nothing is imported
  // Steps done of all, for `progress`: the events, then their repeats.
  int64_t done = 0, total = 1;

  // False once the import is to stop.
  bool Step(int64_t steps) {
    done += steps;
    if (progress && !result.stopped && !progress(std::min(done, total), total))
      result.stopped = true;
    return !result.stopped && !tooMany;
  }

  void AddLabel(int64_t dayNumber, const std::vector<std::string>& lines, int32_t color) {
    // Checked before the label is made: whatever the file, no more than
    // the limit is ever held.
    if (tooMany || lines.size() > kMaxImportLines - result.records.size()) {
      tooMany = true;
      return;
    }
    int year, month, day;
    DateOfDayNumber(dayNumber, year, month, day);
    for (size_t k = 0; k < lines.size(); ++k) {
      LabelRecord record;
      record.day = int16_t(day);
      record.month = int16_t(month);
      record.year = int16_t(year);
      SetRecordText(record, lines[k].c_str());
      record.color = color;
      record.isLastLine = k + 1 == lines.size() ? 1 : 0;
      record.almanacStartDay = almanac.startDay;
      record.almanacStartMonth = almanac.startMonth;
      record.almanacStartYear = almanac.startYear;
      record.almanacDayCount = almanac.dayCount;
      result.records.push_back(record);
    }
    ++result.labels;
  }

  // One occurrence starting at `start` (in `zone`) and lasting `length`
  // seconds (days for whole-day events); true if a day of it was inside.
  bool AddOccurrence(const icaltimetype& start, icaltimezone* zone, bool isDate, int64_t length,
                     const std::vector<std::string>& lines, bool exact, int32_t color) {
    int64_t firstDay, lastDay;
    std::string time;
    if (isDate) {
      firstDay = DayNumber(start.year, start.month, start.day);
      lastDay = firstDay + std::max<int64_t>(length, 1) - 1;
    } else {
      // The end is exclusive: an event that ends at midnight ends the day before.
      const int64_t span = std::max<int64_t>(length - 1, 0);
      WallTime localStart, localEnd;
      if (zone) {
        icaltimetype utc = start;
        icaltimezone_convert_time(&utc, zone, icaltimezone_get_utc_timezone());
        localStart = localFromUtc(WallTimeOf(utc));
        localEnd = localFromUtc(WallTimeOfSeconds(SecondsOf(WallTimeOf(utc)) + span));
      } else {
        localStart = WallTimeOf(start);
        localEnd = WallTimeOfSeconds(SecondsOf(localStart) + span);
      }
      firstDay = DayNumber(localStart.year, localStart.month, localStart.day);
      lastDay = std::max(firstDay, DayNumber(localEnd.year, localEnd.month, localEnd.day));
      char prefix[16];
      snprintf(prefix, sizeof prefix, "%02d:%02d ", localStart.hour, localStart.minute);
      time = prefix;
    }
    bool inside = false;
    for (int64_t d = std::max(firstDay, range.first);
         d <= std::min(lastDay, range.last) && !tooMany; ++d) {
      inside = true;
      if (exact) {
        AddLabel(d, lines, color);
        continue;
      }
      // The start time goes before the first line on the event's first day.
      std::vector<std::string> wrapped;
      for (size_t k = 0; k < lines.size(); ++k)
        for (std::string& piece :
             WrapLabelLine((k == 0 && d == firstDay ? time : "") + lines[k], kWrapWidth))
          wrapped.push_back(std::move(piece));
      AddLabel(d, wrapped, color);
    }
    return inside;
  }

  // False when the event is damaged.
  bool Event(icalcomponent* event, icalcomponent* calendar,
             const std::map<std::string, std::set<OccurrenceKey>>& moved) {
    if (HasDateError(event)) return false;
    When start = WhenOf(icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY), calendar);
    if (!start.valid) return false;

    // Length: seconds for timed events, days for whole-day ones.
    int64_t length = start.isDate ? 1 : 0;
    if (icalproperty* endProp = icalcomponent_get_first_property(event, ICAL_DTEND_PROPERTY)) {
      When end = WhenOf(endProp, calendar);
      if (!end.valid) return false;
      if (start.isDate)
        length = DayNumber(end.time.year, end.time.month, end.time.day) -
                 DayNumber(start.time.year, start.time.month, start.time.day);
      else
        length = InstantOf(end.time, end.isDate ? nullptr : end.zone) -
                 InstantOf(start.time, start.zone);
    } else if (icalproperty* d = icalcomponent_get_first_property(event, ICAL_DURATION_PROPERTY)) {
      icaldurationtype duration = icalproperty_get_duration(d);
      if (icaldurationtype_is_bad_duration(duration)) return false;
      int64_t seconds = icaldurationtype_as_int(duration);
      length = start.isDate ? seconds / 86400 : seconds;
    }
    length = std::max<int64_t>(length, start.isDate ? 1 : 0);

    std::vector<std::string> lines;
    const bool exact =
        TarvinaLines(XValue(event, "X-TARVINA-TEXT"), lines) && ReadableAgrees(event, lines);
    if (!exact) lines = ReadableLines(event, result.changed);
    if (lines.empty()) lines.push_back("");
    const int32_t color = ColorOf(event);

    icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    const bool isOverride = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
    bool inside = false;
    if (!rule || isOverride) {
      inside = AddOccurrence(start.time, start.zone, start.isDate, length, lines, exact, color);
    } else {
      std::set<OccurrenceKey> skip;
      for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
           p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY)) {
        When ex = WhenOf(p, calendar);
        if (!ex.valid) return false;
        skip.insert(KeyOf(ex.time, ex.zone ? ex.zone : start.zone, ex.isDate));
      }
      const char* uid = icalcomponent_get_uid(event);
      auto movedHere = moved.find(uid ? uid : "");
      if (movedHere != moved.end()) skip.insert(movedHere->second.begin(), movedHere->second.end());

      icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
      if (recurrence.freq == ICAL_NO_RECURRENCE) return false;
      icalrecur_iterator* it = icalrecur_iterator_new(recurrence, start.time);
      if (!it) return false;
      const int64_t spanDays = start.isDate ? std::max<int64_t>(length, 1) : length / 86400 + 1;
      int64_t repeatsLeft = kRepeatBudget;
      bool cut = false;
      for (;;) {
        if (repeatsLeft == 0 || fileRepeatsLeft == 0) {
          ++result.cutShort;
          cut = true;
          break;
        }
        --repeatsLeft;
        --fileRepeatsLeft;
        if (repeatsLeft % kRepeatsPerStep == 0 && !Step(0)) break;
        icaltimetype t = icalrecur_iterator_next(it);
        if (icaltime_is_null_time(t)) break;
        // Past the almanac even after the largest zone shift.
        if (DayNumber(t.year, t.month, t.day) > range.last + 2) break;
        // Ended long before the almanac even after the largest zone shift:
        // not placed at all, which would ask the system for its zone.
        if (DayNumber(t.year, t.month, t.day) + spanDays + 2 < range.first) continue;
        if (Excluded(skip, t, start.zone, start.isDate)) continue;
        inside |= AddOccurrence(t, start.zone, start.isDate, length, lines, exact, color);
        if (tooMany) break;
      }
      icalrecur_iterator_free(it);
      // Cut short before any of its days: whether it had one is not known.
      if (!inside && cut) return true;
    }
    if (!inside) ++result.outside;
    return true;
  }
};

// The occurrences that events with a RECURRENCE-ID take over, by UID.
std::map<std::string, std::set<OccurrenceKey>> MovedOccurrences(icalcomponent* calendar) {
  std::map<std::string, std::set<OccurrenceKey>> moved;
  for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
       e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
    When id = WhenOf(icalcomponent_get_first_property(e, ICAL_RECURRENCEID_PROPERTY), calendar);
    const char* uid = icalcomponent_get_uid(e);
    if (id.valid && uid) moved[uid].insert(KeyOf(id.time, id.zone, id.isDate));
  }
  return moved;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::toupper(uint8_t(text[i])) != prefix[i]) return false;
  return true;
}

IcsImport Failure(const char* message) {
  IcsImport result;
  result.error = message;
  return result;
}

IcsImport Stopped() {
  IcsImport result;
  result.stopped = true;
  return result;
}

// The reason to refuse `body` before parsing it, or null: a component of
// too many lines, or too many lines in all.
const char* TooMuchWork(std::string_view body) {
  std::vector<size_t> open;  // lines of each component begun and not ended
  size_t lines = 0;
  for (size_t at = 0; at < body.size();) {
    // A line ends at a CR or an LF (some files have CRs alone).
    size_t end = body.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view line = body.substr(at, end - at);
    at = end + 1;
    if (line.empty()) continue;
    if (++lines > kMaxIcsLines) return kTooManyLines;
    if (StartsWithNoCase(line, "BEGIN:")) {
      open.push_back(0);
    } else if (StartsWithNoCase(line, "END:")) {
      if (!open.empty()) open.pop_back();
    } else if (!open.empty() && ++open.back() > kMaxComponentLines) {
      return kLongComponent;
    }
  }
  return nullptr;
}

// Hands libical the text a line at a time, as icalparser_parse_string
// does, and tells the progress function how far it has come.
struct LineFeed {
  std::string_view text;
  size_t at = 0;
  const ImportProgress* progress = nullptr;
  int64_t total = 1;
  unsigned lines = 0;
  bool stopped = false;

  static char* Next(char* out, size_t size, void* data) {
    LineFeed& feed = *static_cast<LineFeed*>(data);
    if (feed.at >= feed.text.size() || feed.stopped) return nullptr;
    if (++feed.lines % 1024 == 0 && *feed.progress &&
        !(*feed.progress)(int64_t(feed.at), feed.total)) {
      feed.stopped = true;
      return nullptr;
    }
    std::string_view rest = feed.text.substr(feed.at);
    size_t end = rest.find('\n');
    bool lone = false;  // a file with CRs alone ends its lines with them
    if (end == std::string_view::npos) {
      end = rest.find('\r');
      lone = end != std::string_view::npos;
    }
    size_t n = end == std::string_view::npos ? rest.size() : end + 1;
    n = std::min(n, size - 1);
    std::memcpy(out, rest.data(), n);
    if (lone && n > 0) out[n - 1] = '\n';
    out[n] = '\0';
    feed.at += n;
    return out;
  }
};

}  // namespace

FileError ReadIcsFile(const std::string& path, std::string& text) {
  text.clear();
  ExclusiveFile file;
  FileError error = file.OpenForRead(path);
  if (error != FileError::None) return error;
  int64_t size = 0;
  if ((error = file.Size(size)) != FileError::None) return error;
  text.resize(size_t(std::min<int64_t>(size, int64_t(kMaxIcsBytes) + 1)));
  size_t got = 0;
  error = file.ReadAt(0, text.data(), text.size(), got);
  text.resize(got);
  return error;
}

IcsImport ImportIcs(std::string_view text, const AlmanacState& almanac, LocalFromUtcFn localFromUtc,
                    const ImportProgress& progress) {
  if (text.size() > kMaxIcsBytes) return Failure(kTooBig);
  // Unfolded first: some programs fold in the middle of a character.
  std::string unfolded;
  unfolded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    size_t next = i + (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
    if (text[next] == '\n' && next + 1 < text.size() &&
        (text[next + 1] == ' ' || text[next + 1] == '\t')) {
      i = next + 1;
      continue;
    }
    unfolded += text[i];
  }
  std::string utf8;
  if (IsValidUtf8(unfolded)) {
    utf8 = std::move(unfolded);
  } else {  // an old program's file in the Windows code page
    for (char c : unfolded) utf8 += uint8_t(c) < 0x80 ? std::string(1, c) : ExactUnicode({&c, 1});
  }
  std::string_view body = utf8;
  if (StartsWithNoCase(body, "\xEF\xBB\xBF")) body.remove_prefix(3);  // byte order mark
  while (!body.empty() && std::isspace(uint8_t(body.front()))) body.remove_prefix(1);
  if (!StartsWithNoCase(body, "BEGIN:VCALENDAR")) return Failure(kNotCalendar);
  // A cut-off file is broken even where what is left would parse.
  std::string_view end = body;
  while (!end.empty() && std::isspace(uint8_t(end.back()))) end.remove_suffix(1);
  if (end.size() < 13 || !StartsWithNoCase(end.substr(end.size() - 13), "END:VCALENDAR"))
    return Failure(kBroken);

  CivilDate first{almanac.startYear, almanac.startMonth, almanac.startDay, 0};
  if (!IsValidAlmanacSettings(almanac.startDay, almanac.startMonth, almanac.startYear,
                              almanac.dayCount))
    return Failure(kBroken);

  if (const char* refused = TooMuchWork(body)) return Failure(refused);
  // The text stops at a NUL, as a C string would.
  body = body.substr(0, body.find('\0'));

  icalerror_set_errors_are_fatal(0);
  LineFeed feed;
  feed.text = body;
  feed.progress = &progress;
  feed.total = int64_t(body.size()) * 2;  // parsing is the first half of the work
  OwnedComponent root;
  {
    struct ParserDeleter {
      void operator()(icalparser* p) const { icalparser_free(p); }
    };
    std::unique_ptr<icalparser, ParserDeleter> parser(icalparser_new());
    if (!parser) return Failure(kBroken);
    icalparser_set_gen_data(parser.get(), &feed);
    root.reset(icalparser_parse(parser.get(), LineFeed::Next));
  }
  if (feed.stopped) return Stopped();
  if (!root) return Failure(kBroken);
  std::vector<icalcomponent*> calendars;
  if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
    calendars.push_back(root.get());
  } else if (icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
    for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
         c; c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
      calendars.push_back(c);
  }
  if (calendars.empty()) return Failure(kBroken);

  IcsImport result;
  Importer importer{almanac, localFromUtc, {}, result, progress};
  importer.range.first = DayNumber(first.year, first.month, first.day);
  importer.range.last = importer.range.first + almanac.dayCount;
  int64_t events = 0;
  for (icalcomponent* calendar : calendars)
    events += icalcomponent_count_components(calendar, ICAL_VEVENT_COMPONENT);
  // The second half: the events, with their repeats between.
  importer.done = int64_t(body.size());
  importer.total = importer.done * 2;
  const int64_t perEvent = events > 0 ? std::max<int64_t>(importer.done / events, 1) : 1;
  for (icalcomponent* calendar : calendars) {
    auto moved = MovedOccurrences(calendar);
    for (icalcomponent* e = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); e;
         e = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
      if (!importer.Event(e, calendar, moved))
        return result.stopped ? Stopped() : Failure(kBadEvent);
      if (importer.tooMany) return Failure(kTooMany);
      if (!importer.Step(perEvent)) return Stopped();
    }
  }
  result.ok = true;
  return result;
}

std::string ImportReport(const IcsImport& result) {
  if (!result.ok) return result.error;
  std::string text = "Se importaron " + std::to_string(result.labels) + " etiquetas; " +
                     std::to_string(result.outside) + " eventos quedan fuera del almanaque.";
  if (result.cutShort > 0)
    text += " " + std::to_string(result.cutShort) +
            " eventos se repiten tan a menudo que no se miraron todas sus repeticiones.";
  if (result.changed > 0)
    text += " Se cambiaron " + std::to_string(result.changed) +
            " caracteres por otros parecidos que este programa puede mostrar.";
  return text;
}
