// Small RAII helpers for GDI objects and DCs.
#pragma once
#include <windows.h>

#include <cstdint>

// Selects an object into a DC and puts the previous one back on scope exit.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (old_) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Owns a pen, brush, font or bitmap and deletes it on scope exit. Make sure
// it is no longer selected anywhere by then (declare it before the ScopedSelect).
template <typename T>
class GdiObject {
 public:
  explicit GdiObject(T object = nullptr) : object_(object) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = other.object_;
      other.object_ = nullptr;
    }
    return *this;
  }
  void Reset(T object = nullptr) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }
  T get() const { return object_; }
  operator T() const { return object_; }

 private:
  T object_;
};

using OwnedPen = GdiObject<HPEN>;
using OwnedBrush = GdiObject<HBRUSH>;
using OwnedFont = GdiObject<HFONT>;
using OwnedBitmap = GdiObject<HBITMAP>;

// Sets the text colour and background mode of a DC and restores them.
class ScopedTextStyle {
 public:
  ScopedTextStyle(HDC dc, COLORREF color, int bkMode)
      : dc_(dc), color_(SetTextColor(dc, color)), mode_(SetBkMode(dc, bkMode)) {}
  ~ScopedTextStyle() {
    SetTextColor(dc_, color_);
    SetBkMode(dc_, mode_);
  }
  ScopedTextStyle(const ScopedTextStyle&) = delete;
  ScopedTextStyle& operator=(const ScopedTextStyle&) = delete;

 private:
  HDC dc_;
  COLORREF color_;
  int mode_;
};

// A font of `points` points at `dpi` (0: the screen's): character height
// round(points x dpi / 72).
HFONT CreatePointFont(const char* face, int points, int weight = FW_NORMAL, int dpi = 0);

// The DPI of the screen (the system's), and that of the monitor `window` is
// on where the system tells it apart (GetDpiForWindow, Windows 10 1607 on),
// else the screen's.
int ScreenDpi();
int WindowDpi(HWND window);

// AdjustWindowRectEx with the frame, caption and menu bar of a window at
// `dpi` (AdjustWindowRectExForDpi, Windows 10 1607 on), else of the screen.
BOOL AdjustFrameForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, int dpi);

// A 32-bit top-down DIB section; `bits` points at its pixels.
HBITMAP CreateTopDownDib(int width, int height, uint32_t** bits);

// GetSystemMetrics for a window at `dpi` (GetSystemMetricsForDpi, Windows 10
// 1607 on), else for the screen.
int SystemMetricForDpi(int index, int dpi);
