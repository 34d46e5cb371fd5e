// The .zanual association, per user.
#pragma once
#include <windows.h>

#include <string>

// The open command registered for `extension` (with its dot), environment
// variables expanded; empty when there is none.
std::string QueryOpenCommand(const char* extension);
// Writes the three association values under HKCU\Software\Classes. Returns
// true only when all three were written.
bool RegisterFileType(const char* word, int iconIndex);
// Writes one REG_SZ value; returns 1 when written, 0 otherwise.
int WriteRegistryText(HKEY root, const char* keyPath, const char* valueName, const char* data);
// Every "\" doubled.
std::string DoubleBackslashes(const std::string& path);
// The program an open command starts (quoted, or unquoted up to ".exe"),
// with the doubled backslashes of our own values made single again.
std::string ProgramOfCommand(const std::string& command);
// The start-up check: when ".zanual" has no usable open command, or one
// naming a tarvina.exe that no longer exists, registers the running program
// and tells the user whether that worked. Another program's association is
// left alone. Texts here are UTF-8.
void EnsureFileAssociation();
