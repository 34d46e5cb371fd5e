// Every message to the user goes through here: a modal box without owner,
// caption "Programador", OK only, no icon. Tests may observe the messages
// instead of showing them.
#pragma once
#include <string>

void ShowMessage(const std::string& text);

// While an observer is set, messages go to it and no box is shown.
using MessageObserver = void (*)(const std::string& text);
void SetMessageObserver(MessageObserver observer);
