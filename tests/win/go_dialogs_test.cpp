// "Ir a la fecha" and "Buscar": what each is given, what it hands back, and
// what it refuses while staying open. Driven in-process through their own
// entry points and loops.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/message_box.h"
#include "dialogs/dialog_kit.h"
#include "dialogs/find_dialog.h"
#include "dialogs/go_to_date_dialog.h"
#include "resource.h"
#include "tests/win/dialog_driver.h"
#include "tests/win/win_test_util.h"

using dialog_driver::Click;
using dialog_driver::PostStep;
using dialog_driver::WindowText;

namespace {

std::function<void(HWND)> gDrive;
void DriveHook(HWND dialog) {
  if (gDrive) gDrive(dialog);
}

class GoDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ObserveMessages();
    SetGoToDateDialogHook(DriveHook);
    SetFindDialogHook(DriveHook);
  }
  void TearDown() override {
    SetGoToDateDialogHook(nullptr);
    SetFindDialogHook(nullptr);
    gDrive = nullptr;
    SetMessageObserver(nullptr);
  }
};

CivilDate PickerOf(HWND dialog) {
  SYSTEMTIME t = {};
  SendDlgItemMessageA(dialog, IDC_GO_DATE, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
  return CivilDate{int16_t(t.wYear), int16_t(t.wMonth), int16_t(t.wDay), 0};
}

void Pick(HWND dialog, int day, int month, int year) {
  SYSTEMTIME t = {};
  t.wDay = WORD(day), t.wMonth = WORD(month), t.wYear = WORD(year);
  SendDlgItemMessageA(dialog, IDC_GO_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                      reinterpret_cast<LPARAM>(&t));
}

TEST_F(GoDialogsTest, GoToDateStartsOnTheDateGivenRefusesDaysOutsideAndHandsBackTheDay) {
  GoToDateRequest request;
  request.first = CivilDate{2023, 12, 28, 0};
  request.last = CivilDate{2024, 2, 6, 0};
  request.shown = CivilDate{2024, 1, 3, 0};
  CivilDate shown, chosen;
  bool stayed = false;
  gDrive = [&](HWND dialog) {
    EXPECT_EQ(WindowText(dialog), "Ir a la fecha");
    shown = PickerOf(dialog);
    PostStep([dialog] {
      Pick(dialog, 7, 2, 2024);  // the day after the last
      Click(dialog, IDC_GO_OK);
    });
    PostStep([dialog, &stayed] {
      stayed = IsDialogRunning(dialog);
      Pick(dialog, 27, 12, 2023);                 // the day before the first
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // Enter
    });
    PostStep([dialog] {
      Pick(dialog, 6, 2, 2024);
      Click(dialog, IDC_GO_OK);
    });
  };
  ASSERT_TRUE(GoToDateDialog(request, chosen));
  EXPECT_EQ(shown.day, 3);
  EXPECT_EQ(shown.month, 1);
  EXPECT_EQ(shown.year, 2024);
  EXPECT_TRUE(stayed);
  const std::string outside =
      " no está en el almanaque, que va del 28/12/2023 al 06/02/2024. "
      "Elija una fecha entre esas dos.";
  EXPECT_EQ(ObservedMessages(), (std::vector<std::string>{"La fecha 07/02/2024" + outside,
                                                          "La fecha 27/12/2023" + outside}));
  EXPECT_EQ(chosen.day, 6);
  EXPECT_EQ(chosen.month, 2);
  EXPECT_EQ(chosen.year, 2024);

  // Cancelar, and Escape, hand back nothing.
  for (int id : {int(IDC_GO_CANCEL), int(IDCANCEL)}) {
    gDrive = [id](HWND dialog) { PostStep([dialog, id] { Click(dialog, id); }); };
    CivilDate untouched{1999, 9, 9, 0};
    EXPECT_FALSE(GoToDateDialog(request, untouched)) << id;
    EXPECT_EQ(untouched.year, 1999);
  }
}

TEST_F(GoDialogsTest, FindOffersTheLastTextRefusesWhatIsNotThereAndHandsBackTheText) {
  static std::vector<std::string> asked;
  asked.clear();
  FindRequest request;
  request.text = "dentista";
  request.occurs = [](const std::string& text) {
    asked.push_back(text);
    return text == "Niño";
  };
  std::string offered, found;
  bool stayed = false;
  gDrive = [&](HWND dialog) {
    EXPECT_EQ(WindowText(dialog), "Buscar");
    offered = WindowText(GetDlgItem(dialog, IDC_FIND_TEXT));
    PostStep([dialog] { Click(dialog, IDC_FIND_OK); });  // the text offered: not there
    PostStep([dialog] {
      SetDlgItemTextA(dialog, IDC_FIND_TEXT, "");
      Click(dialog, IDC_FIND_OK);
    });
    PostStep([dialog, &stayed] {
      stayed = IsDialogRunning(dialog);
      SetDlgItemTextA(dialog, IDC_FIND_TEXT, "Niño");
      SendMessageA(dialog, WM_COMMAND, IDOK, 0);  // Enter
    });
  };
  ASSERT_TRUE(FindDialog(request, found));
  EXPECT_EQ(offered, "dentista");
  EXPECT_TRUE(stayed);
  EXPECT_EQ(ObservedMessages(), (std::vector<std::string>{"No se encontró \"dentista\".",
                                                          "Escriba el texto que desea buscar."}));
  EXPECT_EQ(asked, (std::vector<std::string>{"dentista", "Niño"}));
  EXPECT_EQ(found, "Niño");

  gDrive = [](HWND dialog) { PostStep([dialog] { Click(dialog, IDC_FIND_CANCEL); }); };
  std::string untouched = "antes";
  EXPECT_FALSE(FindDialog(request, untouched));
  EXPECT_EQ(untouched, "antes");
}

}  // namespace
