#include "label_series.h"

#include <algorithm>
#include <cstring>

namespace {

// Labels of other texts a stretch may hold in a row (labels corrected on
// their own): past it the stretch ends, so looking for a series never goes
// far through labels that have nothing to do with it.
constexpr size_t kMostSkippedInARow = 64;
// Rule days counted between two labels before the count stops mattering.
constexpr int64_t kCountedDays = 10000;

CivilDate DateOf(const LabelRecord& record) { return {record.year, record.month, record.day, 0}; }

bool IsReal(const CivilDate& date) { return IsRealDate(date.year, date.month, date.day); }

int16_t MonthLength(int year, int month) {
  MonthLengthTable table;
  BuildMonthLengths(table, int16_t(year));
  return table[month];
}

// The week of the month a day falls in: 0 for days 1-7, ..., 4 for 29-31.
int WeekOfMonth(int day) { return (day - 1) / 7; }

// The day of (year, month) that is the `week`-th (0-based) `weekday`, or 0.
int NthWeekday(int year, int month, int weekday, int week) {
  const int firstWeekday = WeekdayOf(int16_t(year), int16_t(month), 1);
  const int day = 1 + (weekday - firstWeekday + 7) % 7 + 7 * week;
  return day <= MonthLength(year, month) ? day : 0;
}

// The day `repeat` gives in (year, month) for a series that started on
// `first`, or 0 when that month has none.
int DayInMonth(Repeat repeat, const CivilDate& first, int year, int month) {
  switch (repeat) {
    case Repeat::MonthlyOnDay:
      return first.day <= MonthLength(year, month) ? first.day : 0;
    case Repeat::MonthlyOnWeekday:
      return NthWeekday(year, month, WeekdayOf(first.year, first.month, first.day),
                        WeekOfMonth(first.day));
    case Repeat::Yearly:
      return month == first.month && first.day <= MonthLength(year, month) ? first.day : 0;
    default:
      return 0;
  }
}

// Whether `date` (not before `first`) is a day of `repeat` started on `first`.
bool IsRepeatDay(Repeat repeat, const CivilDate& first, const CivilDate& date) {
  switch (repeat) {
    case Repeat::Weekly:
      return (DayIndex(date) - DayIndex(first)) % 7 == 0;
    case Repeat::Fortnightly:
      return (DayIndex(date) - DayIndex(first)) % 14 == 0;
    case Repeat::MonthlyOnDay:
    case Repeat::MonthlyOnWeekday:
    case Repeat::Yearly:
      return DayInMonth(repeat, first, date.year, date.month) == date.day;
    default:
      return false;
  }
}

// The days of `repeat` from `first` through `last` (both days of it), as far
// as kCountedDays.
int64_t CountRepeatDays(Repeat repeat, const CivilDate& first, const CivilDate& last) {
  const int64_t span = DayIndex(last) - DayIndex(first);
  if (repeat == Repeat::Weekly) return span / 7 + 1;
  if (repeat == Repeat::Fortnightly) return span / 14 + 1;
  int64_t count = 0;
  int year = first.year, month = first.month;
  while ((year < last.year || (year == last.year && month <= last.month)) && count < kCountedDays) {
    if (DayInMonth(repeat, first, year, month) > 0) ++count;
    if (repeat == Repeat::Yearly) {
      ++year;
    } else if (++month > 12) {
      month = 1;
      ++year;
    }
  }
  return count;
}

bool SameText(const std::vector<LabelRecord>& records, const LabelRun& a, const LabelRun& b) {
  if (a.count != b.count || records[a.first].color != records[b.first].color) return false;
  for (size_t k = 0; k < a.count; ++k)
    if (std::strncmp(records[a.first + k].text, records[b.first + k].text, kTextBytes) != 0)
      return false;
  return true;
}

// The longest stretch from run `start` that `repeat` gives.
struct Candidate {
  LabelSeries series;
  int64_t skipped = 0;  // rule days without a label of the stretch
};

Candidate StretchFrom(const std::vector<LabelRecord>& records, const std::vector<LabelRun>& runs,
                      size_t start, Repeat repeat) {
  Candidate found;
  found.series.repeat = repeat;
  found.series.members.push_back(runs[start]);
  const CivilDate first = DateOf(records[runs[start].first]);
  CivilDate previous = first;
  size_t lastMember = start;
  for (size_t j = start + 1; j < runs.size() && j - lastMember <= kMostSkippedInARow; ++j) {
    const CivilDate date = DateOf(records[runs[j].first]);
    if (!IsReal(date) || !DateBefore(previous, date) || !IsRepeatDay(repeat, first, date)) break;
    previous = date;
    if (SameText(records, runs[start], runs[j])) {
      found.series.members.push_back(runs[j]);
      lastMember = j;
    }
  }
  found.series.firstRun = start;
  found.series.endRun = lastMember + 1;
  const CivilDate last = DateOf(records[runs[lastMember].first]);
  found.skipped = CountRepeatDays(repeat, first, last) - int64_t(lastMember + 1 - start);
  return found;
}

std::vector<LabelRecord> RecordsOfRun(const std::vector<LabelRecord>& records,
                                      const LabelRun& run) {
  return std::vector<LabelRecord>(records.begin() + std::ptrdiff_t(run.first),
                                  records.begin() + std::ptrdiff_t(run.first + run.count));
}

// A label's records on `date` in `almanac`: its texts and colour, the last
// line marked as such.
std::vector<LabelRecord> LabelOn(const std::vector<LabelRecord>& label, const CivilDate& date,
                                 const AlmanacState& almanac) {
  std::vector<LabelRecord> out;
  out.reserve(label.size());
  for (size_t k = 0; k < label.size(); ++k) {
    LabelRecord record;
    record.day = date.day;
    record.month = date.month;
    record.year = date.year;
    SetRecordText(record, label[k].text);
    record.color = label[k].color;
    record.isLastLine = k + 1 == label.size() ? 1 : 0;
    record.almanacStartDay = almanac.startDay;
    record.almanacStartMonth = almanac.startMonth;
    record.almanacStartYear = almanac.startYear;
    record.almanacDayCount = almanac.dayCount;
    out.push_back(record);
  }
  return out;
}

bool Inside(const CivilDate& date, const CivilDate& first, const CivilDate& last) {
  return IsReal(date) && !DateBefore(date, first) && !DateBefore(last, date);
}

}  // namespace

