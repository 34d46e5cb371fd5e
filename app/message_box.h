// Every message to the user goes through here: a modal box without owner,
// caption "Programador", OK only, no icon. The interface's texts are
// Windows-1252; a path is UTF-8 and may be in any script, so it is handed
// over apart and both reach the (wide) box as they are. Tests may observe
// the messages instead of showing them.
#pragma once
#include <string>

void ShowMessage(const std::string& text);
// `before`, then `path`, then `after`.
void ShowMessage(const std::string& before, const std::string& path, const std::string& after);

// While an observer is set, messages go to it, in UTF-16 exactly as the box
// would show them, and no box is shown.
using MessageObserver = void (*)(const std::wstring& shown);
void SetMessageObserver(MessageObserver observer);

// A question with the buttons Yes and No ("Sí", "No"), caption
// "Programador", no icon, No the default; true when the answer is Yes.
bool AskYesNo(const std::string& text);
// While an answerer is set, questions go to it (as the box would show them)
// and it answers them; no box is shown.
using QuestionAnswerer = bool (*)(const std::wstring& asked);
void SetQuestionAnswerer(QuestionAnswerer answerer);
