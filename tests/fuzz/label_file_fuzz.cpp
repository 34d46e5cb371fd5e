// The record reader on whole files: what it reads or refuses, the layout of
// what it read, and a label saved into the same file afterwards.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "tests/fuzz/fuzz_check.h"

namespace {

std::string gScratch;

// One file per process, in memory where there is such a folder; removed at the end.
const std::string& ScratchPath() {
  const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  gScratch = std::string(base) + "/tarvina-fuzz-" + std::to_string(getpid()) + ".zanual";
  std::atexit([] { unlink(gScratch.c_str()); });
  return gScratch;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool SameSettings(const LabelRecord& r, const AlmanacState& a) {
  return r.almanacStartDay == a.startDay && r.almanacStartMonth == a.startMonth &&
         r.almanacStartYear == a.startYear && r.almanacDayCount == a.dayCount;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = ScratchPath();
  const std::string file(reinterpret_cast<const char*>(data), size);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << file;

  // The almanac shown before the file is opened.
  AlmanacState before;
  before.startDay = 1, before.startMonth = 3, before.startYear = 2025, before.dayCount = 30;
  AlmanacState almanac = before;
  const size_t count = size / kRecordSize;
  std::vector<LabelRecord> records;
  FileError error = ReadLabelRecords(path, records, almanac);
  LabelRecord first;
  if (count > 0) DecodeLabelRecord(data, first);
  if (error == FileError::None) {
    FUZZ_CHECK(records.size() == count);
    if (count > 0) {
      FUZZ_CHECK(IsValidAlmanacSettings(first.almanacStartDay, first.almanacStartMonth,
                                        first.almanacStartYear, first.almanacDayCount));
      FUZZ_CHECK(SameSettings(first, almanac));
    } else {
      FUZZ_CHECK(almanac.startYear == before.startYear && almanac.dayCount == before.dayCount);
    }
  } else {
    FUZZ_CHECK(error == FileError::Damaged);
    FUZZ_CHECK(count > 0 && records.empty());
    FUZZ_CHECK(almanac.startYear == before.startYear && almanac.dayCount == before.dayCount);
  }
  for (size_t k = 0; k < records.size(); ++k) {
    LabelRecord again;
    DecodeLabelRecord(data + k * kRecordSize, again);
    const LabelRecord& r = records[k];
    FUZZ_CHECK(again.day == r.day && again.month == r.month && again.year == r.year &&
               again.color == r.color && again.isLastLine == r.isLastLine &&
               SameSettings(again, AlmanacState{"", "", r.almanacStartDay, r.almanacStartMonth,
                                                r.almanacStartYear, r.almanacDayCount}) &&
               std::memcmp(again.text, r.text, kTextBytes) == 0);
    FUZZ_CHECK(std::strlen(records[k].text) <= kMaxLineBytes);
  }
  CheckLayout(almanac, records, LayOutAlmanac(almanac, records));

  // A two-line label for the almanac shown: after the last whole record, or
  // refused with the file as it was when the file holds another almanac.
  LabelRecord line;
  line.day = almanac.startDay, line.month = almanac.startMonth, line.year = almanac.startYear;
  line.almanacStartDay = almanac.startDay, line.almanacStartMonth = almanac.startMonth;
  line.almanacStartYear = almanac.startYear, line.almanacDayCount = almanac.dayCount;
  SetRecordText(line, "uno");
  LabelRecord last = line;
  last.isLastLine = 1;
  error = AppendLabel(path, {line, last});
  const std::string after = Bytes(path);
  if (count > 0 && !SameSettings(first, almanac)) {
    FUZZ_CHECK(error == FileError::OtherAlmanac);
    FUZZ_CHECK(after == file);
  } else {
    FUZZ_CHECK(error == FileError::None);
    FUZZ_CHECK(after.size() == (count + 2) * kRecordSize);
    FUZZ_CHECK(after.compare(0, count * kRecordSize, file, 0, count * kRecordSize) == 0);
  }
  return 0;
}
