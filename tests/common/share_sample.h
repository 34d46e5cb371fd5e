// Labels that carry everything an .ics export must keep: every icon code,
// every palette colour, lines of 119 bytes, text that needs escaping and
// folding, blanks at the ends of a label, control and undefined bytes, two
// labels on one day and empty lines; and series, each exported as one
// repeating event. In a 366-day almanac of 2024.
#pragma once
#include <string>
#include <vector>

#include "data/almanac_state.h"
#include "data/calendar.h"
#include "data/label_file.h"
#include "data/label_palette.h"
#include "data/label_series.h"

// An almanac from 1 January of `year` showing `dayCount` + 1 days.
inline AlmanacState YearAlmanac(const char* name, int16_t year, int16_t dayCount) {
  AlmanacState almanac;
  almanac.name = name;
  almanac.startDay = 1;
  almanac.startMonth = 1;
  almanac.startYear = year;
  almanac.dayCount = dayCount;
  return almanac;
}

inline AlmanacState ShareSampleAlmanac() { return YearAlmanac("Año 2024; ñandú, café", 2024, 365); }

inline std::vector<LabelRecord> ShareSampleLabels() {
  const AlmanacState almanac = ShareSampleAlmanac();
  std::vector<LabelRecord> records;
  auto add = [&](int dayOffset, int32_t color, const std::vector<std::string>& lines) {
    CivilDate date{almanac.startYear, almanac.startMonth, almanac.startDay, 0};
    AddDays(date, dayOffset);
    for (size_t k = 0; k < lines.size(); ++k) {
      LabelRecord r;
      r.day = date.day;
      r.month = date.month;
      r.year = date.year;
      SetRecordText(r, lines[k].c_str());
      r.color = color;
      r.isLastLine = k + 1 == lines.size();
      r.almanacStartDay = almanac.startDay;
      r.almanacStartMonth = almanac.startMonth;
      r.almanacStartYear = almanac.startYear;
      r.almanacDayCount = almanac.dayCount;
      records.push_back(r);
    }
  };
  // 119 bytes that need escaping, with accents that fold as two octets each.
  std::string full;
  while (full.size() < kMaxLineBytes) full += "ñ;a,\\b ";
  full.resize(kMaxLineBytes);

  for (int i = 0; i < kLabelPaletteSize; ++i) {
    std::string first = "Día " + std::to_string(i) + ":";
    for (int n = 3 * i + 1; n <= 3 * i + 3 && n <= 99; ++n) {
      char code[8];
      snprintf(code, sizeof code, " \\#%02d", n);
      first += code;
    }
    std::vector<std::string> lines = {first};
    if (i % 5 == 0) lines.push_back(full);
    if (i % 7 == 1) lines.insert(lines.end(), {"", "  sangría, 5€ \"¿sí?\"  "});
    // Day 59 is 29 February; labels 10 and 11 share a day.
    add(i == 11 ? 90 : i * 9, kLabelPalette[i], lines);
  }
  add(100, kLabelPalette[0], {"\t\x01 control, \x81\x8D\x8F\x90\x9D sin letra, tab\t"});
  add(101, kLabelPalette[1], {"\\#00 \\#1 \\#100 \\#9x \\\\#05"});
  add(102, kLabelPalette[2], {"", "primera vacía"});
  add(103, kLabelPalette[3], {""});
  add(104, kLabelPalette[4], {"\\#09", "\\#22\\#22"});

  // A class every Tuesday but 29 October, the 31st of every month that has
  // it, and the fifth Friday of the months that have one.
  auto series = [&](Repeat repeat, int16_t day, int16_t month, int16_t untilMonth,
                    const std::vector<std::string>& lines, int32_t color, int16_t leftOutMonth = 0,
                    int16_t leftOutDay = 0) {
    const std::vector<LabelRecord> label =
        LabelRecordsOf(lines, color, day, month, almanac.startYear, almanac);
    for (const LabelRecord& r : RepeatedRecords(label, repeat, {2024, untilMonth, 31, 0}, almanac))
      if (r.month != leftOutMonth || r.day != leftOutDay) records.push_back(r);
  };
  series(Repeat::Weekly, 3, 9, 12, {"Clase de \\#70", "Aula 3; ¡puntual!"}, kLabelPalette[5], 10,
         29);
  series(Repeat::MonthlyOnDay, 31, 1, 12, {"Fin de mes"}, kLabelPalette[6]);
  series(Repeat::MonthlyOnWeekday, 29, 3, 12, {"Quinto viernes"}, kLabelPalette[7]);
  return records;
}
