// Process entry: common controls, the .zanual association, then the main window.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "../data/program_folder.h"
#include "almanac_folder.h"
#include "command_line.h"
#include "file_association.h"
#include "main_window.h"
#include "wide.h"

namespace {

// In UTF-8, so that a folder named in any script is kept whole.
std::string FolderOfModule() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // longer than MAX_PATH
  }
  return Narrow(path.substr(0, path.find_last_of(L'\\') + 1));
}

// Through the library by name, so a system without the newer entry point
// still starts (the date picker of the new almanac dialog needs the classes).
void InitCommonControlsByName() {
  HMODULE library = LoadLibraryA("COMCTL32.DLL");
  if (!library) return;
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  auto initEx = reinterpret_cast<InitEx>(
      reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  if (initEx) {
    INITCOMMONCONTROLSEX icc = {8, 0x9FF};  // Win95 classes, date picker, internet classes
    initEx(&icc);
  } else {
    InitCommonControls();
  }
  // The program imports the library too, so this never unloads the classes.
  FreeLibrary(library);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetProgramFolder(FolderOfModule());
  SetAlmanacFolder(ChooseAlmanacFolder(ProgramFolder()));
  SetBackupFolder(ChooseBackupFolder());
  SetSyncFolder(ChooseSyncFolder());
  InitCommonControlsByName();
  EnsureFileAssociation();
  RunMainWindow(ArgumentText(Narrow(GetCommandLineW())).c_str());
  return 0;
}
