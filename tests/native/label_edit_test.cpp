// Changing, moving and removing labels by rewriting the file, and taking
// each change back, byte for byte, to the file as it was.
#include "data/label_edit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "data/almanac_state.h"
#include "data/file_io.h"
#include "tests/common/label_records.h"

namespace {

class LabelEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarvina-edit-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/Clase.zanual";
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  std::string Bytes() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Lay(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  bool ScratchLeft() {
    std::vector<std::string> names;
    ListFiles(folder_, names);
    for (const std::string& name : names)
      if (IsScratchName(name)) return true;
    return false;
  }

  std::string folder_, path_;
  std::vector<LabelRecord> read_;  // what reading the file gives
  AlmanacState almanac_;
};

std::string Raw(const std::vector<LabelRecord>& records) {
  std::vector<uint8_t> bytes = RecordBytes(records);
  return std::string(bytes.begin(), bytes.end());
}

RecordSplice Splice(size_t first, std::vector<LabelRecord> expected,
                    const std::vector<LabelRecord>& put) {
  return RecordSplice{first, std::move(expected), RecordBytes(put)};
}

LabelFileEdit Edit(std::vector<RecordSplice> splices) {
  LabelFileEdit edit;
  edit.splices = std::move(splices);
  return edit;
}

TEST_F(LabelEditTest, ChangesTouchOnlyTheirRecordsAndUndoingThemBringsBackEveryByte) {
  // A, two lines; B, whose text bytes after the NUL hold what an old writer
  // left there; C; and the partial record of an old crash.
  const LabelRecord a0 = TestLine("uno", 0), a1 = TestLine("dos", 1);
  const LabelRecord b = TestLine("be", 1, 6), c = TestLine("ce", 1, 7);
  std::string bRaw = Raw({b});
  bRaw[6 + 3] = 'x';
  bRaw[6 + 100] = 'y';
  const std::string tail(50, '\x5a');
  const std::string opened = Raw({a0, a1}) + bRaw + Raw({c}) + tail;
  Lay(opened);
  std::vector<LabelRecord> held = {a0, a1, b, c};

  // A word of A; B moved to another day, to the end; C removed.
  LabelRecord a1b = a1;
  SetRecordText(a1b, "tres");
  LabelRecord moved = b;
  moved.day = 20;
  const LabelFileEdit edits[] = {
      Edit({Splice(0, {a0, a1}, {a0, a1b})}),
      Edit({Splice(2, {b}, {}), Splice(4, {}, {moved})}),
      Edit({Splice(2, {c}, {})}),
  };
  const std::string after[] = {
      Raw({a0, a1b}) + bRaw + Raw({c}) + tail,
      Raw({a0, a1b, c, moved}) + tail,
      Raw({a0, a1b, moved}) + tail,
  };
  std::vector<LabelFileEdit> undo;
  for (size_t i = 0; i < std::size(edits); ++i) {
    undo.emplace_back();
    ASSERT_EQ(RewriteLabelFile(path_, edits[i], &undo.back()), FileError::None) << i;
    EXPECT_EQ(Bytes(), after[i]) << i;
    ApplyLabelFileEdit(held, edits[i]);
    ASSERT_EQ(ReadLabelRecords(path_, read_, almanac_), FileError::None);
    EXPECT_EQ(Raw(held), Raw(read_)) << "memory follows the file " << i;
    EXPECT_FALSE(ScratchLeft()) << i;
  }

  // What the file no longer holds is not changed: the file stays as it is.
  EXPECT_EQ(RewriteLabelFile(path_, edits[0]), FileError::Changed);
  EXPECT_EQ(Bytes(), after[2]);
  EXPECT_FALSE(ScratchLeft());

  for (size_t i = std::size(edits); i-- > 0;) {
    ASSERT_EQ(RewriteLabelFile(path_, undo[i]), FileError::None) << i;
    ApplyLabelFileEdit(held, undo[i]);
    EXPECT_EQ(Bytes(), i ? after[i - 1] : opened) << i;
  }
  ASSERT_EQ(ReadLabelRecords(path_, read_, almanac_), FileError::None);
  EXPECT_EQ(Raw(held), Raw(read_));
}

TEST_F(LabelEditTest, TakingBackANewLabelRestoresWhatItCoveredOrRemovesTheFileItMade) {
  const std::string opened = Raw({TestLine("a", 1)}) + std::string(30, '\x5a');
  Lay(opened);
  LabelFileEdit undo;
  ASSERT_EQ(AppendLabel(path_, {TestLine("b", 0), TestLine("c", 1)}, &undo), FileError::None);
  ASSERT_EQ(Bytes().size(), 3 * kRecordSize);
  ASSERT_EQ(RewriteLabelFile(path_, undo), FileError::None);
  EXPECT_EQ(Bytes(), opened);

  unlink(path_.c_str());
  ASSERT_EQ(AppendLabel(path_, {TestLine("a", 1)}, &undo), FileError::None);
  ASSERT_EQ(RewriteLabelFile(path_, undo), FileError::None);
  EXPECT_NE(access(path_.c_str(), F_OK), 0) << "the file the label made is gone again";
}

// Removing an almanac's last label takes its file away (an empty one would
// open as no almanac at all); taking that back makes it again, every byte of
// it, and only where no file has appeared meanwhile.
TEST_F(LabelEditTest, RemovingTheLastLabelRemovesTheFileAndUndoMakesItAgain) {
  const LabelRecord a0 = TestLine("uno", 0), a1 = TestLine("dos", 1);
  const std::string opened = Raw({a0, a1}) + std::string(30, '\x5a');
  LabelFileEdit removal = Edit({Splice(0, {a0, a1}, {})});
  removal.removesFile = removal.setsTail = true;
  LabelFileEdit undo;

  // Each step of making it again fails in turn: no file, no scratch file.
  for (FileOp op : {FileOp::Open, FileOp::Write, FileOp::Flush, FileOp::Close, FileOp::Replace}) {
    Lay(opened);
    ASSERT_EQ(RewriteLabelFile(path_, removal, &undo), FileError::None);
    ASSERT_NE(access(path_.c_str(), F_OK), 0) << "the file is gone";
    ResetFileFaults();
    FailFileOperation(op, 1);
    EXPECT_EQ(RewriteLabelFile(path_, undo), FileError::DiskFull) << int(op);
    ResetFileFaults();
    EXPECT_NE(access(path_.c_str(), F_OK), 0) << int(op);
    EXPECT_FALSE(ScratchLeft()) << int(op);
  }
  ASSERT_EQ(RewriteLabelFile(path_, undo), FileError::None);
  EXPECT_EQ(Bytes(), opened);
  std::vector<LabelRecord> held;
  ApplyLabelFileEdit(held, undo);
  EXPECT_EQ(Raw(held), Raw({a0, a1}));

  // A file made meanwhile (a new label) is not written over.
  ASSERT_EQ(RewriteLabelFile(path_, removal, &undo), FileError::None);
  Lay(Raw({a1}));
  EXPECT_EQ(RewriteLabelFile(path_, undo), FileError::Changed);
  EXPECT_EQ(Bytes(), Raw({a1}));
}

}  // namespace

