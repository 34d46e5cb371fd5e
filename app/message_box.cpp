#include "message_box.h"

#include <windows.h>

#include "wide.h"

namespace {

MessageObserver gObserver = nullptr;
QuestionAnswerer gAnswerer = nullptr;

// The program's texts are compiled as Windows-1252 whatever the system's
// own code page is.
std::wstring FromWindows1252(const std::string& text) {
  if (text.empty()) return std::wstring();
  int length = MultiByteToWideChar(1252, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(1252, 0, text.data(), int(text.size()), &wide[0], length);
  return wide;
}

void Show(const std::wstring& text) {
  if (gObserver) {
    gObserver(text);
    return;
  }
  MessageBoxW(nullptr, text.c_str(), L"Programador", MB_OK);
}

}  // namespace

void ShowMessage(const std::string& text) { Show(FromWindows1252(text)); }

void ShowMessage(const std::string& before, const std::string& path, const std::string& after) {
  Show(FromWindows1252(before) + Widen(path) + FromWindows1252(after));
}

void SetMessageObserver(MessageObserver observer) { gObserver = observer; }

bool AskYesNo(const std::string& text) {
  const std::wstring asked = FromWindows1252(text);
  if (gAnswerer) return gAnswerer(asked);
  return MessageBoxW(nullptr, asked.c_str(), L"Programador", MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

void SetQuestionAnswerer(QuestionAnswerer answerer) { gAnswerer = answerer; }
