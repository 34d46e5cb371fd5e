// Every failure point of a save or a rewrite, made to fail in turn through
// the file layer: it is reported and the file on disk is exactly as it was;
// and a crash at any point leaves a file that holds the old labels or the
// new ones.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "data/almanac_state.h"
#include "data/label_edit.h"
#include "data/label_file.h"
#include "tests/common/label_records.h"

namespace {

constexpr FileOp kKinds[] = {FileOp::Open,  FileOp::Size,   FileOp::Read,
                             FileOp::Write, FileOp::Flush,  FileOp::Truncate,
                             FileOp::Close, FileOp::Remove, FileOp::Replace};
const char* const kKindNames[] = {"open",     "size",  "read",   "write",  "flush",
                                  "truncate", "close", "remove", "replace"};

using Counts = std::map<FileOp, int>;

class SaveFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarvina-faults-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/Clase.zanual";
    ResetFileFaults();
  }
  void TearDown() override {
    ResetFileFaults();
    std::string cmd = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  // Scratch files in the folder.
  int ScratchFiles() {
    std::vector<std::string> names;
    ListFiles(folder_, names);
    return int(std::count_if(names.begin(), names.end(), IsScratchName));
  }

  bool Exists() { return access(path_.c_str(), F_OK) == 0; }
  std::string Bytes() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The file as a test starts it: missing when `before` is null.
  void Lay(const std::string* before) {
    unlink(path_.c_str());
    if (before) std::ofstream(path_, std::ios::binary) << *before;
  }
  static Counts Taken() {
    Counts counts;
    for (FileOp op : kKinds) counts[op] = FileOperationCount(op);
    return counts;
  }

  // Runs `save` once to count its operations, then again with each of them
  // failing in turn, and with each operation of the taking back failing
  // after a failed write: always reported, the file always as before.
  void EveryFailurePoint(const std::string* before, const std::function<FileError()>& save) {
    Lay(before);
    ResetFileFaults();
    ASSERT_EQ(save(), FileError::None);
    const Counts clean = Taken();
    EXPECT_EQ(clean.at(FileOp::Flush), 1) << "a save is on the disk before it counts as done";
    const std::string saved = Bytes();
    ASSERT_EQ(saved.size(),
              (before ? before->size() / kRecordSize * kRecordSize : 0) + 2 * kRecordSize);

    auto expectAsBefore = [&](const std::string& what) {
      if (before)
        EXPECT_EQ(Bytes(), *before) << what;
      else
        EXPECT_FALSE(Exists()) << what << ": the file the save made is still there";
    };
    int tried = 0;
    for (size_t k = 0; k < std::size(kKinds); ++k) {
      for (int n = 1; n <= clean.at(kKinds[k]); ++n) {
        const std::string what = std::string(kKindNames[k]) + " " + std::to_string(n);
        Lay(before);
        ResetFileFaults();
        FailFileOperation(kKinds[k], n);
        EXPECT_EQ(save(), FileError::DiskFull) << what;
        expectAsBefore(what);
        ++tried;
      }
    }
    EXPECT_GE(tried, 5);

    // The write fails; then each step of putting the file back fails too.
    Lay(before);
    ResetFileFaults();
    FailFileOperation(FileOp::Write, 1);
    ASSERT_EQ(save(), FileError::DiskFull);
    const Counts undo = Taken();
    for (size_t k = 0; k < std::size(kKinds); ++k) {
      for (int n = 1; n <= undo.at(kKinds[k]); ++n) {
        if (kKinds[k] == FileOp::Write && n == 1) continue;
        const std::string what =
            "write 1, then " + std::string(kKindNames[k]) + " " + std::to_string(n);
        Lay(before);
        ResetFileFaults();
        FailFileOperation(FileOp::Write, 1);
        FailFileOperation(kKinds[k], n, FileError::Other);
        EXPECT_NE(save(), FileError::None) << what;
        if (!before && kKinds[k] == FileOp::Remove)
          EXPECT_EQ(Bytes(), "") << what << ": a file that cannot be removed is left empty";
        else
          expectAsBefore(what);
      }
    }

    // With nothing failing, the same save lands whole.
    Lay(before);
    ResetFileFaults();
    ASSERT_EQ(save(), FileError::None);
    EXPECT_EQ(Bytes(), saved);
  }

  std::string folder_;
  std::string path_;
  std::vector<LabelRecord> read_;  // what reading the file gives
  AlmanacState almanac_;
};

std::vector<LabelRecord> TwoLines() { return {TestLine("uno", 0), TestLine("dos \\#09", 1)}; }

std::string Records(const std::vector<LabelRecord>& records) {
  std::string bytes;
  for (const LabelRecord& r : records) {
    uint8_t b[kRecordSize];
    EncodeLabelRecord(r, b);
    bytes.append(reinterpret_cast<char*>(b), kRecordSize);
  }
  return bytes;
}

