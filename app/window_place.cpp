#include "window_place.h"

#include <algorithm>
#include <cstdint>

#include "../dialogs/dialog_kit.h"

namespace {

const wchar_t kLeft[] = L"WindowLeft";
const wchar_t kTop[] = L"WindowTop";
const wchar_t kWidth[] = L"WindowWidth";
const wchar_t kHeight[] = L"WindowHeight";
const wchar_t kMaximized[] = L"WindowMaximized";

bool ReadNumber(HKEY key, const wchar_t* name, int32_t& value) {
  DWORD data = 0, size = sizeof data, type = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data)
    return false;
  value = int32_t(data);  // a corner left of or above the main screen is negative
  return true;
}

void WriteNumber(HKEY key, const wchar_t* name, int32_t value) {
  const DWORD data = DWORD(value);
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

}  // namespace

bool ReadWindowPlace(const wchar_t* keyName, WindowPlace& place) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  int32_t left = 0, top = 0, width = 0, height = 0, maximized = 0;
  const bool read = ReadNumber(key, kLeft, left) && ReadNumber(key, kTop, top) &&
                    ReadNumber(key, kWidth, width) && ReadNumber(key, kHeight, height) &&
                    ReadNumber(key, kMaximized, maximized);
  RegCloseKey(key);
  if (!read || width <= 0 || height <= 0) return false;
  place.normal = RECT{left, top, LONG(int64_t(left) + width), LONG(int64_t(top) + height)};
  place.maximized = maximized != 0;
  return true;
}

void WriteWindowPlace(const wchar_t* keyName, const WindowPlace& place) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  const RECT& r = place.normal;
  WriteNumber(key, kLeft, r.left);
  WriteNumber(key, kTop, r.top);
  WriteNumber(key, kWidth, r.right - r.left);
  WriteNumber(key, kHeight, r.bottom - r.top);
  WriteNumber(key, kMaximized, place.maximized ? 1 : 0);
  RegCloseKey(key);
}

RECT FitWindow(const RECT& wanted, const RECT& work) {
  RECT r = wanted;
  r.right = r.left + std::min(r.right - r.left, work.right - work.left);
  r.bottom = r.top + std::min(r.bottom - r.top, work.bottom - work.top);
  return MoveInside(r, work);
}

bool RestorableRect(const RECT& saved, const RECT* work, RECT& restored) {
  if (!work) return false;
  const int64_t width = int64_t(saved.right) - saved.left;
  const int64_t height = int64_t(saved.bottom) - saved.top;
  if (width <= 0 || height <= 0 || width > work->right - work->left ||
      height > work->bottom - work->top)
    return false;
  restored = MoveInside(saved, *work);
  return true;
}

bool RestorableRect(const RECT& saved, RECT& restored) {
  HMONITOR monitor = MonitorFromRect(&saved, MONITOR_DEFAULTTONULL);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return RestorableRect(saved, nullptr, restored);
  return RestorableRect(saved, &info.rcWork, restored);
}
