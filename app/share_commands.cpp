#include "share_commands.h"

#include <atomic>
#include <new>
#include <system_error>
#include <thread>

#include "../dialogs/progress_dialog.h"
#include "../share/ics_export.h"
#include "../share/ics_import.h"
#include "almanac_picture.h"
#include "file_choose.h"
#include "label_commands.h"
#include "local_time.h"
#include "message_box.h"
#include "path_util.h"
#include "resource.h"
#include "sync_commands.h"
#include "version.h"

namespace {

const FileType kCalendarType = {L"iCalendar", L"*.ics", L"ics"};
const FileType kPictureType = {L"Imagen PNG", L"*.png", L"png"};

// How long a picture is made, or a calendar read, under the hourglass alone
// before its progress window shows.
DWORD gPictureProgressDelayMs = 500;
DWORD gImportProgressDelayMs = 500;

// The folder of the last file these dialogs chose; the almanac's own at first.
std::string StartFolder(const MainWindowState& state) {
  return state.shareFolder.empty() ? FolderPart(state.document.almanac.filePath)
                                   : state.shareFolder;
}

void Remember(MainWindowState& state, const std::string& path) {
  if (!path.empty()) state.shareFolder = FolderPart(path);
}

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

void OnExport(MainWindowState& state) {
  const std::string path = ChooseFileToSave(state.window, kCalendarType, StartFolder(state),
                                            state.document.almanac.name + ".ics");
  Remember(state, path);
  if (!path.empty() && AlmanacShown(state)) ExportIcsTo(state, path);
}

void OnImport(MainWindowState& state) {
  const std::string path = ChooseFileToOpen(state.window, kCalendarType, StartFolder(state));
  Remember(state, path);
  if (!path.empty() && AlmanacShown(state)) ImportIcsFrom(state, path);
}

void OnPicture(MainWindowState& state) {
  const std::string path = ChooseFileToSave(state.window, kPictureType, StartFolder(state),
                                            state.document.almanac.name + ".png");
  Remember(state, path);
  if (!path.empty() && AlmanacShown(state)) SavePictureTo(state, path);
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

bool OnShareCommand(MainWindowState& state, WORD id) {
  if (id != IDM_SHARE_EXPORT_ICS && id != IDM_SHARE_IMPORT_ICS && id != IDM_SHARE_PICTURE &&
      id != IDM_SHARE_SYNC)
    return false;
  // Refused without an almanac, also when the command comes as a message,
  // and while a dialog of the main window is open.
  if (!AlmanacShown(state) || state.busy.dialog) return true;
  if (id == IDM_SHARE_EXPORT_ICS) OnExport(state);
  if (id == IDM_SHARE_IMPORT_ICS) OnImport(state);
  if (id == IDM_SHARE_PICTURE) OnPicture(state);
  if (id == IDM_SHARE_SYNC) SyncCommand(state);
  return true;
}

void ExportIcsTo(MainWindowState& state, const std::string& path) {
  FileError error = FileError::None;
  IcsExport exported;
  // Called from message handlers: nothing may be thrown out of them.
  try {
    exported =
        ExportIcs(state.document.records, {state.document.almanac.name, TARVINA_VERSION, UtcNow()});
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

// A calendar read into labels on a worker thread, while this one keeps the
// windows painted and, once it takes more than half a second, shows its
// progress with "Cancelar". libical is used by one such thread at a time
// and by no other. The file write and the almanac shown stay on this thread.
struct ImportWork {
  std::string text;
  AlmanacState almanac;
  IcsImport result;
  bool noMemory = false;
  std::atomic<int64_t> done{0}, total{1};
  std::atomic<bool> stop{false}, finished{false};

  void Run() {
    try {
      result = ImportIcs(text, almanac, LocalFromUtc, [this](int64_t d, int64_t t) {
        done = d;
        total = t;
        return !stop;
      });
    } catch (const std::bad_alloc&) {
      noMemory = true;
    }
    finished = true;
  }
};

// False when there was no memory for it.
bool ReadCalendar(MainWindowState& state, const std::string& path, ImportWork& work) {
  std::thread worker;
  try {
    worker = std::thread([&work] { work.Run(); });
  } catch (const std::system_error&) {
    work.Run();  // no thread to be had: the import runs here, under the hourglass
  }
  if (worker.joinable()) {
    // Nothing else may start meanwhile; the progress window keeps the
    // windows painted.
    DialogOpen open(state.busy.dialog);
    {
      ProgressWindow progress(state.window, "Importar de iCalendar",
                              "Importando \"" + FileNameOfPath(path) + "\"...",
                              gImportProgressDelayMs);
      while (!work.finished) {
        if (!progress.Step(work.done, work.total)) work.stop = true;
        Sleep(10);
      }
    }
    worker.join();
  }
  return !work.noMemory;
}

void ImportIcsFrom(MainWindowState& state, const std::string& path) {
  ImportWork work;
  FileError error = FileError::None;
  try {
    WaitCursor wait;
    error = ReadIcsFile(path, work.text);
    work.almanac = state.document.almanac;
    if (error == FileError::None && !ReadCalendar(state, path, work)) error = FileError::NoMemory;
  } catch (const std::bad_alloc&) {
    error = FileError::NoMemory;
  }
  // "Cancelar", or the program ending: nothing is added, and the window
  // going says enough.
  if (work.result.stopped || !AlmanacShown(state)) return;
  if (error != FileError::None) {
    ShowMessage("No se puede leer el calendario \"", path, Reason(error));
    return;
  }
  const IcsImport& result = work.result;
  if (!result.ok) {
    ShowMessage(ImportReport(result));
    return;
  }
  // One change of the run: all labels or none, and one "Deshacer" takes
  // them back. A failure has been told.
  if (!result.records.empty() &&
      !AppendAsOneChange(state, result.records,
                         "No se importó nada: las etiquetas no se pudieron guardar. ", ""))
    return;
  ShowMessage(ImportReport(result));
}

void SavePictureTo(MainWindowState& state, const std::string& path) {
  // The file is the almanac at 96 DPI, whatever the screen it is made on.
  const AlmanacDocument& doc = state.document;
  AlmanacLayout atBase;
  if (doc.layout.dpi != kBaseDpi) atBase = LayOutAlmanac(doc.almanac, doc.records, kBaseDpi);
  const AlmanacLayout& layout = doc.layout.dpi == kBaseDpi ? doc.layout : atBase;
  PictureResult result;
  {
    // Nothing else may start while the picture is drawn from the almanac
    // shown; the progress window keeps the windows painted meanwhile.
    DialogOpen open(state.busy.dialog);
    WaitCursor wait;
    ProgressWindow progress(state.window, "Guardar imagen",
                            "Guardando la imagen de \"" + state.document.almanac.name + "\"...",
                            gPictureProgressDelayMs);
    result = WriteAlmanacPicture(
        path, layout, state.document.records,
        [&progress](int64_t done, int64_t rows) { return progress.Step(done, rows); });
  }
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

void SetImportProgressDelay(DWORD ms) { gImportProgressDelayMs = ms; }
