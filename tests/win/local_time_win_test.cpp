// Import on Windows: the cross-built libical reads zones and repeats, and
// times land on the dates of the Windows time zone. Run by ctest with
// TZ=Europe/Madrid, which Wine takes as the Windows zone (see CMakeLists.txt).
#include <gtest/gtest.h>
#include <windows.h>

#include "app/local_time.h"
#include "share/ics_import.h"

namespace {

TEST(LocalTimeWin, ImportedTimesLandOnMadridDays) {
  const char* text =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\n"
      "BEGIN:VTIMEZONE\r\nTZID:America/New_York\r\n"
      "BEGIN:DAYLIGHT\r\nTZOFFSETFROM:-0500\r\nTZOFFSETTO:-0400\r\nDTSTART:19700308T020000\r\n"
      "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU\r\nEND:DAYLIGHT\r\n"
      "BEGIN:STANDARD\r\nTZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500\r\nDTSTART:19701101T020000\r\n"
      "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
      "BEGIN:VEVENT\r\nUID:a\r\nSUMMARY:Llamada\r\n"
      "DTSTART;TZID=America/New_York:20250305T190000\r\nDURATION:PT1H\r\n"
      "RRULE:FREQ=WEEKLY;COUNT=4\r\nEXDATE;TZID=America/New_York:20250319T190000\r\n"
      "END:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:b\r\nSUMMARY:Verano\r\nDTSTART:20250715T080000Z\r\nEND:VEVENT\r\n"
      "END:VCALENDAR\r\n";
  AlmanacState almanac;
  almanac.startDay = 1;
  almanac.startMonth = 1;
  almanac.startYear = 2025;
  almanac.dayCount = 364;
  IcsImport result = ImportIcs(text, almanac, LocalFromUtc);
  ASSERT_TRUE(result.ok) << result.error;
  std::vector<std::string> labels;
  for (const LabelRecord& r : result.records)
    labels.push_back(std::to_string(r.day) + "/" + std::to_string(r.month) + " " + r.text);
  // New York's summer time starts on 9 March, Madrid's on 30 March.
  EXPECT_EQ(labels, (std::vector<std::string>{"6/3 01:00 Llamada", "13/3 00:00 Llamada",
                                              "27/3 00:00 Llamada", "15/7 10:00 Verano"}));
}

}  // namespace
