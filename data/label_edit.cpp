#include "label_edit.h"

#include <algorithm>
#include <cstring>
#include <new>

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

FileError ReadOldParts(ExclusiveFile& file, const LabelFileEdit& edit, OldParts& old) {
  int64_t size = 0;
  FileError error = file.Size(size);
  if (error != FileError::None) return error;
  old.records = size / int64_t(kRecordSize);
  if (old.records > int64_t(kMaxRecords)) return FileError::TooLarge;
  size_t next = 0;  // splices must come in order and apart
  int64_t count = old.records;
  for (const RecordSplice& splice : edit.splices) {
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

// Writes the new file: the old records between the splices, the splices'
// records in their places, then the tail.
FileError WriteNewFile(ExclusiveFile& old, ExclusiveFile& out, const LabelFileEdit& edit,
                       const OldParts& parts) {
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
      at += int64_t(chunk.size());
      r += n;
    }
    return FileError::None;
  };
  auto write = [&](const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return FileError::None;
    FileError error = out.WriteAt(at, bytes.data(), bytes.size());
    at += int64_t(bytes.size());
    return error;
  };
  size_t next = 0;
  FileError error = FileError::None;
  for (const RecordSplice& splice : edit.splices) {
    if ((error = copy(next, splice.first)) != FileError::None) return error;
    if ((error = write(splice.put)) != FileError::None) return error;
    next = splice.first + splice.expected.size();
  }
  if ((error = copy(next, size_t(parts.records))) != FileError::None) return error;
  return write(edit.setsTail ? edit.tail : parts.tail);
}

LabelFileEdit Inverse(const LabelFileEdit& edit, const OldParts& old) {
  LabelFileEdit undo;
  int64_t shift = 0;  // how far the edit moved the records after a splice
  for (size_t i = 0; i < edit.splices.size(); ++i) {
    const RecordSplice& splice = edit.splices[i];
    RecordSplice back;
    back.first = size_t(int64_t(splice.first) + shift);
    back.expected = DecodeAll(splice.put);
    back.put = old.removed[i];
    shift += int64_t(back.expected.size()) - int64_t(splice.expected.size());
    undo.splices.push_back(std::move(back));
  }
  undo.setsTail = edit.setsTail;
  if (edit.setsTail) undo.tail = old.tail;
  return undo;
}

// Writes the new file beside `path` (`old` may be an unopened file when
// the edit makes the file anew), flushes it and puts it in its place; on a
// failure nothing is left of it.
FileError WriteInPlace(const std::string& path, ExclusiveFile& old, const LabelFileEdit& edit,
                       const OldParts& parts) {
  const std::string scratch = RewriteScratchPath(path);
  ExclusiveFile out;
  FileError error = out.OpenNew(scratch);
  if (error == FileError::None) error = WriteNewFile(old, out, edit, parts);
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
  FileError error = WriteInPlace(path, none, edit, parts);
  if (error != FileError::None) return error;
  if (undo) {
    *undo = LabelFileEdit();
    undo->removesFile = true;
    undo->splices.push_back({0, DecodeAll(bytes), {}});
    undo->setsTail = true;  // whatever tail it was given goes with it
  }
  return FileError::None;
}

FileError Rewrite(const std::string& path, const LabelFileEdit& edit, LabelFileEdit* undo) {
  if (edit.createsFile) return Create(path, edit, undo);
  ExclusiveFile old;
  FileError error = old.OpenForRead(path);
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
      back = Inverse(edit, parts);
      back.createsFile = true;
      back.setsTail = true;
      back.tail = parts.tail;
    }
    error = RemoveFile(path);
    if (error == FileError::None && undo) *undo = std::move(back);
    return error;
  }

  error = WriteInPlace(path, old, edit, parts);
  if (error == FileError::None && undo) *undo = Inverse(edit, parts);
  return error;
}

}  // namespace

std::vector<uint8_t> RecordBytes(const std::vector<LabelRecord>& records) {
  std::vector<uint8_t> bytes(records.size() * kRecordSize);
  for (size_t i = 0; i < records.size(); ++i)
    EncodeLabelRecord(records[i], bytes.data() + i * kRecordSize);
  return bytes;
}

std::string RewriteScratchPath(const std::string& path) { return path + ".tmp"; }

FileError RewriteLabelFile(const std::string& path, const LabelFileEdit& edit,
                           LabelFileEdit* undo) {
  // Called from message handlers: nothing may be thrown out of here.
  try {
    return Rewrite(path, edit, undo);
  } catch (const std::bad_alloc&) {
    RemoveFile(RewriteScratchPath(path));
    return FileError::NoMemory;
  }
}

void ApplyLabelFileEdit(std::vector<LabelRecord>& records, const LabelFileEdit& edit) {
  if (edit.removesFile) {
    records.clear();
    return;
  }
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
