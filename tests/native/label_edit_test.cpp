// Changing, moving and removing labels by rewriting the file, and taking
// each change back, byte for byte, to the file as it was.
#include "data/label_edit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
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
  bool ScratchLeft() { return access(RewriteScratchPath(path_).c_str(), F_OK) == 0; }

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
