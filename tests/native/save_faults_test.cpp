// Every failure point of a save, made to fail in turn through the file
// layer: the save reports it and the file on disk is exactly as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "data/label_file.h"
#include "tests/common/label_records.h"

namespace {

constexpr FileOp kKinds[] = {FileOp::Open,  FileOp::Size,     FileOp::Read,  FileOp::Write,
                             FileOp::Flush, FileOp::Truncate, FileOp::Close, FileOp::Remove};
const char* const kKindNames[] = {"open",  "size",     "read",  "write",
                                  "flush", "truncate", "close", "remove"};

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
    unlink(path_.c_str());
    rmdir(folder_.c_str());
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

}  // namespace
