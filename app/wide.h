// Paths travel through the program as UTF-8 and meet Windows as UTF-16, so
// a folder named in any script survives the trip; label text stays
// Windows-1252 and never goes through here.
#pragma once
#include <string>

// UTF-8 to UTF-16 for the W functions; invalid bytes become U+FFFD.
std::wstring Widen(const std::string& utf8);
// UTF-16 from the W functions back to UTF-8.
std::string Narrow(const std::wstring& wide);
std::string Narrow(const wchar_t* wide);
