// Measures the figures we hold ourselves to, under Wine on this machine, for
// three almanacs: 31 days, and 366 days with 2,000 and with 20,000 one-line
// labels (each line with one picture code). For each: the first drawing on
// open (file read, layout, first view on the screen), saving one more label
// and seeing it, changing a word of the first label (the whole file
// rewritten) and seeing it against writing the file anew, every Down step from
// Home to End against the two block copies a step consists of (the
// baseline, from the same run), and the working set; a search through every
// label line for a text none holds (the longest a search takes) against a
// plain strstr over the same lines; the whole almanac saved as a PNG (its
// time, size, and how far it raises the peak working set); and the .ics
// export and import of 20,000 label lines against reading their label file.
// The files are written first; each almanac then runs in a
// process of its own, so the memory figures are the program's alone and do
// not mix. Prints a table; asserts nothing.
//
//   wine build/win/bench.exe                        all three almanacs, one table
//   wine build/win/bench.exe <n> <file> <copies>    almanac n from its file, one
//                                                   line; copies of the file go to
//                                                   the folder <copies>
//   wine build/win/bench.exe sync <address>          the sync of 2,000 labels with
//                                                   an empty calendar (user ana,
//                                                   password secreto) against 2,000
//                                                   plain GETs; scripts/bench_sync.sh
//                                                   starts a server and runs it
#include <windows.h>
// psapi.h needs windows.h before it.
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/almanac_picture.h"
#include "app/file_commands.h"
#include "app/label_commands.h"
#include "app/local_time.h"
#include "app/main_window.h"
#include "app/message_box.h"
#include "app/winhttp_transport.h"
#include "data/almanac_state.h"
#include "data/calendar.h"
#include "data/file_io.h"
#include "data/label_file.h"
#include "data/program_folder.h"
#include "render/label_search.h"
#include "render/layout.h"
#include "share/ics_export.h"
#include "share/ics_import.h"
#include "sync/sync_engine.h"

