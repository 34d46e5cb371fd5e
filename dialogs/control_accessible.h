// What a screen reader is told about one control that the system cannot
// describe by itself (a square drawn by the program, a picture): its name,
// role and state, through Microsoft Active Accessibility. Everything else
// (where it is, its parent, moving between controls) the system's own
// object for the control answers.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

struct ControlAccess {
  std::function<std::string()> name;  // Windows-1252, asked afresh each time
  std::string description;            // read after the name; may be empty
  LONG role = 0;                      // ROLE_SYSTEM_...
  std::function<LONG()> state;        // STATE_SYSTEM_... besides focus; may be empty
  std::string defaultAction;          // what doing the default action does; may be empty
  std::function<void()> doDefault;    // does it; may be empty
};

// Makes `control` answer WM_GETOBJECT for OBJID_CLIENT with `access` until
// it is destroyed; false when that cannot be set up.
bool AttachControlAccessible(HWND control, ControlAccess access);
