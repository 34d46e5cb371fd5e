#include "render/label_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Texts are Windows-1252 here, as in the program.
TEST(LineContains, IgnoresCaseAndAccentsAndTakesCodesAsWritten) {
  const struct {
    const char* line;
    const char* text;
    bool found;
  } cases[] = {
      {"Cita con el DENTISTA", "dentista", true},
      {"Dentísta 10:00", "dentista", true},
      {"cumple de Niño", "nino", true},
      {"NIÑO", "niño", true},
      {"Ñandú, CAFÉ y crème brûlée", "nandu, cafe y CREME BRULEE", true},
      {"ÀÁÂÃÄÅ àáâãäå ÈÉÊË ìíîï ÒÓÔÕÖØ ùúûü Ýÿ Çç", "aaaaaa aaaaaa eeee iiii oooooo uuuu yy cc",
       true},
      {"Fiesta \\#09 y \\#70", "\\#09", true},
      {"Fiesta \\#09", "#09", true},
      {"Fiesta \\#09", "\\#9", false},
      {"Fiesta \\#09", "bandera", false},  // a code is not the picture's name
      {"dentista", "dentistas", false},
      {"den tista", "dentista", false},
      {"ß and æ stay", "ss", false},
      {"any line", "", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LineContains(c.line, FoldForSearch(c.text)), c.found)
        << "\"" << c.text << "\" in \"" << c.line << "\"";
}

TEST(LineContains, LooksAtTheWholeLineAndNoFurther) {
  LabelRecord r;
  std::string line(kMaxLineBytes - 3, 'x');
  SetRecordText(r, (line + "fin").c_str());
  EXPECT_TRUE(LineContains(r.text, "fin")) << "a match in the last bytes";
  EXPECT_FALSE(LineContains(r.text, "finx"));
  EXPECT_FALSE(LineContains("ab", "abc"));
}

AlmanacState SixteenDays() {
  AlmanacState state;
  state.startDay = 1, state.startMonth = 3, state.startYear = 2025, state.dayCount = 15;
  return state;
}

void AddLabel(std::vector<LabelRecord>& records, int day, std::vector<const char*> lines) {
  for (size_t k = 0; k < lines.size(); ++k) {
    LabelRecord r;
    r.day = int16_t(day), r.month = 3, r.year = 2025;
    SetRecordText(r, lines[k]);
    r.isLastLine = k + 1 == lines.size() ? 1 : 0;
    records.push_back(r);
  }
}

class SearchWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    // File order differs from the order the days show them in.
    AddLabel(records_, 6, {"dentista A"});
    AddLabel(records_, 3, {"otra cosa", "Dentísta B"});
    AddLabel(records_, 6, {"DENTISTA C"});
    AddLabel(records_, 9, {"nada"});
    AddLabel(records_, 1, {"dentista D"});
    AddLabel(records_, 28, {"dentista fuera del almanaque"});
    layout_ = LayOutAlmanac(SixteenDays(), records_);
  }
  // The text of the line found from `from`, or "" when none is.
  std::string Find(const std::string& text, const LabelPlace& from) {
    if (!FindLabelLine(layout_, records_, text, from, found_)) return "";
    const LabelBlock& block = layout_.days[found_.day].blocks[found_.block];
    return records_[block.firstRecord + found_.line].text;
  }
  std::vector<LabelRecord> records_;
  AlmanacLayout layout_;
  LabelPlace found_;
};

TEST_F(SearchWalk, DaysInOrderBlocksInFileOrderWrappingOnce) {
  // From after the first day: its own line comes last.
  std::vector<std::string> hits = {Find("dentista", AfterDay(0))};
  for (int i = 0; i < 4; ++i) hits.push_back(Find("dentista", AfterLine(found_)));
  EXPECT_EQ(hits, (std::vector<std::string>{"Dentísta B", "dentista A", "DENTISTA C", "dentista D",
                                            "Dentísta B"}));
  EXPECT_EQ(found_.day, 2u);
  EXPECT_EQ(found_.block, 0u);
  EXPECT_EQ(found_.line, 1u);
  // From after the last day the walk starts over at the first.
  EXPECT_EQ(Find("dentista", AfterDay(15)), "dentista D");
  // A single hit is found again from just after itself.
  EXPECT_EQ(Find("NADA", AfterDay(0)), "nada");
  EXPECT_EQ(Find("nada", AfterLine(found_)), "nada");
  // A place past what a day holds stands for the next line there is.
  EXPECT_EQ(Find("dentista", LabelPlace{2, 5, 0}), "dentista A");
}

TEST_F(SearchWalk, NothingFound) {
  EXPECT_EQ(Find("fuera del almanaque", AfterDay(0)), "") << "labels not shown are not searched";
  EXPECT_EQ(Find("dentistas", AfterDay(3)), "");
  EXPECT_EQ(Find("", AfterDay(0)), "");
  AlmanacLayout none = LayOutAlmanac(SixteenDays(), {});
  EXPECT_FALSE(FindLabelLine(none, {}, "x", AfterDay(0), found_));
}

TEST_F(SearchWalk, DaysByRowAndByDate) {
  // No day's labels pass 95 rows, so the bands start at 1, 96, 191...
  const struct {
    int64_t row;
    size_t day;
  } rows[] = {{-70, 0},          {0, 0},       {1, 0}, {95, 0}, {96, 1}, {190, 1},
              {1 + 15 * 95, 15}, {1 << 30, 15}};
  for (const auto& r : rows) EXPECT_EQ(DayAtRow(layout_, r.row), r.day) << "row " << r.row;
  EXPECT_EQ(DayOfDate(layout_, CivilDate{2025, 3, 1, 0}), 0);
  EXPECT_EQ(DayOfDate(layout_, CivilDate{2025, 3, 6, 0}), 5);
  EXPECT_EQ(DayOfDate(layout_, CivilDate{2025, 3, 16, 0}), 15);
  EXPECT_EQ(DayOfDate(layout_, CivilDate{2025, 3, 17, 0}), -1);
  EXPECT_EQ(DayOfDate(layout_, CivilDate{2025, 2, 28, 0}), -1);
  // Line 1 of the two-line label on day 3 (top 191): grid rows from 192.
  EXPECT_EQ(LineRowTop(layout_, LabelPlace{2, 0, 1}), 192 + 16);
}

}  // namespace
