// The label store under the Windows sharing rules.
#include <windows.h>
#include <gtest/gtest.h>

#include "data/almanac_state.h"
#include "data/label_file.h"
#include "data/program_folder.h"
#include "tests/common/label_records.h"
#include "tests/win/win_test_util.h"

namespace {

LabelRecord Line(const char* text, int isLast) { return TestLine(text, isLast); }

TEST(LabelFileWin, AFileHeldOpenElsewhereIsReportedAndLeftWhole) {
  TempFolder dir;
  std::string path = dir.path() + "Ocupado.zanual";
  ASSERT_EQ(AppendLabel(path, {Line("a", 1)}), FileError::None);
  // Another program holds the file open, even sharing reads: we must not write.
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(AppendLabel(path, {Line("b", 0), Line("c", 1)}), FileError::InUse);
  EXPECT_EQ(ReadLabelRecords(path), FileError::InUse);
  CloseHandle(other);
  EXPECT_EQ(ReadFileBytes(path).size(), kRecordSize);
}

TEST(LabelFileWin, WhileWeWriteNobodyElseMayOpenTheFile) {
  TempFolder dir;
  std::string path = dir.path() + "Solo.zanual";
  ExclusiveFile ours;
  ASSERT_EQ(ours.OpenForAppend(path), FileError::None);
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
}

TEST(LabelFileWin, BadPlacesAndNamesAreReportedNotWritten) {
  TempFolder dir;
  EXPECT_EQ(AppendLabel(dir.path() + "no\\existe\\x.zanual", {Line("a", 1)}),
            FileError::PathNotFound);
  std::string saved = ProgramFolder();
  SetProgramFolder(dir.path());
  EXPECT_EQ(AppendLabelRecord("t", 0, 1, 1, 2025, 1, "a:b", 1, 1, 2025, 20), FileError::BadName);
  EXPECT_EQ(AppendLabelRecord("t", 0, 1, 1, 2025, 1, "a?b", 1, 1, 2025, 20), FileError::BadName);
  SetProgramFolder(saved);
  // A name with ":" would otherwise have written a hidden stream of file "a".
  EXPECT_EQ(GetFileAttributesA((dir.path() + "a").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(LabelFileWin, ExistenceTestDoesNotCreateOrCountFolders) {
  TempFolder dir;
  EXPECT_FALSE(LabelFileExists(dir.path() + "x.zanual"));
  EXPECT_FALSE(LabelFileExists(dir.path()));
  EXPECT_EQ(ReadLabelRecords(dir.path() + "x.zanual"), FileError::NotFound);
  EXPECT_EQ(GetFileAttributesA((dir.path() + "x.zanual").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
