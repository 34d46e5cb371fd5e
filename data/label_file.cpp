#include "label_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "almanac_state.h"
#include "calendar.h"
#include "label_edit.h"
#include "program_folder.h"
#include "utf8.h"

namespace {

void Put16(uint8_t* p, int16_t v) {
  uint16_t u = uint16_t(v);
  p[0] = uint8_t(u);
  p[1] = uint8_t(u >> 8);
}

void Put32(uint8_t* p, int32_t v) {
  uint32_t u = uint32_t(v);
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(u >> (8 * i));
}

int16_t Get16(const uint8_t* p) { return int16_t(uint16_t(p[0] | (p[1] << 8))); }

int32_t Get32(const uint8_t* p) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= uint32_t(p[i]) << (8 * i);
  return int32_t(u);
}

constexpr size_t kTextOffset = 6;
constexpr size_t kColorOffset = 126;
constexpr size_t kLastLineOffset = 130;
constexpr size_t kAlmanacOffset = 134;

bool IsDeviceName(const std::string& name) {
  // Windows reserves these names whatever follows the first dot.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  std::transform(base.begin(), base.end(), base.begin(),
                 [](unsigned char c) { return char(c >= 'a' && c <= 'z' ? c - 32 : c); });
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices)
    if (base == device) return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0))
    return base[3] >= '0' && base[3] <= '9';
  return false;
}

}  // namespace

void EncodeLabelRecord(const LabelRecord& record, uint8_t out[kRecordSize]) {
  Put16(out + 0, record.day);
  Put16(out + 2, record.month);
  Put16(out + 4, record.year);
  std::memcpy(out + kTextOffset, record.text, kTextBytes);
  Put32(out + kColorOffset, record.color);
  Put32(out + kLastLineOffset, record.isLastLine);
  Put16(out + kAlmanacOffset + 0, record.almanacStartDay);
  Put16(out + kAlmanacOffset + 2, record.almanacStartMonth);
  Put16(out + kAlmanacOffset + 4, record.almanacStartYear);
  Put16(out + kAlmanacOffset + 6, record.almanacDayCount);
}

void DecodeLabelRecord(const uint8_t in[kRecordSize], LabelRecord& record) {
  record.day = Get16(in + 0);
  record.month = Get16(in + 2);
  record.year = Get16(in + 4);
  const uint8_t* text = in + kTextOffset;
  size_t length = 0;
  while (length < kMaxLineBytes && text[length] != 0) ++length;
  std::memset(record.text, 0, kTextBytes);
  std::memcpy(record.text, text, length);
  record.color = Get32(in + kColorOffset);
  record.isLastLine = Get32(in + kLastLineOffset);
  record.almanacStartDay = Get16(in + kAlmanacOffset + 0);
  record.almanacStartMonth = Get16(in + kAlmanacOffset + 2);
  record.almanacStartYear = Get16(in + kAlmanacOffset + 4);
  record.almanacDayCount = Get16(in + kAlmanacOffset + 6);
}

void SetRecordText(LabelRecord& record, const char* text) {
  size_t length = 0;
  while (text && length < kMaxLineBytes && text[length] != 0) ++length;
  std::memset(record.text, 0, kTextBytes);
  if (length) std::memcpy(record.text, text, length);
}

namespace {

// Text pasted from elsewhere may hold line breaks of any kind (a lone CR or
// LF as well as CR LF), which start a new line, and other control
// characters, which a label has no use for: a tab, which stood between
// words, becomes a blank; the rest are dropped.
void AddLabelLines(const std::string& shown, std::vector<std::string>& lines) {
  std::string line;
  for (size_t i = 0; i < shown.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(shown[i]);
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') ++i;
    } else if (c == '\t') {
      line += ' ';
    } else if (c >= 0x20 && c != 0x7F) {
      line += char(c);
    }
  }
  lines.push_back(line);
}

}  // namespace

