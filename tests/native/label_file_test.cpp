#include "data/label_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "data/almanac_state.h"
#include "data/program_folder.h"
#include "tests/common/label_records.h"

namespace {

class LabelFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarvina-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = std::string(pattern) + "/";
    SetProgramFolder(folder_);
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + folder_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }

  std::string Path(const std::string& name) { return folder_ + name + ".zanual"; }
  FileError Read(const std::string& path) { return ReadLabelRecords(path, records_, almanac_); }

  AlmanacState almanac_;
  std::vector<LabelRecord> records_;

  std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  static LabelRecord Line(const char* text, int isLast, int day = 5, int month = 3) {
    return TestLine(text, isLast, day, month);
  }

  std::string folder_;
};

TEST(LabelRecordLayout, EncodesEveryFieldAtItsOffset) {
  LabelRecord r;
  r.day = 5;
  r.month = 3;
  r.year = 2025;
  SetRecordText(r, "Hola");
  r.color = 0x006666FF;
  r.isLastLine = 1;
  r.almanacStartDay = 31;
  r.almanacStartMonth = 12;
  r.almanacStartYear = 2024;
  r.almanacDayCount = -2;
  uint8_t b[kRecordSize];
  std::memset(b, 0xAA, sizeof b);
  EncodeLabelRecord(r, b);
  const uint8_t expectHead[] = {5, 0, 3, 0, 0xE9, 0x07, 'H', 'o', 'l', 'a', 0};
  EXPECT_EQ(0, std::memcmp(b, expectHead, sizeof expectHead));
  for (size_t i = 11; i < 126; ++i) EXPECT_EQ(b[i], 0) << "text byte " << i << " after the NUL";
  const uint8_t expectTail[] = {0xFF, 0x66, 0x66, 0x00, 1,    0,    0,    0,
                                31,   0,    12,   0,    0xE8, 0x07, 0xFE, 0xFF};
  EXPECT_EQ(0, std::memcmp(b + 126, expectTail, sizeof expectTail));

  LabelRecord back;
  DecodeLabelRecord(b, back);
  EXPECT_EQ(back.almanacDayCount, -2);
  EXPECT_EQ(back.year, 2025);
  EXPECT_STREQ(back.text, "Hola");
  EXPECT_EQ(back.color, 0x006666FF);
}

TEST(LabelRecordLayout, TextIsCutTo119BytesAndTheTailCleared) {
  LabelRecord r;
  std::string longText(150, 'x');
  SetRecordText(r, longText.c_str());
  EXPECT_EQ(std::strlen(r.text), 119u);
  SetRecordText(r, "ab");  // earlier bytes must not leak past the new NUL
  for (size_t i = 2; i < kTextBytes; ++i) ASSERT_EQ(r.text[i], 0) << i;

  uint8_t b[kRecordSize] = {};
  std::memset(b + 6, 'y', 120);  // no NUL at all in the 120 text bytes
  DecodeLabelRecord(b, r);
  EXPECT_EQ(std::strlen(r.text), 119u);
  EXPECT_EQ(r.text[119], 0);
}

