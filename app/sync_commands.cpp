#include "sync_commands.h"

#include <objbase.h>
#include <windows.h>

#include <cstdio>

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

// The hourglass while the sync works.
class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

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

  SyncInput input;
  input.almanac = gAlmanac;
  input.records = gLabelTable.records;
  input.fileExists = FileExists(almanacPath);
  input.statePath = SyncStatePath(almanacPath);
  input.version = TARVINA_VERSION;
  input.stampUtc = UtcNow();
  input.localFromUtc = LocalFromUtc;
  input.makeUid = NewUid;
  SyncReport report;
  {
    WaitCursor wait;
    WinHttpTransport transport(address, draft.user, password);
    CalDavClient client(transport, address.path);
    report = RunSync(client, input, ApplyToShownAlmanac);
  }
  ShowMessage(SyncReportText(report));
}

bool UnlinkShownAlmanac() {
  if (!AlmanacShown()) return false;
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
