// The almanac as a screen reader reads it: asked through
// AccessibleObjectFromWindow and AccessibleObjectFromEvent, as readers ask.
#include "app/almanac_accessible.h"

#include <gtest/gtest.h>
#include <oleacc.h>
#include <windows.h>

#include <string>
#include <vector>

#include "render/layout.h"

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

// An almanac of 16 days from Saturday 1 March 2025, two labels on the 2nd,
// shown as the main window's control shows it.
class AlmanacAccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AlmanacState state;
    state.startDay = 1, state.startMonth = 3, state.startYear = 2025, state.dayCount = 15;
    auto line = [&](const char* text, bool last) {
      LabelRecord r;
      r.day = 2, r.month = 3, r.year = 2025;
      SetRecordText(r, text);
      r.isLastLine = last;
      records_.push_back(r);
    };
    line("Viaje \\#09", false);
    line("en \\#70", true);
    line("Cena", true);
    layout_ = LayOutAlmanac(state, records_);
    control_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | WS_BORDER | SS_OWNERDRAW, 8,
                               8, 1122, 738, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(control_, nullptr);
    ASSERT_TRUE(AttachAlmanacAccessible(control_, [this] {
      AlmanacAccessView view;
      view.layout = &layout_;
      view.records = &records_;
      view.viewOffset = offset_;
      view.selected = hasSelection_ ? &selected_ : nullptr;
      return view;
    }));
    ASSERT_EQ(AccessibleObjectFromWindow(control_, DWORD(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&acc_)),
              S_OK);
  }
  void TearDown() override {
    if (acc_) acc_->Release();
    if (control_) DestroyWindow(control_);
  }

  std::vector<LabelRecord> records_;
  AlmanacLayout layout_;
  int64_t offset_ = 0;
  bool hasSelection_ = false;
  LabelPlace selected_;
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
  offset_ = -layout_.endScrollTop;
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

TEST_F(AlmanacAccessibleTest, TheFocusEventNamesTheSelectedLabelWhichReadsItsText) {
  gFocusChildren.clear();
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocusEvent,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  hasSelection_ = true;
  selected_ = LabelPlace{1, 1, 0};  // "Cena", the second label of the 2nd
  NotifyAlmanacFocus(control_, layout_, &selected_);
  hasSelection_ = false;
  NotifyAlmanacFocus(control_, layout_, nullptr);
  for (int i = 0; i < 50 && gFocusChildren.size() < 2; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
  UnhookWinEvent(hook);
  ASSERT_EQ(gFocusChildren, (std::vector<LONG>{16 + 2, CHILDID_SELF}));

  hasSelection_ = true;
  IAccessible* label = nullptr;
  VARIANT child;
  ASSERT_EQ(AccessibleObjectFromEvent(control_, DWORD(OBJID_CLIENT), DWORD(gFocusChildren[0]),
                                      &label, &child),
            S_OK);
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

TEST_F(AlmanacAccessibleTest, ObjectHeldPastItsControlSaysItIsGone) {
  DestroyWindow(control_);
  control_ = nullptr;
  long count = 0;
  EXPECT_EQ(acc_->get_accChildCount(&count), RPC_E_DISCONNECTED);
  BSTR name = nullptr;
  EXPECT_EQ(acc_->get_accName(Child(2), &name), RPC_E_DISCONNECTED);
}

}  // namespace