std::vector<CivilDate> RepeatDays(Repeat repeat, const CivilDate& first, const CivilDate& until) {
  std::vector<CivilDate> days{first};
  if (repeat == Repeat::None || !IsReal(first) || !IsReal(until) || !DateBefore(first, until))
    return days;
  const int64_t last = DayIndex(until);
  if (repeat == Repeat::Weekly || repeat == Repeat::Fortnightly) {
    const int step = repeat == Repeat::Weekly ? 7 : 14;
    for (int64_t d = DayIndex(first) + step; d <= last; d += step)
      days.push_back(DateOfDayIndex(d));
    return days;
  }
  int year = first.year, month = first.month;
  for (;;) {
    if (repeat == Repeat::Yearly) {
      ++year;
    } else if (++month > 12) {
      month = 1;
      ++year;
    }
    if (year > until.year || (year == until.year && month > until.month)) break;
    const int day = DayInMonth(repeat, first, year, month);
    if (day == 0) continue;
    const CivilDate date{int16_t(year), int16_t(month), int16_t(day), 0};
    if (DayIndex(date) > last) break;
    days.push_back(date);
  }
  return days;
}

CivilDate AlmanacFirstDay(const AlmanacState& almanac) {
  return {almanac.startYear, almanac.startMonth, almanac.startDay, 0};
}

