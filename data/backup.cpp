#include "backup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "label_file.h"

namespace {

constexpr size_t kStampLength = 19;  // yyyy-mm-dd hh.mm.ss
constexpr size_t kCopyChunk = 1 << 20;

std::string Stamp(const BackupTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d.%02d.%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

bool IsStamp(const std::string& text) {
  static const char kShape[] = "dddd-dd-dd dd.dd.dd";
  if (text.size() != kStampLength) return false;
  for (size_t i = 0; i < kStampLength; ++i) {
    if (kShape[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != kShape[i]) return false;
  }
  return true;
}

// When `file` is a copy of the almanac `name`: its stamp and number, which
// order the copies from oldest to newest.
bool CopyOrder(const std::string& file, const std::string& name,
               std::pair<std::string, int>& order) {
  const std::string ext = kLabelFileExtension;
  const std::string head = name + " ";
  if (file.size() < head.size() + kStampLength + ext.size() || file.compare(0, head.size(), head) ||
      file.compare(file.size() - ext.size(), ext.size(), ext))
    return false;
  std::string rest = file.substr(head.size(), file.size() - head.size() - ext.size());
  std::string stamp = rest.substr(0, kStampLength);
  if (!IsStamp(stamp)) return false;
  rest = rest.substr(kStampLength);
  int number = 1;
  if (!rest.empty()) {
    if (rest.size() < 4 || rest.compare(0, 2, " (") || rest.back() != ')') return false;
    number = 0;
    for (size_t i = 2; i + 1 < rest.size(); ++i) {
      if (rest[i] < '0' || rest[i] > '9' || number > 100000) return false;
      number = number * 10 + (rest[i] - '0');
    }
  }
  order = {stamp, number};
  return true;
}

FileError CopyWhole(const std::string& from, const std::string& to) {
  ExclusiveFile in, out;
  FileError error = in.OpenForRead(from);
  if (error != FileError::None) return error;
  int64_t size = 0;
  if ((error = in.Size(size)) != FileError::None) return error;
  if ((error = out.OpenNew(to)) != FileError::None) return error;
  std::vector<uint8_t> chunk;
  for (int64_t at = 0; at < size && error == FileError::None;) {
    chunk.resize(size_t(std::min<int64_t>(kCopyChunk, size - at)));
    size_t got = 0;
    error = in.ReadAt(at, chunk.data(), chunk.size(), got);
    if (error == FileError::None && got < chunk.size()) error = FileError::Changed;
    if (error == FileError::None) error = out.WriteAt(at, chunk.data(), chunk.size());
    at += int64_t(chunk.size());
  }
  if (error == FileError::None) error = out.Flush();
  if (error == FileError::None) error = out.Close();
  if (error != FileError::None) {
    out.Close();
    RemoveFile(to);
  }
  return error;
}

// Deletes the oldest copies of `name` beyond the ones kept.
void DropOldCopies(const std::string& folder, const std::string& name) {
  std::vector<std::string> files;
  if (ListFiles(folder, files) != FileError::None) return;
  std::vector<std::pair<std::pair<std::string, int>, std::string>> copies;
  for (const std::string& file : files) {
    std::pair<std::string, int> order;
    if (CopyOrder(file, name, order)) copies.push_back({order, file});
  }
  if (copies.size() <= size_t(kKeptBackups)) return;
  std::sort(copies.begin(), copies.end());
  for (size_t i = 0; i + kKeptBackups < copies.size(); ++i) RemoveFile(folder + copies[i].second);
}

}  // namespace

std::string BackupName(const std::string& name, const BackupTime& when, int number) {
  std::string file = name + " " + Stamp(when);
  if (number > 1) file += " (" + std::to_string(number) + ")";
  return file + kLabelFileExtension;
}

FileError BackUpLabelFile(const std::string& path, const std::string& name,
                          const std::string& folder, const BackupTime& when, std::string* made) {
  FileError error = MakeFolders(folder);
  if (error != FileError::None) return error;
  // A copy of the same second does not take an earlier one's place.
  std::string copy;
  int number = 1;
  do copy = folder + BackupName(name, when, number);
  while (FileExists(copy) && ++number < 1000);
  // Called from message handlers: nothing may be thrown out of here.
  try {
    error = CopyWhole(path, copy);
  } catch (const std::bad_alloc&) {
    RemoveFile(copy);
    error = FileError::NoMemory;
  }
  if (error != FileError::None) return error;
  if (made) *made = copy;
  try {
    DropOldCopies(folder, name);
  } catch (const std::bad_alloc&) {
    // Kept for now: the next copy tries again.
  }
  return FileError::None;
}
