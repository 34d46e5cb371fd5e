#include "share_commands.h"

#include <new>

#include "../data/almanac_state.h"
#include "../dialogs/progress_dialog.h"
#include "../share/ics_export.h"
#include "../share/ics_import.h"
#include "almanac_picture.h"
#include "file_choose.h"
#include "local_time.h"
#include "main_window.h"
#include "message_box.h"
#include "path_util.h"
#include "resource.h"
#include "sync_commands.h"
#include "version.h"

const UINT kShareCommands[4] = {IDM_SHARE_EXPORT_ICS, IDM_SHARE_IMPORT_ICS, IDM_SHARE_PICTURE,
                                IDM_SHARE_SYNC};

namespace {

const FileType kCalendarType = {L"iCalendar", L"*.ics", L"ics"};
const FileType kPictureType = {L"Imagen PNG", L"*.png", L"png"};

// How long a picture is made under the hourglass alone before its progress
// window shows.
DWORD gPictureProgressDelayMs = 500;

// The folder of the last file these dialogs chose; the almanac's own at first.
std::string gFolder;

std::string StartFolder() { return gFolder.empty() ? FolderPart(gAlmanac.filePath) : gFolder; }

void Remember(const std::string& path) {
  if (!path.empty()) gFolder = FolderPart(path);
}

bool AlmanacShown() { return MainWindow && IsWindow(MainWindow) && !ShownLayout().days.empty(); }

// The hourglass while the program works without taking messages.
class WaitCursor {
 public:
  WaitCursor() : old_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(old_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

std::string Reason(FileError error) { return std::string("\".\r\n") + FileErrorText(error); }

void OnExport() {
  const std::string path =
      ChooseFileToSave(MainWindow, kCalendarType, StartFolder(), gAlmanac.name + ".ics");
  Remember(path);
  if (!path.empty() && AlmanacShown()) ExportIcsTo(path);
}

void OnImport() {
  const std::string path = ChooseFileToOpen(MainWindow, kCalendarType, StartFolder());
  Remember(path);
  if (!path.empty() && AlmanacShown()) ImportIcsFrom(path);
}

void OnPicture() {
  const std::string path =
      ChooseFileToSave(MainWindow, kPictureType, StartFolder(), gAlmanac.name + ".png");
  Remember(path);
  if (!path.empty() && AlmanacShown()) SavePictureTo(path);
}

}  // namespace

void AppendShareMenu(HMENU bar) {
  HMENU share = CreatePopupMenu();
  AppendMenuA(share, MF_STRING, IDM_SHARE_EXPORT_ICS, "Exportar a iCalendar (.ics)...");
  AppendMenuA(share, MF_STRING, IDM_SHARE_IMPORT_ICS, "Importar de iCalendar (.ics)...");
  AppendMenuA(share, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(share, MF_STRING, IDM_SHARE_PICTURE, "Guardar imagen (.png)...");
  AppendMenuA(share, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(share, MF_STRING, IDM_SHARE_SYNC, "Sincronizar...");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(share), "Compartir");
}

bool OnShareCommand(WORD id) {
  if (id != IDM_SHARE_EXPORT_ICS && id != IDM_SHARE_IMPORT_ICS && id != IDM_SHARE_PICTURE &&
      id != IDM_SHARE_SYNC)
    return false;
  // Refused without an almanac, also when the command comes as a message,
  // and while a dialog of the main window is open.
  if (!AlmanacShown() || dialogOpen) return true;
  if (id == IDM_SHARE_EXPORT_ICS) OnExport();
  if (id == IDM_SHARE_IMPORT_ICS) OnImport();
  if (id == IDM_SHARE_PICTURE) OnPicture();
  if (id == IDM_SHARE_SYNC) {
    // Nothing else starts while it is open: the sync works on the almanac shown.
    dialogOpen = 1;
    SyncCommand();
    dialogOpen = 0;
  }
  return true;
}

void ExportIcsTo(const std::string& path) {
  FileError error = FileError::None;
  IcsExport exported;
  // Called from message handlers: nothing may be thrown out of them.
  try {
    exported = ExportIcs(gLabelTable.records, {gAlmanac.name, TARVINA_VERSION, UtcNow()});
    error = WriteIcsFile(path, exported.text);
  } catch (const std::bad_alloc&) {
    error = FileError::NoMemory;
  }
  if (error != FileError::None) {
    ShowMessage("No se pudo exportar el almanaque a \"", path, Reason(error));
    return;
  }
  std::string after = "\".";
  if (exported.skipped > 0)
    after += "\r\n" + std::to_string(exported.skipped) +
             " etiquetas tienen una fecha que iCalendar no admite y no se exportaron.";
  ShowMessage("Se exportaron " + std::to_string(exported.labels) + " etiquetas a \"", path, after);
}

void ImportIcsFrom(const std::string& path) {
  std::string text;
  IcsImport result;
  FileError error = FileError::None;
  try {
    WaitCursor wait;
    error = ReadIcsFile(path, text);
    if (error == FileError::None) result = ImportIcs(text, gAlmanac, LocalFromUtc);
  } catch (const std::bad_alloc&) {
    error = FileError::NoMemory;
  }
  if (error != FileError::None) {
    ShowMessage("No se puede leer el calendario \"", path, Reason(error));
    return;
  }
  if (!result.ok) {
    ShowMessage(ImportReport(result));
    return;
  }
  // One change of the run: all labels or none, and one "Deshacer" takes
  // them back. A failure has been told.
  if (!result.records.empty() &&
      !AppendAsOneChange(result.records,
                         "No se importó nada: las etiquetas no se pudieron guardar. ", ""))
    return;
  ShowMessage(ImportReport(result));
}

void SavePictureTo(const std::string& path) {
  const AlmanacLayout& layout = ShownLayout();
  PictureResult result;
  {
    // Nothing else may start while the picture is drawn from the almanac
    // shown; the progress window keeps the windows painted meanwhile.
    dialogOpen = 1;
    WaitCursor wait;
    ProgressWindow progress(MainWindow, "Guardar imagen",
                            "Guardando la imagen de \"" + gAlmanac.name + "\"...",
                            gPictureProgressDelayMs);
    result = WriteAlmanacPicture(
        path, layout, gLabelTable.records,
        [&progress](int64_t done, int64_t rows) { return progress.Step(done, rows); });
  }
  dialogOpen = 0;
  const std::string size =
      std::to_string(kStripWidth) + " x " + std::to_string(layout.height) + " píxeles";
  switch (result.error) {
    case PictureError::None:
      ShowMessage("Se guardó la imagen del almanaque, de " + size + ", en \"", path, "\".");
      break;
    case PictureError::NoMemory:
      ShowMessage(std::string("No se pudo guardar la imagen.\r\n") +
                  FileErrorText(FileError::NoMemory));
      break;
    case PictureError::Encoder:
      ShowMessage("No se pudo guardar la imagen en \"", path,
                  "\": el codificador PNG del sistema no pudo hacer una imagen de " + size +
                      ". No se guardó nada.");
      break;
    case PictureError::File:
      ShowMessage("No se pudo guardar la imagen en \"", path, Reason(result.file));
      break;
    case PictureError::Stopped:
      break;  // "Cancelar", or the program ending: the window going says enough
  }
}

void SetPictureProgressDelay(DWORD ms) { gPictureProgressDelayMs = ms; }
