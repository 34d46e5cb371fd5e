#include "label_edit.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "almanac_state.h"

namespace {

// Records copied from the old file to the new one per write.
constexpr size_t kCopyRecords = 4096;

// Whether the bytes hold `held`, as the program reads records (the bytes
// after a text's NUL carry no meaning).
bool SameRecord(const uint8_t* bytes, const LabelRecord& held) {
  uint8_t mine[kRecordSize], theirs[kRecordSize];
  LabelRecord a, b;
  EncodeLabelRecord(held, mine);
  DecodeLabelRecord(mine, a);
  DecodeLabelRecord(bytes, b);
  EncodeLabelRecord(a, mine);
  EncodeLabelRecord(b, theirs);
  return std::memcmp(mine, theirs, kRecordSize) == 0;
}

bool SameAlmanac(const LabelRecord& a, const LabelRecord& b) {
  return a.almanacStartDay == b.almanacStartDay && a.almanacStartMonth == b.almanacStartMonth &&
         a.almanacStartYear == b.almanacStartYear && a.almanacDayCount == b.almanacDayCount;
}

// `edit`, on a file of `records` records whose record i `recordAt` gives,
// with the splice that keeps the almanac's description in the first record
// when the edit would make another old record first (see label_edit.h).
FileError KeepingAlmanacFirst(const LabelFileEdit& edit, size_t records,
                              const std::function<FileError(size_t, LabelRecord&)>& recordAt,
                              LabelFileEdit& kept) {
  kept = edit;
  if (edit.removesFile || edit.createsFile || records == 0) return FileError::None;
  size_t at = 0, k = 0;  // the old record that comes first, and the splice after it
  for (; k < edit.splices.size(); ++k) {
    const RecordSplice& splice = edit.splices[k];
    if (splice.first > at) break;
    if (!splice.put.empty()) return FileError::None;  // a record the change makes
    at = splice.first + splice.expected.size();
  }
  if (at == 0 || at >= records) return FileError::None;
  LabelRecord first, next;
  FileError error = recordAt(0, first);
  if (error == FileError::None) error = recordAt(at, next);
  if (error != FileError::None) return error;
  if (!IsValidAlmanacSettings(first.almanacStartDay, first.almanacStartMonth,
                              first.almanacStartYear, first.almanacDayCount) ||
      SameAlmanac(first, next))
    return FileError::None;
  LabelRecord described = next;
  described.almanacStartDay = first.almanacStartDay;
  described.almanacStartMonth = first.almanacStartMonth;
  described.almanacStartYear = first.almanacStartYear;
  described.almanacDayCount = first.almanacDayCount;
  RecordSplice carry;
  carry.first = at;
  carry.expected = {next};
  carry.put = RecordBytes({described});
  kept.splices.insert(kept.splices.begin() + std::ptrdiff_t(k), std::move(carry));
  if (!kept.neighbours.empty())
    kept.neighbours.insert(kept.neighbours.begin() + std::ptrdiff_t(k), SpliceNeighbours());
  return FileError::None;
}

std::vector<LabelRecord> DecodeAll(const std::vector<uint8_t>& bytes) {
  std::vector<LabelRecord> records(bytes.size() / kRecordSize);
  for (size_t i = 0; i < records.size(); ++i)
    DecodeLabelRecord(bytes.data() + i * kRecordSize, records[i]);
  return records;
}

// What the old file holds where the edit acts: the records each splice
// takes out (checked against what the program expects) and the tail.
struct OldParts {
  int64_t records = 0;
  std::vector<std::vector<uint8_t>> removed;
  std::vector<uint8_t> tail;
};

// Changed unless the file holds `held` as its record `at`.
FileError CheckRecordAt(ExclusiveFile& file, size_t at, const LabelRecord& held) {
  uint8_t bytes[kRecordSize];
  size_t got = 0;
  FileError error = file.ReadAt(int64_t(at * kRecordSize), bytes, kRecordSize, got);
  if (error != FileError::None) return error;
  return got == kRecordSize && SameRecord(bytes, held) ? FileError::None : FileError::Changed;
}

FileError ReadOldParts(ExclusiveFile& file, const LabelFileEdit& edit, OldParts& old) {
  int64_t size = 0;
  FileError error = file.Size(size);
  if (error != FileError::None) return error;
  old.records = size / int64_t(kRecordSize);
  if (old.records > int64_t(kMaxRecords)) return FileError::TooLarge;
  size_t next = 0;  // splices must come in order and apart
  int64_t count = old.records;
  if (!edit.neighbours.empty() && edit.neighbours.size() != edit.splices.size())
    return FileError::Other;
  for (size_t i = 0; i < edit.splices.size(); ++i) {
    const RecordSplice& splice = edit.splices[i];
    if (splice.first < next || splice.put.size() % kRecordSize != 0) return FileError::Other;
    next = splice.first + splice.expected.size();
    if (int64_t(next) > old.records) return FileError::Changed;
    std::vector<uint8_t> bytes(splice.expected.size() * kRecordSize);
    size_t got = 0;
    if (!bytes.empty()) {
      error = file.ReadAt(int64_t(splice.first * kRecordSize), bytes.data(), bytes.size(), got);
      if (error != FileError::None) return error;
      if (got < bytes.size()) return FileError::Changed;
    }
    for (size_t k = 0; k < splice.expected.size(); ++k)
      if (!SameRecord(bytes.data() + k * kRecordSize, splice.expected[k]))
        return FileError::Changed;
    if (!edit.neighbours.empty() && edit.neighbours[i].checked) {
      const SpliceNeighbours& around = edit.neighbours[i];
      if (splice.first > 0 &&
          (error = CheckRecordAt(file, splice.first - 1, around.before)) != FileError::None)
        return error;
      if (around.atEnd && int64_t(next) != old.records) return FileError::Changed;
      if (!around.atEnd && (error = CheckRecordAt(file, next, around.after)) != FileError::None)
        return error;
    }
    old.removed.push_back(std::move(bytes));
    count += int64_t(splice.put.size() / kRecordSize) - int64_t(splice.expected.size());
  }
  if (count > int64_t(kMaxRecords)) return FileError::TooLarge;
  old.tail.resize(size_t(size - old.records * int64_t(kRecordSize)));
  if (!old.tail.empty()) {
    size_t got = 0;
    error = file.ReadAt(old.records * int64_t(kRecordSize), old.tail.data(), old.tail.size(), got);
    if (error != FileError::None) return error;
    if (got < old.tail.size()) return FileError::Changed;
  }
  return FileError::None;
}

// Records of the new file noted as it is written: the neighbours an undo
// checks.
struct NewRecords {
  std::vector<size_t> wanted;
  std::vector<LabelRecord> got;  // in the order of `wanted`