// The lines come as the label box shows them; text pasted from elsewhere
// may hold line breaks of any kind and other control characters, and a
// box in a proportional face may show more on a line than a record holds.
TEST(LabelRecordsOf, EveryLineBreakStartsARecordAndNoControlCharacterIsKept) {
  struct Case {
    std::vector<std::string> shown;
    std::vector<std::string> stored;
  };
  const std::string full(kMaxLineBytes, 'i'), word(60, 'w');
  const Case kCases[] = {
      {{full}, {full}},
      {{full + "ii"}, {full.substr(0, 118), "iii"}},
      {{word + " " + word + " fin"}, {word, word + " fin"}},
      {{"uno\ndos", "tres"}, {"uno", "dos", "tres"}},
      {{"uno\rdos\r\ntres\n\rcuatro"}, {"uno", "dos", "tres", "", "cuatro"}},
      {{"fin\r\n"}, {"fin", ""}},
      {{"a\tb",
        "c\x01\x1f\x7f"
        "d\x1b"},
       {"a b", "cd"}},
      {{"Caf\xe9 \x80 \\#01"}, {"Caf\xe9 \x80 \\#01"}},  // Windows-1252 and icon codes stay
      {{"", "\x02"}, {"", ""}},
  };
  AlmanacState almanac;
  almanac.startDay = 1, almanac.startMonth = 1, almanac.startYear = 2025, almanac.dayCount = 30;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.shown[0]);
    std::vector<LabelRecord> records = LabelRecordsOf(c.shown, 0x112233, 5, 1, 2025, almanac);
    ASSERT_EQ(records.size(), c.stored.size());
    for (size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(std::string(records[i].text), c.stored[i]) << i;
      EXPECT_EQ(records[i].isLastLine, i + 1 == records.size() ? 1 : 0) << i;
      EXPECT_EQ(records[i].day, 5);
      EXPECT_EQ(records[i].color, 0x112233);
      EXPECT_EQ(records[i].almanacDayCount, 30);
    }
  }
}

TEST_F(LabelFileTest, AppendCreatesTheFileAndReadsBack) {
  ASSERT_EQ(AppendLabelRecord("primera", 0xFF, 5, 3, 2025, 0, "Prueba", 1, 1, 2025, 120),
            FileError::None);
  ASSERT_EQ(AppendLabelRecord("segunda", 0xFF, 5, 3, 2025, 1, "Prueba", 1, 1, 2025, 120),
            FileError::None);
  EXPECT_EQ(ReadBytes(Path("Prueba")).size(), 2 * kRecordSize);
  ASSERT_EQ(Read(Path("Prueba")), FileError::None);
  ASSERT_EQ(records_.size(), 2u);
  EXPECT_STREQ(records_[1].text, "segunda");
  EXPECT_EQ(records_[1].isLastLine, 1);
  EXPECT_EQ(almanac_.dayCount, 120);
  EXPECT_EQ(almanac_.startYear, 2025);
}

TEST_F(LabelFileTest, WholeLabelIsOneWriteWithZerosAfterEachText) {
  ASSERT_EQ(
      AppendLabel(Path("Casa"), {Line("uno largo de verdad", 0), Line("dos", 0), Line("", 1)}),
      FileError::None);
  std::string bytes = ReadBytes(Path("Casa"));
  ASSERT_EQ(bytes.size(), 3 * kRecordSize);
  // The second record's text tail must be zeros, not the first line's rest.
  for (size_t i = kRecordSize + 6 + 3; i < kRecordSize + 126; ++i) ASSERT_EQ(bytes[i], 0) << i;
  ASSERT_EQ(Read(Path("Casa")), FileError::None);
  ASSERT_EQ(records_.size(), 3u);
  EXPECT_EQ(records_[0].isLastLine, 0);
  EXPECT_EQ(records_[2].isLastLine, 1);
  EXPECT_STREQ(records_[2].text, "");
}

TEST_F(LabelFileTest, PartialRecordsAtTheEndAreIgnoredAndCovered) {
  struct Case {
    size_t size;
    size_t recordsRead;
    size_t sizeAfterAppend;
  };
  const Case cases[] = {{0, 0, 142}, {141, 0, 142}, {142, 1, 284}, {143, 1, 284}, {426, 3, 568}};
  LabelRecord valid = Line("x", 1);
  uint8_t rec[kRecordSize];
  EncodeLabelRecord(valid, rec);
  for (const Case& c : cases) {
    std::string bytes;
    while (bytes.size() < c.size) bytes.append(reinterpret_cast<char*>(rec), kRecordSize);
    bytes.resize(c.size);
    WriteBytes(Path("Parcial"), bytes);
    almanac_.startYear = 1999;
    ASSERT_EQ(Read(Path("Parcial")), FileError::None) << c.size;
    EXPECT_EQ(records_.size(), c.recordsRead) << c.size;
    EXPECT_EQ(almanac_.startYear, c.recordsRead ? 2025 : 1999) << c.size;
    ASSERT_EQ(AppendLabel(Path("Parcial"), {Line("nuevo", 1)}), FileError::None) << c.size;
    EXPECT_EQ(ReadBytes(Path("Parcial")).size(), c.sizeAfterAppend) << c.size;
  }
}

