// "Serie" and "Traer etiquetas" driven in-process: what each hands back.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "dialogs/bring_labels_dialog.h"
#include "dialogs/series_dialog.h"
#include "resource.h"
#include "tests/win/dialog_driver.h"

namespace {

using dialog_driver::Click;
using dialog_driver::PostStep;

std::function<void(HWND)> gDrive;

void Drive(HWND dialog) {
  // Posted: the dialog's loop runs the steps once it is shown.
  PostStep([dialog] { gDrive(dialog); });
}

TEST(SeriesDialog, EachButtonIsItsAnswer) {
  SetSeriesDialogHook(Drive);
  struct Case {
    int id;
    SeriesChoice choice;
  } cases[] = {{IDC_SERIES_THIS, SeriesChoice::ThisOne},
               {IDC_SERIES_FOLLOWING, SeriesChoice::ThisAndFollowing},
               {IDC_SERIES_CANCEL, SeriesChoice::Cancel},
               {IDCANCEL, SeriesChoice::Cancel}};  // Escape
  for (const Case& c : cases) {
    gDrive = [&](HWND dialog) {
      EXPECT_EQ(dialog_driver::WindowText(dialog), "Serie");
      EXPECT_EQ(dialog_driver::WindowText(GetDlgItem(dialog, IDC_SERIES_QUESTION)),
                "¿Solo esta etiqueta, o también las siguientes de la serie?");
      Click(dialog, c.id);
    };
    EXPECT_EQ(SeriesDialog(), c.choice) << c.id;
  }
  SetSeriesDialogHook(nullptr);
}

TEST(BringLabelsDialog, TheCheckedLabelsComeBack) {
  const std::vector<BringItem> items = {{"14/03/2026", "Cumpleaños de Ana", RGB(255, 0, 0)},
                                        {"06/01/2026, cada semana (52)", "Yoga", RGB(0, 0, 255)},
                                        {"29/02/2028", "Luis", RGB(0, 255, 0)}};
  SetBringLabelsDialogHook(Drive);
  struct Case {
    std::function<void(HWND list)> steps;
    int end;
    bool accepted;
    std::vector<bool> checked;
  } cases[] = {
      {[](HWND) {}, IDC_BRING_OK, true, {false, false, false}},
      {[](HWND dialog) { Click(dialog, IDC_BRING_ALL); }, IDC_BRING_OK, true, {true, true, true}},
      {[](HWND dialog) {
         Click(dialog, IDC_BRING_ALL);
         Click(dialog, IDC_BRING_NONE);
         ListView_SetCheckState(GetDlgItem(dialog, IDC_BRING_LIST), 1, TRUE);
       },
       IDC_BRING_OK,
       true,
       {false, true, false}},
      {[](HWND dialog) { Click(dialog, IDC_BRING_ALL); }, IDC_BRING_CANCEL, false, {}},
  };
  for (const Case& c : cases) {
    gDrive = [&](HWND dialog) {
      HWND list = GetDlgItem(dialog, IDC_BRING_LIST);
      EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
      char text[64] = "";
      ListView_GetItemText(list, 1, 1, text, sizeof text);
      EXPECT_STREQ(text, "Yoga");
      c.steps(dialog);
      Click(dialog, c.end);
    };
    std::vector<bool> checked;
    EXPECT_EQ(BringLabelsDialog(items, checked), c.accepted);
    EXPECT_EQ(checked, c.checked);
  }
  SetBringLabelsDialogHook(nullptr);
}

}  // namespace
