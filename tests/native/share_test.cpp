// Export and import of iCalendar files: text conversion, folding, the
// round trip, and calendars as other programs write them.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "share/css_colors.h"
#include "share/ics_export.h"
#include "share/ics_import.h"
#include "share/label_unicode.h"
#include "tests/common/label_records.h"
#include "tests/common/share_sample.h"

namespace {

// Madrid: UTC+1, and UTC+2 from the last Sunday of March to the last Sunday
// of October (01:00 UTC both times), as Windows would answer there.
WallTime MadridFromUtc(const WallTime& utc) {
  auto lastSunday = [](int year, int month) {
    int day = 31;
    while (WeekdayOf(int16_t(year), int16_t(month), int16_t(day)) != 7) --day;
    return day;
  };
  auto key = [](int month, int day, int hour) { return (month * 32 + day) * 24 + hour; };
  int now = key(utc.month, utc.day, utc.hour);
  bool summer =
      now >= key(3, lastSunday(utc.year, 3), 1) && now < key(10, lastSunday(utc.year, 10), 1);
  CivilDate date{utc.year, utc.month, utc.day, 0};
  int hour = utc.hour + (summer ? 2 : 1);
  if (hour >= 24) {
    hour -= 24;
    AddDays(date, 1);
  }
  WallTime local = utc;
  local.year = date.year;
  local.month = date.month;
  local.day = date.day;
  local.hour = int16_t(hour);
  return local;
}

AlmanacState Almanac2025() { return YearAlmanac("Casa", 2025, 364); }

std::string Fixture(const char* name) {
  std::ifstream in(std::string(TARVINA_SOURCE_DIR) + "/tests/fixtures/ics/" + name,
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each label as "d/m first line", in order.
std::vector<std::string> Labels(const IcsImport& result) {
  std::vector<std::string> labels;
  for (const LabelRun& run : GroupLabels(result.records)) {
    const LabelRecord& r = result.records[run.first];
    labels.push_back(std::to_string(r.day) + "/" + std::to_string(r.month) + " " + r.text);
  }
  return labels;
}

std::string Bytes(const std::vector<LabelRecord>& records) {
  std::string bytes;
  for (const LabelRecord& r : records) {
    uint8_t raw[kRecordSize];
    EncodeLabelRecord(r, raw);
    bytes.append(reinterpret_cast<const char*>(raw), kRecordSize);
  }
  return bytes;
}

TEST(LabelUnicode, EveryByteComesBackFromItsExactText) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += char(b);
  std::string unicode = ExactUnicode(all);
  EXPECT_TRUE(IsValidUtf8(unicode));
  EXPECT_EQ(unicode.find_first_of("\r\n\x01\x1F\x7F"), std::string::npos);
  std::string back;
  ASSERT_TRUE(ExactLabelText(unicode, back));
  EXPECT_EQ(back, all);
  EXPECT_FALSE(ExactLabelText("\xE2\x9C\x88", back));  // an airplane has no byte
}

TEST(LabelUnicode, CodesBecomeTheirPicturesAndBack) {
  EXPECT_EQ(ReadableUnicode("Viaje \\#09 \\#100 \\#00 \\#9"),
            "Viaje \xF0\x9F\x87\xAA\xF0\x9F\x87\xB8 \xF0\x9F\x98\x81"
            "0 \\#00 \\#9");
  int changed = 0;
  // Flags, an emoji with and without its variation selector, a skin tone.
  EXPECT_EQ(LabelTextFromUnicode("\xF0\x9F\x87\xAA\xF0\x9F\x87\xB8\xE2\x98\x81\xEF\xB8\x8F"
                                 "\xE2\x98\x81\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD",
                                 changed),
            "\\#09\\#43\\#43\\#83");
  EXPECT_EQ(changed, 1);  // the skin tone
  for (int n = 1; n <= 99; ++n) {
    int none = 0;
    char code[8];
    snprintf(code, sizeof code, "\\#%02d", n);
    EXPECT_EQ(LabelTextFromUnicode(IconUnicode(n), none), code);
    EXPECT_EQ(none, 0);
  }
}

TEST(LabelUnicode, OtherCharactersTakeTheirClosestFormAndAreCounted) {
  struct Case {
    const char* unicode;
    const char* label;
    int changed;
  } cases[] = {
      {u8"Łódź – “café”", "Lódz – “café”", 2},
      {u8"e\xCC\x81 n\xCC\x83 s\xCC\x8C", "é ñ š", 0},  // decomposed accents join their letter
      {u8"Ω\xF0\x9F\x8E\x84 ok", "?? ok", 2},           // Greek, a tree: no near form
      {"a\xE2\x80\x8B"
       "b\xC2\xA0"
       "c\tx",
       "ab\xA0"
       "c x",
       2},
      {"bad \xC3 byte", "bad ? byte", 1},
      {"one\r\ntwo\nthree", "one\ntwo\nthree", 0},
      {"\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7!", "?!", 1},
  };
  for (const Case& c : cases) {
    int changed = 0;
    EXPECT_EQ(LabelTextFromUnicode(c.unicode, changed), c.label) << c.unicode;
    EXPECT_EQ(changed, c.changed) << c.unicode;
  }
}

TEST(IcsText, EscapesAndFoldsWithoutSplittingACharacter) {
  EXPECT_EQ(EscapeIcsText("a\\b;c,d\ne:f\"g"), "a\\\\b\\;c\\,d\\ne:f\"g");
  std::string line = "DESCRIPTION:";
  while (line.size() < 400) line += u8"añ€\xF0\x9F\x87\xAA\xF0\x9F\x87\xB8 ";
  std::string folded = FoldIcsLine(line);
  std::string unfolded;
  size_t start = 0;
  while (start < folded.size()) {
    size_t end = folded.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    std::string piece = folded.substr(start, end - start);
    EXPECT_LE(piece.size(), 75u);
    if (start > 0) {
      ASSERT_EQ(piece[0], ' ');
      piece.erase(0, 1);
    }
    EXPECT_TRUE(IsValidUtf8(piece)) << piece;
    unfolded += piece;
    start = end + 2;
  }
  EXPECT_EQ(unfolded, line);
  EXPECT_EQ(FoldIcsLine(std::string(75, 'x')), std::string(75, 'x') + "\r\n");
}

TEST(IcsColors, NearestNameAndBack) {
  int32_t color = 0;
  EXPECT_STREQ(NearestCssColorName(PaletteColor(255, 0, 0)), "red");
  EXPECT_STREQ(NearestCssColorName(PaletteColor(252, 249, 196)), "lemonchiffon");
  EXPECT_EQ(ColorHex(PaletteColor(0, 128, 192)), "#0080C0");
  ASSERT_TRUE(ParseCssColor(" Gold ", color));
  EXPECT_EQ(color, PaletteColor(255, 215, 0));
  ASSERT_TRUE(ParseCssColor("#0080c0", color));
  EXPECT_EQ(color, PaletteColor(0, 128, 192));
  EXPECT_FALSE(ParseCssColor("#12345", color));
  EXPECT_FALSE(ParseCssColor("goldish", color));
}

TEST(IcsExport, RoundTripGivesTheSameRecords) {
  const std::vector<LabelRecord> labels = ShareSampleLabels();
  IcsExportInput input{ShareSampleAlmanac().name, "1.0.0", {2025, 6, 1, 9, 30, 0}};
  IcsExport exported = ExportIcs(labels, input);
  EXPECT_EQ(exported.labels, int(GroupLabels(labels).size()));
  // The three series (17, 7 and 4 labels) are one repeating event each.
  EXPECT_EQ(exported.events, exported.labels - 16 - 6 - 3);
  EXPECT_EQ(exported.skipped, 0);
  EXPECT_TRUE(IsValidUtf8(exported.text));
  EXPECT_NE(exported.text.find("PRODID:-//tarvina//tarvina 1.0.0//ES\r\n"), std::string::npos);
  EXPECT_NE(exported.text.find(u8"X-WR-CALNAME:Año 2024\\; ñandú\\, café\r\n"), std::string::npos);

  IcsImport imported = ImportIcs(exported.text, ShareSampleAlmanac(), MadridFromUtc);
  ASSERT_TRUE(imported.ok) << imported.error;
  EXPECT_EQ(imported.labels, exported.labels);
  EXPECT_EQ(imported.outside, 0);
  EXPECT_EQ(imported.changed, 0);
  EXPECT_EQ(Bytes(imported.records), Bytes(labels));

  // The same file gives the same UIDs; only the stamp moves.
  input.stampUtc.hour = 10;
  std::string again = ExportIcs(labels, input).text;
  for (size_t at = 0; (at = again.find("DTSTAMP:20250601T10", at)) != std::string::npos;)
    again.replace(at, 19, "DTSTAMP:20250601T09");
  EXPECT_EQ(again, exported.text);
}

TEST(IcsExport, WithoutItsOwnPropertiesTheReadableTextComesBack) {
  // A calendar program that keeps only the standard properties: the text
  // comes back from SUMMARY and DESCRIPTION, codes from their pictures.
  std::vector<LabelRecord> labels = {TestLine("Cena \\#29 en casa; 9€", 0),
                                     TestLine("con Ana, \\#69 y más", 1)};
  labels[1].color = labels[0].color = PaletteColor(255, 102, 102);
  std::string text = ExportIcs(labels, {"Casa", "1.0.0", {2025, 1, 1, 0, 0, 0}}).text;
  for (const char* drop : {"X-TARVINA-TEXT:", "X-TARVINA-COLOR:"}) {
    size_t at = text.find(drop);
    text.erase(at, text.find("\r\n", at) + 2 - at);
  }
  IcsImport result = ImportIcs(text, Almanac2025(), MadridFromUtc);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.records.size(), 2u);
  EXPECT_STREQ(result.records[0].text, "Cena \\#29 en casa; 9€");
  EXPECT_STREQ(result.records[1].text, "con Ana, \\#69 y más");
  // Only the nearest named colour survives.
  EXPECT_EQ(result.records[0].color, PaletteColor(250, 128, 114));  // salmon
}

TEST(IcsImport, CalendarsOfOtherPrograms) {
  struct Case {
    const char* file;
    int outside;
    int changed;
    std::vector<std::string> labels;
  } cases[] = {
      {"holidays.ics",
       1,
       0,
       {"25/12 Navidad", "1/1 Año Nuevo", "6/1 Epifanía del Señor", "17/4 Jueves y Viernes Santo",
        "18/4 Jueves y Viernes Santo", "12/10 Fiesta Nacional de España"}},
      {"birthday.ics", 0, 0, {"14/3 Cumpleaños de Ana \\#69"}},
      {"meeting.ics",
       0,
       0,
       {"3/3 10:30 Reunión de equipo", "5/3 10:30 Reunión de equipo",
        "12/3 10:30 Reunión de equipo", "17/3 10:30 Reunión de equipo",
        "26/3 10:30 Reunión de equipo", "31/3 10:30 Reunión de equipo",
        "25/3 12:00 Reunión de equipo (cambiada)"}},
      {"timezone.ics", 0, 1, {"6/3 01:00 Llamada con Nueva York", "11/3 00:30 Vuelo a Lima ?"}},
  };
  for (const Case& c : cases) {
    IcsImport result = ImportIcs(Fixture(c.file), Almanac2025(), MadridFromUtc);
    ASSERT_TRUE(result.ok) << c.file << ": " << result.error;
    EXPECT_EQ(Labels(result), c.labels) << c.file;
    EXPECT_EQ(result.outside, c.outside) << c.file;
    EXPECT_EQ(result.changed, c.changed) << c.file;
  }
  // The folded, accented description arrives whole, after the summary.
  IcsImport meeting = ImportIcs(Fixture("meeting.ics"), Almanac2025(), MadridFromUtc);
  ASSERT_GE(meeting.records.size(), 3u);
  EXPECT_STREQ(meeting.records[1].text,
               "Orden del día: revisión de la planificación, presupuesto y próximas acciones.");
  EXPECT_STREQ(meeting.records[2].text, "Sala Galileo, segunda planta.");
  EXPECT_EQ(meeting.records[2].isLastLine, 1);
  // The birthday's colour is the one named; the holidays have none: white.
  EXPECT_EQ(ImportIcs(Fixture("birthday.ics"), Almanac2025(), MadridFromUtc).records[0].color,
            PaletteColor(255, 215, 0));
  EXPECT_EQ(ImportIcs(Fixture("holidays.ics"), Almanac2025(), MadridFromUtc).records[0].color,
            0x00FFFFFF);
}

// Repeat rules from RFC 5545's own examples, cut to the almanac of 2025.
TEST(IcsImport, RepeatRulesInsideTheAlmanac) {
  struct Case {
    const char* lines;
    std::vector<std::string> days;
  } cases[] = {
      {"DTSTART;VALUE=DATE:20250902\r\nRRULE:FREQ=DAILY;COUNT=10\r\n"
       "EXDATE;VALUE=DATE:20250905\r\n",
       {"2/9", "3/9", "4/9", "6/9", "7/9", "8/9", "9/9", "10/9", "11/9"}},
      {"DTSTART;VALUE=DATE:20250902\r\nRRULE:FREQ=WEEKLY;INTERVAL=2;WKST=SU;BYDAY=TU,TH;"
       "UNTIL=20251010\r\n",
       {"2/9", "4/9", "16/9", "18/9", "30/9", "2/10"}},
      {"DTSTART;VALUE=DATE:20240131\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=31;COUNT=12\r\n",
       {"31/1", "31/3", "31/5", "31/7", "31/8"}},
      {"DTSTART;VALUE=DATE:20250131\r\nRRULE:FREQ=MONTHLY;BYDAY=-1FR;BYMONTH=1,2,3\r\n",
       {"31/1", "28/2", "28/3"}},
      {"DTSTART;VALUE=DATE:19961105\r\nRRULE:FREQ=YEARLY;INTERVAL=4;BYMONTH=11;BYDAY=TU;"
       "BYMONTHDAY=2,3,4,5,6,7,8\r\n",
       {}},  // US election day: none in 2025
      {"DTSTART;VALUE=DATE:20241230\r\nDTEND;VALUE=DATE:20250103\r\n", {"1/1", "2/1"}},
  };
  for (const Case& c : cases) {
    std::string text = std::string(
                           "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:x\r\nBEGIN:VEVENT\r\n"
                           "UID:1\r\nSUMMARY:x\r\n") +
                       c.lines + "END:VEVENT\r\nEND:VCALENDAR\r\n";
    IcsImport result = ImportIcs(text, Almanac2025(), MadridFromUtc);
    ASSERT_TRUE(result.ok) << c.lines;
    std::vector<std::string> days;
    for (const LabelRecord& r : result.records)
      days.push_back(std::to_string(r.day) + "/" + std::to_string(r.month));
    EXPECT_EQ(days, c.days) << c.lines;
    EXPECT_EQ(result.outside, c.days.empty() ? 1 : 0) << c.lines;
  }
}

TEST(IcsImport, LongTextIsWrappedAtSpacesAndNeverThroughACode) {
  std::string word = "palabra ";
  std::string summary;
  while (summary.size() < 200) summary += word;
  IcsImport result = ImportIcs(
      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20250101T093000\r\n"
      "SUMMARY:" +
          summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
      Almanac2025(), MadridFromUtc);
  ASSERT_TRUE(result.ok);
  ASSERT_EQ(result.records.size(), 2u);
  EXPECT_EQ(std::string(result.records[0].text),
            "09:30 " + summary.substr(0, 8 * 14 - 1));  // 6 + 111 bytes
  std::vector<std::string> coded = WrapLabelLine(std::string(116, 'x') + "\\#09\\#10", 118);
  EXPECT_EQ(coded, (std::vector<std::string>{std::string(116, 'x'), "\\#09\\#10"}));
}

TEST(IcsImport, FilesThatAreNotCalendarsOrAreBrokenImportNothing) {
  const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nSUMMARY:x\r\n";
  const std::string tail = "END:VEVENT\r\nEND:VCALENDAR\r\n";
  struct Case {
    std::string text;
    const char* error;
  } cases[] = {
      {"", "no es un calendario"},
      {"Nombre,Fecha\r\nAna,14/03\r\n", "no es un calendario"},
      {head + "DTSTART;VALUE=DATE:20250314\r\n", "incompleto o dañado"},
      {head + "DTSTART:mañana\r\n" + tail, "no tiene una fecha"},
      {head + tail, "no tiene una fecha"},
      {head + "DTSTART;VALUE=DATE:20250230\r\n" + tail, "no tiene una fecha"},
      {head + "DTSTART;VALUE=DATE:20250314\r\nRRULE:FREQ=A VECES\r\n" + tail, "no tiene una fecha"},
      {head + "DTSTART:20250101T000000\r\nRRULE:FREQ=MINUTELY\r\n" + tail, "más de 100.000"},
  };
  for (const Case& c : cases) {
    IcsImport result = ImportIcs(c.text, Almanac2025(), MadridFromUtc);
    EXPECT_FALSE(result.ok) << c.text;
    EXPECT_NE(result.error.find(c.error), std::string::npos) << c.text << ": " << result.error;
    EXPECT_TRUE(result.records.empty());
    EXPECT_EQ(ImportReport(result), result.error);
  }
  IcsImport empty = ImportIcs("BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n", Almanac2025(), nullptr);
  EXPECT_EQ(ImportReport(empty),
            "Se importaron 0 etiquetas; 0 eventos quedan fuera del almanaque.");
}

TEST(IcsFile, AnExportReplacesTheWholeFileAndReadsBack) {
  char pattern[] = "/tmp/tarvina-ics-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern, path = folder + "/Año.ics";
  ASSERT_EQ(WriteIcsFile(path, std::string(5000, 'x')), FileError::None);
  ASSERT_EQ(WriteIcsFile(path, "BEGIN:VCALENDAR\r\n"), FileError::None);
  std::string text;
  EXPECT_EQ(ReadIcsFile(path, text), FileError::None);
  EXPECT_EQ(text, "BEGIN:VCALENDAR\r\n");  // nothing of the longer file before it
  // On the disk before it counts as written; when it cannot be, at any
  // step, the calendar it would replace stays whole and nothing is left beside it.
  ResetFileFaults();
  ASSERT_EQ(WriteIcsFile(path, "BEGIN:VCALENDAR\r\n"), FileError::None);
  EXPECT_EQ(FileOperationCount(FileOp::Flush), 1);
  for (FileOp op : {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Close, FileOp::Replace}) {
    ResetFileFaults();
    FailFileOperation(op, 1);
    EXPECT_EQ(WriteIcsFile(path, "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"), FileError::DiskFull)
        << int(op);
    ResetFileFaults();
    EXPECT_EQ(ReadIcsFile(path, text), FileError::None);
    EXPECT_EQ(text, "BEGIN:VCALENDAR\r\n") << int(op);
    std::vector<std::string> names;
    ListFiles(folder, names);
    EXPECT_EQ(names, std::vector<std::string>{"Año.ics"}) << int(op);
  }
  EXPECT_EQ(ReadIcsFile(folder + "/falta.ics", text), FileError::NotFound);
  EXPECT_EQ(WriteIcsFile(folder + "/no/hay.ics", "x"), FileError::PathNotFound);
  EXPECT_EQ(access((folder + "/no").c_str(), F_OK), -1);
  EXPECT_EQ(system(("rm -rf '" + folder + "'").c_str()), 0);
}

}  // namespace

