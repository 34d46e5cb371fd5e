// PLACEHOLDER: replaced by the shell work.
#include "file_choose.h"

int ChooseAlmanacFile(HWND, std::string& file) {
  file.clear();
  return 0;
}
