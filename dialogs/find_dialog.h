// "Buscar": the text to look for in the labels.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

struct FindRequest {
  std::string text;  // offered in the box, chosen: the text searched last
  // Whether the almanac has a label line with the text (a search must not
  // move anything: the dialog only asks).
  std::function<bool(const std::string& text)> occurs;
};

// Shows the dialog (no owner) and returns when it has closed: true with
// `text` set after "Buscar" (or Enter) on a text the almanac holds, false
// after "Cancelar" (or Escape). An empty text, or one no line holds, is
// answered with a message ("No se encontró ...") and the dialog stays, so
// another can be tried.
bool FindDialog(const FindRequest& request, std::string& text);

// Tests drive the dialog from here: called once its controls are filled,
// before it is shown. nullptr removes the hook.
void SetFindDialogHook(void (*hook)(HWND dialog));