TEST_F(LabelFileTest, SettingsComeFromTheFirstRecordOnly) {
  LabelRecord other = Line("b", 1);
  other.almanacStartYear = 2030;
  other.almanacDayCount = 20;
  ASSERT_EQ(AppendLabel(Path("A"), {Line("a", 1), other, Line("c", 1)}), FileError::None);
  ASSERT_EQ(Read(Path("A")), FileError::None);
  EXPECT_EQ(almanac_.startYear, 2025);
  EXPECT_EQ(almanac_.dayCount, 120);
  EXPECT_EQ(records_.size(), 3u);
}

TEST_F(LabelFileTest, DamagedFirstRecordIsRecognised) {
  struct Case {
    int16_t d, m, y, n;
  };
  const Case bad[] = {{0, 1, 2025, 20},  {31, 4, 2025, 20}, {1, 13, 2025, 20}, {1, 1, 1600, 20},
                      {1, 1, 2025, 14},  {1, 1, 2025, 367}, {1, 1, 0, 0},      {-1, -1, -1, -1},
                      {29, 2, 2025, 20}, {1, 1, 32767, 366}};
  for (const Case& c : bad) {
    LabelRecord r = Line("x", 1);
    r.almanacStartDay = c.d;
    r.almanacStartMonth = c.m;
    r.almanacStartYear = c.y;
    r.almanacDayCount = c.n;
    unlink(Path("Roto").c_str());
    ASSERT_EQ(AppendLabel(Path("Roto"), {r}), FileError::None);
    almanac_.startYear = 1999;
    EXPECT_EQ(Read(Path("Roto")), FileError::Damaged) << c.d << "/" << c.m << "/" << c.y;
    EXPECT_TRUE(records_.empty());
    EXPECT_EQ(almanac_.startYear, 1999);
  }
}

TEST_F(LabelFileTest, HostileBytesNeverBreakTheReader) {
  std::mt19937 random(12345);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(random() % 2000, '\0');
    for (char& c : bytes) c = char(random());
    WriteBytes(Path("Ruido"), bytes);
    FileError e = Read(Path("Ruido"));
    EXPECT_TRUE(e == FileError::None || e == FileError::Damaged);
    for (const LabelRecord& r : records_) ASSERT_LT(std::strlen(r.text), kTextBytes);
  }
}

TEST_F(LabelFileTest, ReadsAHundredThousandRecords) {
  std::vector<LabelRecord> many(100000, Line("linea", 0));
  many.back().isLastLine = 1;
  ASSERT_EQ(AppendLabel(Path("Grande"), many), FileError::None);
  ASSERT_EQ(Read(Path("Grande")), FileError::None);
  EXPECT_EQ(records_.size(), 100000u);
  EXPECT_EQ(records_.back().isLastLine, 1);
}

