// PLACEHOLDER: replaced by the shell work.
#include "main_window.h"

HWND MainWindow = nullptr;
HMENU MainMenu = nullptr;
HWND AlmanacControl = nullptr;
Surface AlmanacStrip;
Surface AlmanacView;
int32_t ViewOffset = 0;
int32_t dialogOpen = 0;
std::string currentFile;

int RunMainWindow(const char*) { return 0; }
void RefreshView() {}
void NewAlmanacCommand() {}
void OpenAlmanacCommand() {}
void SetAlmanacTitle(const std::string&) {}
