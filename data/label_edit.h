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

// A change that takes another back also knows what stood around each place
// it writes: the record `before` at first - 1 (when first > 0), and the
// record `after` at first + expected.size(), or the file's end there when
// `atEnd`. The file must still hold them, or nothing is changed: records
// put back between others that another program has moved would split
// their labels.
struct SpliceNeighbours {
  bool checked = false;
  LabelRecord before;
  LabelRecord after;
  bool atEnd = false;
};

// One change of a label file: splices in ascending order of `first`, apart
// from each other, all on the file as it is before the change.
struct LabelFileEdit {
  std::vector<RecordSplice> splices;
  // None, or one for each splice.
  std::vector<SpliceNeighbours> neighbours;
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

// Rewrites the label file at `path` with `edit` applied, or removes it (see
// removesFile). Returns None only once the new file is on the disk in the
// old one's place; `undo`, when given, then holds the edit that brings the
// old bytes back (for an edit that removes the file, one that makes it
// again). The new file is written beside the old one, in a scratch file of
// this run's own (OpenScratchBeside). On any failure
// the file is left as it was, byte for byte, and the scratch file removed.
// A file that no longer holds the expected records gives Changed.
FileError RewriteLabelFile(const std::string& path, const LabelFileEdit& edit,
                           LabelFileEdit* undo = nullptr);

// Every record carries the almanac's description, but only the first one
// is read for it: a change that would leave another record first which
// does not describe the same almanac (a zero-filled one a crash left) also
// gives that record the description of the old first one, so the file
// still opens as the same almanac. RewriteLabelFile and ApplyLabelFileEdit
// both make that change too, and its undo takes it back.

// The same change on the records as the program holds them, in file order.
void ApplyLabelFileEdit(std::vector<LabelRecord>& records, const LabelFileEdit& edit);
