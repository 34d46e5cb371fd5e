#include "go_commands.h"

#include <string>

#include "../dialogs/find_dialog.h"
#include "../dialogs/go_to_date_dialog.h"
#include "../render/scrolling.h"
#include "message_box.h"
#include "resource.h"
#include "today.h"

namespace {

void OnGoToday(MainWindowState& state) {
  const AlmanacDocument& doc = state.document;
  if (!IsAvailable(Command::GoToday, doc, state.busy)) return;
  const CivilDate today = Today();
  const int64_t day = DayOfDate(doc.layout, today);
  if (day < 0) {
    ShowMessage("Hoy, " + ShortDateText(today) + ", no está en el almanaque, que va del " +
                ShortDateText(FirstDay(doc)) + " al " + ShortDateText(LastDay(doc)) + ".");
    return;
  }
  MoveView(state.view, doc, DayOffset(doc.layout, size_t(day)));
}

void OnGoToDate(MainWindowState& state) {
  if (!IsAvailable(Command::GoToDate, state.document, state.busy)) return;
  GoToDateRequest request;
  request.first = FirstDay(state.document);
  request.last = LastDay(state.document);
  const CivilDate today = Today();
  request.shown = DayOfDate(state.document.layout, today) >= 0 ? today : request.first;
  CivilDate chosen;
  bool accepted;
  {
    DialogOpen open(state.busy.dialog);
    accepted = GoToDateDialog(request, chosen);
  }
  // The window may have ended while the dialog was open.
  if (!accepted || !AlmanacShown(state)) return;
  const int64_t day = DayOfDate(state.document.layout, chosen);
  if (day < 0) return;
  MoveView(state.view, state.document, DayOffset(state.document.layout, size_t(day)));
  FocusAlmanac(state);
}

// The line `found`: its block at the top of the view (or, in a block
// taller than the view, the line itself) and the line outlined; or, when
// nothing was found, a message that there is none.
void ShowFound(MainWindowState& state, bool wasFound, const LabelPlace& found) {
  const AlmanacDocument& doc = state.document;
  if (!wasFound) {
    ShowMessage("No se encontró \"" + doc.searchText + "\".");
    return;
  }
  state.view.offset = FoundOffset(doc.layout, found, ViewHeight(state.view));
  SetFoundMark(state.view, doc.layout, found);
  RefreshView(state.view, doc);
}

// The day at the top of the view: a search goes on from the day after it.
size_t TopDay(const MainWindowState& state) {
  return DayAtViewTop(state.document.layout, state.view.offset);
}

void OnFind(MainWindowState& state) {
  if (!IsAvailable(Command::Find, state.document, state.busy)) return;
  FindRequest request;
  request.text = state.document.searchText;
  const AlmanacDocument& doc = state.document;
  request.occurs = [&doc](const std::string& text) { return HoldsText(doc, text); };
  std::string text;
  bool accepted;
  {
    DialogOpen open(state.busy.dialog);
    accepted = FindDialog(request, text);
  }
  if (!accepted || !AlmanacShown(state)) return;
  LabelPlace found;
  const bool wasFound = SearchFor(state.document, text, TopDay(state), found);
  ShowFound(state, wasFound, found);
  FocusAlmanac(state);
}

void OnFindNext(MainWindowState& state) {
  if (!IsAvailable(Command::FindNext, state.document, state.busy)) return;
  if (state.document.searchText.empty()) {
    OnFind(state);
    return;
  }
  LabelPlace found;
  const bool wasFound = SearchNext(state.document, TopDay(state), found);
  ShowFound(state, wasFound, found);
}

}  // namespace

bool RunGoCommand(MainWindowState& state, WORD id) {
  switch (id) {
    case IDM_GO_TODAY:
      OnGoToday(state);
      break;
    case IDM_GO_DATE:
      OnGoToDate(state);
      break;
    case IDM_FIND:
      OnFind(state);
      break;
    case IDM_FIND_NEXT:
      OnFindNext(state);
      break;
    default:
      return false;
  }
  return true;
}
