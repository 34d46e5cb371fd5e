#include "control_accessible.h"

#include <commctrl.h>
#include <ole2.h>
#include <oleacc.h>

#include <new>

#include "accessible_base.h"

namespace {

constexpr UINT_PTR kSubclassId = 0x7A43;  // "zC": a control's accessible object

bool IsSelf(const VARIANT& id) { return id.vt == VT_I4 && id.lVal == CHILDID_SELF; }

// The control's own answers; the system's object for it answers the rest.
class ControlAccessible final : public AccessibleBase {
 public:
  ControlAccessible(HWND control, ControlAccess access, IAccessible* standard, bool joined)
      : joinedApartment(joined),
        control_(control),
        access_(std::move(access)),
        standard_(standard) {}

  const bool joinedApartment;  // CoInitializeEx succeeded for it

  void Disconnect() {
    if (standard_) standard_->Release();
    standard_ = nullptr;
    access_ = ControlAccess();
    CoDisconnectObject(this, 0);
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IAccessible)
      return *out = nullptr, E_NOINTERFACE;
    *out = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP get_accName(VARIANT id, BSTR* name) override {
    if (!standard_) return RPC_E_DISCONNECTED;
    if (!IsSelf(id) || !access_.name) return standard_->get_accName(id, name);
    return Guarded([&] { return AccessibleAnswer(name, access_.name()); });
  }
  STDMETHODIMP get_accDescription(VARIANT id, BSTR* description) override {
    if (!standard_) return RPC_E_DISCONNECTED;
    if (!IsSelf(id)) return standard_->get_accDescription(id, description);
    return Guarded([&] { return AccessibleAnswer(description, access_.description); });
  }
  STDMETHODIMP get_accRole(VARIANT id, VARIANT* role) override {
    if (!standard_) return RPC_E_DISCONNECTED;
    if (!IsSelf(id) || !access_.role) return standard_->get_accRole(id, role);
    if (!role) return E_POINTER;
    role->vt = VT_I4;
    role->lVal = access_.role;
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT id, VARIANT* state) override {
    if (!standard_) return RPC_E_DISCONNECTED;
    if (!IsSelf(id)) return standard_->get_accState(id, state);
    if (!state) return E_POINTER;
    return Guarded([&] {
      LONG bits = access_.state ? access_.state() : 0;
      if (GetWindowLongA(control_, GWL_STYLE) & WS_TABSTOP) bits |= STATE_SYSTEM_FOCUSABLE;
      if (GetFocus() == control_) bits |= STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE;
      if (!IsWindowVisible(control_)) bits |= STATE_SYSTEM_INVISIBLE;
      state->vt = VT_I4;
      state->lVal = bits;
      return S_OK;
    });
  }
  STDMETHODIMP get_accDefaultAction(VARIANT id, BSTR* action) override {
    if (!standard_) return RPC_E_DISCONNECTED;
    if (!IsSelf(id)) return standard_->get_accDefaultAction(id, action);
    return Guarded([&] { return AccessibleAnswer(action, access_.defaultAction); });
  }
  STDMETHODIMP accDoDefaultAction(VARIANT id) override {
    if (!standard_) return RPC_E_DISCONNECTED;
    if (!IsSelf(id)) return standard_->accDoDefaultAction(id);
    if (!access_.doDefault) return DISP_E_MEMBERNOTFOUND;
    return Guarded([&] {
      access_.doDefault();
      return S_OK;
    });
  }

  // The rest as the system answers it.
  STDMETHODIMP get_accParent(IDispatch** parent) override {
    return standard_ ? standard_->get_accParent(parent) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accChildCount(long* count) override {
    return standard_ ? standard_->get_accChildCount(count) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accChild(VARIANT id, IDispatch** child) override {
    return standard_ ? standard_->get_accChild(id, child) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accValue(VARIANT id, BSTR* value) override {
    return standard_ ? standard_->get_accValue(id, value) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accHelp(VARIANT id, BSTR* help) override {
    return standard_ ? standard_->get_accHelp(id, help) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT id, long* topic) override {
    return standard_ ? standard_->get_accHelpTopic(file, id, topic) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) override {
    return standard_ ? standard_->get_accKeyboardShortcut(id, shortcut) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accFocus(VARIANT* id) override {
    return standard_ ? standard_->get_accFocus(id) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accSelection(VARIANT* id) override {
    return standard_ ? standard_->get_accSelection(id) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP accSelect(long flags, VARIANT id) override {
    return standard_ ? standard_->accSelect(flags, id) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP accLocation(long* x, long* y, long* w, long* h, VARIANT id) override {
    return standard_ ? standard_->accLocation(x, y, w, h, id) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return standard_ ? standard_->accNavigate(direction, start, end) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP accHitTest(long x, long y, VARIANT* id) override {
    return standard_ ? standard_->accHitTest(x, y, id) : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~ControlAccessible() {
    if (standard_) standard_->Release();
  }

  // Nothing thrown gets out to the caller.
  HWND control_;
  ControlAccess access_;
  IAccessible* standard_;
};

LRESULT CALLBACK AccessibleControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
  ControlAccessible* object = reinterpret_cast<ControlAccessible*>(data);
  if (msg == WM_GETOBJECT && LONG(DWORD(lParam)) == OBJID_CLIENT)
    return LresultFromObject(IID_IAccessible, wParam, object);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(control, AccessibleControlProc, kSubclassId);
    const bool joined = object->joinedApartment;
    object->Disconnect();
    object->Release();
    if (joined) CoUninitialize();
  }
  return DefSubclassProc(control, msg, wParam, lParam);
}

}  // namespace

bool AttachControlAccessible(HWND control, ControlAccess access) {
  if (!IsWindow(control)) return false;
  // Handing the object to a screen reader's process is COM marshalling,
  // which needs the thread in an apartment (single-threaded, as the
  // program's other COM use).
  const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* standard = nullptr;
  ControlAccessible* object = nullptr;
  if (SUCCEEDED(CreateStdAccessibleObject(control, OBJID_CLIENT, IID_IAccessible,
                                          reinterpret_cast<void**>(&standard))) &&
      standard) {
    object = new (std::nothrow)
        ControlAccessible(control, std::move(access), standard, SUCCEEDED(joined));
    if (!object) standard->Release();
  }
  if (object && SetWindowSubclass(control, AccessibleControlProc, kSubclassId,
                                  reinterpret_cast<DWORD_PTR>(object)))
    return true;
  if (object) object->Release();
  if (SUCCEEDED(joined)) CoUninitialize();
  return false;
}
