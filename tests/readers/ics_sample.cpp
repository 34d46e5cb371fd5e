// Writes the sample labels as an .ics file and, beside it, what a reader
// must find in it (JSON): date, end, summary, description and colours of
// every event, and the days it falls on: a series (labels one after the
// other with the same text and colour) is one event on exactly its labels'
// days. tests/readers/check.py hands the file to outside readers.
#include <cstdio>
#include <string>

#include "share/css_colors.h"
#include "share/ics_export.h"
#include "share/label_unicode.h"
#include "tests/common/share_sample.h"

namespace {

std::string Json(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string Date(int year, int month, int day) {
  char text[16];
  snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

bool Write(const char* path, const std::string& bytes) {
  FILE* file = fopen(path, "wb");
  if (!file) return false;
  bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: ics_sample OUT.ics OUT.json\n");
    return 2;
  }
  const std::vector<LabelRecord> records = ShareSampleLabels();
  IcsExport exported =
      ExportIcs(records, {ShareSampleAlmanac().name, "1.0.0", {2025, 6, 1, 9, 30, 0}});

  auto sameLabel = [&](const LabelRun& a, const LabelRun& b) {
    if (a.count != b.count || records[a.first].color != records[b.first].color) return false;
    for (size_t k = 0; k < a.count; ++k)
      if (std::string(records[a.first + k].text) != records[b.first + k].text) return false;
    return true;
  };
  const std::vector<LabelRun> runs = GroupLabels(records);
  std::string json = "[\n";
  for (size_t i = 0; i < runs.size();) {
    const LabelRun& run = runs[i];
    const LabelRecord& first = records[run.first];
    CivilDate end{first.year, first.month, first.day, 0};
    AddDays(end, 1);
    std::string days;
    size_t next = i;
    for (; next < runs.size() && sameLabel(run, runs[next]); ++next) {
      const LabelRecord& r = records[runs[next].first];
      days += std::string(days.empty() ? "" : ", ") + Json(Date(r.year, r.month, r.day));
    }
    std::string description;
    for (size_t k = 0; k < run.count; ++k)
      description += (k ? "\n" : "") + ReadableUnicode(records[run.first + k].text);
    if (json.size() > 2) json += ",\n";
    json += "{\"date\": " + Json(Date(first.year, first.month, first.day)) +
            ", \"end\": " + Json(Date(end.year, end.month, end.day)) +
            ", \"summary\": " + Json(ReadableUnicode(first.text)) +
            ", \"description\": " + Json(description) +
            ", \"color\": " + Json(NearestCssColorName(first.color)) +
            ", \"tarvinaColor\": " + Json(ColorHex(first.color)) + ", \"days\": [" + days + "]}";
    i = next;
  }
  json += "\n]\n";
  return Write(argv[1], exported.text) && Write(argv[2], json) ? 0 : 1;
}
