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
  const std::string tag = BackupTag(path_);
  std::string made;
  ASSERT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(0), &made), FileError::None);
  EXPECT_EQ(Copies(), std::vector<std::string>{"Clase [" + tag + "] 2025-03-01 00.05.09.zanual"});
  EXPECT_EQ(made, copies_ + Copies()[0]);
  EXPECT_EQ(Bytes(made), Bytes(path_));

  // Another almanac's copies, one whose name starts the same, and copies
  // named before copies had tags, stay.
  const std::vector<std::string> others = {"Clase 2 [" + tag + "] 2020-01-01 10.00.00.zanual",
                                           "Clase 2020-01-01 10.00.00.zanual",
                                           "Otra 2020-01-01 10.00.00.zanual"};
  for (const std::string& other : others) std::ofstream(copies_ + other) << "x";
  for (int i = 1; i < 25; ++i)
    ASSERT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(i)), FileError::None) << i;
  // A second copy within the same second does not take the first one's place.
  ASSERT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(24), &made), FileError::None);
  EXPECT_EQ(made, copies_ + BackupName("Clase", tag, RunAt(24), 2));

  std::vector<std::string> kept = Copies();
  ASSERT_EQ(kept.size(), 23u);
  EXPECT_EQ(kept[0], others[0]);
  EXPECT_EQ(kept[1], others[1]);
  EXPECT_EQ(kept[2], BackupName("Clase", tag, RunAt(6))) << "the six oldest are gone";
  EXPECT_EQ(kept[20], BackupName("Clase", tag, RunAt(24), 2));
  EXPECT_EQ(kept[21], BackupName("Clase", tag, RunAt(24)));
  EXPECT_EQ(kept.back(), others[2]);
}

// The copy just made is kept, whatever the clock says; almanacs of one name
// in two folders keep copies of their own; a name too long for the copy's
// path is cut in the copy's name, so the copy is made all the same.
TEST_F(BackupTest, TheNewCopyStaysAndEachAlmanacFileHasARotationOfItsOwn) {
  const std::string other = root_ + "/2026/Clase.zanual";
  ASSERT_EQ(MakeFolders(root_ + "/2026"), FileError::None);
  std::ofstream(other, std::ios::binary) << "otra";
  for (int i = 0; i < 25; ++i) {
    ASSERT_EQ(BackUpLabelFile(path_, "Clase", copies_, RunAt(30 + i)), FileError::None);
    ASSERT_EQ(BackUpLabelFile(other, "Clase", copies_, RunAt(30 + i)), FileError::None);
  }
  EXPECT_EQ(Copies().size(), 40u) << "twenty of each";

  std::string made;  // the clock set back by a year
  ASSERT_EQ(BackUpLabelFile(path_, "Clase", copies_, BackupTime{2024, 3, 1, 0, 0, 0}, &made),
            FileError::None);
  EXPECT_EQ(Bytes(made), Bytes(path_));
  EXPECT_EQ(Copies().size(), 40u);

  std::string folder = root_ + "/";
  while (folder.size() < 200) folder += "carpeta/";
  const std::string longName(250 - folder.size(), 'n');
  ASSERT_EQ(MakeFolders(folder), FileError::None);
  const std::string longPath = folder + longName + ".zanual";
  ASSERT_LE(longPath.size(), 259u);
  std::ofstream(longPath, std::ios::binary) << "larga";
  ASSERT_EQ(BackUpLabelFile(longPath, longName, folder, RunAt(0), &made), FileError::None);
  EXPECT_LE(made.size(), 259u) << made;
  EXPECT_EQ(Bytes(made), "larga");
  EXPECT_EQ(made.compare(folder.size(), 10, longName.substr(0, 10)), 0) << made;
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
