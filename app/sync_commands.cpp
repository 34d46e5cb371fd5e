#include "sync_commands.h"

#include <objbase.h>

#include <cstdio>
#include <memory>
#include <new>

#include "../data/program_folder.h"
#include "../sync/sync_engine.h"
#include "label_commands.h"
#include "local_time.h"
#include "message_box.h"
#include "resource.h"
#include "sync_link.h"
#include "version.h"
#include "winhttp_transport.h"

namespace {

UINT gAfterChangeMs = 2000;
UINT gEveryMs = 5 * 60 * 1000;

// A UID no other event has: a new GUID.
std::string NewUid() {
  GUID guid;
  if (FAILED(CoCreateGuid(&guid))) {
    // Never expected; the time and a counter still tell labels apart.
    static unsigned counter = 0;
    char text[64];
    snprintf(text, sizeof text, "%08lx-%08x", GetTickCount(), ++counter);
    return text;
  }
  char text[40];
  snprintf(text, sizeof text, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
           static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
           guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
           guid.Data4[7]);
  return text;
}

// One sync: what the worker needs, and what it found.
struct SyncJob {
  HWND window = nullptr;  // the main window it works for
  CalendarAddress address;
  std::string user, password;
  SyncInput input;
  SyncReport report;
  bool waited = false;  // the almanac was busy with a dialog: nothing changed, again soon
};

constexpr UINT kApplyMessage = WM_APP + 40;  // wParam the job, lParam the edit: FileError + 1
constexpr UINT kDoneMessage = WM_APP + 41;   // lParam: the SyncJob, handed over

HWND gSyncWindow = nullptr;  // message-only: the worker's way back, and the timers
HWND gMainWindow = nullptr;  // the window the timers sync for
HANDLE gSyncThread = nullptr;
bool gSyncing = false;
bool gShowResult = false;       // someone pressed "Sincronizar ahora": say how it went
bool gSyncDialogOpen = false;   // the dialog that asks is the one open
std::string gLastFailureShown;  // a failure is said once, not every few minutes
// What the document was when last looked at, to tell a change.
std::string gSeenPath;
size_t gSeenUndo = size_t(-1), gSeenRecords = size_t(-1);

void ShowSyncingTitle(HWND window, const std::string& name, bool syncing) {
  if (!window || !IsWindow(window)) return;
  SetAlmanacTitle(window, name);
  if (!syncing) return;
  const int length = GetWindowTextLengthW(window);
  std::wstring title(size_t(length + 1), L'\0');
  GetWindowTextW(window, &title[0], length + 1);
  title.resize(size_t(length));
  title += L" - Sincronizando...";
  DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

// The server's changes made to the almanac shown as one change, on this
// thread; refused while another dialog of the window could be acting on a
// label (it is tried again soon).
FileError ApplyOnWindowThread(SyncJob& job, const LabelFileEdit& edit) {
  MainWindowState* state = MainWindowStateOf(job.window);
  if (!state || !AlmanacShown(*state) ||
      state->document.almanac.filePath != job.input.almanac.filePath)
    return FileError::Changed;
  if (state->busy.dialog && !gSyncDialogOpen) {
    job.waited = true;
    return FileError::InUse;
  }
  const ViewBeforeChange before = NoteBeforeChange(state->view, state->document.layout);
  const DocumentOutcome outcome = ApplyEdit(state->document, edit, BackupNow());
  if (!outcome.ok()) return outcome.error == FileError::None ? FileError::Other : outcome.error;
  gSeenUndo = state->document.undo.size();  // its own change: no sync again for it
  gSeenRecords = state->document.records.size();
  UpdateCommands(*state);
  ShowChange(state->view, state->document, before, outcome.firstChangedRow);
  return FileError::None;
}

void StartSync(MainWindowState& state, const SyncLink& link, const std::string& password);

void OnSyncDone(std::unique_ptr<SyncJob> job) {
  if (gSyncThread) {
    WaitForSingleObject(gSyncThread, INFINITE);  // it has posted its last word
    CloseHandle(gSyncThread);
    gSyncThread = nullptr;
  }
  gSyncing = false;
  MainWindowState* state = MainWindowStateOf(job->window);
  if (state) ShowSyncingTitle(job->window, state->document.almanac.name, false);
  const bool asked = gShowResult;
  gShowResult = false;
  const SyncReport& r = job->report;
  if (job->waited && !asked) {
    // Not while the label is being typed: a while later.
    SetTimer(gSyncWindow, IDT_SYNC_SOON, 5 * gAfterChangeMs, nullptr);
    return;
  }
  const std::string text = SyncReportText(r);
  if (asked) {
    gLastFailureShown = r.ok ? "" : r.failure;
    ShowMessage(text);
    return;
  }
  // By itself: quiet when all went well; a failure said once, until it mends.
  if (r.ok) {
    gLastFailureShown.clear();
    if (r.conflicts || r.refused || r.unreadable) ShowMessage(text);
  } else if (r.failure != gLastFailureShown) {
    gLastFailureShown = r.failure;
    ShowMessage(text);
  }
}

// A sync by itself, when the almanac shown is linked and nothing else runs.
void SyncByItself() {
  MainWindowState* state = MainWindowStateOf(gMainWindow);
  if (gSyncing || !state || !AlmanacShown(*state)) return;
  SyncLink link;
  std::string password;
  if (!ReadSyncLink(state->document.almanac.filePath, link) || !ReadSyncPassword(link, password))
    return;
  StartSync(*state, link, password);
}

LRESULT CALLBACK SyncWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Called from the message loops: nothing may be thrown out of here.
  try {
    switch (msg) {
      case kApplyMessage:
        return LRESULT(int(ApplyOnWindowThread(*reinterpret_cast<SyncJob*>(wParam),
                                               *reinterpret_cast<const LabelFileEdit*>(lParam))) +
                       1);
      case kDoneMessage:
        OnSyncDone(std::unique_ptr<SyncJob>(reinterpret_cast<SyncJob*>(lParam)));
        return 0;
      case WM_TIMER:
        if (wParam == IDT_SYNC_SOON) KillTimer(window, IDT_SYNC_SOON);
        SyncByItself();
        return 0;
    }
  } catch (const std::bad_alloc&) {
    if (msg == kApplyMessage) return LRESULT(int(FileError::NoMemory) + 1);
    ShowMessage(FileErrorText(FileError::NoMemory));
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

DWORD WINAPI SyncThread(void* parameter) {
  SyncJob* job = static_cast<SyncJob*>(parameter);
  try {
    WinHttpTransport transport(job->address, job->user, job->password);
    CalDavClient client(transport, job->address.path);
    job->report = RunSync(client, job->input, [job](const LabelFileEdit& edit) {
      // No answer (the window gone, the program ending) is no change made.
      const LRESULT answer = SendMessageA(gSyncWindow, kApplyMessage, reinterpret_cast<WPARAM>(job),
                                          reinterpret_cast<LPARAM>(&edit));
      return answer >= 1 && answer <= LRESULT(FileError::Other) + 1 ? FileError(answer - 1)
                                                                    : FileError::Other;
    });
  } catch (const std::bad_alloc&) {
    job->report = SyncReport();
    job->report.failure = FileErrorText(FileError::NoMemory);
  }
  if (!PostMessageA(gSyncWindow, kDoneMessage, 0, reinterpret_cast<LPARAM>(job))) delete job;
  return 0;
}

bool MakeSyncWindow() {
  if (gSyncWindow) return true;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = SyncWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "tarvinaSync";
  RegisterClassA(&wc);
  gSyncWindow = CreateWindowExA(0, "tarvinaSync", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                wc.hInstance, nullptr);
  return gSyncWindow != nullptr;
}

void StartSync(MainWindowState& state, const SyncLink& link, const std::string& password) {
  auto job = std::make_unique<SyncJob>();
  if (!ParseCalendarAddress(link.address, job->address) || !MakeSyncWindow()) return;
  job->window = state.window;
  job->user = link.user;
  job->password = password;
  const AlmanacDocument& doc = state.document;
  SyncInput& input = job->input;
  input.almanac = doc.almanac;
  input.records = doc.records;
  input.fileExists = FileExists(doc.almanac.filePath);
  input.statePath = SyncStatePath(doc.almanac.filePath);
  input.version = TARVINA_VERSION;
  input.stampUtc = UtcNow();
  input.localFromUtc = LocalFromUtc;
  input.makeUid = NewUid;
  SyncJob* handed = job.release();
  gSyncThread = CreateThread(nullptr, 0, SyncThread, handed, 0, nullptr);
  if (!gSyncThread) {
    delete handed;
    return;
  }
  gSyncing = true;
  gMainWindow = state.window;
  ShowSyncingTitle(state.window, doc.almanac.name, true);
  SetTimer(gSyncWindow, IDT_SYNC_EVERY, gEveryMs, nullptr);
}

}  // namespace

void SetSyncDelays(UINT afterChangeMs, UINT everyMs) {
  gAfterChangeMs = afterChangeMs;
  gEveryMs = everyMs;
}

bool SyncRunning() { return gSyncing; }

void NoteChangeForSync(MainWindowState& state) {
  const AlmanacDocument& doc = state.document;
  if (!IsShown(doc)) return;
  const bool opened = doc.almanac.filePath != gSeenPath;
  if (!opened && doc.undo.size() == gSeenUndo && doc.records.size() == gSeenRecords) return;
  gSeenPath = doc.almanac.filePath;
  gSeenUndo = doc.undo.size();
  gSeenRecords = doc.records.size();
  SyncLink link;
  if (!ReadSyncLink(doc.almanac.filePath, link) || !MakeSyncWindow()) return;
  gMainWindow = state.window;
  // At once when it is opened; soon after a change, so a few in a row go together.
  SetTimer(gSyncWindow, IDT_SYNC_SOON, opened ? 1 : gAfterChangeMs, nullptr);
}

void SyncShownAlmanacNow(MainWindowState& state, const SyncDraft& draft) {
  if (!AlmanacShown(state)) return;
  CalendarAddress address;
  if (!ParseCalendarAddress(draft.address, address)) {
    ShowMessage(
        "Escriba la dirección de un calendario CalDAV, por ejemplo "
        "http://127.0.0.1:5232/ana/casa/");
    return;
  }
  if (draft.user.empty()) {
    ShowMessage("Escriba el usuario del servidor.");
    return;
  }
  if (gSyncing) {
    gShowResult = true;  // the sync running says how it went when it ends
    return;
  }
  const std::string& almanacPath = state.document.almanac.filePath;
  const SyncLink link{draft.address, draft.user};
  std::string password = draft.password;
  if (password.empty() && !ReadSyncPassword(link, password)) {
    ShowMessage("Escriba la contraseña del servidor.");
    return;
  }
  const FileError error = WriteSyncLink(almanacPath, link);
  if (error != FileError::None) {
    ShowMessage(std::string("No se pudo guardar el enlace en %LOCALAPPDATA%\\tarvina\\"
                            "Sincronizar.\r\n") +
                FileErrorText(error));
    return;
  }
  if (!draft.password.empty() && !WriteSyncPassword(link, password)) {
    ShowMessage("No se pudo guardar la contraseña en el Administrador de credenciales de Windows.");
    return;
  }
  gShowResult = true;
  StartSync(state, link, password);
  if (!gSyncing) {
    gShowResult = false;
    ShowMessage(FileErrorText(FileError::NoMemory));
  }
}

bool UnlinkShownAlmanac(MainWindowState& state) {
  if (!AlmanacShown(state)) return false;
  if (gSyncing) {
    ShowMessage("Espere a que termine la sincronización para quitar el enlace.");
    return false;
  }
  SyncLink link;
  if (!ReadSyncLink(state.document.almanac.filePath, link)) {
    ShowMessage("Este almanaque no está enlazado con ningún calendario.");
    return false;
  }
  RemoveSyncLink(state.document.almanac.filePath);
  if (gSyncWindow) KillTimer(gSyncWindow, IDT_SYNC_EVERY);
  ShowMessage("Se quitó el enlace. El almanaque y el calendario del servidor quedan como están.");
  return true;
}

void SyncCommand(MainWindowState& state) {
  if (!IsAvailable(Command::Sync, state.document, state.busy) || !AlmanacShown(state)) return;
  SyncDraft draft;
  SyncLink link;
  if (ReadSyncLink(state.document.almanac.filePath, link)) {
    draft.address = link.address;
    draft.user = link.user;
  }
  // The dialog's callbacks are plain functions: they act on this window.
  static MainWindowState* gAsking = nullptr;
  gAsking = &state;
  SyncRequest request;
  request.syncNow = [](const SyncDraft& d) {
    if (gAsking) SyncShownAlmanacNow(*gAsking, d);
  };
  request.unlink = []() { return gAsking && UnlinkShownAlmanac(*gAsking); };
  {
    // Nothing else starts while it is open; what a sync brings down may
    // still change the almanac meanwhile, as no label is being acted on.
    DialogOpen open(state.busy.dialog);
    gSyncDialogOpen = true;
    SyncDialog(request, draft);
    gSyncDialogOpen = false;
  }
  gAsking = nullptr;
  if (AlmanacShown(state)) FocusAlmanac(state);
}
