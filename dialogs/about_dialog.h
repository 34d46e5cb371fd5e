// "Autor": the credits picture.
#pragma once
#include <windows.h>

#include "../render/surface.h"

// Shows the dialog; returns 0 when it has been closed (close box, system
// menu or Alt+F4). Whether one is already open is the caller's concern.
INT_PTR AboutDialog(HWND owner);

// The credits picture: 337 x 345 at 96 DPI (scaled at another), drawn once when the dialog opens
// and released when its window is destroyed.
extern Surface AboutSurface;

// Draws the credits on `dc`: three blocks with three lines each, at `dpi`.
void DrawCredits(HDC dc, int dpi = 96);

// Tests look at the dialog from here: called once the picture is drawn,
// before the dialog is shown and its loop runs. nullptr removes the hook.
void SetAboutDialogHook(void (*hook)(HWND dialog));
