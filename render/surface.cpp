#include "surface.h"

#include "gdi_util.h"

bool CreateSurface(Surface& surface, int width, int height) {
  ReleaseSurface(surface);
  HDC screen = GetDC(nullptr);
  surface.dc = CreateCompatibleDC(screen);
  surface.bitmap = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  if (!surface.dc || !surface.bitmap) {
    ReleaseSurface(surface);
    return false;
  }
  surface.oldBitmap = SelectObject(surface.dc, surface.bitmap);
  surface.width = width;
  surface.height = height;
  SetTextColor(surface.dc, RGB(0, 0, 0));
  SetBkColor(surface.dc, RGB(255, 255, 255));
  ClearSurface(surface);
  return true;
}

void ReleaseSurface(Surface& surface) {
  if (surface.dc && surface.oldBitmap) SelectObject(surface.dc, surface.oldBitmap);
  if (surface.dc) DeleteDC(surface.dc);
  if (surface.bitmap) DeleteObject(surface.bitmap);
  surface = Surface();
}

void FillSurface(Surface& surface, COLORREF color) {
  if (!surface.dc) return;
  OwnedBrush brush(CreateSolidBrush(color));
  RECT all = {0, 0, surface.width, surface.height};
  FillRect(surface.dc, &all, brush);
}

void ClearSurface(Surface& surface) { FillSurface(surface, RGB(255, 255, 255)); }

void PaintSurface(HDC target, const RECT& area, const Surface& surface) {
  if (!surface.dc) return;
  int w = area.right - area.left;
  int h = area.bottom - area.top;
  BitBlt(target, area.left, area.top, w < surface.width ? w : surface.width,
         h < surface.height ? h : surface.height, surface.dc, 0, 0, SRCCOPY);
}
