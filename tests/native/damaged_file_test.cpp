// Damaged .zanual files: every byte of a valid file flipped, cut or
// repeated must give either an almanac we can lay out or a refusal, and the
// layout of whatever is read must stay inside sane bounds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "data/almanac_state.h"
#include "data/label_file.h"
#include "render/layout.h"

namespace {

std::string ValidFile() {
  std::string bytes;
  for (int i = 0; i < 12; ++i) {
    LabelRecord r;
    r.day = int16_t(1 + i % 28);
    r.month = int16_t(1 + i % 12);
    r.year = 2025;
    SetRecordText(r, i % 3 ? "linea \\#09 y \\#27" : "");
    r.color = 0x00C0FFEE;
    r.isLastLine = i % 3 == 2;
    r.almanacStartDay = 1;
    r.almanacStartMonth = 1;
    r.almanacStartYear = 2025;
    r.almanacDayCount = 366;
    uint8_t b[kRecordSize];
    EncodeLabelRecord(r, b);
    bytes.append(reinterpret_cast<char*>(b), kRecordSize);
  }
  return bytes;
}

void CheckReadAndLayOut(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  AlmanacState almanac;
  almanac.startDay = 1, almanac.startMonth = 1, almanac.startYear = 2025, almanac.dayCount = 20;
  std::vector<LabelRecord> records;
  FileError e = ReadLabelRecords(path, records, almanac);
  ASSERT_TRUE(e == FileError::None || e == FileError::Damaged) << int(e);
  ASSERT_TRUE(IsValidAlmanacSettings(almanac.startDay, almanac.startMonth, almanac.startYear,
                                     almanac.dayCount));
  AlmanacLayout layout = LayOutAlmanac(almanac, records);
  ASSERT_EQ(layout.days.size(), size_t(almanac.dayCount) + 1);
  size_t lines = 0;
  for (const DayBand& day : layout.days) {
    ASSERT_GE(day.advance, kDayPitch);
    for (const LabelBlock& block : day.blocks) {
      ASSERT_GE(block.lineCount, 1u);
      ASSERT_LE(block.firstRecord + block.lineCount, records.size());
      lines += block.lineCount;
    }
  }
  ASSERT_LE(lines, records.size());
  ASSERT_GE(layout.height, layout.endScrollTop);
}

TEST(DamagedFiles, MutatedFilesAreReadOrRefusedNeverMisread) {
  char pattern[] = "/tmp/tarvina-damaged-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string path = std::string(pattern) + "/x.zanual";
  const std::string valid = ValidFile();
  std::mt19937 random(2026);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = valid;
    int edits = 1 + int(random() % 8);
    for (int k = 0; k < edits; ++k) {
      size_t at = random() % bytes.size();
      switch (random() % 4) {
        case 0:
          bytes[at] = char(random());
          break;
        case 1:
          bytes.resize(at);
          break;
        case 2:
          bytes.insert(at, std::string(1 + random() % 200, char(random())));
          break;
        default:
          bytes[at] ^= char(1 << (random() % 8));
      }
      if (bytes.empty()) bytes = valid;
    }
    CheckReadAndLayOut(path, bytes);
    if (HasFatalFailure()) {
      ADD_FAILURE() << "round " << round;
      break;
    }
  }
  unlink(path.c_str());
  rmdir(pattern);
}

}  // namespace
