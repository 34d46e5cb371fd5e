// Colours as calendars write them: CSS colour names and "#RRGGBB". Portable.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The CSS colour name nearest to a Windows colour (0x00BBGGRR).
const char* NearestCssColorName(int32_t colorref);
// The Spanish name of that nearest colour (Windows-1252), for the colours
// the label palette offers and white; nullptr for a colour nearest to another.
const char* SpanishColorName(int32_t colorref);
// "#RRGGBB" of a Windows colour, upper-case digits.
std::string ColorHex(int32_t colorref);
// A CSS colour name (any case) or "#RRGGBB" as a Windows colour; false for
// anything else, leaving `colorref` alone.
bool ParseCssColor(std::string_view text, int32_t& colorref);
