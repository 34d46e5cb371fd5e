// The label store under the Windows sharing rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "data/almanac_state.h"
#include "data/label_file.h"
#include "data/program_folder.h"
#include "tests/common/label_records.h"
#include "tests/win/win_test_util.h"

namespace {

LabelRecord Line(const char* text, int isLast) { return TestLine(text, isLast); }

TEST(LabelFileWin, OtherProgramsReadingOrHoldingItAMomentDoNotStopUs) {
  TempFolder dir;
  std::string path = dir.path() + "Ocupado.zanual";
  ASSERT_EQ(AppendLabel(path, {Line("a", 1)}), FileError::None);
  // An indexer reads the file, sharing reading: we read along, but we must not write.
  HANDLE indexer =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(indexer, INVALID_HANDLE_VALUE);
  std::vector<LabelRecord> records;
  AlmanacState almanac;
  EXPECT_EQ(ReadLabelRecords(path, records, almanac), FileError::None);
  EXPECT_EQ(AppendLabel(path, {Line("b", 0), Line("c", 1)}), FileError::InUse);
  CloseHandle(indexer);
  EXPECT_EQ(ReadFileBytes(path).size(), kRecordSize);
  // An antivirus holds it alone for a moment, right after our save.
  HANDLE scanner = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
  std::thread lettingGo([scanner] {
    Sleep(300);
    CloseHandle(scanner);
  });
  records.clear();
  EXPECT_EQ(ReadLabelRecords(path, records, almanac), FileError::None);
  lettingGo.join();
  EXPECT_EQ(records.size(), 1u);
}

TEST(LabelFileWin, AFailedSaveIsTakenBack) {
  TempFolder dir;
  std::string path = dir.path() + "Nuevo.zanual";
  ResetFileFaults();
  FailFileOperation(FileOp::Write, 1);
  EXPECT_EQ(AppendLabel(path, {Line("a", 0), Line("b", 1)}), FileError::DiskFull);
  EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << "the file it made stays";
  ASSERT_EQ(AppendLabel(path, {Line("a", 1)}), FileError::None);
  const std::string before = ReadFileBytes(path);
  FailFileOperation(FileOp::Flush, 1);
  EXPECT_EQ(AppendLabel(path, {Line("b", 0), Line("c", 1)}), FileError::DiskFull);
  EXPECT_EQ(ReadFileBytes(path), before);
  ResetFileFaults();
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
  std::vector<LabelRecord> records;
  AlmanacState almanac;
  EXPECT_EQ(ReadLabelRecords(dir.path() + "x.zanual", records, almanac), FileError::NotFound);
  EXPECT_EQ(GetFileAttributesA((dir.path() + "x.zanual").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
