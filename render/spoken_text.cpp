#include "spoken_text.h"

#include <algorithm>

#include "icon_markup.h"

namespace {

const char* const kIconNames[99] = {
#include "../resources/icons/icon_names.inc"
};

// Written out for listening: the names drawn in the day boxes have no accents.
const char* const kWeekdays[8] = {"",       "lunes",   "martes", "miércoles",
                                  "jueves", "viernes", "sábado", "domingo"};
const char* const kMonths[13] = {"",        "enero",     "febrero",  "marzo",  "abril",
                                 "mayo",    "junio",     "julio",    "agosto", "septiembre",
                                 "octubre", "noviembre", "diciembre"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Appends `text` to `out` with at most one blank between words.
void AppendWords(std::string& out, const std::string& text) {
  for (char c : text) {
    if (IsBlank(c)) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
}

// A line with its codes read as names, a blank either side of each name.
std::string SpokenLine(const char* text) {
  std::string line(text);
  std::vector<IconHit> hits = FindIconCodes(line.c_str(), line.size());
  std::sort(hits.begin(), hits.end(),
            [](const IconHit& a, const IconHit& b) { return a.position < b.position; });
  std::string out;
  size_t at = 0;
  for (const IconHit& hit : hits) {
    const size_t code = size_t(hit.position - 1);
    out.append(line, at, code - at);
    out += ' ';
    out += IconSpokenName(hit.number);
    out += ' ';
    at = code + 4;
  }
  out.append(line, at, std::string::npos);
  return out;
}

}  // namespace

const char* IconSpokenName(int number) {
  return number >= 1 && number <= 99 ? kIconNames[number - 1] : "";
}

std::string SpokenDate(int16_t day, int16_t month, int16_t year, int weekday) {
  std::string text = kWeekdays[weekday >= 1 && weekday <= 7 ? weekday : 0];
  text += ", " + std::to_string(day) + " de ";
  text += kMonths[month >= 1 && month <= 12 ? month : 0];
  text += " de " + std::to_string(year);
  return text;
}

std::string SpokenLabel(const std::vector<LabelRecord>& records, const LabelBlock& block) {
  std::string out;
  const size_t end = std::min(records.size(), block.firstRecord + block.lineCount);
  for (size_t i = block.firstRecord; i < end; ++i) {
    if (!out.empty() && out.back() != ' ') out += ' ';
    AppendWords(out, SpokenLine(records[i].text));
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out.empty() ? "etiqueta vacía" : out;
}

std::string SpokenLabels(const std::vector<LabelRecord>& records, const DayBand& day) {
  std::string out;
  for (const LabelBlock& block : day.blocks) {
    if (!out.empty()) out += ' ';
    out += SpokenLabel(records, block);
    const char last = out.back();
    // "…" is byte 0x85 in Windows-1252.
    if (last != '.' && last != '!' && last != '?' && last != ':' && last != ';' && last != '\x85')
      out += '.';
  }
  return out;
}
