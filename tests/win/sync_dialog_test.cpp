// "Sincronizar" driven in-process: the boxes filled from the draft, in any
// script; "Sincronizar ahora" hands over the boxes as they are and the dialog
// stays; "Quitar el enlace" empties them once the link went; "Cerrar" hands
// the boxes back.
#include "dialogs/sync_dialog.h"

#include <gtest/gtest.h>

#include "app/wide.h"
#include "resource.h"
#include "tests/win/dialog_driver.h"

namespace {

using dialog_driver::Click;
using dialog_driver::PostStep;

std::vector<SyncDraft> gAsked;
bool gUnlinks = false;

std::string Box(HWND dialog, int id) {
  wchar_t text[256] = L"";
  GetWindowTextW(GetDlgItem(dialog, id), text, 256);
  return Narrow(text);
}

void Type(HWND dialog, int id, const std::string& utf8) {
  SetWindowTextW(GetDlgItem(dialog, id), Widen(utf8).c_str());
}

TEST(SyncDialog, HandsOverTheBoxesStaysOpenForASyncAndHandsThemBack) {
  gAsked.clear();
  SyncRequest request;
  request.syncNow = [](const SyncDraft& draft) { gAsked.push_back(draft); };
  request.unlink = [] { return gUnlinks; };
  SetSyncDialogHook([](HWND dialog) {
    PostStep([dialog] {
      EXPECT_EQ(Box(dialog, IDC_SYNC_ADDRESS), "http://127.0.0.1:5232/ana/casa/");
      EXPECT_EQ(Box(dialog, IDC_SYNC_USER), "ana");
      EXPECT_EQ(Box(dialog, IDC_SYNC_PASSWORD), "");
      // A user and password in other scripts survive the ANSI dialog.
      Type(dialog, IDC_SYNC_USER, "\xD0\xB0\xD0\xBD\xD0\xBD\xD0\xB0");       // анна
      Type(dialog, IDC_SYNC_PASSWORD, "\xE5\xAF\x86\xE7\xA0\x81-\xC3\xB1");  // 密码-ñ
      Click(dialog, IDC_SYNC_NOW);
    });
    PostStep([dialog] {
      EXPECT_TRUE(IsWindow(dialog)) << "the dialog stays after a sync";
      gUnlinks = false;
      Click(dialog, IDC_SYNC_UNLINK);
      EXPECT_EQ(Box(dialog, IDC_SYNC_USER), "\xD0\xB0\xD0\xBD\xD0\xBD\xD0\xB0");
      gUnlinks = true;
      Click(dialog, IDC_SYNC_UNLINK);
      EXPECT_EQ(Box(dialog, IDC_SYNC_ADDRESS) + Box(dialog, IDC_SYNC_USER), "");
      Type(dialog, IDC_SYNC_ADDRESS, "https://otro.example/cal/");
      Click(dialog, IDC_SYNC_CLOSE);
    });
  });
  SyncDraft draft{"http://127.0.0.1:5232/ana/casa/", "ana", ""};
  SyncDialog(request, draft);
  SetSyncDialogHook(nullptr);
  ASSERT_EQ(gAsked.size(), 1u);
  EXPECT_EQ(gAsked[0].address, "http://127.0.0.1:5232/ana/casa/");
  EXPECT_EQ(gAsked[0].user, "\xD0\xB0\xD0\xBD\xD0\xBD\xD0\xB0");
  EXPECT_EQ(gAsked[0].password, "\xE5\xAF\x86\xE7\xA0\x81-\xC3\xB1");
  EXPECT_EQ(draft.address, "https://otro.example/cal/");
  EXPECT_EQ(draft.user, "");
}

}  // namespace