std::vector<std::string> WrapLabelLine(std::string_view line, size_t width) {
  auto isCodeAt = [&](size_t at) {
    return at + 4 <= line.size() && line[at] == '\\' && line[at + 1] == '#' &&
           std::isdigit(uint8_t(line[at + 2])) && std::isdigit(uint8_t(line[at + 3]));
  };
  std::vector<std::string> lines;
  while (line.size() > width) {
    size_t space = line.rfind(' ', width);
    if (space != std::string_view::npos && space > 0) {
      lines.emplace_back(line.substr(0, space));
      line.remove_prefix(space + 1);
      continue;
    }
    // No space to break at: cut, but before an icon code the cut would split.
    size_t cut = width;
    for (size_t at = cut >= 3 ? cut - 3 : 0; at < cut; ++at)
      if (isCodeAt(at)) {
        cut = at > 0 ? at : width;
        break;
      }
    lines.emplace_back(line.substr(0, cut));
    line.remove_prefix(cut);
  }
  lines.emplace_back(line);
  return lines;
}

std::vector<LabelRecord> LabelRecordsOf(const std::vector<std::string>& shown, int32_t color,
                                        int16_t day, int16_t month, int16_t year,
                                        const AlmanacState& almanac) {
  std::vector<std::string> lines;
  for (const std::string& line : shown) {
    std::vector<std::string> split;
    AddLabelLines(line, split);
    for (const std::string& one : split) {
      if (one.size() <= kMaxLineBytes) {
        lines.push_back(one);
        continue;
      }
      for (std::string& piece : WrapLabelLine(one, kWrapWidth)) lines.push_back(std::move(piece));
    }
  }
  std::vector<LabelRecord> records(lines.size());
  for (size_t i = 0; i < records.size(); ++i) {
    LabelRecord& record = records[i];
    record.day = day;
    record.month = month;
    record.year = year;
    SetRecordText(record, lines[i].c_str());
    record.color = color;
    record.isLastLine = i + 1 == records.size() ? 1 : 0;
    record.almanacStartDay = almanac.startDay;
    record.almanacStartMonth = almanac.startMonth;
    record.almanacStartYear = almanac.startYear;
    record.almanacDayCount = almanac.dayCount;
  }
  return records;
}

namespace {

bool SameLabel(const LabelRecord& first, const LabelRecord& next) {
  return next.day == first.day && next.month == first.month && next.year == first.year &&
         next.color == first.color;
}

}  // namespace

std::vector<LabelRun> GroupLabels(const std::vector<LabelRecord>& records) {
  std::vector<LabelRun> labels;
  size_t i = 0;
  while (i < records.size()) {
    size_t end = i;
    if (IsRealDate(records[i].year, records[i].month, records[i].day)) {
      while (end + 1 < records.size() && records[end].isLastLine != 1 &&
             SameLabel(records[i], records[end + 1]))
        ++end;
    }
    labels.push_back({i, end - i + 1});
    i = end + 1;
  }
  return labels;
}

std::string LabelFilePath(const std::string& name) {
  return AlmanacFolder() + name + kLabelFileExtension;
}

NameCheck CheckAlmanacName(const std::string& name, const std::string& folder) {
  if (name.empty()) return NameCheck::Empty;
  if (!IsUtf8(name)) return NameCheck::BadCharacter;
  for (unsigned char c : name)
    if (c < 32 || std::strchr("\\/:*?\"<>|", c)) return NameCheck::BadCharacter;
  if (IsDeviceName(name)) return NameCheck::DeviceName;
  // MAX_PATH (260) counts UTF-16 units, with the terminating NUL; a change
  // writes a scratch file beside the label file, which must fit too.
  const size_t file = Utf16Length(name) + std::strlen(kLabelFileExtension);
  if (Utf16Length(folder) + std::max(file, kScratchNameLength) > 259) return NameCheck::TooLong;
  return NameCheck::Ok;
}

bool LabelFileExists(const std::string& path) { return FileExists(path); }

