// "Compartir" > "Sincronizar...": the almanac shown linked to a CalDAV
// calendar and synced with it: at once from the dialog, and by itself once
// linked: when the almanac is opened, soon after each change and every few
// minutes while it is shown. A sync runs on a worker thread; what it brings
// down changes the almanac on the window's thread, as one change.
#pragma once
#include <windows.h>

#include "../dialogs/sync_dialog.h"
#include "main_window.h"

// The dialog for the almanac shown, filled with its link.
void SyncCommand(MainWindowState& state);

// "Sincronizar ahora" with these boxes: the link kept, the password in the
// Credential Manager (an empty box: the one kept), one sync, one message.
void SyncShownAlmanacNow(MainWindowState& state, const SyncDraft& draft);
// "Quitar el enlace": true when the almanac shown was linked and is no longer.
bool UnlinkShownAlmanac(MainWindowState& state);

// After every change of the document (and its opening): a linked almanac
// syncs soon, by itself.
void NoteChangeForSync(MainWindowState& state);

// Tests set how soon after a change the sync starts (normally 2 s), and how
// often it runs while the almanac is shown (normally every 5 minutes).
void SetSyncDelays(UINT afterChangeMs, UINT everyMs);
// Whether a sync is running now.
bool SyncRunning();
