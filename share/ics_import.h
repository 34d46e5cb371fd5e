// An iCalendar (.ics) file as labels of the current almanac: every event
// that has a day inside the almanac becomes a label on that day (one per
// day for events of several days and for each repeat). Portable; reads
// with libical.
#pragma once
#include <cstdint>
#include <functional>
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
  int cutShort = 0;                  // repeating events whose repeats were not all gone through
  int changed = 0;                   // characters written in a near Windows-1252 form
  bool stopped = false;              // the progress function asked to stop: nothing imported
};

// Told how far the import has come (`done` of `total`, in steps of its
// own); returning false stops it, and the import then holds nothing.
using ImportProgress = std::function<bool(int64_t done, int64_t total)>;

// Bounds on the work one file may ask for, checked before it is parsed:
// libical's time grows with the square of the broken lines in one
// component, so no component may hold more lines than kMaxComponentLines
// (lines of the components inside it apart), and no file more than
// kMaxIcsLines (both counted after unfolding).
constexpr size_t kMaxComponentLines = 1000;
constexpr size_t kMaxIcsLines = 2000000;

// `almanac` gives the days (start date and day count) and the settings each
// record carries. Times with a zone are moved to the user's with
// `localFromUtc`; times without one are already local. On any error the
// result holds no records.
// The label lines an import may make at most: past them it is refused whole,
// as each label is made, so the memory it takes stays bounded by them.
constexpr size_t kMaxImportLines = 100000;

IcsImport ImportIcs(std::string_view text, const AlmanacState& almanac, LocalFromUtcFn localFromUtc,
                    const ImportProgress& progress = {});

// What the user is told after an import.
std::string ImportReport(const IcsImport& result);
