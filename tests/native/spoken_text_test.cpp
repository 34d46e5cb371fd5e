#include "render/spoken_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

AlmanacState Almanac(int day, int month, int year, int dayCount) {
  AlmanacState state;
  state.startDay = int16_t(day);
  state.startMonth = int16_t(month);
  state.startYear = int16_t(year);
  state.dayCount = int16_t(dayCount);
  return state;
}

// One label of `lines` on 2 March 2025.
std::vector<LabelRecord> Label(const std::vector<const char*>& lines) {
  std::vector<LabelRecord> records;
  for (size_t i = 0; i < lines.size(); ++i) {
    LabelRecord r;
    r.day = 2, r.month = 3, r.year = 2025;
    SetRecordText(r, lines[i]);
    r.isLastLine = i + 1 == lines.size();
    records.push_back(r);
  }
  return records;
}

std::string Spoken(const std::vector<const char*>& lines) {
  std::vector<LabelRecord> records = Label(lines);
  return SpokenLabel(records, LabelBlock{0, records.size(), 0});
}

TEST(SpokenText, DatesAsAPersonSaysThem) {
  // Weekday names with their accents, unlike the day boxes, in Windows-1252.
  EXPECT_EQ(SpokenDate(2, 3, 2025, 7), "domingo, 2 de marzo de 2025");
  EXPECT_EQ(SpokenDate(31, 12, 2025, 3), "mi\351rcoles, 31 de diciembre de 2025");
  EXPECT_EQ(SpokenDate(1, 2, 2025, 6), "s\341bado, 1 de febrero de 2025");
}

TEST(SpokenText, PictureCodesReadAsTheirSpanishNames) {
  EXPECT_STREQ(IconSpokenName(9), "bandera de Espa\361a");
  EXPECT_STREQ(IconSpokenName(70), "bicicleta");
  EXPECT_STREQ(IconSpokenName(0), "");
  EXPECT_STREQ(IconSpokenName(100), "");
  for (int n = 1; n <= 99; ++n) EXPECT_NE(std::string(IconSpokenName(n)), "") << n;

  const std::pair<std::vector<const char*>, std::string> cases[] = {
      {{"Viaje \\#09 en \\#70"}, "Viaje bandera de Espa\361a en bicicleta"},
      {{"Hola\\#70!"}, "Hola bicicleta !"},
      {{"\\#100 euros"}, std::string(IconSpokenName(10)) + " 0 euros"},  // code 10, then a 0
      {{"\\#00 y \\#5"}, "\\#00 y \\#5"},  // no codes: text as written
      // Lines one after another, the blanks at a wrap or a line end read as one.
      {{"Reunión con el ", "director  \\#31", "", "  a las 10"},
       "Reunión con el director malet\355n a las 10"},
      {{"", "  "}, "etiqueta vac\355a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Spoken(c.first), c.second) << c.first[0];
}

TEST(SpokenText, TheLabelsOfADayOneAfterAnother) {
  std::vector<LabelRecord> records = Label({"Dentista", "a las 10"});
  for (const LabelRecord& r : Label({"\\#69 Cumple de Ana!"})) records.push_back(r);
  for (const LabelRecord& r : Label({"Comprar..."})) records.push_back(r);
  AlmanacLayout layout = LayOutAlmanac(Almanac(1, 3, 2025, 15), records);
  ASSERT_EQ(layout.days[1].blocks.size(), 3u);
  EXPECT_EQ(SpokenLabels(records, layout.days[1]),
            "Dentista a las 10. tarta de cumplea\361os Cumple de Ana! Comprar...");
  EXPECT_EQ(SpokenLabels(records, layout.days[0]), "");
}

}  // namespace
