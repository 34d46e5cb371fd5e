#include "almanac_accessible.h"

#include <commctrl.h>
#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <new>
#include <string>

#include "../dialogs/accessible_base.h"
#include "../render/spoken_text.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x7A41;  // "zA": the almanac's accessible object

// An item the object is asked about: the list itself, a day or a label.
struct Item {
  enum Kind { None, Self, Day, Label } kind = None;
  size_t day = 0, block = 0;
};

size_t LabelCount(const AlmanacLayout& layout) {
  size_t count = 0;
  for (const DayBand& day : layout.days) count += day.blocks.size();
  return count;
}

void SetId(VARIANT* out, LONG id) {
  out->vt = VT_I4;
  out->lVal = id;
}

LONG ClampToLong(int64_t v) { return LONG(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

class AlmanacAccessible final : public AccessibleBase, public IOleWindow {
 public:
  AlmanacAccessible(HWND control, AlmanacAccessSource source)
      : control_(control), source_(std::move(source)) {
    CreateStdAccessibleObject(control, OBJID_CLIENT, IID_IAccessible,
                              reinterpret_cast<void**>(&standard_));
  }

  // The control is going: from now on every question is answered "gone".
  void Disconnect() {
    connected_ = false;
    source_ = nullptr;
    if (standard_) standard_->Release();
    standard_ = nullptr;
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible)
      *out = static_cast<IAccessible*>(this);
    else if (iid == IID_IOleWindow)
      *out = static_cast<IOleWindow*>(this);
    else
      return *out = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  // Both bases' counts are the one count.
  STDMETHODIMP_(ULONG) AddRef() override { return AccessibleBase::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return AccessibleBase::Release(); }

  // IOleWindow: which window this object belongs to.
  STDMETHODIMP GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = control_;
    return connected_ ? S_OK : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IAccessible
  STDMETHODIMP get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!connected_) return RPC_E_DISCONNECTED;
    return standard_ ? standard_->get_accParent(parent) : S_FALSE;
  }
  STDMETHODIMP get_accChildCount(long* count) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!count) return E_POINTER;
      *count = view.layout ? long(view.layout->days.size()) : 0;
      return S_OK;
    });
  }
  STDMETHODIMP get_accChild(VARIANT id, IDispatch** child) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!child) return E_POINTER;
      *child = nullptr;
      const Item item = Resolve(view, id);
      if (item.kind == Item::None) return E_INVALIDARG;
      // Days and labels are simple items of this object, not objects of their own.
      return S_FALSE;
    });
  }
  STDMETHODIMP get_accName(VARIANT id, BSTR* name) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!name) return E_POINTER;
      *name = nullptr;
      const Item item = Resolve(view, id);
      switch (item.kind) {
        case Item::Self:
          return AccessibleAnswer(name, "Almanaque");
        case Item::Day: {
          const DayBand& day = view.layout->days[item.day];
          return AccessibleAnswer(name, SpokenDate(day.day, day.month, day.year, day.weekday));
        }
        case Item::Label:
          return AccessibleAnswer(
              name, SpokenLabel(*view.records, view.layout->days[item.day].blocks[item.block]));
        default:
          return E_INVALIDARG;
      }
    });
  }
  STDMETHODIMP get_accValue(VARIANT id, BSTR* value) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!value) return E_POINTER;
      *value = nullptr;
      const Item item = Resolve(view, id);
      if (item.kind == Item::None) return E_INVALIDARG;
      if (item.kind == Item::Self) return S_FALSE;
      const DayBand& day = view.layout->days[item.day];
      // A day's value is what is written on it; a label's, the day it is on.
      if (item.kind == Item::Day) return AccessibleAnswer(value, SpokenLabels(*view.records, day));
      return AccessibleAnswer(value, SpokenDate(day.day, day.month, day.year, day.weekday));
    });
  }
  STDMETHODIMP get_accDescription(VARIANT id, BSTR* description) override {
    return NoText(id, description);
  }
  STDMETHODIMP get_accRole(VARIANT id, VARIANT* role) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!role) return E_POINTER;
      VariantInit(role);
      const Item item = Resolve(view, id);
      if (item.kind == Item::None) return E_INVALIDARG;
      SetId(role, item.kind == Item::Self ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
      return S_OK;
    });
  }
  STDMETHODIMP get_accState(VARIANT id, VARIANT* state) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!state) return E_POINTER;
      VariantInit(state);
      const Item item = Resolve(view, id);
      if (item.kind == Item::None) return E_INVALIDARG;
      const bool focused = GetFocus() == control_;
      LONG bits = STATE_SYSTEM_READONLY;
      if (item.kind == Item::Self) {
        bits |= STATE_SYSTEM_FOCUSABLE;
        if (focused && !view.selected) bits |= STATE_SYSTEM_FOCUSED;
        if (!IsWindowVisible(control_)) bits |= STATE_SYSTEM_INVISIBLE;
      } else {
        if (!InView(view, item)) bits |= STATE_SYSTEM_OFFSCREEN;
      }
      if (item.kind == Item::Label) {
        bits |= STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
        if (IsSelected(view, item)) {
          bits |= STATE_SYSTEM_SELECTED;
          if (focused) bits |= STATE_SYSTEM_FOCUSED;
        }
      }
      SetId(state, bits);
      return S_OK;
    });
  }
  STDMETHODIMP get_accHelp(VARIANT id, BSTR* help) override { return NoText(id, help); }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = -1;
    return connected_ ? S_FALSE : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) override {
    return NoText(id, shortcut);
  }
  STDMETHODIMP get_accFocus(VARIANT* id) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!id) return E_POINTER;
      VariantInit(id);
      if (GetFocus() != control_) return S_FALSE;
      SetId(id, view.selected && SelectedItem(view).kind == Item::Label
                    ? LabelChildId(*view.layout, *view.selected)
                    : CHILDID_SELF);
      return S_OK;
    });
  }
  STDMETHODIMP get_accSelection(VARIANT* id) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!id) return E_POINTER;
      VariantInit(id);
      if (!view.selected || SelectedItem(view).kind != Item::Label) return S_FALSE;
      SetId(id, LabelChildId(*view.layout, *view.selected));
      return S_OK;
    });
  }
  STDMETHODIMP get_accDefaultAction(VARIANT id, BSTR* action) override {
    return NoText(id, action);
  }
  STDMETHODIMP accSelect(long, VARIANT) override {
    return connected_ ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT id) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!left || !top || !width || !height) return E_POINTER;
      *left = *top = *width = *height = 0;
      const Item item = Resolve(view, id);
      if (item.kind == Item::None) return E_INVALIDARG;
      RECT face;
      GetClientRect(control_, &face);
      POINT origin = {0, 0};
      ClientToScreen(control_, &origin);
      int64_t x0 = 0, x1 = face.right, y0 = 0, y1 = face.bottom;
      if (item.kind != Item::Self) {
        const DayBand& day = view.layout->days[item.day];
        const int dpi = view.layout->dpi;
        if (item.kind == Item::Day) {
          x0 = Scaled(kDayBoxLeft - 1, dpi), x1 = Scaled(kBlockRight, dpi);
          y0 = day.top + view.viewOffset, y1 = y0 + day.advance;
        } else {
          const LabelBlock& block = day.blocks[item.block];
          x0 = Scaled(kBlockLeft, dpi), x1 = Scaled(kBlockRight, dpi);
          y0 = block.top + view.viewOffset, y1 = y0 + block.height();
        }
      }
      *left = ClampToLong(origin.x + x0);
      *top = ClampToLong(origin.y + y0);
      *width = ClampToLong(x1 - x0);
      *height = ClampToLong(y1 - y0);
      return S_OK;
    });
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!end) return E_POINTER;
      VariantInit(end);
      const Item item = Resolve(view, start);
      if (item.kind == Item::None) return E_INVALIDARG;
      const LONG days = view.layout ? LONG(view.layout->days.size()) : 0;
      const LONG labels = view.layout ? LONG(LabelCount(*view.layout)) : 0;
      const LONG at = start.lVal;
      LONG to = 0;
      if (item.kind == Item::Self) {
        if (direction == NAVDIR_FIRSTCHILD && days > 0) to = 1;
        if (direction == NAVDIR_LASTCHILD && days > 0) to = days;
        if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD)
          return standard_ ? standard_->accNavigate(direction, start, end) : S_FALSE;
      } else {
        const bool next = direction == NAVDIR_NEXT || direction == NAVDIR_DOWN;
        const bool previous = direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP;
        // Days lead to days, labels to labels.
        const LONG first = item.kind == Item::Day ? 1 : days + 1;
        const LONG last = item.kind == Item::Day ? days : days + labels;
        if (next && at < last) to = at + 1;
        if (previous && at > first) to = at - 1;
      }
      if (to == 0) return S_FALSE;
      SetId(end, to);
      return S_OK;
    });
  }
  STDMETHODIMP accHitTest(long x, long y, VARIANT* id) override {
    return Guard([&](const AlmanacAccessView& view) {
      if (!id) return E_POINTER;
      VariantInit(id);
      POINT at = {x, y};
      ScreenToClient(control_, &at);
      RECT face;
      GetClientRect(control_, &face);
      if (!PtInRect(&face, at)) return S_FALSE;
      LONG child = CHILDID_SELF;
      LabelPlace place;
      if (view.layout && !view.layout->days.empty()) {
        if (BlockAtPoint(*view.layout, at.x, at.y, view.viewOffset, place))
          child = LabelChildId(*view.layout, place);
        else
          child = DayChildId(DayAtRow(*view.layout, at.y - view.viewOffset));
      }
      SetId(id, child);
      return S_OK;
    });
  }
  STDMETHODIMP accDoDefaultAction(VARIANT) override {
    return connected_ ? DISP_E_MEMBERNOTFOUND : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~AlmanacAccessible() {
    if (standard_) standard_->Release();
  }

  // Asks the source and answers; nothing is thrown out to the caller.
  template <typename F>
  HRESULT Guard(F answer) {
    if (!connected_ || !source_) return RPC_E_DISCONNECTED;
    return Guarded([&]() -> HRESULT {
      const AlmanacAccessView view = source_();
      if (view.layout && !view.records) return E_FAIL;
      return answer(view);
    });
  }

  // For what nothing here has a text: the id is checked, and there is none.
  HRESULT NoText(const VARIANT& id, BSTR* out) {
    return Guard([&](const AlmanacAccessView& view) {
      if (!out) return E_POINTER;
      *out = nullptr;
      return Resolve(view, id).kind == Item::None ? E_INVALIDARG : S_FALSE;
    });
  }

  static Item Resolve(const AlmanacAccessView& view, const VARIANT& id) {
    Item item;
    if (id.vt != VT_I4) return item;
    if (id.lVal == CHILDID_SELF) {
      item.kind = Item::Self;
      return item;
    }
    if (!view.layout || id.lVal < 0) return item;
    const std::vector<DayBand>& days = view.layout->days;
    size_t n = size_t(id.lVal);
    if (n <= days.size()) {
      item.kind = Item::Day;
      item.day = n - 1;
      return item;
    }
    n -= days.size() + 1;
    for (size_t d = 0; d < days.size(); ++d) {
      if (n < days[d].blocks.size()) {
        item.kind = Item::Label;
        item.day = d;
        item.block = n;
        return item;
      }
      n -= days[d].blocks.size();
    }
    return item;
  }

  static Item SelectedItem(const AlmanacAccessView& view) {
    Item item;
    const LabelPlace* s = view.selected;
    if (s && view.layout && s->day < view.layout->days.size() &&
        s->block < view.layout->days[s->day].blocks.size()) {
      item.kind = Item::Label;
      item.day = s->day;
      item.block = s->block;
    }
    return item;
  }

  static bool IsSelected(const AlmanacAccessView& view, const Item& item) {
    const Item s = SelectedItem(view);
    return s.kind == Item::Label && s.day == item.day && s.block == item.block;
  }

  // Whether any row of the item lies on the control's face.
  bool InView(const AlmanacAccessView& view, const Item& item) const {
    RECT face;
    GetClientRect(control_, &face);
    const DayBand& day = view.layout->days[item.day];
    int64_t top = day.top, bottom = day.top + day.advance;
    if (item.kind == Item::Label) {
      top = day.blocks[item.block].top;
      bottom = top + day.blocks[item.block].height();
    }
    return bottom + view.viewOffset > 0 && top + view.viewOffset < face.bottom;
  }

  bool connected_ = true;
  HWND control_;
  AlmanacAccessSource source_;
  IAccessible* standard_ = nullptr;  // the system's object for the control, for its place
};

