// Changing and removing labels: unlike a new label, which is appended, a
// change rewrites the label file. The whole new file is written beside the
// old one, flushed, and put in its place in one step, so the disk holds
// either the old file or the new one, whole. Every change hands back the
// change that takes it back, byte for byte, which is what "Deshacer" runs.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "label_file.h"

// At record `first` (0-based), the records `expected` give way to the
// records whose bytes are `put`. `expected` is what the program holds of
// those records; the file must still hold them there, or nothing is changed.
struct RecordSplice {
  size_t first = 0;
  std::vector<LabelRecord> expected;
  std::vector<uint8_t> put;  // whole 142-byte records, written as they are
};

// One change of a label file: splices in ascending order of `first`, apart
// from each other, all on the file as it is before the change.
struct LabelFileEdit {
  std::vector<RecordSplice> splices;
  // The bytes after the last whole record (a partial record an old crash
  // left) become `tail`; otherwise they stay as they are, after the records.
  bool setsTail = false;
  std::vector<uint8_t> tail;
  // Once the splices leave no record and no tail, the file itself goes:
  // taking back the label that made it leaves no file, as before, and an
  // almanac whose last label is removed has no file, as one without labels.
  bool removesFile = false;
  // The file is made anew from the splices (which expect nothing): what
  // brings back a file an edit removed. A file already there is Changed.
  bool createsFile = false;
};

// The records' bytes as the file holds them, for RecordSplice::put.
std::vector<uint8_t> RecordBytes(const std::vector<LabelRecord>& records);

// The scratch file a rewrite of `path` writes before it takes its place.
std::string RewriteScratchPath(const std::string& path);

// Rewrites the label file at `path` with `edit` applied, or removes it (see
// removesFile). Returns None only once the new file is on the disk in the
// old one's place; `undo`, when given, then holds the edit that brings the
// old bytes back (for an edit that removes the file, one that makes it
// again). On any failure
// the file is left as it was, byte for byte, and the scratch file removed.
// A file that no longer holds the expected records gives Changed.
FileError RewriteLabelFile(const std::string& path, const LabelFileEdit& edit,
                           LabelFileEdit* undo = nullptr);

// The same change on the records as the program holds them, in file order.
void ApplyLabelFileEdit(std::vector<LabelRecord>& records, const LabelFileEdit& edit);
