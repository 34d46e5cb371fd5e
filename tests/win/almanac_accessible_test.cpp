// The almanac as a screen reader reads it: asked through
// AccessibleObjectFromWindow and AccessibleObjectFromEvent, as readers ask.
#include "app/almanac_accessible.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h
#include <oleacc.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "tests/win/win_test_util.h"

namespace {

std::wstring Wide(const std::string& cp1252) {
  std::wstring out(cp1252.size(), L'\0');
  int n = MultiByteToWideChar(1252, 0, cp1252.data(), int(cp1252.size()), &out[0], int(out.size()));
  out.resize(size_t(n > 0 ? n : 0));
  return out;
}

VARIANT Child(LONG id) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring Take(BSTR text) {
  std::wstring out = text ? std::wstring(text, SysStringLen(text)) : L"";
  SysFreeString(text);
  return out;
}

std::wstring NameOf(IAccessible* acc, LONG id) {
  BSTR text = nullptr;
  acc->get_accName(Child(id), &text);
  return Take(text);
}

std::wstring ValueOf(IAccessible* acc, LONG id) {
  BSTR text = nullptr;
  acc->get_accValue(Child(id), &text);
  return Take(text);
}

LONG NumberOf(IAccessible* acc, HRESULT (IAccessible::*get)(VARIANT, VARIANT*), LONG id) {
  VARIANT v;
  VariantInit(&v);
  (acc->*get)(Child(id), &v);
  return v.vt == VT_I4 ? v.lVal : -1;
}

// The main window with an almanac of 16 days from Saturday 1 March 2025,
// two labels on the 2nd, asked as a screen reader asks.
class AlmanacAccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<LabelRecord> records;
    auto line = [&](const char* text, bool last) {
      LabelRecord r;
      r.day = 2, r.month = 3, r.year = 2025;
      SetRecordText(r, text);
      r.isLastLine = last;
      records.push_back(r);
    };
    line("Viaje \\#09", false);
    line("en \\#70", true);
    line("Cena", true);
    const std::string path = folder_.path() + "Oyente.zanual";
    ASSERT_TRUE(WriteAlmanacFile(path, 1, 3, 2025, 15, records));
    window_ = BuildMainWindow(path.c_str());
    ASSERT_NE(window_, nullptr);
    SendMessageA(window_, WM_INITDIALOG, 0, 0);  // as RunDialog does first
    control_ = MainWindowStateOf(window_)->view.control;
    ASSERT_EQ(AccessibleObjectFromWindow(control_, DWORD(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&acc_)),
              S_OK);
  }
  void TearDown() override {
    if (acc_) acc_->Release();
    if (IsWindow(window_)) DestroyWindow(window_);
    MSG msg;  // the quit the window posts as it goes
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  AlmanacView& View() { return MainWindowStateOf(window_)->view; }
  void Key(WPARAM vk) { SendMessageA(control_, WM_KEYDOWN, vk, 0); }

  TempFolder folder_;
  HWND window_ = nullptr;
  HWND control_ = nullptr;
  IAccessible* acc_ = nullptr;
};

TEST_F(AlmanacAccessibleTest, AListOfTheDaysNamedByDateWithTheirLabelsAsValue) {
  EXPECT_EQ(NameOf(acc_, CHILDID_SELF), L"Almanaque");
  EXPECT_EQ(NumberOf(acc_, &IAccessible::get_accRole, CHILDID_SELF), ROLE_SYSTEM_LIST);
  long count = 0;
  ASSERT_EQ(acc_->get_accChildCount(&count), S_OK);
  ASSERT_EQ(count, 16);
  std::vector<VARIANT> children(16);
  LONG got = 0;
  ASSERT_EQ(AccessibleChildren(acc_, 0, 16, children.data(), &got), S_OK);
  ASSERT_EQ(got, 16);
  for (LONG i = 0; i < got; ++i) {
    ASSERT_EQ(children[i].vt, VT_I4) << i;  // simple items, not objects of their own
    EXPECT_EQ(children[i].lVal, i + 1);
    EXPECT_EQ(NumberOf(acc_, &IAccessible::get_accRole, i + 1), ROLE_SYSTEM_LISTITEM) << i;
  }
  struct Case {
    LONG child;
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {1, "sábado, 1 de marzo de 2025", ""},
      {2, "domingo, 2 de marzo de 2025", "Viaje bandera de España en bicicleta. Cena."},
      {16, "domingo, 16 de marzo de 2025", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NameOf(acc_, c.child), Wide(c.name)) << c.child;
    EXPECT_EQ(ValueOf(acc_, c.child), Wide(c.value)) << c.child;
  }
  // The view shows the first days; the last is out of sight until scrolled to.
  auto offscreen = [&](LONG id) {
    return (NumberOf(acc_, &IAccessible::get_accState, id) & STATE_SYSTEM_OFFSCREEN) != 0;
  };
  EXPECT_FALSE(offscreen(1));
  EXPECT_TRUE(offscreen(16));
  Key(VK_END);
  EXPECT_TRUE(offscreen(1));
  EXPECT_FALSE(offscreen(16));
  BSTR name = nullptr;
  EXPECT_EQ(acc_->get_accName(Child(16 + 3 + 1), &name), E_INVALIDARG);  // past the last label
}

