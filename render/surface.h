// An off-screen drawing surface: a memory DC with its own bitmap selected.
// The strip, the view, the colour squares and the About picture are surfaces;
// owner-drawn STATIC controls repaint themselves from theirs.
#pragma once
#include <windows.h>

struct Surface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  int width = 0;
  int height = 0;
};

// Creates a width x height surface filled white, black text on white.
bool CreateSurface(Surface& surface, int width, int height);
// Selects the old bitmap back, then deletes the DC and the bitmap.
void ReleaseSurface(Surface& surface);
// Fills the whole surface with one colour.
void FillSurface(Surface& surface, COLORREF color);
// Fills the whole surface white.
void ClearSurface(Surface& surface);
// Copies the surface onto the control's face (for WM_DRAWITEM / WM_PAINT).
void PaintSurface(HDC target, const RECT& area, const Surface& surface);