  void Note(int64_t at, const uint8_t* bytes, size_t size) {
    const size_t from = size_t(at) / kRecordSize, to = from + size / kRecordSize;
    for (size_t i = 0; i < wanted.size(); ++i)
      if (wanted[i] >= from && wanted[i] < to)
        DecodeLabelRecord(bytes + (wanted[i] - from) * kRecordSize, got[i]);
  }
};

// Writes the new file: the old records between the splices, the splices'
// records in their places, then the tail.
FileError WriteNewFile(ExclusiveFile& old, ExclusiveFile& out, const LabelFileEdit& edit,
                       const OldParts& parts, NewRecords& seen) {
  std::vector<uint8_t> chunk;
  int64_t at = 0;
  auto copy = [&](size_t from, size_t to) {
    for (size_t r = from; r < to;) {
      const size_t n = std::min(kCopyRecords, to - r);
      chunk.resize(n * kRecordSize);
      size_t got = 0;
      FileError error = old.ReadAt(int64_t(r * kRecordSize), chunk.data(), chunk.size(), got);
      if (error != FileError::None) return error;
      if (got < chunk.size()) return FileError::Changed;  // shorter than it was a moment ago
      if ((error = out.WriteAt(at, chunk.data(), chunk.size())) != FileError::None) return error;
      seen.Note(at, chunk.data(), chunk.size());
      at += int64_t(chunk.size());
      r += n;
    }
    return FileError::None;
  };
  auto write = [&](const std::vector<uint8_t>& bytes, bool records) {
    if (bytes.empty()) return FileError::None;
    FileError error = out.WriteAt(at, bytes.data(), bytes.size());
    if (records) seen.Note(at, bytes.data(), bytes.size());
    at += int64_t(bytes.size());
    return error;
  };
  size_t next = 0;
  FileError error = FileError::None;
  for (const RecordSplice& splice : edit.splices) {
    if ((error = copy(next, splice.first)) != FileError::None) return error;
    if ((error = write(splice.put, true)) != FileError::None) return error;
    next = splice.first + splice.expected.size();
  }
  if ((error = copy(next, size_t(parts.records))) != FileError::None) return error;
  return write(edit.setsTail ? edit.tail : parts.tail, false);
}

// Where the undo of `edit` acts on the new file, splice by splice, and the
// records of the new file it checks around each place.
struct UndoPlaces {
  std::vector<size_t> first;
  size_t records = 0;  // the new file's
};

UndoPlaces PlacesOfUndo(const LabelFileEdit& edit, const OldParts& old, NewRecords& seen) {
  UndoPlaces places;
  int64_t shift = 0;
  for (const RecordSplice& splice : edit.splices) {
    places.first.push_back(size_t(int64_t(splice.first) + shift));
    shift += int64_t(splice.put.size() / kRecordSize) - int64_t(splice.expected.size());
  }
  places.records = size_t(old.records + shift);
  for (size_t i = 0; i < edit.splices.size(); ++i) {
    const size_t first = places.first[i], end = first + edit.splices[i].put.size() / kRecordSize;
    if (first > 0) seen.wanted.push_back(first - 1);
    if (end < places.records) seen.wanted.push_back(end);
  }
  seen.got.resize(seen.wanted.size());
  return places;
}

LabelFileEdit Inverse(const LabelFileEdit& edit, const OldParts& old, const UndoPlaces& places,
                      const NewRecords& seen) {
  LabelFileEdit undo;
  auto seenAt = [&](size_t record) {
    const size_t i =
        size_t(std::find(seen.wanted.begin(), seen.wanted.end(), record) - seen.wanted.begin());
    return i < seen.got.size() ? seen.got[i] : LabelRecord();
  };
  for (size_t i = 0; i < edit.splices.size(); ++i) {
    const RecordSplice& splice = edit.splices[i];
    RecordSplice back;
    back.first = places.first[i];
    back.expected = DecodeAll(splice.put);
    back.put = old.removed[i];
    const size_t end = back.first + back.expected.size();
    // Records taken out are checked themselves; records only put in are
    // checked by what stands around them.
    SpliceNeighbours around;
    around.checked = back.expected.empty();
    if (back.first > 0) around.before = seenAt(back.first - 1);
    around.atEnd = end >= places.records;
    if (!around.atEnd) around.after = seenAt(end);
    undo.splices.push_back(std::move(back));
    undo.neighbours.push_back(around);
  }
  undo.setsTail = edit.setsTail;
  if (edit.setsTail) undo.tail = old.tail;
  return undo;
}

// Writes the new file beside `path` (`old` may be an unopened file when
// the edit makes the file anew), flushes it and puts it in its place; on a
// failure nothing is left of it.
FileError WriteInPlace(const std::string& path, ExclusiveFile& old, const LabelFileEdit& edit,
                       const OldParts& parts, NewRecords& seen) {
  std::string scratch;
  ExclusiveFile out;
  FileError error = OpenScratchBeside(path, out, scratch);
  if (error != FileError::None) return error;
  try {
    error = WriteNewFile(old, out, edit, parts, seen);
  } catch (const std::bad_alloc&) {
    error = FileError::NoMemory;
  }
  if (error == FileError::None) error = out.Flush();
  // Only a file let go without a failure is whole on the disk.
  if (error == FileError::None) error = out.Close();
  old.Close();  // Windows will not rename over a file someone holds open
  if (error == FileError::None) error = PutFileInPlace(scratch, path);
  if (error != FileError::None) {
    out.Close();
    RemoveFile(scratch);
  }
  return error;
}

FileError Create(const std::string& path, const LabelFileEdit& edit, LabelFileEdit* undo) {
  if (FileExists(path)) return FileError::Changed;
  std::vector<uint8_t> bytes;
  for (const RecordSplice& splice : edit.splices) {
    if (!splice.expected.empty() || splice.first != 0 || splice.put.size() % kRecordSize != 0)
      return FileError::Changed;
    bytes.insert(bytes.end(), splice.put.begin(), splice.put.end());
  }
  ExclusiveFile none;  // nothing old to copy from
  OldParts parts;
  NewRecords seen;
  FileError error = WriteInPlace(path, none, edit, parts, seen);
  if (error != FileError::None) return error;
  if (undo) {
    *undo = LabelFileEdit();
    undo->removesFile = true;
    undo->splices.push_back({0, DecodeAll(bytes), {}});
    undo->setsTail = true;  // whatever tail it was given goes with it
  }
  return FileError::None;
}

FileError Rewrite(const std::string& path, const LabelFileEdit& given, LabelFileEdit* undo) {
  if (given.createsFile) return Create(path, given, undo);
  ExclusiveFile old;
  FileError error = old.OpenForRead(path);
  if (error != FileError::None) return error;
  int64_t size = 0;
  if ((error = old.Size(size)) != FileError::None) return error;
  LabelFileEdit edit;
  error = KeepingAlmanacFirst(
      given, size_t(std::min<int64_t>(size / int64_t(kRecordSize), int64_t(kMaxRecords) + 1)),
      [&old](size_t at, LabelRecord& record) {
        uint8_t bytes[kRecordSize];
        size_t got = 0;
        FileError error = old.ReadAt(int64_t(at * kRecordSize), bytes, kRecordSize, got);
        if (error == FileError::None && got < kRecordSize) error = FileError::Changed;
        if (error == FileError::None) DecodeLabelRecord(bytes, record);
        return error;
      },
      edit);
  if (error != FileError::None) return error;
  OldParts parts;
  if ((error = ReadOldParts(old, edit, parts)) != FileError::None) return error;

  if (edit.removesFile) {
    int64_t left = parts.records;
    for (const RecordSplice& splice : edit.splices)
      left += int64_t(splice.put.size() / kRecordSize) - int64_t(splice.expected.size());
    const bool tail = edit.setsTail ? !edit.tail.empty() : !parts.tail.empty();
    if (left != 0 || tail) return FileError::Changed;
    old.Close();
    LabelFileEdit back;
    if (undo && !edit.splices.empty()) {
      // What makes the file again, byte for byte (a removal's splices took
      // every record; a partial record after them comes back too).
      NewRecords none;
      back = Inverse(edit, parts, PlacesOfUndo(edit, parts, none), none);
      back.neighbours.clear();  // made where no file is: nothing around to check
      back.createsFile = true;
      back.setsTail = true;
      back.tail = parts.tail;
    }
    error = RemoveFile(path);
    if (error == FileError::None && undo) *undo = std::move(back);
    return error;
  }

  NewRecords seen;
  const UndoPlaces places = PlacesOfUndo(edit, parts, seen);
  error = WriteInPlace(path, old, edit, parts, seen);
  if (error == FileError::None && undo) *undo = Inverse(edit, parts, places, seen);
  return error;
}

}  // namespace

