#include "label_file.h"

#include <algorithm>
#include <cstring>

#include "almanac_state.h"
#include "program_folder.h"

LabelTable gLabelTable;
LabelRecord recordBuffer;

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

std::vector<LabelRun> GroupLabels(const std::vector<LabelRecord>& records) {
  std::vector<LabelRun> labels;
  size_t i = 0;
  while (i < records.size()) {
    size_t end = i;
    while (end + 1 < records.size() && records[end].isLastLine != 1) ++end;
    labels.push_back({i, end - i + 1});
    i = end + 1;
  }
  return labels;
}

std::string LabelFilePath(const std::string& name) {
  return ProgramFolder() + name + kLabelFileExtension;
}

NameCheck CheckAlmanacName(const std::string& name, const std::string& folder) {
  if (name.empty()) return NameCheck::Empty;
  for (unsigned char c : name)
    if (c < 32 || std::strchr("\\/:*?\"<>|", c)) return NameCheck::BadCharacter;
  if (IsDeviceName(name)) return NameCheck::DeviceName;
  // MAX_PATH (260) counts the terminating NUL.
  if (folder.size() + name.size() + std::strlen(kLabelFileExtension) > 259)
    return NameCheck::TooLong;
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
  if (CheckAlmanacName(name, ProgramFolder()) != NameCheck::Ok) return FileError::BadName;
  return AppendLabel(LabelFilePath(name), {record});
}

FileError AppendLabel(const std::string& path, const std::vector<LabelRecord>& lines) {
  if (lines.empty()) return FileError::None;
  std::vector<uint8_t> bytes(lines.size() * kRecordSize);
  for (size_t i = 0; i < lines.size(); ++i) EncodeLabelRecord(lines[i], bytes.data() + i * kRecordSize);

  ExclusiveFile file;
  FileError error = file.OpenForAppend(path);
  if (error != FileError::None) return error;
  int64_t size = 0;
  if ((error = file.Size(size)) != FileError::None) return error;
  // A partial record left at the end by an earlier failure is not a record:
  // the new label covers it.
  int64_t at = size - size % int64_t(kRecordSize);
  error = file.WriteAt(at, bytes.data(), bytes.size());
  if (error != FileError::None) {
    file.Truncate(size);  // take back whatever part of the label did land
    return error;
  }
  recordBuffer = lines.back();
  return FileError::None;
}

FileError ReadLabelRecords(const std::string& path) {
  gLabelTable.records.clear();
  ExclusiveFile file;
  FileError error = file.OpenForRead(path);
  if (error != FileError::None) return error;
  int64_t size = 0;
  if ((error = file.Size(size)) != FileError::None) return error;

  std::vector<LabelRecord> records;
  records.reserve(size_t(size / int64_t(kRecordSize)));
  const size_t kChunkRecords = 4096;
  std::vector<uint8_t> chunk(kChunkRecords * kRecordSize);
  int64_t offset = 0;
  for (;;) {
    size_t got = 0;
    if ((error = file.ReadAt(offset, chunk.data(), chunk.size(), got)) != FileError::None)
      return error;
    size_t whole = got / kRecordSize;
    for (size_t i = 0; i < whole; ++i) {
      records.emplace_back();
      DecodeLabelRecord(chunk.data() + i * kRecordSize, records.back());
    }
    if (got < chunk.size()) break;
    offset += int64_t(got);
  }

  if (!records.empty()) {
    const LabelRecord& first = records.front();
    if (!IsValidAlmanacSettings(first.almanacStartDay, first.almanacStartMonth,
                                first.almanacStartYear, first.almanacDayCount))
      return FileError::Damaged;
    gAlmanac.startDay = first.almanacStartDay;
    gAlmanac.startMonth = first.almanacStartMonth;
    gAlmanac.startYear = first.almanacStartYear;
    gAlmanac.dayCount = first.almanacDayCount;
    recordBuffer = records.back();
  }
  gLabelTable.records = std::move(records);
  return FileError::None;
}