namespace {

// One all-day event over 2025 whose description has `lines` lines.
std::string YearLongEvent(int lines) {
  std::string text =
      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART;VALUE=DATE:20250101\r\n"
      "DTEND;VALUE=DATE:20260101\r\nSUMMARY:Largo\r\nDESCRIPTION:";
  for (int i = 0; i < lines; ++i) text += "l\\n";
  return text + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

// One event holding `lines` broken start dates.
std::string BrokenLines(int lines) {
  std::string text = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:b\r\nDTSTART;VALUE=DATE:20250101\r\n";
  for (int i = 0; i < lines; ++i) text += "DTSTART:bad\r\n";
  return text + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

// A rule every minute from 2022, then a weekly event inside the almanac.
const char kMinutelyThenWeekly[] =
    "BEGIN:VCALENDAR\r\n"
    "BEGIN:VEVENT\r\nUID:m\r\nDTSTART:20220101T000000Z\r\nRRULE:FREQ=MINUTELY\r\n"
    "SUMMARY:Cada minuto\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:w\r\nDTSTART;VALUE=DATE:20250106\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\n"
    "SUMMARY:Semanal\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

long PeakKilobytes() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

// Calendars made to take all memory or all time are refused or cut down,
// within a bound on the memory the import takes (the peak of the process
// that runs it) and a watchdog of several seconds, not only with a message.
TEST(IcsImport, HostileCalendarsStayWithinMemoryAndTime) {
  struct Case {
    const char* what;
    std::string text;
    std::function<bool(const IcsImport&)> holds;
  };
  const Case cases[] = {
      {"3,000 description lines on every day of a year", YearLongEvent(3000),
       [](const IcsImport& r) {
         return !r.ok && r.records.empty() && r.error.find("100.000") != std::string::npos;
       }},
      {"150,000 broken lines in one event", BrokenLines(150000),
       [](const IcsImport& r) { return !r.ok && r.error.find("1.000 l") != std::string::npos; }},
      {"a rule every minute from 2022 before a weekly event", kMinutelyThenWeekly,
       [](const IcsImport& r) {
         return r.ok &&
                Labels(r) ==
                    std::vector<std::string>{"6/1 Semanal", "13/1 Semanal", "20/1 Semanal"} &&
                r.outside == 0 && r.cutShort == 1 &&
                ImportReport(r).find(" 1 eventos se repiten tan a menudo") != std::string::npos;
       }},
  };
  constexpr long kMostKilobytes = 96 * 1024;
  constexpr unsigned kWatchdogSeconds = 15;
  for (const Case& c : cases) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      alarm(kWatchdogSeconds);  // a hang ends here, as a failure
      const long before = PeakKilobytes();
      const IcsImport result = ImportIcs(c.text, Almanac2025(), MadridFromUtc);
      const long grown = PeakKilobytes() - before;
      if (grown > kMostKilobytes) _exit(3);
      _exit(c.holds(result) ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_FALSE(WIFSIGNALED(status)) << c.what << ": did not finish within the watchdog";
    if (WIFEXITED(status)) {
      EXPECT_NE(WEXITSTATUS(status), 3) << c.what << ": took more than 96 MB";
      EXPECT_NE(WEXITSTATUS(status), 4) << c.what << ": not what was expected";
    }
  }
}