// What the control keeps while it is attached.
struct Attachment {
  AlmanacAccessible* object;
  bool joinedApartment;
};

LRESULT CALLBACK AccessibleControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
  Attachment* attachment = reinterpret_cast<Attachment*>(data);
  switch (msg) {
    case WM_GETOBJECT:
      // lParam is a 32-bit object id, sign-extended or not.
      if (LONG(DWORD(lParam)) == OBJID_CLIENT && attachment->object)
        return LresultFromObject(IID_IAccessible, wParam,
                                 static_cast<IAccessible*>(attachment->object));
      break;
    case WM_NCDESTROY: {
      RemoveWindowSubclass(control, AccessibleControlProc, kSubclassId);
      attachment->object->Disconnect();
      attachment->object->Release();
      if (attachment->joinedApartment) CoUninitialize();
      delete attachment;
      break;
    }
    default:
      break;
  }
  return DefSubclassProc(control, msg, wParam, lParam);
}

}  // namespace

bool AttachAlmanacAccessible(HWND control, AlmanacAccessSource source) {
  if (!IsWindow(control) || !source) return false;
  // Another process gets the object through COM marshalling, which needs
  // the thread in an apartment; the program's drawing of pictures joins the
  // same single-threaded one.
  const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Attachment* attachment = new (std::nothrow) Attachment{nullptr, SUCCEEDED(joined)};
  if (attachment) attachment->object = new (std::nothrow) AlmanacAccessible(control, source);
  if (!attachment || !attachment->object ||
      !SetWindowSubclass(control, AccessibleControlProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(attachment))) {
    if (attachment && attachment->object) attachment->object->Release();
    delete attachment;
    if (SUCCEEDED(joined)) CoUninitialize();
    return false;
  }
  return true;
}

LONG DayChildId(size_t day) { return LONG(day + 1); }

LONG LabelChildId(const AlmanacLayout& layout, const LabelPlace& place) {
  size_t id = layout.days.size() + 1;
  for (size_t d = 0; d < place.day && d < layout.days.size(); ++d)
    id += layout.days[d].blocks.size();
  return LONG(id + place.block);
}

void NotifyAlmanacFocus(HWND control, const AlmanacLayout& layout, const LabelPlace* selected) {
  NotifyWinEvent(EVENT_OBJECT_FOCUS, control, OBJID_CLIENT,
                 selected ? LabelChildId(layout, *selected) : CHILDID_SELF);
}