namespace {

// The window the program drives, and what it shows.
HWND gWindow = nullptr;
MainWindowState& State() { return *MainWindowStateOf(gWindow); }
AlmanacView& View() { return State().view; }
AlmanacDocument& Doc() { return State().document; }

using Clock = std::chrono::steady_clock;

struct Scenario {
  const char* name;
  int16_t dayCount;  // N: the almanac shows N + 1 days
  int lines;         // one-line labels, spread over the days in turn
};
const Scenario kScenarios[] = {
    {"31 days, 31 lines", 30, 31},
    {"366 days, 2,000 lines", 365, 2000},
    {"366 days, 20,000 lines", 365, 20000},
};
constexpr int kScenarioCount = int(sizeof kScenarios / sizeof kScenarios[0]);
constexpr int kOpenRounds = 5;
constexpr int kSaveRounds = 10;
constexpr int kChangeRounds = 10;
constexpr int kSearchRounds = 20;

double Ms(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t at = size_t(p * double(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
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

double Mb(SIZE_T bytes) { return double(bytes) / (1024.0 * 1024.0); }

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

void TakePendingQuit() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

LabelRecord Line(const CivilDate& date, const CivilDate& start, int16_t dayCount, int i) {
  LabelRecord r;
  r.day = date.day;
  r.month = date.month;
  r.year = date.year;
  char text[64];
  snprintf(text, sizeof text, "Cita numero %d con el medico \\#%02d", i, 1 + i % 99);
  SetRecordText(r, text);
  r.color = RGB(178, 225, 241);
  r.isLastLine = 1;
  r.almanacStartDay = start.day;
  r.almanacStartMonth = start.month;
  r.almanacStartYear = start.year;
  r.almanacDayCount = dayCount;
  return r;
}

// The DPI the figures are taken at: at another than the screen's the window
// is told it moved to a screen of that DPI, as Windows tells it, and lays out
// and draws everything at it (the window keeps the size the screen allows).
int gDpi = 96;

// A fresh main window on the screen, as the program starts without a file.
bool StartWindow() {
  gWindow = BuildMainWindow("");
  if (!gWindow) return false;
  SendMessageA(gWindow, WM_INITDIALOG, 0, 0);
  if (gDpi != State().view.dpi) {
    RECT r;
    GetWindowRect(gWindow, &r);
    SendMessageA(gWindow, WM_DPICHANGED, MAKEWPARAM(gDpi, gDpi), reinterpret_cast<LPARAM>(&r));
  }
  ShowWindow(gWindow, SW_SHOW);
  UpdateWindow(gWindow);
  return true;
}

void EndWindow() {
  if (gWindow) DestroyWindow(gWindow);
  gWindow = nullptr;
  TakePendingQuit();
}

void Key(WPARAM vk) { SendMessageA(View().control, WM_KEYDOWN, vk, 0); }

struct Figures {
  double openMs = 0, saveMs = 0, changeMs = 0, writeMs = 0;
  double stepMedian = 0, stepP99 = 0, copyMedian = 0, copyP99 = 0;
  double usedMb = 0, peakMb = 0;
  double searchMs = 0, scanMs = 0;
  double pictureMs = 0, pictureMb = 0, picturePeakMb = 0;  // time, file size, peak after it
  long long rows = 0;
  int steps = 0;
};

const CivilDate kStart{2024, 1, 1, 0};

// The time to write the bytes of the file at `path` to a new file beside
// it and flush them to the disk (the reading is not timed).
double FlushedWriteMs(const std::string& path) {
  std::vector<char> bytes;
  HANDLE in =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return 0;
  bytes.resize(GetFileSize(in, nullptr));
  DWORD done = 0;
  ReadFile(in, bytes.data(), DWORD(bytes.size()), &done, nullptr);
  CloseHandle(in);
  const std::string scratch = path + ".bench";
  auto t = Clock::now();
  HANDLE out = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 0;
  WriteFile(out, bytes.data(), DWORD(bytes.size()), &done, nullptr);
  FlushFileBuffers(out);
  CloseHandle(out);
  const double ms = Ms(t);
  DeleteFileA(scratch.c_str());
  return ms;
}

bool WriteScenarioFile(const Scenario& s, const std::string& path) {
  DeleteFileA(path.c_str());
  std::vector<LabelRecord> records;
  for (int i = 0; i < s.lines; ++i) {
    CivilDate date = kStart;
    AddDays(date, i % (s.dayCount + 1));
    records.push_back(Line(date, kStart, s.dayCount, i));
  }
  return AppendLabel(path, records) == FileError::None;
}

Figures RunScenario(const Scenario& s, const std::string& path) {
  Figures f;

  // Open: file read, layout, drawing and the first view on the screen. Every
  // round in a fresh window, so each starts with the surfaces a start has.
  std::vector<double> opens;
  for (int round = 0; round < kOpenRounds; ++round) {
    EndWindow();
    if (!StartWindow()) return f;
    // The title and the menus once; then what an opening costs beyond
    // them: the file read, laid out and drawn to the screen.
    OpenAlmanacCommand(State(), path);
    auto t = Clock::now();
    ReadShownFileAgain(State());
    opens.push_back(Ms(t));
  }
  f.openMs = Percentile(opens, 0.5);
  f.rows = Doc().layout.height;

  // Scrolling: every Down step from Home to End, each timed on its own.
  std::vector<double> steps;
  Key(VK_HOME);
  for (;;) {
    const int64_t before = View().offset;
    auto t = Clock::now();
    Key(VK_DOWN);
    steps.push_back(Ms(t));
    if (View().offset == before) break;
  }
  f.steps = int(steps.size());
  f.stepMedian = Percentile(steps, 0.5);
  f.stepP99 = Percentile(steps, 0.99);

  // Searching every line, from the first day, for a text no line holds;
  // the baseline is a case-sensitive strstr over the same texts.
  {
    std::vector<double> searches, scans;
    const AlmanacLayout& layout = Doc().layout;
    const std::vector<LabelRecord>& records = Doc().records;
    size_t seen = 0;
    for (int round = 0; round < kSearchRounds; ++round) {
      LabelPlace found;
      auto t = Clock::now();
      bool hit = FindLabelLine(layout, records, "dentista", AfterDay(0), found);
      searches.push_back(Ms(t));
      t = Clock::now();
      for (const LabelRecord& r : records) seen += strstr(r.text, "dentista") ? 1 : 0;
      scans.push_back(Ms(t));
      if (hit) seen += 1000000;  // neither should find it
    }
    if (seen) printf("(the search text was found: %zu)\n", seen);
    f.searchMs = Percentile(searches, 0.5);
    f.scanMs = Percentile(scans, 0.5);
  }

  // Saving one more label on the first day (the view shows it) and seeing it.
  std::vector<double> saves;
  Key(VK_HOME);
  for (int round = 0; round < kSaveRounds; ++round) {
    std::vector<LabelRecord> label = {Line(kStart, kStart, s.dayCount, round)};
    auto t = Clock::now();
    AppendAsOneChange(State(), label, "", "");  // what "Aceptar" in "Nueva" does
    saves.push_back(Ms(t));
  }
  f.saveMs = Percentile(saves, 0.5);

  // Changing a word of the label on the first day, back and forth, as
  // "Aceptar" in "Modificar etiqueta" does: the whole file rewritten and the
  // view drawn again (the first round also makes the copy of the file),
  // against the least a durable rewrite costs: the file's bytes written to a
  // new file and flushed.
  {
    std::vector<double> changes, writes;
    const LabelPlace first{0, 0, 0};
    for (int round = 0; round < kChangeRounds; ++round) {
      LabelDraft draft;
      draft.lines = {round % 2 ? "Cita cambiada" : "Cita cambiada otra vez"};
      draft.color = RGB(178, 225, 241);
      draft.day = kStart.day, draft.month = kStart.month, draft.year = kStart.year;
      auto t = Clock::now();
      if (!ChangeShownLabel(State(), first, draft)) {
        printf("(a change failed)\n");
        break;
      }
      changes.push_back(Ms(t));
      writes.push_back(FlushedWriteMs(path));
    }
    f.changeMs = Percentile(changes, 0.5);
    f.writeMs = Percentile(writes, 0.5);
  }
  // The program's memory, having drawn every part of the almanac.
  f.usedMb = Mb(Memory().WorkingSetSize);
  f.peakMb = Mb(Memory().PeakWorkingSetSize);

  // The baseline: the same number of pairs of block copies, a tall surface
  // to the view and the view to the control's face.
  {
    Surface source;
    CreateSurface(source, View().surface.width, 2048);
    RECT face;
    GetClientRect(View().control, &face);
    HDC control = GetDC(View().control);
    std::vector<double> copies;
    for (size_t i = 0; i < steps.size(); ++i) {
      auto t = Clock::now();
      BitBlt(View().surface.dc, 0, 0, View().surface.width, View().surface.height, source.dc, 0,
             int(95 * i % 1200), SRCCOPY);
      BitBlt(control, 0, 0, face.right, face.bottom, View().surface.dc, 0, 0, SRCCOPY);
      GdiFlush();
      copies.push_back(Ms(t));
    }
    ReleaseDC(View().control, control);
    ReleaseSurface(source);
    f.copyMedian = Percentile(copies, 0.5);
    f.copyP99 = Percentile(copies, 0.99);
  }

  // The picture, once: it takes seconds for the tall almanacs.
  {
    const std::string png = path + ".png";
    auto t = Clock::now();
    const PictureResult result = WriteAlmanacPicture(png, Doc().layout, Doc().records);
    f.pictureMs = Ms(t);
    if (result.error != PictureError::None) f.pictureMs = -1;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(png.c_str(), GetFileExInfoStandard, &data))
      f.pictureMb = Mb(data.nFileSizeLow + (SIZE_T(data.nFileSizeHigh) << 32));
    f.picturePeakMb = Mb(Memory().PeakWorkingSetSize);
    DeleteFileA(png.c_str());
  }

  EndWindow();
  return f;
}

void PrintFigures(int index, const Figures& f) {
  printf(
      "RESULT %d %.2f %.2f %.3f %.3f %.3f %.3f %.1f %.1f %lld %d %.3f %.3f %.2f %.2f %.1f %.2f "
      "%.1f\n",
      index, f.openMs, f.saveMs, f.stepMedian, f.stepP99, f.copyMedian, f.copyP99, f.usedMb,
      f.peakMb, f.rows, f.steps, f.searchMs, f.scanMs, f.changeMs, f.writeMs, f.pictureMs,
      f.pictureMb, f.picturePeakMb);
  fflush(stdout);
}

// Runs almanac `index` in a child process and reads back its figures. The
// folder of copies goes without its last backslash, which would escape the
// closing quote.
bool RunChild(int index, const std::string& path, const std::string& copies, int dpi, Figures& f) {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string command = "\"" + std::string(exe) + "\" " + std::to_string(index) + " \"" + path +
                        "\" \"" + copies.substr(0, copies.size() - 1) + "\" " + std::to_string(dpi);
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                &startup, &process);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
      output.append(buffer, got);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  size_t at = output.find("RESULT ");
  if (at == std::string::npos) return false;
  int got = 0;
  return sscanf(output.c_str() + at,
                "RESULT %*d %lf %lf %lf %lf %lf %lf %lf %lf %lld %d %lf %lf %lf %lf %lf %lf %lf",
                &f.openMs, &f.saveMs, &f.stepMedian, &f.stepP99, &f.copyMedian, &f.copyP99,
                &f.usedMb, &f.peakMb, &f.rows, &got, &f.searchMs, &f.scanMs, &f.changeMs,
                &f.writeMs, &f.pictureMs, &f.pictureMb, &f.picturePeakMb) == 17 &&
         (f.steps = got, true);
}

}  // namespace

// The first sync of 2,000 one-line labels with an empty calendar, a sync
// with nothing to do, and as many plain GETs of those events, in one run
// against the same server.
int BenchSync(const std::string& url) {
  CalendarAddress address;
  if (!ParseCalendarAddress(url, address)) return 2;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "tarvina-bench-sync-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  SyncInput input;
  input.almanac.name = "Banco";
  input.almanac.filePath = folder + "Banco.zanual";
  input.almanac.startDay = 1, input.almanac.startMonth = 1, input.almanac.startYear = 2024;
  input.almanac.dayCount = 365;
  const CivilDate start{2024, 1, 1, 0};
  for (int i = 0; i < 2000; ++i) {
    CivilDate date = start;
    AddDays(date, i % 366);
    input.records.push_back(Line(date, start, 365, i));
  }
  AppendLabel(input.almanac.filePath, input.records);
  input.statePath = folder + "Banco.estado";
  input.version = "bench";
  input.stampUtc = UtcNow();
  input.localFromUtc = LocalFromUtc;
  int uid = 0;
  input.makeUid = [&uid] { return "banco-" + std::to_string(++uid); };
  const ApplyLocalEdit apply = [&](const LabelFileEdit& edit) {
    return RewriteLabelFile(input.almanac.filePath, edit);
  };
  WinHttpTransport transport(address, "ana", "secreto");
  CalDavClient client(transport, address.path);

  // The first sync runs as the program runs it: on a worker thread, the
  // file changed on the window's thread through SendMessage, the window's
  // thread pumping messages meanwhile. A third thread asks that window
  // every 10 ms (WM_NULL, SendMessageTimeout) and keeps each reply's time.
  struct Run {
    CalDavClient* client;
    const SyncInput* input;
    HWND window;
    SyncReport report;
    LONG done = 0;
    std::vector<double> replies;
  } run{&client, &input, nullptr, {}, 0, {}};
  static const ApplyLocalEdit* gApply = nullptr;
  gApply = &apply;
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_APP + 40) return LRESULT((*gApply)(*reinterpret_cast<const LabelFileEdit*>(l))) + 1;
    return DefWindowProcA(h, m, w, l);
  };
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "tarvina-bench-sync";
  RegisterClassA(&wc);
  run.window = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr, wc.hInstance, nullptr);
  auto t = Clock::now();
  HANDLE worker = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        Run& r = *static_cast<Run*>(p);
        r.report = RunSync(*r.client, *r.input, [&r](const LabelFileEdit& edit) {
          return FileError(SendMessageA(r.window, WM_APP + 40, 0, LPARAM(&edit)) - 1);
        });
        InterlockedExchange(&r.done, 1);
        PostMessageA(r.window, WM_NULL, 0, 0);
        return 0;
      },
      &run, 0, nullptr);
  HANDLE asker = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        Run& r = *static_cast<Run*>(p);
        while (!InterlockedCompareExchange(&r.done, 0, 0)) {
          const auto sent = Clock::now();
          DWORD_PTR answer = 0;
          SendMessageTimeoutA(r.window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
          r.replies.push_back(Ms(sent));
          Sleep(10);
        }
        return 0;
      },
      &run, 0, nullptr);
  MSG msg;
  while (!InterlockedCompareExchange(&run.done, 0, 0) && GetMessageA(&msg, nullptr, 0, 0) > 0)
    DispatchMessageA(&msg);
  const double firstMs = Ms(t);
  WaitForSingleObject(worker, INFINITE);
  WaitForSingleObject(asker, INFINITE);
  CloseHandle(worker);
  CloseHandle(asker);
  DestroyWindow(run.window);
  SyncReport first = run.report;
  std::vector<double> replies = run.replies;
  std::sort(replies.begin(), replies.end());
  const double worstMs = replies.empty() ? 0 : replies.back();
  const double p99Ms = replies.empty() ? 0 : replies[(replies.size() - 1) * 99 / 100];
  t = Clock::now();
  SyncReport idle = RunSync(client, input, apply);
  const double idleMs = Ms(t);
  std::vector<RemoteEvent> events;
  client.List(events);
  t = Clock::now();
  int got = 0;
  for (const RemoteEvent& e : events) {
    std::string body, etag;
    got += client.Get(e.href, body, etag).ok();
  }
  const double getMs = Ms(t);
  // The server's own cost of taking events: the same bodies put once more,
  // as new events, one plain PUT each.
  std::vector<std::string> bodies;
  for (const RemoteEvent& e : events) {
    std::string body, etag;
    client.Get(e.href, body, etag);
    bodies.push_back(body);
  }
  t = Clock::now();
  int put = 0;
  for (size_t i = 0; i < bodies.size(); ++i) {
    std::string etag, body = bodies[i];
    const size_t uid = body.find("UID:banco-");
    if (uid != std::string::npos) body.insert(uid + 4, "plain-");
    put += client.Put(address.path + "plain-" + std::to_string(i) + ".ics", body, "", etag).ok();
  }
  const double putMs = Ms(t);
  printf(
      "sync of 2,000 labels: first %.0f ms (%d sent%s), nothing to do %.0f ms%s; "
      "%d plain GETs %.0f ms; %d plain PUTs %.0f ms\n"
      "the window during the first sync: %zu replies, 99th percentile %.1f ms, worst %.1f ms\n",
      firstMs, first.up, first.ok ? "" : ", failed", idleMs, idle.ok ? "" : " (failed)", got, getMs,
      put, putMs, replies.size(), p99Ms, worstMs);
  DeleteFileA(input.almanac.filePath.c_str());
  DeleteFileA(input.statePath.c_str());
  RemoveDirectoryA(folder.c_str());
  return first.ok && idle.ok ? 0 : 1;
}

