#include "tests/win/win_test_util.h"

#include "app/message_box.h"

std::vector<std::string>& ObservedMessages() {
  static std::vector<std::string> messages;
  return messages;
}

void ObserveMessages() {
  ObservedMessages().clear();
  SetMessageObserver([](const std::wstring& shown) {
    // In the program's own code page, as the tests' texts are written.
    int n = WideCharToMultiByte(1252, 0, shown.c_str(), int(shown.size()), nullptr, 0, nullptr,
                                nullptr);
    std::string text(size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
      WideCharToMultiByte(1252, 0, shown.c_str(), int(shown.size()), &text[0], n, nullptr, nullptr);
    ObservedMessages().push_back(text);
  });
}
