#include "label_commands.h"

#include <windowsx.h>

#include <algorithm>

#include "../data/program_folder.h"
#include "../dialogs/series_dialog.h"
#include "message_box.h"
#include "resource.h"

namespace {

const char kNotStored[] = "No se pudo guardar la etiqueta. ";
const char kTextKept[] = " El texto sigue en la ventana para volver a intentarlo.";

// Says why a change did not happen: `failed`, the reason, `after`; a copy
// that could not be made says so itself, unless another program holds the
// file, which the change would have met too.
void SayWhyNotChanged(const MainWindowState& state, const DocumentOutcome& outcome,
                      const std::string& failed, const std::string& after) {
  if (outcome.failed == DocumentStep::NotShown) return;
  if (outcome.failed == DocumentStep::Backup && outcome.error != FileError::InUse) {
    ShowMessage("No se pudo hacer la copia de seguridad de \"", state.document.almanac.filePath,
                "\" en %LOCALAPPDATA%\\tarvina\\Copias, y sin ella no se cambia nada.\r\n" +
                    std::string(FileErrorText(outcome.error)));
    return;
  }
  ShowMessage(failed + FileErrorText(outcome.error) + after);
}

// One change of the document by `change`: the commands follow it, the view
// shows it from its first changed row; or it is said why it did not happen.
template <typename Change>
bool RunChange(MainWindowState& state, const std::string& failed, const std::string& after,
               Change change) {
  const ViewBeforeChange before = NoteBeforeChange(state.view, state.document.layout);
  const DocumentOutcome outcome = change(state.document);
  if (!outcome.ok()) {
    SayWhyNotChanged(state, outcome, failed, after);
    return false;
  }
  UpdateCommands(state);
  ShowChange(state.view, state.document, before, outcome.firstChangedRow);
  return true;
}

// One record per line of the draft, as the file keeps them.
std::vector<LabelRecord> RecordsOfDraft(const MainWindowState& state, const LabelDraft& draft) {
  return LabelRecordsOf(draft.lines, int32_t(draft.color), draft.day, draft.month, draft.year,
                        state.document.almanac);
}

// "Aceptar" in "Modificar etiqueta": the label's records give way to the draft's.
bool StoreChange(MainWindowState& state, const LabelPlace& place, const LabelDraft& draft) {
  const std::vector<LabelRecord> lines = RecordsOfDraft(state, draft);
  return RunChange(state, kNotStored, kTextKept, [&](AlmanacDocument& doc) {
    return ChangeLabel(doc, place, lines, BackupNow());
  });
}

// "Aceptar" in "Modificar etiqueta" after "Esta y las siguientes": the
// label at `place` and the later ones of its series take the draft's text
// and colour (and move by as many days as it moved) in one rewrite.
bool StoreSeriesChange(MainWindowState& state, const LabelPlace& place, const LabelDraft& draft) {
  const SeriesPart part = SeriesFromLabel(state.document, place);
  if (part.labels.empty()) return StoreChange(state, place, draft);
  return RunChange(
      state, "No se pudieron guardar las etiquetas. ", kTextKept, [&](AlmanacDocument& doc) {
        return ApplyEdit(doc,
                         ChangeLabelsEdit(doc.records, part.labels, part.repeat, draft.lines,
                                          int32_t(draft.color),
                                          {draft.year, draft.month, draft.day, 0}, doc.almanac),
                         BackupNow());
      });
}

// "Aceptar" in "Entrada de datos": the label, or one on each day of its repeat.
bool StoreNew(MainWindowState& state, const LabelDraft& draft) {
  std::vector<LabelRecord> lines = RecordsOfDraft(state, draft);
  if (draft.repeat == Repeat::None) return AppendAsOneChange(state, lines, kNotStored, kTextKept);
  lines = RepeatedRecords(lines, draft.repeat, draft.until, state.document.almanac);
  return AppendAsOneChange(state, lines, "No se pudieron guardar las etiquetas. ", kTextKept);
}

// What the label dialog needs of the almanac shown; `store` keeps a draft.
LabelEntryRequest LabelRequest(const MainWindowState& state, const char* title,
                               std::function<bool(const LabelDraft&)> store) {
  LabelEntryRequest request;
  request.title = title;
  request.first = FirstDay(state.document);
  request.last = LastDay(state.document);
  request.store = std::move(store);
  return request;
}

void OnNewLabel(MainWindowState& state) {
  if (!IsAvailable(Command::NewLabel, state.document, state.busy) || !AlmanacShown(state)) return;
  // An empty label in white, on the day of the label chosen with the
  // keyboard, or else on the date chosen last.
  CivilDate offered = state.document.nextLabel;
  if (const LabelPlace* selected = SelectedLabel(state.view)) {
    const DayBand& day = state.document.layout.days[selected->day];
    offered = CivilDate{day.year, day.month, day.day, 0};
  }
  LabelDraft draft;
  draft.day = offered.day;
  draft.month = offered.month;
  draft.year = offered.year;
  {
    DialogOpen open(state.busy.dialog);
    LabelEntryRequest request =
        LabelRequest(state, "Entrada de datos",
                     [&state](const LabelDraft& entry) { return StoreNew(state, entry); });
    request.offersRepeat = true;
    ShowLabelEntryDialog(request, draft);
  }
  state.document.nextLabel = CivilDate{draft.year, draft.month, draft.day, 0};
  if (AlmanacShown(state)) FocusAlmanac(state);
}

void OnChangeLabel(MainWindowState& state) {
  if (!IsAvailable(Command::ChangeLabel, state.document, state.busy) || !AlmanacShown(state))
    return;
  const std::vector<LabelRecord> records = LabelAt(state.document, state.labelAt);
  if (records.empty()) return;
  LabelDraft draft;
  for (const LabelRecord& record : records) draft.lines.push_back(record.text);
  const LabelRecord& first = records.front();
  draft.color = COLORREF(first.color);
  draft.day = first.day;
  draft.month = first.month;
  draft.year = first.year;
  const LabelPlace place = state.labelAt;
  const LabelPlace* selected = SelectedLabel(state.view);
  const bool wasSelected = selected && selected->day == place.day && selected->block == place.block;
  bool stored = false, following = false;
  {
    DialogOpen open(state.busy.dialog);
    // A label of a series: for it alone, or for the later ones too?
    const SeriesChoice choice = SeriesFromLabel(state.document, place).labels.empty()
                                    ? SeriesChoice::ThisOne
                                    : SeriesDialog();
    following = choice == SeriesChoice::ThisAndFollowing;
    if (choice != SeriesChoice::Cancel && AlmanacShown(state))
      stored = ShowLabelEntryDialog(
          LabelRequest(state, "Modificar etiqueta",
                       [&state, place, following](const LabelDraft& entry) {
                         return following ? StoreSeriesChange(state, place, entry)
                                          : StoreChange(state, place, entry);
                       }),
          draft);
  }
  if (!AlmanacShown(state)) return;
  // Corrected alone on its day, it keeps its place, and the keyboard stays on it.
  if (wasSelected && stored && !following && draft.day == first.day && draft.month == first.month &&
      draft.year == first.year)
    SelectLabel(state.view, state.document, place);
  FocusAlmanac(state);
}

void OnRemoveLabel(MainWindowState& state) {
  if (!IsAvailable(Command::RemoveLabel, state.document, state.busy) || !AlmanacShown(state) ||
      LabelAt(state.document, state.labelAt).empty())
    return;
  const LabelPlace place = state.labelAt;
  // A label of a series asks whether the later ones go too.
  const bool inSeries = !SeriesFromLabel(state.document, place).labels.empty();
  SeriesChoice choice;
  {
    DialogOpen open(
        state.busy.dialog);  // the question leaves the window usable: nothing else meanwhile
    if (inSeries)
      choice = SeriesDialog();
    else
      choice = AskYesNo("¿Borrar esta etiqueta?") ? SeriesChoice::ThisOne : SeriesChoice::Cancel;
  }
  if (choice == SeriesChoice::Cancel || !AlmanacShown(state)) return;
  if (choice == SeriesChoice::ThisOne) {
    RunChange(state, "No se pudo borrar la etiqueta. ", "",
              [&](AlmanacDocument& doc) { return RemoveLabel(doc, place, BackupNow()); });
    return;
  }
  RunChange(state, "No se pudieron borrar las etiquetas. ", "", [&](AlmanacDocument& doc) {
    const SeriesPart part = SeriesFromLabel(doc, place);
    return ApplyEdit(doc, RemoveLabelsEdit(doc.records, part.labels), BackupNow());
  });
}

void OnUndo(MainWindowState& state) {
  if (!IsAvailable(Command::Undo, state.document, state.busy) || !AlmanacShown(state)) return;
  RunChange(state, "No se pudo deshacer el último cambio. ", "",
            [](AlmanacDocument& doc) { return UndoLastChange(doc); });
}

}  // namespace