int main(int argc, char** argv) {
  SetMessageObserver([](const std::wstring&) {});
  if (argc == 3 && std::string(argv[1]) == "sync") return BenchSync(argv[2]);
  if (argc > 3) {
    SetBackupFolder(std::string(argv[3]) + "\\");
    if (argc > 4) gDpi = atoi(argv[4]);
    int index = atoi(argv[1]);
    if (index < 0 || index >= kScenarioCount) return 2;
    PrintFigures(index, RunScenario(kScenarios[index], argv[2]));
    return 0;
  }
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder =
      std::string(temp) + "tarvina-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string copies = folder + "Copias\\";
  printf("%-24s %8s %8s %18s %18s %9s %9s %9s %6s %18s\n", "almanac", "open ms", "save ms",
         "step ms med / p99", "copies med / p99", "step/copy", "WS MB", "peak MB", "steps",
         "search / strstr ms");
  // Every almanac at 96 DPI, then at 192 (200 %).
  constexpr int kDpis[] = {96, 192};
  Figures all[kScenarioCount];
  for (int run = 0; run < 2 * kScenarioCount; ++run) {
    const int i = run % kScenarioCount, dpi = kDpis[run / kScenarioCount];
    if (run == kScenarioCount) printf("\nAt 192 DPI (200 %%):\n");
    const std::string path = folder + "Banco" + std::to_string(i) + ".zanual";
    Figures at192;
    Figures& f = dpi == 96 ? all[i] : at192;
    if (!WriteScenarioFile(kScenarios[i], path) || !RunChild(i, path, copies, dpi, f)) {
      printf("%-24s (no figures)\n", kScenarios[i].name);
    } else {
      printf(
          "%-24s %8.1f %8.1f %8.3f / %7.3f %8.3f / %7.3f %9.2f %9.1f %9.1f %6d %8.3f / %7.3f  "
          "(%lld rows)\n%-24s change %.1f ms, the file written anew and flushed %.1f ms\n",
          kScenarios[i].name, f.openMs, f.saveMs, f.stepMedian, f.stepP99, f.copyMedian, f.copyP99,
          f.copyMedian > 0 ? f.stepMedian / f.copyMedian : 0.0, f.usedMb, f.peakMb, f.steps,
          f.searchMs, f.scanMs, f.rows, "", f.changeMs, f.writeMs);
    }
    DeleteFileA(path.c_str());
  }
  printf("\nGuardar imagen (.png, 96 DPI): time, file size, peak working set before and after\n");
  for (int i = 0; i < kScenarioCount; ++i)
    printf("%-24s %9.1f ms %8.2f MB %7.1f / %7.1f MB\n", kScenarios[i].name, all[i].pictureMs,
           all[i].pictureMb, all[i].peakMb, all[i].picturePeakMb);

  // iCalendar: 10,000 two-line labels (20,000 lines) out and back in, against
  // reading the same lines from their label file.
  {
    std::vector<LabelRecord> lines =
        TwoLineLabels(10000,
                      "Cita con el m\xE9"
                      "dico \\#09; sala 3",
                      "segunda l\xEDnea, con \\#27 y m\xE1s texto para llenar");
    AlmanacState almanac;
    almanac.startDay = 1, almanac.startMonth = 1, almanac.startYear = 2024;
    almanac.dayCount = 365;
    std::vector<LabelRecord> read;
    const std::string file = folder + "Ics.zanual";
    AppendLabel(file, lines);
    std::vector<double> reads, exports, imports;
    IcsExport exported;
    IcsImport imported;
    for (int round = 0; round < 3; ++round) {
      auto t = Clock::now();
      ReadLabelRecords(file, read, almanac);
      reads.push_back(Ms(t));
      t = Clock::now();
      exported = ExportIcs(lines, {"Bench", "0", {2025, 1, 1}});
      exports.push_back(Ms(t));
      t = Clock::now();
      imported = ImportIcs(exported.text, almanac, LocalFromUtc);
      imports.push_back(Ms(t));
    }
    DeleteFileA(file.c_str());
    printf(
        "\niCalendar, 20,000 lines: export %.1f ms (%zu KB), import %.1f ms (%d labels); "
        "reading the label file: %.1f ms\n",
        Percentile(exports, 0.5), exported.text.size() / 1024, Percentile(imports, 0.5),
        imported.labels, Percentile(reads, 0.5));
  }
  std::vector<std::string> made;
  ListFiles(copies, made);
  for (const std::string& name : made) DeleteFileA((copies + name).c_str());
  RemoveDirectoryA(copies.c_str());
  RemoveDirectoryA(folder.c_str());
  return 0;
}
