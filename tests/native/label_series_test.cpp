// Labels that repeat: the days each rule gives, series recognised from the
// records as they are, the edits "Esta y las siguientes" makes, and labels
// brought into the next year's almanac.
#include "data/label_series.h"

#include <gtest/gtest.h>

#include "tests/common/share_sample.h"

namespace {

CivilDate D(int day, int month, int year) {
  return {int16_t(year), int16_t(month), int16_t(day), 0};
}

std::string Text(const CivilDate& d) { return ShortDateText(d); }

std::vector<std::string> Texts(const std::vector<CivilDate>& days) {
  std::vector<std::string> out;
  for (const CivilDate& d : days) out.push_back(Text(d));
  return out;
}

// The school year: 1 September 2025 to 30 June 2026.
AlmanacState SchoolYear() {
  AlmanacState almanac;
  almanac.name = "Clase";
  almanac.startDay = 1;
  almanac.startMonth = 9;
  almanac.startYear = 2025;
  almanac.dayCount = 302;
  return almanac;
}

std::vector<LabelRecord> Label(const std::vector<std::string>& lines, const CivilDate& day,
                               int32_t color = 0x00C0FFEE,
                               const AlmanacState& almanac = SchoolYear()) {
  return LabelRecordsOf(lines, color, day.day, day.month, day.year, almanac);
}

void Add(std::vector<LabelRecord>& file, const std::vector<LabelRecord>& more) {
  file.insert(file.end(), more.begin(), more.end());
}

// Each label of `records` as "dd/mm/yyyy first line".
std::vector<std::string> Labels(const std::vector<LabelRecord>& records) {
  std::vector<std::string> out;
  for (const LabelRun& run : GroupLabels(records)) {
    const LabelRecord& r = records[run.first];
    out.push_back(Text(D(r.day, r.month, r.year)) + " " + r.text);
  }
  return out;
}

TEST(RepeatDays, EachRuleFromItsFirstDayThroughTheLast) {
  struct Case {
    Repeat repeat;
    CivilDate first, until;
    std::vector<std::string> days;
  } cases[] = {
      {Repeat::Weekly,
       D(23, 12, 2025),
       D(13, 1, 2026),
       {"23/12/2025", "30/12/2025", "06/01/2026", "13/01/2026"}},
      {Repeat::Fortnightly,
       D(2, 9, 2025),
       D(14, 10, 2025),
       {"02/09/2025", "16/09/2025", "30/09/2025", "14/10/2025"}},
      // The 31st: months without it are skipped.
      {Repeat::MonthlyOnDay,
       D(31, 1, 2025),
       D(31, 12, 2025),
       {"31/01/2025", "31/03/2025", "31/05/2025", "31/07/2025", "31/08/2025", "31/10/2025",
        "31/12/2025"}},
      {Repeat::MonthlyOnDay,
       D(29, 1, 2025),
       D(29, 4, 2025),
       {"29/01/2025", "29/03/2025", "29/04/2025"}},
      {Repeat::MonthlyOnDay,
       D(29, 1, 2024),
       D(29, 3, 2024),
       {"29/01/2024", "29/02/2024", "29/03/2024"}},
      // The second Tuesday.
      {Repeat::MonthlyOnWeekday,
       D(9, 9, 2025),
       D(31, 1, 2026),
       {"09/09/2025", "14/10/2025", "11/11/2025", "09/12/2025", "13/01/2026"}},
      // A fifth Tuesday: the months that have four are skipped.
      {Repeat::MonthlyOnWeekday,
       D(30, 9, 2025),
       D(31, 3, 2026),
       {"30/09/2025", "30/12/2025", "31/03/2026"}},
      {Repeat::Yearly, D(29, 2, 2024), D(1, 3, 2029), {"29/02/2024", "29/02/2028"}},
      {Repeat::Yearly, D(15, 3, 2025), D(14, 3, 2026), {"15/03/2025"}},
      {Repeat::Yearly, D(31, 12, 2025), D(31, 12, 2026), {"31/12/2025", "31/12/2026"}},
      {Repeat::None, D(2, 9, 2025), D(23, 6, 2026), {"02/09/2025"}},
      {Repeat::Weekly, D(2, 9, 2025), D(1, 9, 2025), {"02/09/2025"}},  // "hasta el" before it
  };
  for (const Case& c : cases)
    EXPECT_EQ(Texts(RepeatDays(c.repeat, c.first, c.until)), c.days)
        << int(c.repeat) << " from " << Text(c.first);

  const std::vector<CivilDate> tuesdays = RepeatDays(Repeat::Weekly, D(2, 9, 2025), D(23, 6, 2026));
  ASSERT_EQ(tuesdays.size(), 43u);
  for (const CivilDate& d : tuesdays) EXPECT_EQ(WeekdayOf(d.year, d.month, d.day), 2) << Text(d);
  EXPECT_EQ(Text(tuesdays.back()), "23/06/2026");
}

TEST(RepeatDays, ARepeatStaysInsideTheAlmanacAndCopiesEveryLine) {
  const std::vector<LabelRecord> label = Label({"Clase", "Aula 3"}, D(2, 9, 2025));
  const std::vector<LabelRecord> records =
      RepeatedRecords(label, Repeat::Weekly, D(31, 12, 2026), SchoolYear());
  ASSERT_EQ(records.size(), 2 * 44u);  // to 30 June 2026, the almanac's last day
  EXPECT_EQ(Labels(records).back(), "30/06/2026 Clase");
  for (size_t k = 0; k < records.size(); ++k) {
    EXPECT_STREQ(records[k].text, k % 2 ? "Aula 3" : "Clase");
    EXPECT_EQ(records[k].isLastLine, int(k % 2));
    EXPECT_EQ(records[k].color, 0x00C0FFEE);
    EXPECT_EQ(records[k].almanacDayCount, 302);
  }
}

// A school year's file: a label before, a weekly class of two lines from
// 2 September to 23 June (43 labels), a label after.
std::vector<LabelRecord> SchoolFile() {
  std::vector<LabelRecord> file = Label({"Reunión"}, D(1, 9, 2025), 0x00FF0000);
  Add(file, RepeatedRecords(Label({"Clase", "Aula 3"}, D(2, 9, 2025)), Repeat::Weekly,
                            D(23, 6, 2026), SchoolYear()));
  Add(file, Label({"Excursión"}, D(3, 9, 2025)));
  return file;
}

// The record where the file's label on `day` with text `first` starts.
size_t At(const std::vector<LabelRecord>& records, const CivilDate& day, const char* first) {
  for (const LabelRun& run : GroupLabels(records)) {
    const LabelRecord& r = records[run.first];
    if (r.day == day.day && r.month == day.month && r.year == day.year &&
        std::string(r.text) == first)
      return run.first;
  }
  ADD_FAILURE() << "no label " << first << " on " << Text(day);
  return 0;
}

struct Found {
  Repeat repeat;
  size_t members;
  std::string first, last;
};

std::vector<Found> SeriesIn(const std::vector<LabelRecord>& records) {
  std::vector<Found> out;
  for (const LabelSeries& s : FindLabelSeries(records, GroupLabels(records))) {
    const LabelRecord& a = records[s.members.front().first];
    const LabelRecord& b = records[s.members.back().first];
    out.push_back({s.repeat, s.members.size(), Text(D(a.day, a.month, a.year)) + " " + a.text,
                   Text(D(b.day, b.month, b.year))});
  }
  return out;
}

TEST(LabelSeries, RecognisedFromTheRecordsAsTheyAre) {
  const AlmanacState almanac = SchoolYear();
  auto repeated = [&](Repeat repeat, const CivilDate& first, const CivilDate& until) {
    return RepeatedRecords(Label({"Tutoría"}, first), repeat, until, almanac);
  };
  // One label corrected on its own, in its place.
  std::vector<LabelRecord> corrected = SchoolFile();
  {
    const size_t at = At(corrected, D(7, 10, 2025), "Clase");
    SetRecordText(corrected[at + 1], "Aula 5");
  }
  // One removed; one moved to another day (to the end of the file).
  std::vector<LabelRecord> removed = SchoolFile(), moved = SchoolFile();
  {
    const size_t at = At(removed, D(7, 10, 2025), "Clase");
    removed.erase(removed.begin() + std::ptrdiff_t(at), removed.begin() + std::ptrdiff_t(at + 2));
    const size_t from = At(moved, D(7, 10, 2025), "Clase");
    std::vector<LabelRecord> label(moved.begin() + std::ptrdiff_t(from),
                                   moved.begin() + std::ptrdiff_t(from + 2));
    moved.erase(moved.begin() + std::ptrdiff_t(from), moved.begin() + std::ptrdiff_t(from + 2));
    for (LabelRecord& r : label) r.day = 8;
    Add(moved, label);
  }
  // Its colour changed on one: it leaves the series too.
  std::vector<LabelRecord> recoloured = SchoolFile();
  {
    const size_t at = At(recoloured, D(7, 10, 2025), "Clase");
    recoloured[at].color = recoloured[at + 1].color = 0x000000FF;
  }
  // Typed one by one, one after the other, a week apart: that is what a series looks like.
  std::vector<LabelRecord> typed = Label({"Gimnasio"}, D(1, 9, 2025));
  Add(typed, Label({"Gimnasio"}, D(8, 9, 2025)));
  // The same text with another label between that is on no day of a rule;
  // and days that do not rise.
  std::vector<LabelRecord> apart = Label({"Gimnasio"}, D(1, 9, 2025));
  Add(apart, Label({"Dentista"}, D(2, 9, 2025)));
  Add(apart, Label({"Gimnasio"}, D(8, 9, 2025)));
  Add(apart, Label({"Gimnasio"}, D(1, 9, 2025)));
  std::vector<LabelRecord> fifth =
      repeated(Repeat::MonthlyOnWeekday, D(30, 9, 2025), D(30, 6, 2026));

  struct Case {
    const char* what;
    std::vector<LabelRecord> records;
    std::vector<Found> series;
  } cases[] = {
      {"weekly", SchoolFile(), {{Repeat::Weekly, 43, "02/09/2025 Clase", "23/06/2026"}}},
      {"every two weeks",
       repeated(Repeat::Fortnightly, D(2, 9, 2025), D(30, 9, 2025)),
       {{Repeat::Fortnightly, 3, "02/09/2025 Tutoría", "30/09/2025"}}},
      {"the 31st",
       repeated(Repeat::MonthlyOnDay, D(31, 10, 2025), D(30, 6, 2026)),
       {{Repeat::MonthlyOnDay, 5, "31/10/2025 Tutoría", "31/05/2026"}}},
      {"the second Tuesday",
       repeated(Repeat::MonthlyOnWeekday, D(9, 9, 2025), D(30, 6, 2026)),
       {{Repeat::MonthlyOnWeekday, 10, "09/09/2025 Tutoría", "09/06/2026"}}},
      {"a fifth Tuesday",
       fifth,
       {{Repeat::MonthlyOnWeekday, 4, "30/09/2025 Tutoría", "30/06/2026"}}},
      {"one corrected alone", corrected, {{Repeat::Weekly, 42, "02/09/2025 Clase", "23/06/2026"}}},
      {"one removed alone", removed, {{Repeat::Weekly, 42, "02/09/2025 Clase", "23/06/2026"}}},
      {"one moved alone", moved, {{Repeat::Weekly, 42, "02/09/2025 Clase", "23/06/2026"}}},
      {"one recoloured", recoloured, {{Repeat::Weekly, 42, "02/09/2025 Clase", "23/06/2026"}}},
      {"typed one by one", typed, {{Repeat::Weekly, 2, "01/09/2025 Gimnasio", "08/09/2025"}}},
      {"apart", apart, {}},
      {"one label", Label({"Clase"}, D(2, 9, 2025)), {}},
  };
  for (const Case& c : cases) {
    const std::vector<Found> got = SeriesIn(c.records);
    ASSERT_EQ(got.size(), c.series.size()) << c.what;
    for (size_t k = 0; k < got.size(); ++k) {
      EXPECT_EQ(got[k].repeat, c.series[k].repeat) << c.what;
      EXPECT_EQ(got[k].members, c.series[k].members) << c.what;
      EXPECT_EQ(got[k].first, c.series[k].first) << c.what;
      EXPECT_EQ(got[k].last, c.series[k].last) << c.what;
    }
  }
}

TEST(LabelSeries, ThisAndTheFollowingChangeOrGoInOneRewrite) {
  const AlmanacState almanac = SchoolYear();
  std::vector<LabelRecord> file = SchoolFile();
  // 7 October was corrected on its own before: it stays as it is.
  SetRecordText(file[At(file, D(7, 10, 2025), "Clase") + 1], "Aula 5");
  const std::vector<LabelRun> runs = GroupLabels(file);
  const std::vector<LabelSeries> series = FindLabelSeries(file, runs);
  const size_t from = At(file, D(30, 9, 2025), "Clase");
  const LabelSeries* s = SeriesOfLabel(series, from);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SeriesOfLabel(series, At(file, D(7, 10, 2025), "Clase")), nullptr);
  EXPECT_EQ(SeriesOfLabel(series, 0), nullptr);  // "Reunión"
  const std::vector<LabelRun> following = ThisAndFollowing(*s, from);
  EXPECT_EQ(following.size(), 42u - 4u);  // from the fifth Tuesday, less 7 October

