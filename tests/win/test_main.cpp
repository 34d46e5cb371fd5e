// Entry of the Windows tests: common controls, and label files in a
// temporary folder instead of the test program's own.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "data/program_folder.h"
#include "tests/win/win_test_util.h"

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&icc);
  ::testing::InitGoogleTest(&argc, argv);
  TempFolder folder;
  SetProgramFolder(folder.path());
  int result = RUN_ALL_TESTS();
  return result;
}