FileError AppendLabelRecord(const char* text, int32_t color, int16_t day, int16_t month,
                            int16_t year, int32_t isLastLine, const std::string& name,
                            int16_t startDay, int16_t startMonth, int16_t startYear,
                            int16_t dayCount) {
  LabelRecord record;
  record.day = day;
  record.month = month;
  record.year = year;
  SetRecordText(record, text);
  record.color = color;
  record.isLastLine = isLastLine;
  record.almanacStartDay = startDay;
  record.almanacStartMonth = startMonth;
  record.almanacStartYear = startYear;
  record.almanacDayCount = dayCount;
  if (CheckAlmanacName(name, AlmanacFolder()) != NameCheck::Ok) return FileError::BadName;
  return AppendLabel(LabelFilePath(name), {record});
}

namespace {

bool SameAlmanac(const LabelRecord& a, const LabelRecord& b) {
  return a.almanacStartDay == b.almanacStartDay && a.almanacStartMonth == b.almanacStartMonth &&
         a.almanacStartYear == b.almanacStartYear && a.almanacDayCount == b.almanacDayCount;
}

// What a save must put back when it fails: the file's length and the bytes
// of a partial record at its end, which the new label writes over.
struct SavePoint {
  bool created = false;  // the save made the file: taking back removes it
  int64_t size = 0;
  int64_t at = 0;  // where the label goes: after the last whole record
  std::vector<uint8_t> tail;
  bool touched = false;  // bytes may have been written
};

// Checks the file, then writes the label after its last whole record and
// waits until it is on the disk.
FileError WriteLabel(ExclusiveFile& file, const std::vector<uint8_t>& bytes,
                     const LabelRecord& label, SavePoint& point) {
  FileError error = file.Size(point.size);
  if (error != FileError::None) return error;
  point.at = point.size - point.size % int64_t(kRecordSize);
  if (point.at >= int64_t(kRecordSize)) {
    // Another copy of the program may have made a file of the same name
    // for another almanac: its labels must not go in there.
    uint8_t head[kRecordSize];
    size_t got = 0;
    if ((error = file.ReadAt(0, head, kRecordSize, got)) != FileError::None) return error;
    LabelRecord first;
    DecodeLabelRecord(head, first);
    if (got < kRecordSize || !SameAlmanac(first, label)) return FileError::OtherAlmanac;
  }
  if (uint64_t(point.at / int64_t(kRecordSize)) + bytes.size() / kRecordSize > kMaxRecords)
    return FileError::TooLarge;  // it could not be opened again
  if (point.size > point.at) {
    // A partial record left by an earlier failure is not a record: the new
    // label covers it, and it is kept here in case the label cannot stay.
    point.tail.resize(size_t(point.size - point.at));
    size_t got = 0;
    error = file.ReadAt(point.at, point.tail.data(), point.tail.size(), got);
    if (error != FileError::None) return error;
    point.tail.resize(got);
  }
  point.touched = true;
  error = file.WriteAt(point.at, bytes.data(), bytes.size());
  if (error == FileError::None) error = file.Flush();
  return error;
}

FileError PutBack(ExclusiveFile& file, const SavePoint& point) {
  FileError error = file.Truncate(point.at);
  if (error == FileError::None && !point.tail.empty())
    error = file.WriteAt(point.at, point.tail.data(), point.tail.size());
  if (error == FileError::None) error = file.Flush();
  return error;
}

// Leaves the file as it was before a failed save: through the handle still
// held when there is one, and once more through a new one if that fails.
void TakeBack(ExclusiveFile& file, const std::string& path, const SavePoint& point) {
  if (point.created) {
    file.Close();
    if (RemoveFile(path) == FileError::None) return;
    // It stays: then at least empty, as it was made.
  } else if (!point.touched) {
    return;
  }
  bool done = file.isOpen() && PutBack(file, point) == FileError::None;
  done = file.Close() == FileError::None && done;
  if (done) return;
  ExclusiveFile again;
  if (again.OpenForAppend(path) == FileError::None) {
    PutBack(again, point);
    again.Close();
  }
}

}  // namespace