  // The room corrected from 30 September on; the days stay.
  std::vector<LabelRecord> changed = file;
  ApplyLabelFileEdit(changed, ChangeLabelsEdit(file, following, s->repeat, {"Clase", "Aula 7"},
                                               0x00C0FFEE, D(30, 9, 2025), almanac));
  ASSERT_EQ(changed.size(), file.size());
  for (const LabelRun& run : GroupLabels(changed)) {
    const LabelRecord& r = changed[run.first];
    if (std::string(r.text) != "Clase") continue;
    const bool later = !DateBefore(D(r.day, r.month, r.year), D(30, 9, 2025));
    const bool october7 = r.day == 7 && r.month == 10;
    EXPECT_STREQ(changed[run.first + 1].text, october7 ? "Aula 5"
                                              : later  ? "Aula 7"
                                                       : "Aula 3")
        << Text(D(r.day, r.month, r.year));
  }

  // Moved to Wednesdays from 30 September on: the old ones go, the new ones
  // come at the end, through the last Tuesday's next day.
  std::vector<LabelRecord> moved = file;
  ApplyLabelFileEdit(moved, ChangeLabelsEdit(file, following, s->repeat, {"Clase", "Aula 3"},
                                             0x00C0FFEE, D(1, 10, 2025), almanac));
  const std::vector<std::string> labels = Labels(moved);
  ASSERT_EQ(labels.size(), 1 + 4 + 1 + 1 + 39u);
  EXPECT_EQ(labels[4], "23/09/2025 Clase");
  EXPECT_EQ(labels[5], "07/10/2025 Clase");  // corrected alone, kept
  EXPECT_EQ(labels[6], "03/09/2025 Excursión");
  EXPECT_EQ(labels[7], "01/10/2025 Clase");
  EXPECT_EQ(labels.back(), "24/06/2026 Clase");
  EXPECT_EQ(SeriesIn(moved).size(), 2u);  // the Tuesdays left, the Wednesdays

