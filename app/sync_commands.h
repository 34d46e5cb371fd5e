// "Compartir" > "Sincronizar...": the almanac shown linked to a CalDAV
// calendar and synced with it.
#pragma once
#include <string>

#include "../data/file_io.h"
#include "../dialogs/sync_dialog.h"

// The dialog for the almanac shown, filled with its link.
void SyncCommand();

// "Sincronizar ahora" with these boxes: the link kept, the password in the
// Credential Manager (an empty box: the one kept), one sync, one message.
void SyncShownAlmanacNow(const SyncDraft& draft);
// "Quitar el enlace": true when the almanac shown was linked and is no longer.
bool UnlinkShownAlmanac();
