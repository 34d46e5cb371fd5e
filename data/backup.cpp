#include "backup.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "label_file.h"
#include "utf8.h"

namespace {

constexpr size_t kStampLength = 19;  // yyyy-mm-dd hh.mm.ss
constexpr size_t kTagLength = 8;
constexpr size_t kCopyChunk = 1 << 20;
constexpr int kMostCopiesASecond = 999;
// MAX_PATH less its NUL, in UTF-16 units, and what a copy's name adds to
// the almanac's name at most: " [tag] ", the stamp, " (999)", ".zanual".
constexpr size_t kMaxPathUnits = 259;
constexpr size_t kNameAdds = 2 + kTagLength + 2 + kStampLength + 6 + 7;

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

// When `file` is a copy of the almanac `name` tagged `tag`: its stamp and
// number, which order the copies from oldest to newest.
bool CopyOrder(const std::string& file, const std::string& name, const std::string& tag,
               std::pair<std::string, int>& order) {
  const std::string ext = kLabelFileExtension;
  const std::string head = name + " [" + tag + "] ";
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
  // Made anew: a copy another copy of the program made meanwhile stays.
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

// Deletes the oldest copies of `name` tagged `tag` beyond the ones kept;
// the copy `made` is kept whatever its time.
void DropOldCopies(const std::string& folder, const std::string& name, const std::string& tag,
                   const std::string& made) {
  std::vector<std::string> files;
  if (ListFiles(folder, files) != FileError::None) return;
  std::vector<std::pair<std::pair<std::string, int>, std::string>> copies;
  for (const std::string& file : files) {
    std::pair<std::string, int> order;
    if (file != made && CopyOrder(file, name, tag, order)) copies.push_back({order, file});
  }
  const size_t others = size_t(kKeptBackups) - 1;
  if (copies.size() <= others) return;
  std::sort(copies.begin(), copies.end());
  for (size_t i = 0; i + others < copies.size(); ++i) RemoveFile(folder + copies[i].second);
}

// The almanac's name as its copies in `folder` carry it: cut where the
// copy's path would not fit in MAX_PATH.
std::string NameInCopies(const std::string& name, const std::string& folder) {
  const size_t used = Utf16Length(folder) + kNameAdds;
  if (used >= kMaxPathUnits) return std::string();
  const size_t room = kMaxPathUnits - used;
  std::string cut = name;
  while (Utf16Length(cut) > room) cut = CutUtf8(cut, cut.size() - 1);
  return cut;
}

}  // namespace

std::string BackupTag(const std::string& path) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (char c : path) {
    if (c == '/') c = '\\';
    if (c >= 'a' && c <= 'z') c = char(c - 32);
    hash = (hash ^ uint8_t(c)) * 16777619u;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%08x", unsigned(hash));
  return text;
}

std::string BackupName(const std::string& name, const std::string& tag, const BackupTime& when,
                       int number) {
  std::string file = name + " [" + tag + "] " + Stamp(when);
  if (number > 1) file += " (" + std::to_string(number) + ")";
  return file + kLabelFileExtension;
}

FileError BackUpLabelFile(const std::string& path, const std::string& name,
                          const std::string& folder, const BackupTime& when, std::string* made) {
  if (Utf16Length(folder) + kNameAdds + 1 > kMaxPathUnits) return FileError::BadName;
  FileError error = MakeFolders(folder);
  if (error != FileError::None) return error;
  const std::string tag = BackupTag(path);
  // Called from message handlers: nothing may be thrown out of here.
  std::string copy;
  bool writing = false;  // `copy` is being made here
  bool whole = false;
  try {
    const std::string shortName = NameInCopies(name, folder);
    // A copy of the same second does not take an earlier one's place.
    int number = 1;
    do {
      copy = BackupName(shortName, tag, when, number);
      writing = !FileExists(folder + copy);
      error = writing ? CopyWhole(path, folder + copy) : FileError::Exists;
      if (error == FileError::Exists) writing = false;  // another program's, made meanwhile
    } while (error == FileError::Exists && ++number <= kMostCopiesASecond);
    writing = false;  // whole, or removed by CopyWhole
    whole = error == FileError::None;
    if (whole) DropOldCopies(folder, shortName, tag, copy);
  } catch (const std::bad_alloc&) {
    if (writing) RemoveFile(folder + copy);
    // A copy made whole stays, and the rotation waits for the next one.
    if (!whole) return FileError::NoMemory;
  }
  if (error != FileError::None) return error;
  if (made) *made = folder + copy;
  return FileError::None;
}
