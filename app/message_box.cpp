#include "message_box.h"

#include <windows.h>

namespace {
MessageObserver gObserver = nullptr;
}

void ShowMessage(const std::string& text) {
  if (gObserver) {
    gObserver(text);
    return;
  }
  MessageBoxA(nullptr, text.c_str(), "Programador", MB_OK);
}

void SetMessageObserver(MessageObserver observer) { gObserver = observer; }
