// The "Leer" file dialog, driven from a second thread as a person would
// drive it: where it opens, what it shows, choosing and cancelling.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/file_choose.h"
#include "app/wide.h"
#include "dialogs/dialog_kit.h"
#include "tests/win/win_test_util.h"

namespace {

constexpr int kLookIn = 0x471;    // cmb2: the folder combo
constexpr int kFileType = 0x470;  // cmb1: the type list
constexpr int kFileName = 0x47c;  // cmb13: the name field

struct Seen {
  bool found = false;
  RECT rect = {};
  std::wstring folder, type, name;
};

std::wstring TextOf(HWND dialog, int id) {
  wchar_t text[MAX_PATH * 2] = {};
  SendDlgItemMessageW(dialog, id, WM_GETTEXT, MAX_PATH * 2, reinterpret_cast<LPARAM>(text));
  return text;
}

HWND FindFileDialog(DWORD thread, HWND owner) {
  struct Search {
    HWND owner, found;
  } search = {owner, nullptr};
  EnumThreadWindows(
      thread,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (IsWindowVisible(w) && GetWindow(w, GW_OWNER) == s->owner && GetDlgItem(w, kFileType)) {
          s->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Waits for the dialog of `thread`, notes what it shows, then types `choice`
// into the name field and opens it, or cancels when `choice` is empty.
void Drive(DWORD thread, HWND owner, std::wstring choice, Seen& seen) {
  HWND dialog = nullptr;
  for (int i = 0; i < 100 && !dialog; ++i) {
    Sleep(100);
    dialog = FindFileDialog(thread, owner);
  }
  if (!dialog) return;
  // It fills its lists and places itself after it shows.
  for (int i = 0; i < 50 && TextOf(dialog, kLookIn).empty(); ++i) Sleep(100);
  Sleep(300);
  seen.found = true;
  GetWindowRect(dialog, &seen.rect);
  seen.folder = TextOf(dialog, kLookIn);
  seen.type = TextOf(dialog, kFileType);
  seen.name = TextOf(dialog, kFileName);
  if (choice.empty()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  } else {
    SendDlgItemMessageW(dialog, kFileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(choice.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }
}

std::wstring Wide(const std::string& s) {
  std::wstring w(s.size(), L'\0');
  for (size_t i = 0; i < s.size(); ++i) w[i] = wchar_t(static_cast<unsigned char>(s[i]));
  return w;
}

std::wstring LastFolderName(const std::string& folder) {
  std::string f = folder;
  if (!f.empty() && f.back() == '\\') f.pop_back();
  return Wide(f.substr(f.find_last_of('\\') + 1));
}

TEST(FileChoose, StartsWhereTheLastChoiceWasAndForgetsItOnCancel) {
  TempFolder start, data;
  std::string chosen = data.path() + "Uno.zanual";
  CloseHandle(CreateFileA(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  SetCurrentDirectoryA(start.path().c_str());

  DialogFrame frame;
  frame.title = "Dueño";
  frame.style = WS_POPUP | WS_CAPTION;
  frame.position = {160, 120};
  frame.client = {300, 200};
  HWND owner = CreateDialogWindow(frame, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; });
  ASSERT_NE(owner, nullptr);
  ShowWindow(owner, SW_SHOW);
  RECT ownerRect;
  GetWindowRect(owner, &ownerRect);
  DWORD me = GetCurrentThreadId();

  // First use: the current folder, an empty name, the one file type.
  std::string file;
  Seen first;
  std::thread person1(Drive, me, owner, Wide(chosen), std::ref(first));
  int result = ChooseAlmanacFile(owner, file);
  person1.join();
  ASSERT_TRUE(first.found);
  EXPECT_EQ(first.rect.left, ownerRect.left + 30);
  EXPECT_EQ(first.rect.top, ownerRect.top + 30);
  EXPECT_EQ(first.folder, LastFolderName(start.path()));
  EXPECT_EQ(first.type, L"Almanaque");
  EXPECT_EQ(first.name, L"");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(file, chosen);
  char now[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, now);
  EXPECT_EQ(std::string(now) + "\\", start.path()) << "the dialog leaves the current folder alone";

  // Second use: the folder and name of the first choice; cancelled.
  Seen second;
  std::thread person2(Drive, me, owner, std::wstring(), std::ref(second));
  result = ChooseAlmanacFile(owner, file);
  person2.join();
  ASSERT_TRUE(second.found);
  EXPECT_EQ(second.folder, LastFolderName(data.path()));
  EXPECT_EQ(second.name, L"Uno.zanual");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(file, "");

  // After a cancel: the current folder again, an empty name.
  Seen third;
  std::thread person3(Drive, me, owner, std::wstring(), std::ref(third));
  ChooseAlmanacFile(owner, file);
  person3.join();
  ASSERT_TRUE(third.found);
  EXPECT_EQ(third.folder, LastFolderName(start.path()));
  EXPECT_EQ(third.name, L"");

  // A path with blanks around it starts in its trimmed folder.
  file = "  " + chosen;
  Seen fourth;
  std::thread person4(Drive, me, owner, std::wstring(), std::ref(fourth));
  ChooseAlmanacFile(owner, file);
  person4.join();
  ASSERT_TRUE(fourth.found);
  EXPECT_EQ(fourth.folder, LastFolderName(data.path()));

  // A folder named in another script: the path comes back whole, in UTF-8.
  const std::wstring greekFolder = Wide(data.path()) + L"\x0397\x03bc\x03ad\x03c1\x03b1";
  const std::wstring greekFile = greekFolder + L"\\\x0141ukasz.zanual";
  CreateDirectoryW(greekFolder.c_str(), nullptr);
  CloseHandle(CreateFileW(greekFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  Seen fifth;
  std::thread person5(Drive, me, owner, greekFile, std::ref(fifth));
  result = ChooseAlmanacFile(owner, file);
  person5.join();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(file, Narrow(greekFile));
  DeleteFileW(greekFile.c_str());
  RemoveDirectoryW(greekFolder.c_str());

  DestroyWindow(owner);
  SetCurrentDirectoryA(before);
}

}  // namespace