FileError AppendLabel(const std::string& path, const std::vector<LabelRecord>& lines) {
  return AppendLabel(path, lines, nullptr);
}

FileError AppendLabel(const std::string& path, const std::vector<LabelRecord>& lines,
                      LabelFileEdit* undo) {
  if (lines.empty()) return FileError::None;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(lines.size() * kRecordSize);
  } catch (const std::bad_alloc&) {
    return FileError::NoMemory;
  }
  for (size_t i = 0; i < lines.size(); ++i)
    EncodeLabelRecord(lines[i], bytes.data() + i * kRecordSize);

  ExclusiveFile file;
  FileError error = file.OpenForAppend(path);
  if (error != FileError::None) return error;
  SavePoint point;
  point.created = file.created();
  try {
    error = WriteLabel(file, bytes, lines.front(), point);
  } catch (const std::bad_alloc&) {
    error = FileError::NoMemory;
  }
  // Only a file let go without a failure counts as saved.
  if (error == FileError::None) error = file.Close();
  if (error != FileError::None) {
    TakeBack(file, path, point);
    return error;
  }
  if (undo) {
    // The lines go, and the partial record they covered comes back.
    *undo = LabelFileEdit();
    RecordSplice splice;
    splice.first = size_t(point.at / int64_t(kRecordSize));
    splice.expected = lines;
    undo->splices.push_back(std::move(splice));
    undo->setsTail = true;
    undo->tail = point.tail;
    undo->removesFile = point.created;
  }
  return FileError::None;
}

FileError ReadLabelRecords(const std::string& path, std::vector<LabelRecord>& out,
                           AlmanacState& almanac) {
  out.clear();
  ExclusiveFile file;
  FileError error = file.OpenForRead(path);
  if (error != FileError::None) return error;
  int64_t size = 0;
  if ((error = file.Size(size)) != FileError::None) return error;
  const int64_t count = size / int64_t(kRecordSize);
  if (count > int64_t(kMaxRecords)) return FileError::TooLarge;
  if (count == 0) return FileError::None;

  // The first record says whether this is an almanac at all; nothing more
  // is read or reserved for a file that is not one.
  uint8_t head[kRecordSize];
  size_t got = 0;
  if ((error = file.ReadAt(0, head, kRecordSize, got)) != FileError::None) return error;
  LabelRecord first;
  DecodeLabelRecord(head, first);
  if (got < kRecordSize || !IsValidAlmanacSettings(first.almanacStartDay, first.almanacStartMonth,
                                                   first.almanacStartYear, first.almanacDayCount))
    return FileError::Damaged;

  std::vector<LabelRecord> records;
  try {
    records.reserve(size_t(count));
    records.push_back(first);
    const size_t kChunkRecords = 4096;
    std::vector<uint8_t> chunk(std::min<size_t>(kChunkRecords, size_t(count)) * kRecordSize);
    int64_t offset = int64_t(kRecordSize);
    while (int64_t(records.size()) < count) {
      if ((error = file.ReadAt(offset, chunk.data(), chunk.size(), got)) != FileError::None)
        return error;
      size_t whole = std::min<size_t>(got / kRecordSize, size_t(count) - records.size());
      for (size_t i = 0; i < whole; ++i) {
        records.emplace_back();
        DecodeLabelRecord(chunk.data() + i * kRecordSize, records.back());
      }
      if (got < chunk.size()) break;  // the file became shorter meanwhile
      offset += int64_t(got);
    }
  } catch (const std::bad_alloc&) {
    return FileError::NoMemory;
  }

  almanac.startDay = first.almanacStartDay;
  almanac.startMonth = first.almanacStartMonth;
  almanac.startYear = first.almanacStartYear;
  almanac.dayCount = first.almanacDayCount;
  out = std::move(records);
  return FileError::None;
}