namespace {

// What another program, or an old crash, has done to the file meanwhile.
struct Meanwhile {
  const char* what;
  std::function<std::string(const std::string& raw)> change;
  bool undoes;  // whether the undo may still go ahead
};

}  // namespace

// An undo puts records back only between the neighbours they had: a file
// that another program has changed around that place is refused as it is.
TEST_F(LabelEditTest, UndoRefusesAPlaceWhoseNeighboursChanged) {
  const LabelRecord a0 = TestLine("a0", 0, 3), a1 = TestLine("a1", 1, 3);
  const LabelRecord b0 = TestLine("b0", 0, 4), b1 = TestLine("b1", 1, 4);
  const LabelRecord c0 = TestLine("c0", 0, 6), c1 = TestLine("c1", 0, 6), c2 = TestLine("c2", 1, 6);
  const LabelRecord d = TestLine("otra copia", 1, 9);
  LabelRecord b1Moved = b1, b0Moved = b0;
  b0Moved.day = b1Moved.day = 20;
  const std::vector<LabelRecord> all = {a0, a1, b0, b1, c0, c1, c2};
  const std::string a = Raw({a0, a1});
  const LabelFileEdit changes[] = {
      Edit({Splice(2, {b0, b1}, {})}),                                     // "Borrar"
      Edit({Splice(2, {b0, b1}, {}), Splice(7, {}, {b0Moved, b1Moved})}),  // to another day
  };
  const Meanwhile others[] = {
      {"A removed", [&](const std::string& raw) { return raw.substr(a.size()); }, false},
      {"a label before B's place", [&](const std::string& raw) { return Raw({d}) + raw; }, false},
      {"a label added at the end", [&](const std::string& raw) { return raw + Raw({d}); }, true},
  };
  for (size_t k = 0; k < std::size(changes); ++k) {
    for (const Meanwhile& other : others) {
      const std::string what = std::to_string(k) + ", " + other.what;
      Lay(Raw(all));
      LabelFileEdit undo;
      ASSERT_EQ(RewriteLabelFile(path_, changes[k], &undo), FileError::None) << what;
      const std::string changed = other.change(Bytes());
      Lay(changed);
      if (other.undoes) {
        ASSERT_EQ(RewriteLabelFile(path_, undo), FileError::None) << what;
        EXPECT_EQ(Bytes(), Raw(all) + Raw({d})) << what;
      } else {
        EXPECT_EQ(RewriteLabelFile(path_, undo), FileError::Changed) << what;
        EXPECT_EQ(Bytes(), changed) << what;
      }
      EXPECT_FALSE(ScratchLeft()) << what;
    }
  }
}

