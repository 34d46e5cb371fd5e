// Finding text in the labels an almanac shows, in the order a person reads
// them: day by day, a day's labels top to bottom (file order), each label
// line by line. Portable: no <windows.h>.
#pragma once
#include <string>
#include <vector>

#include "../data/label_file.h"
#include "layout.h"

// `text` as the search compares it, byte by byte in Windows-1252: capitals
// made small and accents taken off ("Niño" and "NINO" both give "nino").
// Everything else, digits, "\", "#" and the rest, stays as written.
std::string FoldForSearch(const std::string& text);

// Whether the label line `text` (up to its NUL, at most 119 bytes), folded,
// contains `folded` (already folded; an empty one is in every line).
bool LineContains(const char* text, const std::string& folded);

// Where a search starts: the first line of the day after `day`, or the line
// after `place`.
LabelPlace AfterDay(size_t day);
LabelPlace AfterLine(const LabelPlace& place);

// The first line at or after `from` that contains `text`, going on from the
// first day once the last is passed, so every line is looked at once and
// the line just before `from` last. Empty `text` finds nothing. A `from`
// past any day, block or line the almanac has stands for the next one there is.
bool FindLabelLine(const AlmanacLayout& layout, const std::vector<LabelRecord>& records,
                   const std::string& text, const LabelPlace& from, LabelPlace& found);