// What a reader does on a focus event: it asks for the object and child
// the event names, and reads that label's text.
std::vector<LONG> gFocusChildren;
void CALLBACK OnFocusEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD,
                           DWORD) {
  if (event == EVENT_OBJECT_FOCUS && object == OBJID_CLIENT) gFocusChildren.push_back(child);
}

TEST_F(AlmanacAccessibleTest, TheFocusFollowsTheLabelChosenByTabAndReadsItsText) {
  gFocusChildren.clear();
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  // Tab, Tab: "Cena", the 2nd's second label; Escape: the almanac itself;
  // Shift+Tab: the last label in view, "Cena" again, then the one before;
  // End: its block out of view, so the selection ends.
  auto shiftTab = [&] {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    Key(VK_TAB);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  };
  Key(VK_TAB);
  Key(VK_TAB);
  Key(VK_ESCAPE);
  shiftTab();
  shiftTab();
  ASSERT_NE(SelectedLabel(View()), nullptr);
  EXPECT_EQ(SelectedLabel(View())->block, 0u);
  shiftTab();  // nothing before the first label: it stays
  Key(VK_END);
  EXPECT_EQ(SelectedLabel(View()), nullptr);
  for (int i = 0; i < 50 && gFocusChildren.size() < 6; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
  UnhookWinEvent(hook);
  // Children 1..16 are the days, then the labels: 17 "Viaje...", 18 "Cena".
  EXPECT_EQ(gFocusChildren, (std::vector<LONG>{17, 18, CHILDID_SELF, 18, 17, CHILDID_SELF}));

  Key(VK_HOME);
  Key(VK_TAB);
  Key(VK_TAB);
  IAccessible* label = nullptr;
  VARIANT child;
  ASSERT_EQ(AccessibleObjectFromEvent(control_, DWORD(OBJID_CLIENT), 18, &label, &child), S_OK);
  ASSERT_EQ(child.vt, VT_I4);
  EXPECT_EQ(NameOf(label, child.lVal), L"Cena");
  EXPECT_EQ(ValueOf(label, child.lVal), Wide("domingo, 2 de marzo de 2025"));
  EXPECT_TRUE(NumberOf(label, &IAccessible::get_accState, child.lVal) & STATE_SYSTEM_SELECTED);
  VARIANT selection;
  ASSERT_EQ(label->get_accSelection(&selection), S_OK);
  EXPECT_EQ(selection.lVal, child.lVal);
  // Where it stands on the screen, and back: a point in it is that label.
  long x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(label->accLocation(&x, &y, &w, &h, child), S_OK);
  EXPECT_EQ(h, 2 * 18);
  VARIANT hit;
  ASSERT_EQ(label->accHitTest(x + w / 2, y + h / 2, &hit), S_OK);
  EXPECT_EQ(hit.lVal, child.lVal);
  label->Release();
}

TEST_F(AlmanacAccessibleTest, ObjectHeldPastItsWindowSaysItIsGone) {
  DestroyWindow(window_);
  long count = 0;
  EXPECT_EQ(acc_->get_accChildCount(&count), RPC_E_DISCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(acc_->get_accName(Child(2), &name), RPC_E_DISCONNECTED);
}

}  // namespace