  // Removed from 30 September on; removing every label takes the file away.
  std::vector<LabelRecord> removed = file;
  ApplyLabelFileEdit(removed, RemoveLabelsEdit(file, following));
  EXPECT_EQ(GroupLabels(removed).size(), 1 + 4 + 1 + 1u);
  EXPECT_FALSE(RemoveLabelsEdit(file, following).removesFile);
  const std::vector<LabelRecord> only =
      RepeatedRecords(Label({"x"}, D(2, 9, 2025)), Repeat::Weekly, D(30, 9, 2025), almanac);
  const LabelFileEdit all = RemoveLabelsEdit(only, GroupLabels(only));
  EXPECT_TRUE(all.removesFile);
  EXPECT_EQ(all.splices.size(), 5u);
}

TEST(BringLabels, ToTheSameDayAndAWeeklySeriesOnItsWeekday) {
  // A 2024 almanac (a leap year): birthdays, one on 29 February, a weekly
  // yoga class on Tuesdays from 2 January, and a second-Tuesday meeting.
  const AlmanacState old = YearAlmanac("2024", 2024, 365);
  std::vector<LabelRecord> from =
      Label({"Cumpleaños de Ana", "\\#69"}, D(14, 3, 2024), 0x0000FF, old);
  Add(from, Label({"Cumpleaños de Luis"}, D(29, 2, 2024), 0x00FF00, old));
  Add(from, RepeatedRecords(Label({"Yoga"}, D(2, 1, 2024), 0xFF0000, old), Repeat::Weekly,
                            D(31, 12, 2024), old));
  Add(from, RepeatedRecords(Label({"Junta"}, D(9, 1, 2024), 0xFF00FF, old),
                            Repeat::MonthlyOnWeekday, D(31, 12, 2024), old));
  Add(from, Label({"Cumpleaños de Eva"}, D(31, 12, 2024), 0x0000FF, old));

  const std::vector<OfferedLabel> offered = OfferedLabels(from);
  ASSERT_EQ(offered.size(), 5u);  // each series once
  EXPECT_EQ(offered[2].repeat, Repeat::Weekly);
  EXPECT_EQ(offered[2].count, 53u);
  EXPECT_EQ(offered[3].repeat, Repeat::MonthlyOnWeekday);
  EXPECT_EQ(offered[4].repeat, Repeat::None);
  EXPECT_EQ(OfferedDayText(from, offered[0]), "14/03/2024");
  EXPECT_EQ(OfferedDayText(from, offered[2]), "02/01/2024, cada semana (53)");

  const AlmanacState next = YearAlmanac("2025", 2025, 364);
  const BroughtLabels brought = BringLabels(from, offered, next);
  EXPECT_EQ(brought.left, 1);  // 29 February
  const std::vector<std::string> labels = Labels(brought.records);
  ASSERT_EQ(brought.labels, 1 + 52 + 12 + 1);
  ASSERT_EQ(labels.size(), size_t(brought.labels));
  EXPECT_EQ(labels[0], "14/03/2025 Cumpleaños de Ana");
  EXPECT_EQ(labels[1], "07/01/2025 Yoga");  // the first Tuesday of 2025
  EXPECT_EQ(labels[52], "30/12/2025 Yoga");
  EXPECT_EQ(labels[53], "14/01/2025 Junta");  // the second Tuesday
  EXPECT_EQ(labels[64], "09/12/2025 Junta");
  EXPECT_EQ(labels[65], "31/12/2025 Cumpleaños de Eva");
  EXPECT_STREQ(brought.records[1].text, "\\#69");
  EXPECT_EQ(brought.records[1].isLastLine, 1);
  for (const LabelRecord& r : brought.records) {
    EXPECT_EQ(r.almanacStartYear, 2025);
    EXPECT_EQ(r.almanacDayCount, 364);
  }
  // Into a leap year, 29 February comes along.
  const BroughtLabels leap = BringLabels(from, {offered[1]}, YearAlmanac("2028", 2028, 365));
  EXPECT_EQ(Labels(leap.records), std::vector<std::string>{"29/02/2028 Cumpleaños de Luis"});
}

}  // namespace
