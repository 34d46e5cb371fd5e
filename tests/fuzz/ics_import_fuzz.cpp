// The .ics import on whole files, into an almanac from July 2024 to July
// 2025: refused with a reason and no labels, or labels only on the
// almanac's days, each whole and carrying the almanac's settings, laid out
// every one; then exported and imported again, giving the same records
// (these two for up to 2,000 labels).
#include <libical/ical.h>

#include <cstring>
#include <string>

#include "share/ics_export.h"
#include "share/ics_import.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// A zone one hour east of UTC, without daylight saving.
WallTime OneHourEast(const WallTime& utc) {
  WallTime local = utc;
  if (++local.hour < 24) return local;
  local.hour = 0;
  CivilDate date{utc.year, utc.month, utc.day, 0};
  AddDays(date, 1);
  local.year = date.year, local.month = date.month, local.day = date.day;
  return local;
}

AlmanacState Almanac() {
  AlmanacState almanac;
  almanac.startDay = 1, almanac.startMonth = 7, almanac.startYear = 2024, almanac.dayCount = 365;
  return almanac;
}

bool SameRecords(const std::vector<LabelRecord>& a, const std::vector<LabelRecord>& b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    uint8_t x[kRecordSize], y[kRecordSize];
    EncodeLabelRecord(a[k], x);
    EncodeLabelRecord(b[k], y);
    if (std::memcmp(x, y, kRecordSize) != 0) return false;
  }
  return true;
}

void Check(const std::string& text) {
  static const AlmanacState almanac = Almanac();
  const IcsImport result = ImportIcs(text, almanac, OneHourEast);
  if (!result.ok) {
    FUZZ_CHECK(!result.error.empty() && result.records.empty() && result.labels == 0);
    FUZZ_CHECK(ImportReport(result) == result.error);
    return;
  }
  FUZZ_CHECK(result.records.size() <= 100000);
  FUZZ_CHECK(result.outside >= 0 && result.changed >= 0);
  CivilDate last{almanac.startYear, almanac.startMonth, almanac.startDay, 0};
  AddDays(last, almanac.dayCount);
  const auto key = [](const LabelRecord& r) { return (r.year * 16 + r.month) * 32 + r.day; };
  const LabelRecord* previous = nullptr;
  for (const LabelRecord& r : result.records) {
    FUZZ_CHECK(IsRealDate(r.year, r.month, r.day));
    FUZZ_CHECK(key(r) >= (2024 * 16 + 7) * 32 + 1 &&
               key(r) <= (last.year * 16 + last.month) * 32 + last.day);
    FUZZ_CHECK(r.almanacStartDay == almanac.startDay && r.almanacStartMonth == almanac.startMonth &&
               r.almanacStartYear == almanac.startYear && r.almanacDayCount == almanac.dayCount);
    FUZZ_CHECK(std::strlen(r.text) <= kMaxLineBytes && (r.isLastLine == 0 || r.isLastLine == 1));
    // The lines of one label share its day and colour.
    if (previous && previous->isLastLine == 0)
      FUZZ_CHECK(key(*previous) == key(r) && previous->color == r.color);
    previous = &r;
  }
  FUZZ_CHECK(!previous || previous->isLastLine == 1);
  FUZZ_CHECK(GroupLabels(result.records).size() == size_t(result.labels));
  // A few hostile lines can repeat an event into tens of thousands of labels:
  // those are checked above, but laying them out, exporting and reading them
  // back takes seconds, and the code is the same as for a few labels.
  if (result.records.size() > 2000) return;
  CheckLayout(almanac, result.records, LayOutAlmanac(almanac, result.records));

  // What tarvina imported, it exports and imports back exactly.
  const IcsExport exported = ExportIcs(result.records, {"Fuzz", "0", {2025, 1, 1, 0, 0, 0}});
  FUZZ_CHECK(exported.labels == result.labels && exported.skipped == 0);
  for (size_t at = 0; at < exported.text.size();) {
    const size_t end = exported.text.find("\r\n", at);
    FUZZ_CHECK(end != std::string::npos && end - at <= 75);
    at = end + 2;
  }
  const IcsImport again = ImportIcs(exported.text, almanac, OneHourEast);
  FUZZ_CHECK(again.ok && again.outside == 0 && again.labels == result.labels);
  FUZZ_CHECK(SameRecords(again.records, result.records));
}

// libical keeps its latest strings in a ring of buffers between calls:
// given back after each input, every input frees what it takes, and
// libFuzzer's leak check (a scan of the whole heap) runs only for a real leak.
struct FreeRing {
  ~FreeRing() { icalmemory_free_ring(); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FreeRing ring;
  Check(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