std::vector<uint8_t> RecordBytes(const std::vector<LabelRecord>& records) {
  std::vector<uint8_t> bytes(records.size() * kRecordSize);
  for (size_t i = 0; i < records.size(); ++i)
    EncodeLabelRecord(records[i], bytes.data() + i * kRecordSize);
  return bytes;
}

FileError RewriteLabelFile(const std::string& path, const LabelFileEdit& edit,
                           LabelFileEdit* undo) {
  // Called from message handlers: nothing may be thrown out of here.
  try {
    return Rewrite(path, edit, undo);
  } catch (const std::bad_alloc&) {
    return FileError::NoMemory;  // a scratch file is removed where it is written
  }
}

void ApplyLabelFileEdit(std::vector<LabelRecord>& records, const LabelFileEdit& given) {
  if (given.removesFile) {
    records.clear();
    return;
  }
  LabelFileEdit edit;
  KeepingAlmanacFirst(
      given, records.size(),
      [&records](size_t at, LabelRecord& record) {
        record = records[at];
        return FileError::None;
      },
      edit);
  std::vector<LabelRecord> changed;
  changed.reserve(records.size());
  size_t next = 0;
  for (const RecordSplice& splice : edit.splices) {
    const size_t first = std::min(splice.first, records.size());
    changed.insert(changed.end(), records.begin() + std::min(next, first), records.begin() + first);
    const std::vector<LabelRecord> put = DecodeAll(splice.put);
    changed.insert(changed.end(), put.begin(), put.end());
    next = std::min(first + splice.expected.size(), records.size());
  }
  changed.insert(changed.end(), records.begin() + std::min(next, records.size()), records.end());
  records = std::move(changed);
}
