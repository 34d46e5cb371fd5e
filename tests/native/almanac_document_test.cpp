// The almanac shown and what its operations do to it and to its file:
// changes in place or to the end of a new day, the last label taking the
// file with it, the copy before a run's first change, failed opens, the
// search going on, the scroll arithmetic and which commands are available.
#include "data/almanac_document.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/scrolling.h"
#include "tests/common/label_records.h"

namespace {

std::string Raw(const std::vector<LabelRecord>& records) {
  const std::vector<uint8_t> bytes = RecordBytes(records);
  return std::string(bytes.begin(), bytes.end());
}

class AlmanacDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarvina-document-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    path_ = root_ + "/Casa.zanual";
    backup_.folder = root_ + "/Copias/";
    backup_.when = BackupTime{2025, 3, 1, 10, 0, 0};
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + root_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  std::string Bytes(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(const std::string& path) const { return access(path.c_str(), F_OK) == 0; }
  void Lay(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  void OpenWith(const std::vector<LabelRecord>& records) {
    Lay(Raw(records));
    ASSERT_TRUE(OpenAlmanacFile(doc_, path_, "Casa").ok());
  }
  size_t Day(int day, int month) const {
    return size_t(DayOfDate(doc_.layout, CivilDate{2025, int16_t(month), int16_t(day), 0}));
  }
  int Copies() const {
    const std::string cmd = "test $(ls '" + backup_.folder + "' 2>/dev/null | wc -l) -eq ";
    for (int n = 0; n < 5; ++n)
      if (system((cmd + std::to_string(n)).c_str()) == 0) return n;
    return -1;
  }

  std::string root_, path_;
  BackupPlace backup_;
  AlmanacDocument doc_;
};

TEST_F(AlmanacDocumentTest, AChangeOnTheSameDayStaysAndANewDayMovesItToTheEndOfThatDay) {
  const LabelRecord a = TestLine("a", 0), a1 = TestLine("a1", 1), b = TestLine("b", 1),
                    c = TestLine("c", 1, 6);
  OpenWith({a, a1, b, c});
  const LabelPlace first{Day(5, 3), 0, 0};

  const LabelRecord changed = TestLine("cambiada", 1);
  ASSERT_TRUE(ChangeLabel(doc_, first, {changed}, backup_).ok());
  EXPECT_EQ(Bytes(path_), Raw({changed, b, c})) << "in its place";
  EXPECT_EQ(Raw(doc_.records), Raw({changed, b, c}));
  EXPECT_EQ(doc_.layout.days[Day(5, 3)].blocks.size(), 2u);

  const LabelRecord moved = TestLine("movida", 1, 6);
  ASSERT_TRUE(ChangeLabel(doc_, first, {moved}, backup_).ok());
  EXPECT_EQ(Bytes(path_), Raw({b, c, moved})) << "at the end of the file";
  EXPECT_EQ(Raw(doc_.records), Raw({b, c, moved}));
  const std::vector<LabelBlock>& sixth = doc_.layout.days[Day(6, 3)].blocks;
  ASSERT_EQ(sixth.size(), 2u);
  EXPECT_EQ(sixth[1].firstRecord, 2u) << "below the label that was there";
  EXPECT_EQ(doc_.undo.size(), 2u);

  EXPECT_FALSE(ChangeLabel(doc_, LabelPlace{Day(7, 3), 0, 0}, {moved}, backup_).ok())
      << "no label there";
}

TEST_F(AlmanacDocumentTest, RemovingTheLastLabelRemovesTheFileAndDeshacerMakesItAgain) {
  OpenWith({TestLine("a", 0), TestLine("b", 1), TestLine("c", 1, 6)});
  const std::string opened = Bytes(path_);
  ASSERT_TRUE(RemoveLabel(doc_, LabelPlace{Day(6, 3), 0, 0}, backup_).ok());
  EXPECT_EQ(Bytes(path_), Raw({TestLine("a", 0), TestLine("b", 1)})) << "another label stays";
  ASSERT_TRUE(RemoveLabel(doc_, LabelPlace{Day(5, 3), 0, 0}, backup_).ok());
  EXPECT_FALSE(Exists(path_)) << "the last label takes the file";
  EXPECT_TRUE(doc_.records.empty());
  EXPECT_TRUE(IsShown(doc_)) << "the almanac stays, without labels";

  ASSERT_TRUE(UndoLastChange(doc_).ok());
  EXPECT_EQ(Bytes(path_), Raw({TestLine("a", 0), TestLine("b", 1)}));
  ASSERT_TRUE(UndoLastChange(doc_).ok());
  EXPECT_EQ(Bytes(path_), opened);
  EXPECT_EQ(doc_.records.size(), 3u);
  EXPECT_EQ(UndoLastChange(doc_).failed, DocumentStep::NotShown) << "nothing more to take back";
  EXPECT_EQ(Bytes(path_), opened);
}

// "Esta y las siguientes": several labels changed, or every label removed,
// in one rewrite that one "Deshacer" takes back to the bytes opened.
TEST_F(AlmanacDocumentTest, ASeriesFromOneOfItsLabelsOnIsOneChange) {
  std::vector<LabelRecord> series;
  for (int day : {4, 11, 18, 25}) {  // Tuesdays of March 2025
    series.push_back(TestLine("clase", 0, day));
    series.push_back(TestLine("aula 3", 1, day));
  }
  OpenWith(series);
  const std::string opened = Bytes(path_);
  const SeriesPart part = SeriesFromLabel(doc_, LabelPlace{Day(11, 3), 0, 0});
  EXPECT_EQ(part.repeat, Repeat::Weekly);
  ASSERT_EQ(part.labels.size(), 3u);

  ASSERT_TRUE(ApplyEdit(doc_,
                        ChangeLabelsEdit(doc_.records, part.labels, part.repeat, {"aula 7"},
                                         0x006666FF, CivilDate{2025, 3, 11, 0}, doc_.almanac),
                        backup_)
                  .ok());
  const std::string changed = Bytes(path_);
  EXPECT_EQ(changed.substr(0, 2 * kRecordSize), opened.substr(0, 2 * kRecordSize))
      << "the label before stays";
  EXPECT_EQ(changed.size(), (2 + 3) * kRecordSize) << "one line each from 11 March on";
  EXPECT_EQ(Raw(doc_.records), changed);
  ASSERT_TRUE(UndoLastChange(doc_).ok());
  EXPECT_EQ(Bytes(path_), opened);

  const SeriesPart all = SeriesFromLabel(doc_, LabelPlace{Day(4, 3), 0, 0});
  ASSERT_EQ(all.labels.size(), 4u);
  ASSERT_TRUE(ApplyEdit(doc_, RemoveLabelsEdit(doc_.records, all.labels), backup_).ok());
  EXPECT_FALSE(Exists(path_)) << "no label left, no file";
  EXPECT_EQ(doc_.undo.size(), 1u);
  ASSERT_TRUE(UndoLastChange(doc_).ok());
  EXPECT_EQ(Bytes(path_), opened);
  EXPECT_EQ(Raw(doc_.records), opened);
}

TEST_F(AlmanacDocumentTest, TheCopyIsMadeOnceAndWithoutItNothingChanges) {
  OpenWith({TestLine("a", 1)});
  const std::string opened = Bytes(path_);
  const LabelRecord line = TestLine("nueva", 1, 7);
  // A file where the folder of copies would go, and no folder at all.
  std::ofstream(root_ + "/archivo") << "x";
  for (const std::string& folder : {root_ + "/archivo/Copias/", std::string()}) {
    const DocumentOutcome outcome = AppendLabels(doc_, {line}, BackupPlace{folder, backup_.when});
    EXPECT_EQ(outcome.failed, DocumentStep::Backup) << folder;
    EXPECT_NE(outcome.error, FileError::None) << folder;
    EXPECT_EQ(Bytes(path_), opened) << folder;
    EXPECT_EQ(doc_.records.size(), 1u) << folder;
    EXPECT_TRUE(doc_.undo.empty()) << folder;
    EXPECT_FALSE(Exists(root_ + "/archivo/Copias")) << folder;
  }

  ASSERT_TRUE(AppendLabels(doc_, {line}, backup_).ok());
  ASSERT_EQ(Copies(), 1);
  EXPECT_EQ(Bytes(backup_.folder + BackupName("Casa", BackupTag(path_), backup_.when)), opened);
  ASSERT_TRUE(ChangeLabel(doc_, LabelPlace{Day(5, 3), 0, 0}, {TestLine("otra", 1)},
                          BackupPlace{backup_.folder, BackupTime{2025, 3, 1, 11, 0, 0}})
                  .ok());
  EXPECT_EQ(Copies(), 1) << "once a run";
  EXPECT_EQ(Bytes(path_), Raw({TestLine("otra", 1), line}));
}

TEST_F(AlmanacDocumentTest, AFailedOpenKeepsTheShownAlmanac) {
  OpenWith({TestLine("a", 1)});
  ASSERT_TRUE(AppendLabels(doc_, {TestLine("b", 1)}, backup_).ok());
  const std::string other = root_ + "/Otro.zanual";
  struct Case {
    const char* what;
    std::string bytes;  // "-": no file
    DocumentStep failed;
    FileError error;
  } cases[] = {
      {"damaged", std::string(2 * kRecordSize, 'x'), DocumentStep::Read, FileError::Damaged},
      {"empty", "", DocumentStep::Settings, FileError::Damaged},
      {"missing", "-", DocumentStep::Settings, FileError::Damaged},
      {"no memory", Raw({TestLine("z", 1)}), DocumentStep::Memory, FileError::NoMemory},
  };
  for (const Case& c : cases) {
    unlink(other.c_str());
    if (c.bytes != "-") std::ofstream(other, std::ios::binary) << c.bytes;
    if (c.failed == DocumentStep::Memory) FailNextLayoutForTests();
    const DocumentOutcome outcome = OpenAlmanacFile(doc_, other, "Otro");
    EXPECT_EQ(outcome.failed, c.failed) << c.what;
    EXPECT_EQ(outcome.error, c.error) << c.what;
    EXPECT_EQ(doc_.almanac.name, "Casa") << c.what;
    EXPECT_EQ(doc_.almanac.filePath, path_) << c.what;
    EXPECT_EQ(doc_.records.size(), 2u) << c.what;
    EXPECT_EQ(doc_.layout.days.size(), 121u) << c.what;
    EXPECT_EQ(doc_.undo.size(), 1u) << c.what;
  }
  ASSERT_TRUE(OpenAlmanacFile(doc_, other, "Otro").ok());
  EXPECT_EQ(doc_.almanac.name, "Otro");
  EXPECT_TRUE(doc_.undo.empty()) << "nothing of the other almanac to take back";
}

TEST_F(AlmanacDocumentTest, BuscarSiguienteGoesOnFromTheLastHit) {
  OpenWith({TestLine("Dentista a las 9", 0), TestLine("otra cosa", 1), TestLine("sin nada", 1, 6),
            TestLine("el DENTISTA otra vez", 1, 7)});
  LabelPlace found;
  ASSERT_TRUE(SearchFor(doc_, "dentista", 0, found));
  EXPECT_EQ(found.day, Day(5, 3));
  EXPECT_EQ(found.line, 0u);
  ASSERT_TRUE(SearchNext(doc_, 0, found));
  EXPECT_EQ(found.day, Day(7, 3));
  ASSERT_TRUE(SearchNext(doc_, 0, found));
  EXPECT_EQ(found.day, Day(5, 3)) << "past the last day, from the first again";
  // A new search starts after the day at the top of the view.
  ASSERT_TRUE(SearchFor(doc_, "dentista", Day(5, 3), found));
  EXPECT_EQ(found.day, Day(7, 3));
  EXPECT_FALSE(SearchFor(doc_, "nadie", 0, found));
  EXPECT_TRUE(HoldsText(doc_, "OTRA COSA"));
  EXPECT_FALSE(HoldsText(doc_, "nadie"));
}

TEST(Scrolling, KeysAndTheWheelStopAtTheirLimits) {
  constexpr int64_t kEnd = 1 + 40 * 95, kView = 736, kFar = 90000;
  struct Case {
    int64_t from;
    ScrollKey key;
    int64_t to;
  } keys[] = {
      {0, ScrollKey::Up, 0},
      {0, ScrollKey::Down, -95},
      {-95, ScrollKey::Up, 0},
      {-25, ScrollKey::Up, 70},
      {70, ScrollKey::Up, 70},
      {-kEnd + 40, ScrollKey::Down, -kEnd},
      {-kEnd, ScrollKey::Down, -kEnd},
      {0, ScrollKey::PageDown, -736},
      {-3500, ScrollKey::PageDown, -kEnd},
      {-100, ScrollKey::PageUp, 0},
      {0, ScrollKey::PageUp, 0},
      {-kEnd, ScrollKey::PageUp, -kEnd + 736},
      {-500, ScrollKey::Home, 0},
      {0, ScrollKey::End, -kEnd},
  };
  for (const Case& c : keys)
    EXPECT_EQ(OffsetAfterKey(c.from, c.key, kView, kEnd), c.to)
        << "from " << c.from << ", key " << int(c.key);
  struct Wheel {
    int64_t from, end;
    bool towardsUser;
    int64_t to;
  } wheel[] = {
      {0, kEnd, true, -25},
      {0, kEnd, false, 0},
      {-25, kEnd, false, 0},
      {70, kEnd, false, 70},
      {-kEnd + 10, kEnd, true, -kEnd},
      {-kEnd, kEnd, true, -kEnd},
      {-83990, kFar, true, -84015},
      {-84015, kFar, true, -84040},
      {-kFar + 5, kFar, true, -kFar},
      {-kFar, kFar, true, -kFar},
      {-kFar, kFar, false, -kFar + 25},
  };
  for (const Wheel& w : wheel)
    EXPECT_EQ(OffsetAfterWheel(w.from, w.towardsUser, w.end), w.to)
        << "from " << w.from << (w.towardsUser ? " down" : " up");
}

TEST_F(AlmanacDocumentTest, ADayOrAFoundLineComesToTheTopOfTheView) {
  std::vector<LabelRecord> tall;
  for (int k = 0; k < 60; ++k) tall.push_back(TestLine("linea", k == 59 ? 1 : 0, 5, 3));
  OpenWith(tall);
  const AlmanacLayout& layout = doc_.layout;
  EXPECT_EQ(DayOffset(layout, 0), 0);
  EXPECT_EQ(DayOffset(layout, Day(6, 3)), -(layout.days[Day(6, 3)].top - 1));
  EXPECT_EQ(DayOffset(layout, layout.days.size() - 1), -(layout.endScrollTop - 1));
  EXPECT_EQ(StartOffset(layout, CivilDate{2025, 3, 6, 0}), DayOffset(layout, Day(6, 3)));
  EXPECT_EQ(StartOffset(layout, CivilDate{2024, 3, 6, 0}), 0) << "today outside: its first day";
  const LabelBlock& block = layout.days[Day(5, 3)].blocks[0];
  EXPECT_EQ(FoundOffset(layout, LabelPlace{Day(5, 3), 0, 3}, 736), -(block.top - 1))
      << "the block at the top";
  const LabelPlace deep{Day(5, 3), 0, 55};
  EXPECT_EQ(FoundOffset(layout, deep, 736), -(LineRowTop(layout, deep) - kGridRowHeight))
      << "in a block taller than the view, the line itself";
  EXPECT_EQ(DayAtViewTop(layout, DayOffset(layout, Day(6, 3))), Day(6, 3));
}

TEST_F(AlmanacDocumentTest, WhichCommandsAreAvailable) {
  const Command all[] = {Command::New,         Command::Open,        Command::About,
                         Command::Exit,        Command::NewLabel,    Command::Undo,
                         Command::ChangeLabel, Command::RemoveLabel, Command::GoToday,
                         Command::GoToDate,    Command::Find,        Command::FindNext,
                         Command::ShareExport, Command::ShareImport, Command::SharePicture};
  // One letter per command above: y available, - not.
  const char* const kNone = "yyyy-----------";
  const char* const kShown = "--yyy-yyyyyyyyy";
  const char* const kChanged = "--yyyyyyyyyyyyy";
  const char* const kShownDialog = "---y----y--y---";
  const char* const kNoneNewOpen = "--yy-----------";
  auto available = [&](const Busy& busy) {
    std::string got;
    for (Command c : all) got += IsAvailable(c, doc_, busy) ? 'y' : '-';
    return got;
  };
  Busy dialog, newAlmanac;
  dialog.dialog = true;
  newAlmanac.newAlmanac = true;
  EXPECT_EQ(available(Busy()), kNone);
  EXPECT_EQ(available(newAlmanac), kNoneNewOpen);
  OpenWith({TestLine("a", 1)});
  EXPECT_EQ(available(Busy()), kShown);
  EXPECT_EQ(available(dialog), kShownDialog);
  ASSERT_TRUE(AppendLabels(doc_, {TestLine("b", 1)}, backup_).ok());
  EXPECT_EQ(available(Busy()), kChanged);
}

}  // namespace
