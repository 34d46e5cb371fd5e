// Process entry: common controls, the .zanual association, then the main window.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "../data/program_folder.h"
#include "almanac_folder.h"
#include "command_line.h"
#include "file_association.h"
#include "main_window.h"

namespace {

std::string FolderOfModule() {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length < MAX_PATH ? length : 0);
  return folder.substr(0, folder.find_last_of('\\') + 1);
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
  InitCommonControlsByName();
  EnsureFileAssociation();
  RunMainWindow(ArgumentText(GetCommandLineA()).c_str());
  return 0;
}