TEST_F(LabelFileTest, HugeFilesAreRefusedBeforeAnythingIsRead) {
  // Sparse files: the size is there, the disk is not used.
  auto make = [&](const std::string& path, int64_t records, const std::string& head) {
    std::ofstream(path, std::ios::binary) << head;
    ASSERT_EQ(truncate(path.c_str(), records * int64_t(kRecordSize)), 0);
  };
  uint8_t valid[kRecordSize];
  EncodeLabelRecord(Line("x", 1), valid);
  const std::string almanac(reinterpret_cast<char*>(valid), kRecordSize);
  make(Path("Enorme"), int64_t(kMaxRecords) + 1, almanac);
  make(Path("Video"), (int64_t(4) << 30) / int64_t(kRecordSize), "RIFF....AVI LIST");
  for (const char* name : {"Enorme", "Video"}) {
    almanac_.startYear = 1999;
    ResetFileFaults();
    EXPECT_EQ(Read(Path(name)), FileError::TooLarge) << name;
    EXPECT_EQ(FileOperationCount(FileOp::Read), 0) << name;
    EXPECT_TRUE(records_.empty());
    EXPECT_EQ(almanac_.startYear, 1999);
  }
  // Within the limit, a file that is no almanac is known by its first record alone.
  make(Path("Otro"), 10000, "no es un almanaque");
  ResetFileFaults();
  EXPECT_EQ(Read(Path("Otro")), FileError::Damaged);
  EXPECT_EQ(FileOperationCount(FileOp::Read), 1);
  // A save that would take a file past the limit is refused, the file unchanged.
  make(Path("Lleno"), int64_t(kMaxRecords) - 1, almanac);
  EXPECT_EQ(AppendLabel(Path("Lleno"), {Line("a", 0), Line("b", 1)}), FileError::TooLarge);
  struct stat st;
  ASSERT_EQ(stat(Path("Lleno").c_str(), &st), 0);
  EXPECT_EQ(uint64_t(st.st_size), (kMaxRecords - 1) * kRecordSize);
}

TEST_F(LabelFileTest, LabelsOfAnotherAlmanacOfTheSameNameAreRefused) {
  // Another copy of the program made "Clase" first, for other dates.
  LabelRecord theirs = Line("suya", 1);
  theirs.almanacStartMonth = 9;
  ASSERT_EQ(AppendLabel(Path("Clase"), {theirs}), FileError::None);
  const std::string before = ReadBytes(Path("Clase"));
  EXPECT_EQ(AppendLabel(Path("Clase"), {Line("mia", 0), Line("mia", 1)}), FileError::OtherAlmanac);
  EXPECT_EQ(ReadBytes(Path("Clase")), before);
  theirs.day = 7;
  EXPECT_EQ(AppendLabel(Path("Clase"), {theirs}), FileError::None) << "its own labels still go in";
}

TEST_F(LabelFileTest, ReadingNeverCreatesAFile) {
  EXPECT_FALSE(LabelFileExists(Path("Nada")));
  EXPECT_EQ(Read(Path("Nada")), FileError::NotFound);
  EXPECT_FALSE(LabelFileExists(Path("Nada")));
  EXPECT_TRUE(records_.empty());
}

TEST_F(LabelFileTest, FailuresAreReportedAndWriteNothing) {
  EXPECT_EQ(AppendLabel(folder_ + "no/such/folder/x.zanual", {Line("a", 1)}),
            FileError::PathNotFound);
  for (const char* name : {"a:b", "a/b", "a\\b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a\tb"})
    EXPECT_EQ(AppendLabelRecord("t", 0, 1, 1, 2025, 1, name, 1, 1, 2025, 20), FileError::BadName)
        << name;
  EXPECT_EQ(AppendLabelRecord("t", 0, 1, 1, 2025, 1, "CON", 1, 1, 2025, 20), FileError::BadName);
  // Nothing may have landed in the folder.
  std::string cmd = "test -z \"$(ls -A '" + folder_ + "')\"";
  EXPECT_EQ(system(cmd.c_str()), 0);
}

TEST_F(LabelFileTest, SecondOpenerIsRefusedAndFileUnchanged) {
  ASSERT_EQ(AppendLabel(Path("Ocupado"), {Line("a", 1)}), FileError::None);
  ExclusiveFile holder;
  ASSERT_EQ(holder.OpenForAppend(Path("Ocupado")), FileError::None);
  EXPECT_EQ(AppendLabel(Path("Ocupado"), {Line("b", 0), Line("c", 1)}), FileError::InUse);
  EXPECT_EQ(Read(Path("Ocupado")), FileError::InUse);
  holder.Close();
  EXPECT_EQ(ReadBytes(Path("Ocupado")).size(), kRecordSize);
}

