// make_demo: writes Demo.zanual, a small almanac with a few labels starting
// today, into the folder given as the only argument (for `make run`).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data/calendar.h"
#include "data/label_file.h"

namespace {

struct DemoLabel {
  int offset;  // days after the start
  COLORREF color;
  std::vector<const char*> lines;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo <folder>\n");
    return 2;
  }
  std::string folder = argv[1];
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  std::string path = folder + "Demo.zanual";
  DeleteFileA(path.c_str());  // a fresh demo every time

  SYSTEMTIME now;
  GetLocalTime(&now);
  CivilDate start;
  start.year = int16_t(now.wYear);
  start.month = int16_t(now.wMonth);
  start.day = int16_t(now.wDay);
  const int16_t dayCount = 60;

  const DemoLabel labels[] = {
      {0, RGB(252, 249, 196), {"Bienvenido a tarvina \\#04", "Baja con las flechas o la rueda del ratón"}},
      {1, RGB(178, 225, 241), {"Examen de matemáticas \\#17", "Repasar el tema 4 \\#65"}},
      {3, RGB(165, 239, 174), {"Cumpleaños de Ana \\#69"}},
      {3, RGB(255, 168, 125), {"Menú: paella \\#75", "Postre: tarta \\#37"}},
      {8, RGB(247, 211, 213), {"Cita con el dentista \\#13"}},
      {15, RGB(249, 223, 134), {"Excursión en bici \\#70", "Llevar agua \\#55", "Salida a las 9"}},
  };
  for (const DemoLabel& label : labels) {
    CivilDate day = start;
    AddDays(day, label.offset);
    std::vector<LabelRecord> records;
    for (size_t i = 0; i < label.lines.size(); ++i) {
      LabelRecord record;
      record.day = day.day;
      record.month = day.month;
      record.year = day.year;
      SetRecordText(record, label.lines[i]);
      record.color = int32_t(label.color);
      record.isLastLine = i + 1 == label.lines.size() ? 1 : 0;
      record.almanacStartDay = start.day;
      record.almanacStartMonth = start.month;
      record.almanacStartYear = start.year;
      record.almanacDayCount = dayCount;
      records.push_back(record);
    }
    FileError error = AppendLabel(path, records);
    if (error != FileError::None) {
      std::fprintf(stderr, "make_demo: %s: %s\n", path.c_str(), FileErrorText(error));
      return 1;
    }
  }
  std::printf("%s\n", path.c_str());
  return 0;
}
