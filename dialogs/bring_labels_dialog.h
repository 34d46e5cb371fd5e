// "Traer etiquetas": the labels of another almanac, each with a check box,
// to choose the ones a new almanac brings along.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct BringItem {
  std::string date;  // its day; for a series, its first day and its rule
  std::string text;  // its first line
  COLORREF color = RGB(255, 255, 255);
};

// Shows the dialog (no owner), none checked at first, and returns when it
// has closed: true after "Aceptar" with `checked` holding one flag per
// item, false after "Cancelar" (or Escape).
bool BringLabelsDialog(const std::vector<BringItem>& items, std::vector<bool>& checked);

// Tests drive the dialog from here: called once the list is filled, before
// the dialog is shown. nullptr removes the hook.
void SetBringLabelsDialogHook(void (*hook)(HWND dialog));
