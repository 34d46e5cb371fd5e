// Measures the figures we hold ourselves to, under Wine on this machine:
// the cost of one scroll step against the two block copies it consists of,
// the redraw of a full year with 2,000 label lines, and the working set of a
// 31-day almanac, and the .ics export and import of 20,000 label lines
// against reading their label file. Prints the numbers; asserts nothing.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/local_time.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "data/almanac_state.h"
#include "data/calendar.h"
#include "data/label_file.h"
#include "render/almanac_page.h"
#include "share/ics_export.h"
#include "share/ics_import.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double BestMs(int rounds, F&& work) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

void SetAlmanac(int16_t day, int16_t month, int16_t year, int16_t count) {
  gAlmanac.startDay = day;
  gAlmanac.startMonth = month;
  gAlmanac.startYear = year;
  gAlmanac.dayCount = count;
  gAlmanac.isReady = 1;
}

// `count` two-line labels spread over the days of 2024, in a 2024 almanac.
std::vector<LabelRecord> TwoLineLabels(int count, const char* first, const char* second) {
  std::vector<LabelRecord> records;
  for (int i = 0; i < count; ++i) {
    CivilDate date{2024, 1, 1, 0};
    AddDays(date, i % 366);
    for (int line = 0; line < 2; ++line) {
      LabelRecord r;
      r.day = date.day;
      r.month = date.month;
      r.year = date.year;
      SetRecordText(r, line ? second : first);
      r.color = RGB(178, 225, 241);
      r.isLastLine = line;
      r.almanacStartDay = 1, r.almanacStartMonth = 1, r.almanacStartYear = 2024;
      r.almanacDayCount = 365;
      records.push_back(r);
    }
  }
  return records;
}

size_t WorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters = {};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize / (1024 * 1024);
}

}  // namespace

int main() {
  printf("at start: working set %zu MB\n", WorkingSetMb());
  SetMessageObserver([](const std::string&) {});
  if (!BuildMainWindow("")) return 1;
  SendMessageA(MainWindow, WM_INITDIALOG, 0, 0);
  // On the screen, as RunDialog shows it: copies to a hidden window cost nothing.
  ShowWindow(MainWindow, SW_SHOW);
  UpdateWindow(MainWindow);
  printf("empty main window: working set %zu MB\n", WorkingSetMb());

  // Memory: a 31-day almanac drawn.
  SetAlmanac(1, 1, 2025, 31);
  DrawNewAlmanac(AlmanacStrip);
  RefreshView();
  printf("31-day almanac: strip %d rows, working set %zu MB\n", AlmanacStrip.height,
         WorkingSetMb());

  // Redraw: 366 days, 1,000 two-line labels with an icon on each line.
  SetAlmanac(1, 1, 2024, 365);
  gLabelTable.records = TwoLineLabels(1000, "Cita con el medico \\#09", "segunda linea \\#27");
  DrawAlmanacWithLabels(AlmanacStrip);  // grows the strip once
  double redraw = BestMs(5, [] { DrawAlmanacWithLabels(AlmanacStrip); });
  printf("redraw of 366 days with 2,000 label lines: %.1f ms (strip %d rows)\n", redraw,
         AlmanacStrip.height);

  // Scrolling: one Down key against the two copies strip -> view -> control.
  const int steps = 200;
  ViewOffset = 0;
  double keys = BestMs(3, [&] {
    ViewOffset = 0;
    for (int i = 0; i < steps; ++i) SendMessageA(AlmanacControl, WM_KEYDOWN, VK_DOWN, 0);
  });
  RECT client;
  GetClientRect(AlmanacControl, &client);
  double copies = BestMs(3, [&] {
    HDC control = GetDC(AlmanacControl);
    for (int i = 0; i < steps; ++i) {
      BitBlt(AlmanacView.dc, 0, 0, AlmanacView.width, AlmanacView.height, AlmanacStrip.dc, 0,
             95 * i, SRCCOPY);
      BitBlt(control, 0, 0, client.right, client.bottom, AlmanacView.dc, 0, 0, SRCCOPY);
    }
    GdiFlush();
    ReleaseDC(AlmanacControl, control);
  });
  printf("scroll step: %.3f ms; two block copies: %.3f ms; ratio %.2f\n", keys / steps,
         copies / steps, keys / copies);

  // iCalendar: 10,000 two-line labels (20,000 lines) out and back in, against
  // reading the same lines from their label file.
  std::vector<LabelRecord> lines =
      TwoLineLabels(10000, "Cita con el m\xE9" "dico \\#09; sala 3",
                    "segunda l\xEDnea, con \\#27 y m\xE1s texto para llenar");
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string file = std::string(temp) + "tarvina-bench.zanual";
  DeleteFileA(file.c_str());
  AppendLabel(file, lines);
  double read = BestMs(3, [&] { ReadLabelRecords(file); });
  DeleteFileA(file.c_str());
  IcsExport exported;
  double exportMs = BestMs(3, [&] { exported = ExportIcs(lines, {"Bench", "0", {2025, 1, 1}}); });
  IcsImport imported;
  double importMs = BestMs(3, [&] { imported = ImportIcs(exported.text, gAlmanac, LocalFromUtc); });
  printf(
      "iCalendar, 20,000 lines: export %.1f ms (%zu KB), import %.1f ms (%d labels); "
      "reading the label file: %.1f ms\n",
      exportMs, exported.text.size() / 1024, importMs, imported.labels, read);

  DestroyWindow(MainWindow);
  return 0;
}
