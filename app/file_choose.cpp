// "Leer": the system's open-file dialog, remembering the folder of the last
// choice. Paths are UTF-8 here and UTF-16 in the dialog.
#include "file_choose.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "../data/utf8.h"
#include "path_util.h"
#include "wide.h"

namespace {

constexpr size_t kFolderBytes = 255;  // at most 254 characters and the zero
constexpr size_t kNameChars = 260;    // what is placed in the name field, with its zero
constexpr size_t kPathChars = 32768;  // room for whatever the dialog returns
constexpr int kOffsetFromOwner = 30;

// The folder a dialog starts in, cut as it is kept (UTF-8: never inside a character).
std::string StartFolder(const std::string& folder) { return CutUtf8(folder, kFolderBytes - 1); }

// Places the dialog 30 pixels right of and below its owner's top-left
// corner, or in the middle of the work area when it has none. Done when
// the dialog has finished laying itself out.
void PlaceDialog(HWND dialog) {
  RECT own;
  GetWindowRect(dialog, &own);
  HWND owner = GetWindow(dialog, GW_OWNER);
  int x, y;
  if (owner) {
    RECT ownerRect;
    GetWindowRect(owner, &ownerRect);
    x = ownerRect.left + kOffsetFromOwner;
    y = ownerRect.top + kOffsetFromOwner;
  } else {
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + (work.right - work.left - (own.right - own.left)) / 2;
    y = work.top + (work.bottom - work.top - (own.bottom - own.top)) / 2;
  }
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

UINT_PTR CALLBACK PlacementHook(HWND hook, UINT msg, WPARAM, LPARAM lParam) {
  // With the Explorer style the hook is a child of the real dialog.
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE)
    PlaceDialog(GetParent(hook));
  return 0;
}

}  // namespace

int ChooseAlmanacFile(HWND owner, std::string& file) {
  std::wstring initialFolder = Widen(StartFolder(TrimBlanks(FolderPart(file))));
  if (initialFolder.empty()) {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> current(n + 1, L'\0');
    if (n && GetCurrentDirectoryW(n + 1, current.data())) initialFolder = current.data();
  }
  std::vector<wchar_t> path(kPathChars, L'\0');
  std::wstring name = Widen(FilePart(file));
  if (name.size() > kNameChars - 1) name.resize(kNameChars - 1);
  std::copy(name.begin(), name.end(), path.begin());

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"Almanaque\0*.zanual\0\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = DWORD(path.size());
  ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  ofn.lpstrDefExt = L"zanual";
  ofn.Flags = OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
              OFN_EXPLORER | OFN_ENABLEHOOK;
  ofn.lpfnHook = PlacementHook;

  file.clear();
  if (GetOpenFileNameW(&ofn)) file = TrimBlanks(Narrow(path.data()));
  return file.empty() ? 0 : 1;
}

namespace {

std::string ChooseFile(HWND owner, const FileType& type, const std::string& folder,
                       const std::string& name, bool save) {
  std::vector<wchar_t> path(kPathChars, L'\0');
  std::wstring initialName = Widen(name);
  if (initialName.size() > kNameChars - 1) initialName.resize(kNameChars - 1);
  std::copy(initialName.begin(), initialName.end(), path.begin());
  // "name\0pattern\0\0"
  std::wstring filter = std::wstring(type.name) + L'\0' + type.pattern + L'\0';
  filter += L'\0';
  const std::wstring initialFolder = Widen(folder);

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = DWORD(path.size());
  ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
  ofn.lpstrDefExt = type.extension;
  ofn.Flags = OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER |
              OFN_ENABLEHOOK | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  ofn.lpfnHook = PlacementHook;
  const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  return chosen ? TrimBlanks(Narrow(path.data())) : std::string();
}

}  // namespace

std::string ChooseFileToSave(HWND owner, const FileType& type, const std::string& folder,
                             const std::string& name) {
  return ChooseFile(owner, type, folder, name, true);
}

std::string ChooseFileToOpen(HWND owner, const FileType& type, const std::string& folder) {
  return ChooseFile(owner, type, folder, std::string(), false);
}
