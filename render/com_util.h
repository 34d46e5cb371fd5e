// Small RAII helpers for COM: an interface released on scope exit, and the
// calling thread in a single-threaded apartment for as long as it is needed.
#pragma once
#include <objbase.h>

template <typename T>
struct ComRef {
  T* p = nullptr;
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() {
    if (p) p->Release();
  }
  T* operator->() const { return p; }
};

// Joins the apartment the thread is in, or makes one; leaves only what it joined.
struct ComApartment {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ComApartment() = default;
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};
