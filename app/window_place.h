// Where the main window stands on the screen, kept per user between runs.
#pragma once
#include <windows.h>

struct WindowPlace {
  RECT normal = {};  // neither maximised nor minimised, in screen coordinates
  bool maximized = false;
};

// The key under HKEY_CURRENT_USER that keeps it.
constexpr wchar_t kWindowPlaceKey[] = L"Software\\tarvina";

// False when nothing (or nothing whole) is kept under `key`.
bool ReadWindowPlace(const wchar_t* key, WindowPlace& place);
// Failures are not reported: the next start opens at the default place.
void WriteWindowPlace(const wchar_t* key, const WindowPlace& place);

// `wanted` shrunk to the size of `work` where it is larger, then moved
// inside it as little as it takes.
RECT FitWindow(const RECT& wanted, const RECT& work);

// Where a window kept at `saved` opens again: there, when it lies on a
// screen whose work area `work` (nullptr when it lies on none) holds its
// size, moved inside that work area if it reaches out of it. False when it
// cannot be restored.
bool RestorableRect(const RECT& saved, const RECT* work, RECT& restored);

// RestorableRect on the screens there are now.
bool RestorableRect(const RECT& saved, RECT& restored);