bool RunLabelCommand(MainWindowState& state, WORD id) {
  switch (id) {
    case IDM_LABEL_NEW:
      OnNewLabel(state);
      return true;
    case IDM_LABEL_UNDO:
      OnUndo(state);
      return true;
    case IDM_LABEL_CHANGE:
      OnChangeLabel(state);
      return true;
    case IDM_LABEL_REMOVE:
      OnRemoveLabel(state);
      return true;
    default:
      return false;
  }
}

void OnLabelDoubleClick(MainWindowState& state, int x, int y) {
  if (!BlockAtPoint(state.document.layout, x, y, state.view.offset, state.labelAt)) return;
  OnChangeLabel(state);
}

void OnLabelMenu(MainWindowState& state, HWND control, LPARAM screen) {
  POINT at = {GET_X_LPARAM(screen), GET_Y_LPARAM(screen)};
  if (state.busy.dialog) return;
  if (screen == -1) {
    // From the keyboard (the context-menu key, Shift+F10): the chosen
    // label's menu, at its block's top left corner where it is in view.
    const LabelPlace* selected = SelectedLabel(state.view);
    if (!selected) return;
    state.labelAt = *selected;
    const LabelBlock& block = state.document.layout.days[selected->day].blocks[selected->block];
    RECT face;
    GetClientRect(control, &face);
    at.x = Scaled(kBlockLeft, state.document.layout.dpi) + 1;
    at.y = LONG(std::clamp<int64_t>(block.top + state.view.offset + 1, 0, face.bottom - 1));
    ClientToScreen(control, &at);
  } else {
    POINT inside = at;
    ScreenToClient(control, &inside);
    if (!BlockAtPoint(state.document.layout, inside.x, inside.y, state.view.offset, state.labelAt))
      return;
  }
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, IDM_LABEL_CHANGE, "Modificar...");
  AppendMenuA(menu, MF_STRING, IDM_LABEL_REMOVE, "Borrar");
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, state.window, nullptr);
  DestroyMenu(menu);
}

BackupPlace BackupNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  BackupPlace place;
  place.folder = BackupFolder();
  place.when = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  return place;
}

bool AppendAsOneChange(MainWindowState& state, const std::vector<LabelRecord>& lines,
                       const std::string& failed, const std::string& after) {
  return RunChange(state, failed, after,
                   [&](AlmanacDocument& doc) { return AppendLabels(doc, lines, BackupNow()); });
}

bool ChangeShownLabel(MainWindowState& state, const LabelPlace& place, const LabelDraft& draft) {
  if (state.busy.dialog || !AlmanacShown(state) || LabelAt(state.document, place).empty())
    return false;
  return StoreChange(state, place, draft);
}
