// Copies of a label file before the first change of a run: one copy equal
// to the file, the newest twenty of each almanac kept.
#include "data/backup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarvina-copies-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    path_ = root_ + "/Clase.zanual";
    copies_ = root_ + "/Local/tarvina/Copias/";  // made by the first copy
    std::ofstream(path_, std::ios::binary) << std::string(3 * 142, 'a') << "partial";
  }
  void TearDown() override {
    ResetFileFaults();
    std::string cmd = "rm -rf '" + root_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  std::vector<std::string> Copies() {
    std::vector<std::string> names;
    ListFiles(copies_, names);
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string root_, path_, copies_;
};

BackupTime RunAt(int i) { return BackupTime{2025, 3, 1 + i / 24, i % 24, 5, 9}; }

TEST_F(BackupTest, OneCopyEqualToTheFileAndTheNewestTwentyOfEachAlmanacKept) {
  std::string made;
  ASSERT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(0), &made), FileError::None);
  EXPECT_EQ(Copies(), std::vector<std::string>{"Clase 2025-03-01 00.05.09.zanual"});
  EXPECT_EQ(made, copies_ + Copies()[0]);
  EXPECT_EQ(Bytes(made), Bytes(path_));

  // Another almanac's copies, and one whose name starts the same, stay.
  std::ofstream(copies_ + "Otra 2020-01-01 10.00.00.zanual") << "x";
  std::ofstream(copies_ + "Clase 2 2020-01-01 10.00.00.zanual") << "x";
  for (int i = 1; i < 25; ++i)
    ASSERT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(i)), FileError::None) << i;
  // A second copy within the same second does not take the first one's place.
  ASSERT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(24), &made), FileError::None);
  EXPECT_EQ(made, copies_ + "Clase 2025-03-02 00.05.09 (2).zanual");

  std::vector<std::string> kept = Copies();
  ASSERT_EQ(kept.size(), 22u);
  EXPECT_EQ(kept.front(), "Clase 2 2020-01-01 10.00.00.zanual");
  EXPECT_EQ(kept[1], BackupName("Clase", RunAt(6))) << "the six oldest are gone";
  EXPECT_EQ(kept[19], BackupName("Clase", RunAt(24), 2));
  EXPECT_EQ(kept[20], BackupName("Clase", RunAt(24)));
  EXPECT_EQ(kept.back(), "Otra 2020-01-01 10.00.00.zanual");
}

TEST_F(BackupTest, ACopyThatCannotBeMadeIsSaidAndLeavesNothing) {
  // A folder that cannot be made (a file stands where it would go).
  std::ofstream(root_ + "/Local") << "x";
  EXPECT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(0)), FileError::PathNotFound);
  unlink((root_ + "/Local").c_str());

  // A disk that fills up during the copy, or a flush that fails: no half copy.
  for (FileOp op : {FileOp::Write, FileOp::Flush}) {
    ResetFileFaults();
    FailFileOperation(op, 1);
    EXPECT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(0)), FileError::DiskFull);
    EXPECT_TRUE(Copies().empty());
  }
}

}  // namespace