TEST(AlmanacNames, RefusesWhatCannotBeAFileName) {
  const std::string folder = "C:\\Almanaques\\";
  EXPECT_EQ(CheckAlmanacName("Clase", folder), NameCheck::Ok);
  EXPECT_EQ(CheckAlmanacName("   ", folder), NameCheck::Ok);
  EXPECT_EQ(CheckAlmanacName("A\xC3\xB1o 2025", folder), NameCheck::Ok);  // UTF-8, as every path
  EXPECT_EQ(CheckAlmanacName("", folder), NameCheck::Empty);
  for (const char* bad :
       {"a\\b", "a/b", "a:b", "a*", "?", "\"q\"", "<", ">", "a|b", "\x01", "a\x1f"})
    EXPECT_EQ(CheckAlmanacName(bad, folder), NameCheck::BadCharacter) << bad;
  for (const char* device : {"CON", "con", "Nul", "PRN", "aux", "COM1", "lpt9", "NUL.txt", "CON  "})
    EXPECT_EQ(CheckAlmanacName(device, folder), NameCheck::DeviceName) << device;
  EXPECT_EQ(CheckAlmanacName("CONTIGO", folder), NameCheck::Ok);
  EXPECT_EQ(CheckAlmanacName("COM", folder), NameCheck::Ok);
  std::string fits(259 - folder.size() - 7, 'a');
  EXPECT_EQ(CheckAlmanacName(fits, folder), NameCheck::Ok);
  EXPECT_EQ(CheckAlmanacName(fits + "a", folder), NameCheck::TooLong);
  // Windows counts UTF-16 units, not bytes: two for a character beyond U+FFFF.
  const std::string lambda = "\xCE\xBB", calendar = "\xF0\x9F\x93\x85";
  std::string greek;
  for (size_t i = 0; i < fits.size(); ++i) greek += lambda;
  EXPECT_EQ(CheckAlmanacName(greek, folder), NameCheck::Ok);
  EXPECT_EQ(CheckAlmanacName(greek + lambda, folder), NameCheck::TooLong);
  EXPECT_EQ(CheckAlmanacName(greek.substr(2) + calendar, folder), NameCheck::TooLong);
  EXPECT_EQ(CheckAlmanacName(greek.substr(4) + calendar, folder), NameCheck::Ok);
  // A folder so deep that a change's scratch file would not fit beside a short name.
  const std::string deep = "C:\\" + std::string(259 - 3 - kScratchNameLength, 'c') + "\\";
  EXPECT_EQ(CheckAlmanacName("a", deep), NameCheck::TooLong);
  EXPECT_EQ(CheckAlmanacName("a", deep.substr(1)), NameCheck::Ok);
  for (const char* broken : {"a\xE9", "\xC0\xAF", "\xED\xA0\x80", "\xF0\x9F\x93"})
    EXPECT_EQ(CheckAlmanacName(broken, folder), NameCheck::BadCharacter) << broken;
}

TEST(AlmanacSettings, AcceptOnlyDrawableAlmanacs) {
  EXPECT_TRUE(IsValidAlmanacSettings(1, 1, 2025, 15));
  EXPECT_TRUE(IsValidAlmanacSettings(31, 12, 2024, 366));
  EXPECT_TRUE(IsValidAlmanacSettings(29, 2, 2024, 100));
  EXPECT_TRUE(IsValidAlmanacSettings(1, 1, 1601, 15));
  EXPECT_FALSE(IsValidAlmanacSettings(29, 2, 2025, 100));
  EXPECT_FALSE(IsValidAlmanacSettings(1, 1, 2025, 14));
  EXPECT_FALSE(IsValidAlmanacSettings(1, 1, 2025, 367));
  EXPECT_FALSE(IsValidAlmanacSettings(31, 12, 1600, 20));
}

}  // namespace
