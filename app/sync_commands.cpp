#include "sync_commands.h"

#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <new>

#include "../data/almanac_state.h"
#include "../data/backup.h"
#include "../data/label_edit.h"
#include "../data/label_file.h"
#include "../data/program_folder.h"
#include "../sync/sync_engine.h"
#include "local_time.h"
#include "main_window.h"
#include "message_box.h"
#include "sync_link.h"
#include "version.h"
#include "winhttp_transport.h"

namespace {

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

// The server's changes made to the label file as one change, a copy of the
// file made first, and the almanac drawn again.
FileError ApplyToShownAlmanac(const LabelFileEdit& edit) {
  const std::string& path = gAlmanac.filePath;
  if (FileExists(path)) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const BackupTime when{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    if (BackupFolder().empty()) return FileError::PathNotFound;
    const FileError error = BackUpLabelFile(path, gAlmanac.name, BackupFolder(), when);
    if (error != FileError::None) return error;
  }
  const FileError error = RewriteLabelFile(path, edit);
  if (error == FileError::None) {
    // Drawn again from the file; the dialog that asked stays in front.
    HWND front = GetForegroundWindow();
    OpenAlmanacCommand();
    if (front && IsWindow(front)) SetForegroundWindow(front);
  }
  return error;
}

bool AlmanacShown() { return MainWindow && IsWindow(MainWindow) && !ShownLayout().days.empty(); }

// One sync at a time runs on a worker thread, so the window keeps
// answering; the label file is changed on the window's thread, through a
// message-only window, as every other change is.
struct SyncJob {
  CalendarAddress address;
  std::string user, password;
  SyncInput input;
  SyncReport report;
};

constexpr UINT kApplyMessage = WM_APP + 40;  // lParam: the edit; answers its FileError + 1
constexpr UINT kDoneMessage = WM_APP + 41;   // lParam: the SyncJob, handed over
HWND gSyncWindow = nullptr;
bool gSyncing = false;
HANDLE gSyncThread = nullptr;

void ShowSyncingTitle(bool syncing) {
  if (!MainWindow || !IsWindow(MainWindow)) return;
  SetAlmanacTitle(gAlmanac.name);
  if (!syncing) return;
  const int length = GetWindowTextLengthW(MainWindow);
  std::wstring title(size_t(length + 1), L'\0');
  GetWindowTextW(MainWindow, &title[0], length + 1);
  title.resize(size_t(length));
  title += L" - Sincronizando...";
  DefWindowProcW(MainWindow, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

void OnSyncDone(std::unique_ptr<SyncJob> job) {
  if (gSyncThread) {
    WaitForSingleObject(gSyncThread, INFINITE);  // it has posted its last word
    CloseHandle(gSyncThread);
    gSyncThread = nullptr;
  }
  gSyncing = false;
  ShowSyncingTitle(false);
  ShowMessage(SyncReportText(job->report));
}

LRESULT CALLBACK SyncWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Called from the message loops: nothing may be thrown out of here.
  try {
    switch (msg) {
      case kApplyMessage: {
        const auto* job = reinterpret_cast<const SyncJob*>(wParam);
        // Only to the almanac the sync was started for.
        if (!AlmanacShown() || gAlmanac.filePath != job->input.almanac.filePath)
          return LRESULT(int(FileError::Changed) + 1);
        return LRESULT(int(ApplyToShownAlmanac(*reinterpret_cast<const LabelFileEdit*>(lParam))) +
                       1);
      }
      case kDoneMessage:
        OnSyncDone(std::unique_ptr<SyncJob>(reinterpret_cast<SyncJob*>(lParam)));
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

void StartSync(std::unique_ptr<SyncJob> job) {
  if (!gSyncWindow) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SyncWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "tarvinaSync";
    RegisterClassA(&wc);
    gSyncWindow = CreateWindowExA(0, "tarvinaSync", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  wc.hInstance, nullptr);
  }
  if (!gSyncWindow) {
    ShowMessage(FileErrorText(FileError::NoMemory));
    return;
  }
  SyncJob* handed = job.release();
  gSyncThread = CreateThread(nullptr, 0, SyncThread, handed, 0, nullptr);
  if (!gSyncThread) {
    delete handed;
    ShowMessage(FileErrorText(FileError::NoMemory));
    return;
  }
  gSyncing = true;
  ShowSyncingTitle(true);
}

}  // namespace

void SyncShownAlmanacNow(const SyncDraft& draft) {
  if (!AlmanacShown()) return;
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
  const std::string& almanacPath = gAlmanac.filePath;
  SyncLink link{draft.address, draft.user};
  std::string password = draft.password;
  if (password.empty() && !ReadSyncPassword(link, password)) {
    ShowMessage("Escriba la contraseña del servidor.");
    return;
  }
  FileError error = WriteSyncLink(almanacPath, link);
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

  if (gSyncing) {
    ShowMessage("Ya se está sincronizando este almanaque; espere a que termine.");
    return;
  }
  auto job = std::make_unique<SyncJob>();
  job->address = address;
  job->user = draft.user;
  job->password = password;
  SyncInput& input = job->input;
  input.almanac = gAlmanac;
  input.records = gLabelTable.records;
  input.fileExists = FileExists(almanacPath);
  input.statePath = SyncStatePath(almanacPath);
  input.version = TARVINA_VERSION;
  input.stampUtc = UtcNow();
  input.localFromUtc = LocalFromUtc;
  input.makeUid = NewUid;
  StartSync(std::move(job));
}

bool UnlinkShownAlmanac() {
  if (!AlmanacShown()) return false;
  if (gSyncing) {
    ShowMessage("Espere a que termine la sincronización para quitar el enlace.");
    return false;
  }
  SyncLink link;
  if (!ReadSyncLink(gAlmanac.filePath, link)) {
    ShowMessage("Este almanaque no está enlazado con ningún calendario.");
    return false;
  }
  RemoveSyncLink(gAlmanac.filePath);
  ShowMessage("Se quitó el enlace. El almanaque y el calendario del servidor quedan como están.");
  return true;
}

void SyncCommand() {
  SyncDraft draft;
  SyncLink link;
  if (ReadSyncLink(gAlmanac.filePath, link)) {
    draft.address = link.address;
    draft.user = link.user;
  }
  SyncRequest request;
  request.syncNow = SyncShownAlmanacNow;
  request.unlink = UnlinkShownAlmanac;
  SyncDialog(request, draft);
}