CivilDate AlmanacLastDay(const AlmanacState& almanac) {
  CivilDate last = AlmanacFirstDay(almanac);
  AddDays(last, almanac.dayCount);
  return last;
}

std::vector<LabelRecord> RepeatedRecords(const std::vector<LabelRecord>& label, Repeat repeat,
                                         const CivilDate& until, const AlmanacState& almanac) {
  std::vector<LabelRecord> out;
  if (label.empty()) return out;
  const CivilDate first = AlmanacFirstDay(almanac), last = AlmanacLastDay(almanac);
  const CivilDate end = DateBefore(last, until) ? last : until;
  for (const CivilDate& day : RepeatDays(repeat, DateOf(label.front()), end)) {
    if (!Inside(day, first, last)) continue;
    for (const LabelRecord& record : LabelOn(label, day, almanac)) out.push_back(record);
  }
  return out;
}

std::vector<LabelSeries> FindLabelSeries(const std::vector<LabelRecord>& records,
                                         const std::vector<LabelRun>& runs) {
  std::vector<LabelSeries> found;
  size_t i = 0;
  while (i < runs.size()) {
    if (!IsReal(DateOf(records[runs[i].first]))) {
      ++i;
      continue;
    }
    Candidate best;
    for (int r = 1; r < kRepeatCount; ++r) {
      Candidate c = StretchFrom(records, runs, i, Repeat(r));
      if (c.series.members.size() > best.series.members.size() ||
          (c.series.members.size() == best.series.members.size() && c.skipped < best.skipped))
        best = std::move(c);
    }
    if (best.series.members.size() < 2) {
      ++i;
      continue;
    }
    i = best.series.endRun;
    found.push_back(std::move(best.series));
  }
  return found;
}

const LabelSeries* SeriesOfLabel(const std::vector<LabelSeries>& series, size_t firstRecord) {
  for (const LabelSeries& s : series)
    for (const LabelRun& member : s.members)
      if (member.first == firstRecord) return &s;
  return nullptr;
}

std::vector<LabelRun> ThisAndFollowing(const LabelSeries& series, size_t firstRecord) {
  std::vector<LabelRun> runs;
  for (const LabelRun& member : series.members)
    if (member.first >= firstRecord) runs.push_back(member);
  return runs;
}

LabelFileEdit RemoveLabelsEdit(const std::vector<LabelRecord>& records,
                               const std::vector<LabelRun>& labels) {
  LabelFileEdit edit;
  size_t removed = 0;
  for (const LabelRun& run : labels) {
    edit.splices.push_back({run.first, RecordsOfRun(records, run), {}});
    removed += run.count;
  }
  // No label left: an empty file would no longer say which days the
  // almanac spans, so the file goes ("Deshacer" makes it again).
  if (removed == records.size()) {
    edit.removesFile = true;
    edit.setsTail = true;
  }
  return edit;
}

LabelFileEdit ChangeLabelsEdit(const std::vector<LabelRecord>& records,
                               const std::vector<LabelRun>& labels, Repeat repeat,
                               const std::vector<std::string>& lines, int32_t color,
                               const CivilDate& date, const AlmanacState& almanac) {
  LabelFileEdit edit;
  if (labels.empty()) return edit;
  const CivilDate from = DateOf(records[labels.front().first]);
  if (DayIndex(date) == DayIndex(from)) {
    for (const LabelRun& run : labels) {
      const LabelRecord& was = records[run.first];
      edit.splices.push_back(
          {run.first, RecordsOfRun(records, run),
           RecordBytes(LabelRecordsOf(lines, color, was.day, was.month, was.year, almanac))});
    }
    return edit;
  }
  for (const LabelRun& run : labels)
    edit.splices.push_back({run.first, RecordsOfRun(records, run), {}});
  const int64_t shift = DayIndex(date) - DayIndex(from);
  const CivilDate until = DateOfDayIndex(DayIndex(DateOf(records[labels.back().first])) + shift);
  const std::vector<LabelRecord> label =
      LabelRecordsOf(lines, color, date.day, date.month, date.year, almanac);
  edit.splices.push_back(
      {records.size(), {}, RecordBytes(RepeatedRecords(label, repeat, until, almanac))});
  return edit;
}

