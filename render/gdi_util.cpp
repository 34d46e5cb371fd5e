#include "gdi_util.h"

#include "scale.h"

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  // Looked up once: older systems do not have it.
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return int(dpi);
  }
  return ScreenDpi();
}

BOOL AdjustFrameForDpi(RECT* rect, DWORD style, BOOL menu, DWORD exStyle, int dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  // Looked up once: older systems do not have it.
  static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
  if (adjustForDpi && dpi > 0) return adjustForDpi(rect, style, menu, exStyle, UINT(dpi));
  return AdjustWindowRectEx(rect, style, menu, exStyle);
}

HFONT CreatePointFont(const char* face, int points, int weight, int dpi) {
  if (dpi <= 0) dpi = ScreenDpi();
  LOGFONTA lf = {};
  lf.lfHeight = -MulDiv(points, dpi, 72);  // negative: character height, not cell height
  lf.lfWeight = weight;
  lf.lfCharSet = ANSI_CHARSET;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  return CreateFontIndirectA(&lf);
}

HBITMAP LoadPicture(int id, int dpi) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  HBITMAP picture = static_cast<HBITMAP>(
      LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  BITMAP info = {};
  if (!picture || dpi == kBaseDpi || !GetObjectA(picture, sizeof info, &info)) return picture;
  const int width = Scaled(int(info.bmWidth), dpi), height = Scaled(int(info.bmHeight), dpi);
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
  if (screen) ReleaseDC(nullptr, screen);
  bool done = false;
  if (from && to && scaled) {
    HGDIOBJ oldFrom = SelectObject(from, picture);
    HGDIOBJ oldTo = SelectObject(to, scaled);
    const int oldMode = SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    done = StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SetStretchBltMode(to, oldMode);
    SelectObject(to, oldTo);
    SelectObject(from, oldFrom);
  }
  if (from) DeleteDC(from);
  if (to) DeleteDC(to);
  if (done) {
    DeleteObject(picture);
    return scaled;
  }
  if (scaled) DeleteObject(scaled);
  return picture;  // unscaled rather than none
}