// Only the first record says which days the almanac spans: removing or
// moving the first label in front of a record that describes none (a
// zero-filled one a crash left) still leaves a file that opens as that
// almanac and takes new labels, and the undo brings back every byte.
TEST_F(LabelEditTest, TheFirstRecordStillDescribesTheAlmanacAfterAChange) {
  const LabelRecord a = TestLine("primera", 1, 3), d = TestLine("d", 1, 8);
  LabelRecord aMoved = a;
  aMoved.day = 30;
  const std::string zero(kRecordSize, '\0');
  const std::string opened = Raw({a}) + zero + Raw({d});
  const LabelFileEdit changes[] = {
      Edit({Splice(0, {a}, {})}),
      Edit({Splice(0, {a}, {}), Splice(3, {}, {aMoved})}),
  };
  for (size_t k = 0; k < std::size(changes); ++k) {
    Lay(opened);
    ASSERT_EQ(ReadLabelRecords(path_, read_, almanac_), FileError::None);
    std::vector<LabelRecord> held = read_;
    LabelFileEdit undo;
    ASSERT_EQ(RewriteLabelFile(path_, changes[k], &undo), FileError::None) << k;
    ApplyLabelFileEdit(held, changes[k]);
    almanac_ = AlmanacState();
    ASSERT_EQ(ReadLabelRecords(path_, read_, almanac_), FileError::None)
        << k << ": the file still opens";
    EXPECT_EQ(almanac_.startYear, 2025);
    EXPECT_EQ(almanac_.dayCount, 120);
    EXPECT_EQ(Raw(held), Raw(read_)) << k << ": memory follows the file";
    ASSERT_EQ(RewriteLabelFile(path_, undo), FileError::None) << k;
    EXPECT_EQ(Bytes(), opened) << k;
    ASSERT_EQ(RewriteLabelFile(path_, changes[k]), FileError::None) << k;
    EXPECT_EQ(AppendLabel(path_, {TestLine("nueva", 1)}), FileError::None) << k;
  }
}
