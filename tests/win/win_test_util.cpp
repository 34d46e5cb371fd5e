#include "tests/win/win_test_util.h"

#include "app/message_box.h"

std::vector<std::string>& ObservedMessages() {
  static std::vector<std::string> messages;
  return messages;
}

void ObserveMessages() {
  ObservedMessages().clear();
  SetMessageObserver([](const std::string& text) { ObservedMessages().push_back(text); });
}