TEST_F(SaveFaults, EveryFailurePointLeavesAnExistingFileAsItWas) {
  // Two records and the partial one an earlier crash left: the new label
  // covers the partial bytes, so taking it back must write them again.
  std::string before = Records({TestLine("a", 1), TestLine("b", 1)}) + std::string(50, '\x5a');
  EveryFailurePoint(&before, [&] { return AppendLabel(path_, TwoLines()); });
  EXPECT_EQ(Bytes(), Records({TestLine("a", 1), TestLine("b", 1)}) + Records(TwoLines()));
}

TEST_F(SaveFaults, AFailedFirstSaveLeavesNoFile) {
  EveryFailurePoint(nullptr, [&] { return AppendLabel(path_, TwoLines()); });
}

TEST_F(SaveFaults, ARewriteFailingAtAnyStepOrCutShortByACrashLosesNothing) {
  // A word changed in the first label and the second moved to the end, in
  // a file with the partial record of an old crash.
  const LabelRecord a = TestLine("a", 1), b = TestLine("b", 1, 6), c = TestLine("c", 1, 7);
  LabelRecord a2 = a, b2 = b;
  SetRecordText(a2, "otra");
  b2.day = 9;
  LabelFileEdit edit;
  edit.splices.push_back({0, {a}, RecordBytes({a2})});
  edit.splices.push_back({1, {b}, {}});
  edit.splices.push_back({3, {}, RecordBytes({b2})});
  const std::string tail(50, '\x5a');
  const std::string before = Records({a, b, c}) + tail, after = Records({a2, c, b2}) + tail;
  auto scratchLeft = [&] { return ScratchFiles() > 0; };

  Lay(&before);
  ResetFileFaults();
  ASSERT_EQ(RewriteLabelFile(path_, edit), FileError::None);
  ASSERT_EQ(Bytes(), after);
  const Counts clean = Taken();
  EXPECT_EQ(clean.at(FileOp::Flush), 1) << "on the disk before it takes the old file's place";
  EXPECT_EQ(clean.at(FileOp::Replace), 1);
  EXPECT_GE(clean.at(FileOp::Write), 3) << "the records around the change, the change, the tail";

  int tried = 0;
  for (size_t k = 0; k < std::size(kKinds); ++k) {
    for (int n = 1; n <= clean.at(kKinds[k]); ++n) {
      const std::string what = std::string(kKindNames[k]) + " " + std::to_string(n);
      Lay(&before);
      ResetFileFaults();
      FailFileOperation(kKinds[k], n);
      const FileError error = RewriteLabelFile(path_, edit);
      if (error == FileError::None) {
        // Only letting go of the old file, which was only read, may fail
        // unseen: the new one is whole in its place.
        EXPECT_EQ(kKinds[k], FileOp::Close) << what;
        EXPECT_EQ(Bytes(), after) << what;
      } else {
        EXPECT_EQ(error, FileError::DiskFull) << what;
        EXPECT_EQ(Bytes(), before) << what;
      }
      EXPECT_FALSE(scratchLeft()) << what;
      ++tried;

      // The program stops dead there instead: the almanac opens whole,
      // old or new, whatever is left beside it.
      Lay(&before);
      ResetFileFaults();
      CrashAtFileOperation(kKinds[k], n);
      EXPECT_NE(RewriteLabelFile(path_, edit), FileError::None) << what;
      ResetFileFaults();
      ASSERT_EQ(ReadLabelRecords(path_, read_, almanac_), FileError::None) << what;
      const std::string opened = Records(read_) + tail;
      EXPECT_TRUE(opened == before || opened == after) << what;
      EXPECT_TRUE(Bytes() == before || Bytes() == after) << what;
      std::string cmd = "rm -f '" + folder_ + "'/tarvina-*.tmp";  // what the crash left
      ASSERT_EQ(system(cmd.c_str()), 0);
    }
  }
  EXPECT_GE(tried, 9);

  // Files beside it that are not this rewrite's own stay as they were: one
  // named as scratch files once were, and one of the very name this run
  // would take next (another copy of the program's, or a crash's).
  ExclusiveFile probe;
  std::string taken;
  ASSERT_EQ(OpenScratchBeside(path_, probe, taken), FileError::None);
  probe.Close();
  unlink(taken.c_str());
  const size_t dash = taken.rfind('-');
  const std::string next =
      taken.substr(0, dash + 1) + std::to_string(std::stoi(taken.substr(dash + 1)) + 1) + ".tmp";
  const std::string others[] = {path_ + ".tmp", next};
  for (const std::string& other : others) std::ofstream(other, std::ios::binary) << "ajeno";
  Lay(&before);
  ResetFileFaults();
  ASSERT_EQ(RewriteLabelFile(path_, edit), FileError::None);
  EXPECT_EQ(Bytes(), after);
  for (const std::string& other : others) {
    std::ifstream in(other, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "ajeno") << other;
  }
  EXPECT_EQ(ScratchFiles(), 1) << "only the one laid here";
}

}  // namespace
