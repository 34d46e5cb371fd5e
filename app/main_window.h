// The main window: its menu, the almanac control and its view, its size
// and place; the commands it routes to files of their own.
#pragma once
#include <windows.h>

#include <string>

#include "../data/almanac_document.h"
#include "almanac_view.h"
#include "window_place.h"

// Everything of one main window, owned by the window: made with it, and
// gone with it once no command that began in it is still running (a
// command whose dialog outlives the window finds `window` null).
struct MainWindowState {
  HWND window = nullptr;
  HMENU menu = nullptr;
  AlmanacView view;
  AlmanacDocument document;
  Busy busy;
  std::string commandLine;  // the text after the program name, in UTF-8
  std::string chosenFile;   // the file "Leer" chose last
  std::string shareFolder;  // the folder of the file "Compartir" chose last
  // The label a double click or the label menu acts on.
  LabelPlace labelAt;
  // Where the window stands, kept up to date as it moves, for the next run.
  WindowPlace place;
  WindowPlace* keptPlace = nullptr;  // gets `place` as the window goes
  HWND savedFocus = nullptr;
  HICON bigIcon = nullptr, smallIcon = nullptr;
};

// Builds the window, shows it and runs its loop; returns 0 when it has been
// destroyed. `commandLine` is the text after the program name, in UTF-8.
int RunMainWindow(const char* commandLine);

// Builds the window, hidden, without running it (RunMainWindow does both;
// tests drive the window through this).
HWND BuildMainWindow(const char* commandLine);

// The state of the main window `window`; nullptr for any other window.
MainWindowState* MainWindowStateOf(HWND window);

// Whether the window is there with an almanac shown.
bool AlmanacShown(const MainWindowState& state);
// Greys and enables the menu's commands as the document allows them; after
// every change.
void UpdateCommands(MainWindowState& state);
// Sets the title "Almanaque - <name>.zanual"; `name` is UTF-8.
void SetAlmanacTitle(HWND window, const std::string& name);

// Marks the window busy while it lives (`flag` is one of its Busy flags):
// commands that would open another dialog wait. The flag is as it was
// again once the guard goes, however the command ends.
class DialogOpen {
 public:
  explicit DialogOpen(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~DialogOpen() { flag_ = was_; }
  DialogOpen(const DialogOpen&) = delete;
  DialogOpen& operator=(const DialogOpen&) = delete;

 private:
  bool& flag_;
  bool was_;
};

// Brings the almanac to the front with the keyboard focus, so the keys
// scroll it on from where a command has put it.
void FocusAlmanac(MainWindowState& state);
