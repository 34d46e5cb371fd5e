#include "ics_export.h"

#include <cstdio>
#include <cstring>

#include "../data/calendar.h"
#include "css_colors.h"
#include "label_unicode.h"

namespace {

constexpr size_t kFoldOctets = 75;

uint64_t Fnv1a(std::string_view bytes, uint64_t hash = 0xCBF29CE484222325ull) {
  for (unsigned char b : bytes) {
    hash ^= b;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

std::string Hex64(uint64_t value) {
  char text[17];
  snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::string DateValue(int year, int month, int day) {
  char text[16];
  snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return text;
}

std::string LineText(const LabelRecord& record) {
  return std::string(record.text, strnlen(record.text, kMaxLineBytes));
}

// Exact text for X-TARVINA-TEXT. Readers may trim blanks at the ends of a
// value, so blanks there are written as their visible symbols (U+2420 for a
// space, U+2409 for a tab), which no Windows-1252 text can otherwise hold.
std::string TarvinaText(const std::vector<std::string>& lines) {
  std::string joined;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) joined += '\n';
    joined += ExactUnicode(lines[i]);
  }
  auto blankSymbol = [](char c) { return c == ' ' ? "\xE2\x90\xA0" : "\xE2\x90\x89"; };
  size_t head = 0;
  while (head < joined.size() && (joined[head] == ' ' || joined[head] == '\t')) ++head;
  size_t tail = joined.size();
  while (tail > head && (joined[tail - 1] == ' ' || joined[tail - 1] == '\t')) --tail;
  std::string out;
  for (size_t i = 0; i < head; ++i) out += blankSymbol(joined[i]);
  out.append(joined, head, tail - head);
  for (size_t i = tail; i < joined.size(); ++i) out += blankSymbol(joined[i]);
  return out;
}

void Put(std::string& out, std::string_view line) { out += FoldIcsLine(line); }

void PutText(std::string& out, const char* name, std::string_view text) {
  Put(out, std::string(name) + ":" + EscapeIcsText(text));
}

void PutLabelEvent(std::string& out, const std::string& uid, const char* stamp,
                   const LabelRecord& first, const CivilDate& next,
                   const std::vector<std::string>& lines, int32_t color) {
  std::string description;
  for (size_t k = 0; k < lines.size(); ++k) {
    if (k) description += '\n';
    description += ReadableUnicode(lines[k]);
  }
  Put(out, "BEGIN:VEVENT");
  Put(out, "UID:" + uid);
  Put(out, std::string("DTSTAMP:") + stamp);
  Put(out, "DTSTART;VALUE=DATE:" + DateValue(first.year, first.month, first.day));
  Put(out, "DTEND;VALUE=DATE:" + DateValue(next.year, next.month, next.day));
  PutText(out, "SUMMARY", ReadableUnicode(lines.front()));
  PutText(out, "DESCRIPTION", description);
  Put(out, std::string("COLOR:") + NearestCssColorName(color));
  Put(out, "X-TARVINA-COLOR:" + ColorHex(color));
  PutText(out, "X-TARVINA-TEXT", TarvinaText(lines));
  Put(out, "END:VEVENT");
}

void PutCalendarHead(std::string& out, const std::string& version) {
  Put(out, "BEGIN:VCALENDAR");
  Put(out, "VERSION:2.0");
  Put(out, "PRODID:-//tarvina//tarvina " + version + "//ES");
  Put(out, "CALSCALE:GREGORIAN");
}

void StampText(const WallTime& t, char (&stamp)[64]) {
  snprintf(stamp, sizeof stamp, "%04d%02d%02dT%02d%02d%02dZ", t.year, t.month, t.day, t.hour,
           t.minute, t.second);
}

}  // namespace

std::string EscapeIcsText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case ';':
        out += "\\;";
        break;
      case ',':
        out += "\\,";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string FoldIcsLine(std::string_view line) {
  std::string out;
  out.reserve(line.size() + line.size() / 32 + 2);
  size_t at = 0;
  size_t room = kFoldOctets;  // a continuation line's leading space takes one
  while (line.size() - at > room) {
    size_t cut = at + room;
    while (cut > at && (uint8_t(line[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    out.append(line, at, cut - at);
    out += "\r\n ";
    at = cut;
    room = kFoldOctets - 1;
  }
  out.append(line, at, line.size() - at);
  out += "\r\n";
  return out;
}

FileError WriteIcsFile(const std::string& path, const std::string& text) {
  // Written beside the file and put in its place once whole, so a calendar
  // it replaces stays as it was when the disk fills up.
  ExclusiveFile file;
  std::string scratch;
  FileError error = OpenScratchBeside(path, file, scratch);
  if (error != FileError::None) return error;
  error = file.WriteAt(0, text.data(), text.size());
  // On the disk before the user is told it is written.
  if (error == FileError::None) error = file.Flush();
  const FileError closed = file.Close();
  if (error == FileError::None) error = closed;
  if (error == FileError::None) error = PutFileInPlace(scratch, path);
  if (error != FileError::None) RemoveFile(scratch);
  return error;
}

IcsExport ExportIcs(const std::vector<LabelRecord>& records, const IcsExportInput& input) {
  IcsExport result;
  std::string& out = result.text;
  const std::string name =
      IsValidUtf8(input.almanacName) ? input.almanacName : ExactUnicode(input.almanacName);
  PutCalendarHead(out, input.version);
  PutText(out, "X-WR-CALNAME", name);

  char stamp[64];
  StampText(input.stampUtc, stamp);
  // The UID names the almanac, the label's place in its file and its
  // contents: the same file exports the same UIDs every time.
  const std::string almanacKey = Hex64(Fnv1a(input.almanacName));

  for (const LabelRun& run : GroupLabels(records)) {
    const LabelRecord& first = records[run.first];
    if (!IsRealDate(first.year, first.month, first.day) || first.year > 9999) {
      ++result.skipped;
      continue;
    }
    CivilDate next{first.year, first.month, first.day, 0};
    AddDays(next, 1);
    if (next.year > 9999) {
      ++result.skipped;
      continue;
    }
    std::vector<std::string> lines;
    uint64_t contentKey = Fnv1a(DateValue(first.year, first.month, first.day));
    for (size_t k = 0; k < run.count; ++k) {
      lines.push_back(LineText(records[run.first + k]));
      contentKey = Fnv1a(lines.back() + '\n', contentKey);
    }
    const int32_t color = first.color & 0x00FFFFFF;
    contentKey = Fnv1a(ColorHex(color), contentKey);

    PutLabelEvent(
        out,
        std::to_string(run.first + 1) + "-" + Hex64(contentKey) + "-" + almanacKey + "@tarvina",
        stamp, first, next, lines, color);
    ++result.labels;
  }
  Put(out, "END:VCALENDAR");
  return result;
}

std::string LabelEventIcs(const std::vector<LabelRecord>& records, const std::string& uid,
                          const std::string& version, const WallTime& stampUtc) {
  if (records.empty()) return {};
  const LabelRecord& first = records.front();
  if (!IsRealDate(first.year, first.month, first.day) || first.year > 9999) return {};
  CivilDate next{first.year, first.month, first.day, 0};
  AddDays(next, 1);
  if (next.year > 9999) return {};
  std::vector<std::string> lines;
  for (const LabelRecord& record : records) lines.push_back(LineText(record));
  char stamp[64];
  StampText(stampUtc, stamp);
  std::string out;
  PutCalendarHead(out, version);
  PutLabelEvent(out, uid, stamp, first, next, lines, first.color & 0x00FFFFFF);
  Put(out, "END:VCALENDAR");
  return out;
}