std::vector<OfferedLabel> OfferedLabels(const std::vector<LabelRecord>& records) {
  const std::vector<LabelRun> runs = GroupLabels(records);
  const std::vector<LabelSeries> series = FindLabelSeries(records, runs);
  std::vector<OfferedLabel> offered;
  size_t next = 0;  // the next series, in file order
  for (const LabelRun& run : runs) {
    if (!IsReal(DateOf(records[run.first]))) continue;
    while (next < series.size() && series[next].members.back().first < run.first) ++next;
    if (next < series.size()) {
      const LabelSeries& s = series[next];
      const auto member = std::find_if(s.members.begin(), s.members.end(),
                                       [&](const LabelRun& m) { return m.first == run.first; });
      if (member == s.members.begin()) {
        offered.push_back({run, s.repeat, s.members.size()});
        continue;
      }
      if (member != s.members.end()) continue;  // shown once, by its first member
    }
    offered.push_back({run, Repeat::None, 1});
  }
  return offered;
}

std::string OfferedDayText(const std::vector<LabelRecord>& records, const OfferedLabel& offer) {
  static const char* const kRules[kRepeatCount] = {"",
                                                   "cada semana",
                                                   "cada dos semanas",
                                                   "cada mes (el mismo día)",
                                                   "cada mes (el mismo día de la semana)",
                                                   "cada año"};
  std::string text = ShortDateText(DateOf(records[offer.label.first]));
  if (offer.repeat != Repeat::None)
    text +=
        std::string(", ") + kRules[int(offer.repeat)] + " (" + std::to_string(offer.count) + ")";
  return text;
}

BroughtLabels BringLabels(const std::vector<LabelRecord>& from,
                          const std::vector<OfferedLabel>& chosen, const AlmanacState& almanac) {
  BroughtLabels brought;
  const CivilDate first = AlmanacFirstDay(almanac), last = AlmanacLastDay(almanac);
  for (const OfferedLabel& offer : chosen) {
    const std::vector<LabelRecord> label = RecordsOfRun(from, offer.label);
    const CivilDate was = DateOf(label.front());
    // The first day of the almanac a label of this kind may stand on.
    CivilDate start{};
    bool found = false;
    for (int64_t d = DayIndex(first); d <= DayIndex(last) && !found; ++d) {
      const CivilDate day = DateOfDayIndex(d);
      switch (offer.repeat) {
        case Repeat::None:
        case Repeat::Yearly:
        case Repeat::MonthlyOnDay:
          found = day.day == was.day &&
                  (day.month == was.month || offer.repeat == Repeat::MonthlyOnDay);
          break;
        case Repeat::Weekly:
        case Repeat::Fortnightly:
          found =
              WeekdayOf(day.year, day.month, day.day) == WeekdayOf(was.year, was.month, was.day);
          break;
        case Repeat::MonthlyOnWeekday:
          found =
              WeekdayOf(day.year, day.month, day.day) == WeekdayOf(was.year, was.month, was.day) &&
              WeekOfMonth(day.day) == WeekOfMonth(was.day);
          break;
      }
      if (found) start = day;
    }
    if (!found) {
      ++brought.left;
      continue;
    }
    const std::vector<CivilDate> days = offer.repeat == Repeat::None
                                            ? std::vector<CivilDate>{start}
                                            : RepeatDays(offer.repeat, start, last);
    for (const CivilDate& day : days) {
      for (const LabelRecord& record : LabelOn(label, day, almanac))
        brought.records.push_back(record);
      ++brought.labels;
    }
  }
  return brought;
}
