// Labels that repeat. A repeat stores one ordinary label per day its rule
// gives, all appended in one write, so the file format knows nothing of
// series: a series is recognised from the records as they are (see
// FindLabelSeries). Portable.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "almanac_state.h"
#include "calendar.h"
#include "label_edit.h"
#include "label_file.h"

// The rules of "Repetir:", in the order the list shows them.
enum class Repeat : int {
  None = 0,
  Weekly,            // every 7 days
  Fortnightly,       // every 14 days
  MonthlyOnDay,      // the same day of every month that has it
  MonthlyOnWeekday,  // the same weekday in the same week of the month (the second Tuesday)
  Yearly,            // the same day and month (29 February only in leap years)
};
constexpr int kRepeatCount = 6;

// The days `repeat` gives from `first` through `until`, both included, in
// order; `first` is always the first of them. A month or year without the
// day (31 February, a fifth Tuesday, 29 February of 2027) is skipped, as
// calendars do. Repeat::None, or `until` before `first`, gives `first` alone.
std::vector<CivilDate> RepeatDays(Repeat repeat, const CivilDate& first, const CivilDate& until);

// The almanac's first and last day.
CivilDate AlmanacFirstDay(const AlmanacState& almanac);
CivilDate AlmanacLastDay(const AlmanacState& almanac);

// The records of a new label repeated by `repeat` from its own day through
// `until` (cut to the almanac's last day): one label per day, each with
// `label`'s lines, for one AppendLabel. `label` is the first day's label.
std::vector<LabelRecord> RepeatedRecords(const std::vector<LabelRecord>& label, Repeat repeat,
                                         const CivilDate& until, const AlmanacState& almanac);

// A series: labels made together by one repeat, for as long as their text
// and colour stay the same. Recognised without any mark in the file:
//  - a repeat (or an import of a repeating event) appends its labels one
//    after the other, in date order, so a series is a stretch of
//    consecutive labels of the file whose dates rise and all fall on days
//    of one rule started at the first of them;
//  - its members are the labels of the stretch with the first one's text
//    lines and colour, at least two of them; the stretch ends at its last
//    member;
//  - a label corrected on its own keeps its place in the file but leaves
//    the series (its text or colour differ): it stays inside the stretch as
//    a day the series skips, and the members before and after it remain one
//    series. A label removed on its own leaves a day without a member; a
//    label moved to another day goes to the end of the file and leaves it.
//  - of the rules that fit, the one with the most members wins, then the
//    one that skips the fewest of its days, then the earlier in the list.
// Consecutive labels typed one by one with the same text and colour on the
// days of a rule are taken for a series too, which is what they look like.
struct LabelSeries {
  Repeat repeat = Repeat::None;
  std::vector<LabelRun> members;    // in file order, which is date order
  size_t firstRun = 0, endRun = 0;  // the stretch: runs [firstRun, endRun) of GroupLabels
};
std::vector<LabelSeries> FindLabelSeries(const std::vector<LabelRecord>& records,
                                         const std::vector<LabelRun>& runs);

// The series whose member starts at record `firstRecord`; nullptr if none.
const LabelSeries* SeriesOfLabel(const std::vector<LabelSeries>& series, size_t firstRecord);
// "Esta y las siguientes": the member at `firstRecord` and every later one.
std::vector<LabelRun> ThisAndFollowing(const LabelSeries& series, size_t firstRecord);

// One rewrite that removes `labels` (ascending, apart). When nothing would
// be left, the file goes (an almanac without labels has no file).
LabelFileEdit RemoveLabelsEdit(const std::vector<LabelRecord>& records,
                               const std::vector<LabelRun>& labels);

// One rewrite that changes `labels` ("Esta y las siguientes" from the first
// of them) to the text `lines` and `color`. When `date` is the first one's
// day, each keeps its day and its place; otherwise the day moves by the same
// number of days for all of them: they are removed and the series is made
// anew with `repeat` from `date` through the last one's day moved as far
// (cut to the almanac), at the end of the file, as a moved label goes.
LabelFileEdit ChangeLabelsEdit(const std::vector<LabelRecord>& records,
                               const std::vector<LabelRun>& labels, Repeat repeat,
                               const std::vector<std::string>& lines, int32_t color,
                               const CivilDate& date, const AlmanacState& almanac);

// "Traer etiquetas": the labels of another almanac's file as offered, a
// series once (by its first member), in file order; broken records are not
// offered.
struct OfferedLabel {
  LabelRun label;
  Repeat repeat = Repeat::None;  // None: a label on its own
  size_t count = 1;              // labels of the series
};
std::vector<OfferedLabel> OfferedLabels(const std::vector<LabelRecord>& records);
// Its day as the list shows it: "14/03/2026", or for a series its first
// day, its rule and how many labels it has: "06/01/2026, cada semana (52)".
std::string OfferedDayText(const std::vector<LabelRecord>& records, const OfferedLabel& offer);

// The records that bring `chosen` (of `from`) into `almanac`, in order, for
// one AppendLabel. A label goes to the same day and month, the first time
// the almanac has it (29 February only into a leap year); a series is made
// anew with its rule from the almanac's first day it can start on (a weekly
// one from the first day of its weekday) through the almanac's last day.
struct BroughtLabels {
  std::vector<LabelRecord> records;
  int labels = 0;  // labels among `records`
  int left = 0;    // chosen labels whose day the almanac does not have
};
BroughtLabels BringLabels(const std::vector<LabelRecord>& from,
                          const std::vector<OfferedLabel>& chosen, const AlmanacState& almanac);
