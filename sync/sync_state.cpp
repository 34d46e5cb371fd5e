#include "sync_state.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

constexpr char kMagic[] = "tarvina-sync 1";
// A state far beyond any almanac's (1,000,000 label lines) is refused.
constexpr size_t kMaxStateBytes = 512u << 20;

uint64_t Fnv1a(std::string_view bytes, uint64_t hash = 0xCBF29CE484222325ull) {
  for (unsigned char b : bytes) {
    hash ^= b;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

// Every field is one word: bytes that could end or split it are %XX.
std::string Word(std::string_view text) {
  if (text.empty()) return "-";
  std::string out;
  for (unsigned char c : text) {
    if (c <= ' ' || c >= 0x7F || c == '%' || c == '-') {
      char hex[4];
      snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    } else {
      out += char(c);
    }
  }
  return out;
}

bool Unword(std::string_view word, std::string& out) {
  out.clear();
  if (word == "-") return true;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] != '%') {
      out += word[i];
      continue;
    }
    if (i + 2 >= word.size()) return false;
    char hex[3] = {word[i + 1], word[i + 2], 0};
    char* end = nullptr;
    long value = strtol(hex, &end, 16);
    if (end != hex + 2) return false;
    out += char(value);
    i += 2;
  }
  return true;
}

void PutLabels(std::string& out, const char* tag, const std::vector<SyncLabel>& labels) {
  for (const SyncLabel& label : labels) {
    char head[96];
    snprintf(head, sizeof head, "%s %d %d %d %d %zu", tag, label.year, label.month, label.day,
             int(label.color), label.lines.size());
    out += head;
    for (const std::string& line : label.lines) out += " " + Word(line);
    out += "\n";
  }
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    size_t end = line.find(' ', at);
    if (end == std::string_view::npos) end = line.size();
    words.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return words;
}

bool Number(std::string_view word, long long& value) {
  std::string text(word);
  char* end = nullptr;
  value = strtoll(text.c_str(), &end, 10);
  return !text.empty() && end == text.c_str() + text.size();
}

bool ParseLabel(const std::vector<std::string_view>& w, SyncLabel& label) {
  long long y, m, d, color, count;
  if (w.size() < 6 || !Number(w[1], y) || !Number(w[2], m) || !Number(w[3], d) ||
      !Number(w[4], color) || !Number(w[5], count) || count < 0 || size_t(count) != w.size() - 6)
    return false;
  label.year = int16_t(y);
  label.month = int16_t(m);
  label.day = int16_t(d);
  label.color = int32_t(color);
  label.lines.resize(size_t(count));
  for (size_t k = 0; k < size_t(count); ++k)
    if (!Unword(w[6 + k], label.lines[k])) return false;
  return true;
}

}  // namespace

uint64_t LabelHash(const SyncLabel& label) {
  char head[64];
  snprintf(head, sizeof head, "%d-%d-%d/%d/", label.year, label.month, label.day, int(label.color));
  uint64_t hash = Fnv1a(head);
  for (const std::string& line : label.lines) hash = Fnv1a(line + '\n', hash);
  return hash ? hash : 1;  // 0 means "nothing refused"
}

std::string EncodeSyncState(const SyncState& state) {
  std::string out = std::string(kMagic) + "\ntoken " + Word(state.syncToken) + "\n";
  for (const SyncEntry& e : state.entries) {
    char flags[64];
    snprintf(flags, sizeof flags, " %d %d %llu", e.pending ? 1 : 0, e.unreadable ? 1 : 0,
             static_cast<unsigned long long>(e.refused));
    out += "entry " + Word(e.uid) + " " + Word(e.href) + " " + Word(e.etag) + flags + "\n";
    PutLabels(out, "label", e.labels);
    PutLabels(out, "prior", e.prior);
  }
  char end[64];
  snprintf(end, sizeof end, "end %zu %016llx\n", state.entries.size(),
           static_cast<unsigned long long>(Fnv1a(out)));
  return out + end;
}

bool DecodeSyncState(std::string_view text, SyncState& state) {
  state = SyncState();
  // The last line vouches for the count and the bytes before it.
  if (text.empty() || text.back() != '\n') return false;
  size_t lastStart = text.rfind('\n', text.size() - 2);
  if (lastStart == std::string_view::npos) return false;
  const std::string_view body = text.substr(0, lastStart + 1);
  const std::vector<std::string_view> end =
      Words(text.substr(lastStart + 1, text.size() - lastStart - 2));
  char hash[32];
  snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(body)));
  if (end.size() != 3 || end[0] != "end" || end[2] != hash) return false;

  size_t at = 0;
  bool first = true;
  while (at < body.size()) {
    size_t nl = body.find('\n', at);
    const std::string_view line = body.substr(at, nl - at);
    at = nl + 1;
    if (first) {
      if (line != kMagic) return false;
      first = false;
      continue;
    }
    const std::vector<std::string_view> w = Words(line);
    if (w.empty()) return false;
    if (w[0] == "token" && w.size() == 2) {
      if (!Unword(w[1], state.syncToken)) return false;
    } else if (w[0] == "entry" && w.size() == 7) {
      SyncEntry e;
      long long pending, unreadable;
      if (!Unword(w[1], e.uid) || !Unword(w[2], e.href) || !Unword(w[3], e.etag) ||
          !Number(w[4], pending) || !Number(w[5], unreadable))
        return false;
      e.pending = pending != 0;
      e.unreadable = unreadable != 0;
      e.refused = strtoull(std::string(w[6]).c_str(), nullptr, 10);
      state.entries.push_back(std::move(e));
    } else if ((w[0] == "label" || w[0] == "prior") && !state.entries.empty()) {
      SyncLabel label;
      if (!ParseLabel(w, label)) return false;
      SyncEntry& e = state.entries.back();
      (w[0] == "label" ? e.labels : e.prior).push_back(std::move(label));
    } else {
      return false;
    }
  }
  long long count;
  return !first && Number(end[1], count) && size_t(count) == state.entries.size();
}

FileError ReadWholeFile(const std::string& path, std::string& text, size_t limit) {
  text.clear();
  ExclusiveFile file;
  FileError error = file.OpenForRead(path);
  if (error != FileError::None) return error;
  int64_t size = 0;
  if ((error = file.Size(size)) != FileError::None) return error;
  if (size_t(size) > limit) return FileError::TooLarge;
  text.resize(size_t(size));
  size_t got = 0;
  if (size > 0 && (error = file.ReadAt(0, text.data(), text.size(), got)) != FileError::None)
    return error;
  if (got != text.size()) return FileError::Changed;
  return file.Close();
}

FileError WriteWholeFile(const std::string& path, std::string_view text) {
  return ReplaceFileWhole(path, std::string(text));
}

FileError LoadSyncState(const std::string& path, SyncState& state) {
  state = SyncState();
  std::string text;
  FileError error = ReadWholeFile(path, text, kMaxStateBytes);
  if (error == FileError::NotFound) return FileError::None;
  if (error != FileError::None) return error;
  return DecodeSyncState(text, state) ? FileError::None : FileError::Damaged;
}

FileError SaveSyncState(const std::string& path, const SyncState& state) {
  std::string text;
  try {
    text = EncodeSyncState(state);
  } catch (const std::bad_alloc&) {
    return FileError::NoMemory;
  }
  return WriteWholeFile(path, text);
}
