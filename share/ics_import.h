// An iCalendar (.ics) file as labels of the current almanac: every event
// that has a day inside the almanac becomes a label on that day (one per
// day for events of several days and for each repeat). Portable; reads
// with libical.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "../data/almanac_state.h"
#include "../data/file_io.h"
#include "../data/label_file.h"
#include "wall_time.h"

// Larger files are refused: no calendar of labels comes near it.
constexpr size_t kMaxIcsBytes = 64u << 20;

// Reads a whole file (at most kMaxIcsBytes + 1 bytes, so that ImportIcs can
// refuse a larger one). Paths are UTF-8.
FileError ReadIcsFile(const std::string& path, std::string& text);

struct IcsImport {
  bool ok = false;
  std::string error;                 // when !ok: why, for the user (Windows-1252)
  std::vector<LabelRecord> records;  // the labels, in order, for one AppendLabel
  int labels = 0;                    // labels among `records`
  int outside = 0;                   // events without any day in the almanac
  int changed = 0;                   // characters written in a near Windows-1252 form
};

// `almanac` gives the days (start date and day count) and the settings each
// record carries. Times with a zone are moved to the user's with
// `localFromUtc`; times without one are already local. On any error the
// result holds no records.
IcsImport ImportIcs(std::string_view text, const AlmanacState& almanac,
                    LocalFromUtcFn localFromUtc);

// What the user is told after an import.
std::string ImportReport(const IcsImport& result);
