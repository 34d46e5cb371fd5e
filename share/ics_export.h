// An almanac's labels as an iCalendar (.ics) file: one all-day event per
// label, and one repeating event (RRULE, and EXDATE for the days it leaves
// out) per series (data/label_series.h), readable by other calendars and
// read back exactly by tarvina.
// Portable.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "../data/file_io.h"
#include "../data/label_file.h"
#include "wall_time.h"

struct IcsExportInput {
  std::string almanacName;  // UTF-8, as paths are; if not valid UTF-8, taken as Windows-1252
  std::string version;      // tarvina's version, for PRODID
  WallTime stampUtc;        // when the file is written (DTSTAMP)
};

struct IcsExport {
  std::string text;  // the file: UTF-8, CRLF line ends, folded
  int labels = 0;    // labels written
  int events = 0;    // events written: one per label, one per series
  int skipped = 0;   // labels whose date no calendar can hold (not written)
};

// `records` in file order, as the label file holds them.
IcsExport ExportIcs(const std::vector<LabelRecord>& records, const IcsExportInput& input);

// One label (its records, as GroupLabels finds them) as a calendar of one
// event with `uid`, the same event ExportIcs writes for it: what a sync
// puts on the server. Empty for a date iCalendar cannot hold.
std::string LabelEventIcs(const std::vector<LabelRecord>& records, const std::string& uid,
                          const std::string& version, const WallTime& stampUtc);

// Writes `text` as the whole file at `path` (UTF-8 path), replacing what
// it held, and returns None once it is on the disk. On a failure the file
// is left as it was (or absent), and nothing is left beside it.
FileError WriteIcsFile(const std::string& path, const std::string& text);

// TEXT value escaping: backslash, semicolon, comma and line feed.
std::string EscapeIcsText(std::string_view text);
// One content line folded to lines of at most 75 octets (never inside a
// UTF-8 character), each ended by CRLF.
std::string FoldIcsLine(std::string_view line);
