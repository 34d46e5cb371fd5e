// Entry of the Windows tests: common controls, label files and their copies
// in temporary folders instead of the test program's own and the user's,
// and today fixed far from every test almanac (a test that needs today
// inside one sets it).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/today.h"
#include "data/program_folder.h"
#include "tests/win/win_test_util.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&icc);
  ::testing::InitGoogleTest(&argc, argv);
  TempFolder folder, copies;
  SetProgramFolder(folder.path());
  SetBackupFolder(copies.path());
  const CivilDate farFromEveryAlmanac{2000, 1, 1, 0};
  SetTodayForTests(&farFromEveryAlmanac);
  int result = RUN_ALL_TESTS();
  return result;
}
