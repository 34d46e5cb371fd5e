#include "file_commands.h"

#include <cstring>

#include "../data/label_file.h"
#include "../data/label_series.h"
#include "../data/program_folder.h"
#include "../dialogs/about_dialog.h"
#include "../dialogs/bring_labels_dialog.h"
#include "../dialogs/dialog_kit.h"
#include "../dialogs/label_entry_dialog.h"
#include "../dialogs/new_almanac_dialog.h"
#include "../render/scrolling.h"
#include "almanac_folder.h"
#include "command_line.h"
#include "file_choose.h"
#include "label_commands.h"
#include "message_box.h"
#include "path_util.h"
#include "resource.h"
#include "today.h"

namespace {

// Why the almanac at `path` cannot be shown.
void SayWhyNotShown(const std::string& path, const DocumentOutcome& outcome) {
  switch (outcome.failed) {
    case DocumentStep::Read:
      ShowMessage("No se puede leer el almanaque \"", path,
                  std::string("\".\r\n") + FileErrorText(outcome.error));
      break;
    case DocumentStep::Settings:
      ShowMessage("No se puede mostrar el almanaque \"", path,
                  "\".\r\nEl archivo no tiene ninguna etiqueta que diga qué días abarca.");
      break;
    case DocumentStep::Memory:
      ShowMessage("No se puede mostrar el almanaque \"", path,
                  std::string("\".\r\n") + FileErrorText(FileError::NoMemory));
      break;
    default:
      break;
  }
}

// The almanac laid out anew: every tile is drawn again, from its start
// (today's band or its first day) when `atStart`, else where the view is.
void ShowWholeAlmanac(MainWindowState& state, bool atStart) {
  state.view.marks.hasFound = false;
  DropTilesFrom(state.view.strip, 0);
  if (atStart) state.view.offset = StartOffset(state.document.layout, Today());
}

// A new almanac's labels go to the almanac folder: when they cannot, say so
// now rather than at its first label.
bool AlmanacFolderUsable() {
  FileError error = PrepareAlmanacFolder(AlmanacFolder());
  if (error == FileError::None) return true;
  std::string folder = AlmanacFolder();
  if (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  ShowMessage("No se pueden crear almanaques en la carpeta \"" + folder + "\".\r\n" +
              FileErrorText(error));
  return false;
}

const FileType kAlmanacType = {L"Almanaque", L"*.zanual", L"zanual"};

// "Traer etiquetas": the labels of another almanac's file that the person
// checks, as the new almanac's records (none when nothing is to be brought,
// having said why where it was not the person's choice). That file is only
// read.
BroughtLabels ChooseLabelsToBring(MainWindowState& state) {
  const std::string path =
      ChooseFileToOpen(state.window, kAlmanacType, FolderPart(state.document.almanac.filePath));
  if (path.empty() || !AlmanacShown(state)) return {};
  AlmanacState other;
  std::vector<LabelRecord> records;
  const FileError error = ReadLabelRecords(path, records, other);
  if (error != FileError::None) {
    ShowMessage("No se puede leer el almanaque \"", path,
                std::string("\".\r\n") + FileErrorText(error));
    return {};
  }
  const std::vector<OfferedLabel> offered = OfferedLabels(records);
  if (offered.empty()) {
    ShowMessage("El almanaque \"", path, "\" no tiene etiquetas.");
    return {};
  }
  std::vector<BringItem> items;
  for (const OfferedLabel& offer : offered) {
    const LabelRecord& first = records[offer.label.first];
    items.push_back({OfferedDayText(records, offer),
                     std::string(first.text, strnlen(first.text, kTextBytes)),
                     COLORREF(first.color)});
  }
  std::vector<bool> checked;
  if (!BringLabelsDialog(items, checked) || !AlmanacShown(state)) return {};
  std::vector<OfferedLabel> chosen;
  for (size_t i = 0; i < offered.size() && i < checked.size(); ++i)
    if (checked[i]) chosen.push_back(offered[i]);
  if (chosen.empty()) return {};
  BroughtLabels brought = BringLabels(records, chosen, state.document.almanac);
  if (brought.records.empty())
    ShowMessage("Ninguna de las etiquetas elegidas tiene su día en este almanaque.");
  return brought;
}

// Checked in "Elige tiempo": labels of another almanac brought into the
// new one in one write, which one "Deshacer" takes back.
void BringLabelsFromAnother(MainWindowState& state) {
  BroughtLabels brought;
  {
    DialogOpen open(state.busy.dialog);
    brought = ChooseLabelsToBring(state);
  }
  if (brought.records.empty() || !AlmanacShown(state)) return;
  if (!AppendAsOneChange(state, brought.records, "No se pudieron traer las etiquetas. ", ""))
    return;
  if (brought.left > 0)
    ShowMessage("Se trajeron " + std::to_string(brought.labels) + " etiquetas; " +
                std::to_string(brought.left) + " quedan fuera del almanaque, que no tiene su día.");
}

void OnNew(MainWindowState& state) {
  if (!IsAvailable(Command::New, state.document, state.busy)) return;
  bool usable;
  {
    DialogOpen open(state.busy.newAlmanac);  // also while the message is shown
    usable = AlmanacFolderUsable();
  }
  if (usable) NewAlmanacCommand(state);
}

void OnOpen(MainWindowState& state) {
  if (!IsAvailable(Command::Open, state.document, state.busy)) return;
  ChooseAlmanacFile(state.window, state.chosenFile);
  if (!state.chosenFile.empty() && LabelFileExists(state.chosenFile))
    OpenAlmanacCommand(state, state.chosenFile);
}

void OnAbout(MainWindowState& state) {
  if (!IsAvailable(Command::About, state.document, state.busy)) return;
  DialogOpen open(state.busy.dialog);
  AboutDialog(nullptr);
}

}  // namespace

bool RunFileCommand(MainWindowState& state, WORD id) {
  switch (id) {
    case IDM_NEW:
      OnNew(state);
      return true;
    case IDM_OPEN:
      OnOpen(state);
      return true;
    case IDM_ABOUT:
      OnAbout(state);
      return true;
    case IDM_EXIT:
      if (state.window && MayEndWithLabelEntry()) EndDialogWindow(state.window, 0);
      return true;
    default:
      return false;
  }
}

void OpenCommandLineFile(MainWindowState& state) {
  if (state.commandLine.empty()) return;
  state.chosenFile = WithoutQuotes(state.commandLine);
  if (LabelFileExists(state.chosenFile)) OpenAlmanacCommand(state, state.chosenFile);
}

void NewAlmanacCommand(MainWindowState& state) {
  NewAlmanac chosen;
  bool accepted;
  {
    DialogOpen open(state.busy.newAlmanac);
    accepted = NewAlmanacDialog(chosen);
  }
  // The window may have ended while the dialog was open; a cancel changes nothing.
  if (!state.window || !IsWindow(state.window) || !accepted) return;
  AlmanacState almanac;
  almanac.name = chosen.name;
  almanac.filePath = LabelFilePath(chosen.name);
  almanac.startDay = chosen.startDay;
  almanac.startMonth = chosen.startMonth;
  almanac.startYear = chosen.startYear;
  almanac.dayCount = chosen.dayCount;
  if (!StartNewAlmanac(state.document, almanac).ok()) {
    ShowMessage(FileErrorText(FileError::NoMemory));
    return;
  }
  SetAlmanacTitle(state.window, chosen.name);
  ShowWholeAlmanac(state, true);
  ShowMessage("Almanaque Creado ...");
  RefreshView(state.view, state.document);
  UpdateCommands(state);
  if (chosen.bringLabels) BringLabelsFromAnother(state);
}

void OpenAlmanacCommand(MainWindowState& state, const std::string& path) {
  if (!state.window || !IsWindow(state.window)) return;
  FocusAlmanac(state);
  const DocumentOutcome outcome =
      OpenAlmanacFile(state.document, path, StripExtension(FileNameOfPath(path)));
  if (!outcome.ok()) {
    // Nothing new is shown: as before, so another file can be chosen.
    SayWhyNotShown(path, outcome);
    return;
  }
  ShowWholeAlmanac(state, true);
  RefreshView(state.view, state.document);
  SetAlmanacTitle(state.window, state.document.almanac.name);
  UpdateCommands(state);
}

void ReadShownFileAgain(MainWindowState& state) {
  // A dialog's closing refresh may come after the window has ended.
  if (!AlmanacShown(state)) return;
  FocusAlmanac(state);
  const DocumentOutcome outcome = ReadAgain(state.document);
  if (!outcome.ok()) {
    SayWhyNotShown(state.document.almanac.filePath, outcome);
    return;
  }
  ShowWholeAlmanac(state, false);
  RefreshView(state.view, state.document);
}
