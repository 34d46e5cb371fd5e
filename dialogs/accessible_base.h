// What every accessible object of the program has in common: its reference
// count, an IDispatch without type information (screen readers call
// IAccessible directly), Windows-1252 text handed out as BSTRs, and no
// exception crossing into the caller.
#pragma once
#include <oleacc.h>
#include <windows.h>

#include <new>
#include <string>

// Label and dialog texts are Windows-1252 whatever the system's code page.
inline BSTR AccessibleText(const std::string& text) {
  const int n = MultiByteToWideChar(1252, 0, text.data(), int(text.size()), nullptr, 0);
  BSTR out = SysAllocStringLen(nullptr, UINT(n > 0 ? n : 0));
  if (out && n > 0) MultiByteToWideChar(1252, 0, text.data(), int(text.size()), out, n);
  return out;
}

// `text` as the answer to a question for a string; S_FALSE when there is none.
inline HRESULT AccessibleAnswer(BSTR* out, const std::string& text) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = AccessibleText(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

class AccessibleBase : public IAccessible {
 public:
  virtual ~AccessibleBase() = default;

  STDMETHODIMP_(ULONG) AddRef() override { return ULONG(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return ULONG(left);
  }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  // An answer that runs out of memory, or fails otherwise, says so to the
  // caller instead of throwing into it.
  template <typename F>
  static HRESULT Guarded(F answer) {
    try {
      return answer();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (...) {
      return E_FAIL;
    }
  }

 private:
  LONG refs_ = 1;
};
