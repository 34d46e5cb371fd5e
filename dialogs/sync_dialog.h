// "Sincronizar": the address of a CalDAV calendar, the user and the
// password an almanac is linked with; "Sincronizar ahora", "Quitar el
// enlace", "Cerrar".
#pragma once
#include <windows.h>

#include <string>

// UTF-8, as the boxes hold any script.
struct SyncDraft {
  std::string address;
  std::string user;
  std::string password;
};

struct SyncRequest {
  // "Sincronizar ahora" with the boxes as they are; it tells the user how it went.
  void (*syncNow)(const SyncDraft& draft) = nullptr;
  // "Quitar el enlace"; true when the link went: then the boxes are emptied.
  bool (*unlink)() = nullptr;
};

// Shows the dialog (no owner) with `draft` and returns when it has closed
// ("Cerrar", Escape or its close box), `draft` holding the boxes as they were.
void SyncDialog(const SyncRequest& request, SyncDraft& draft);

// Tests drive the dialog from here: called once its controls are filled,
// before it is shown. nullptr removes the hook.
void SetSyncDialogHook(void (*hook)(HWND dialog));
