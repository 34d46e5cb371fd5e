// What a screen reader is given to say for the almanac: days and labels as
// a person says them, Windows-1252 text. Portable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "layout.h"

// The Spanish name of icon picture `number` (1..99), from Unicode CLDR;
// empty for any other number.
const char* IconSpokenName(int number);

// "domingo, 2 de marzo de 2025": the weekday (1 = Monday .. 7 = Sunday),
// the day without a leading zero, the month and the year.
std::string SpokenDate(int16_t day, int16_t month, int16_t year, int weekday);

// One label's lines as one text: each icon code read as its picture's name
// ("\#70" as "bicicleta"), the lines one after another with one blank
// between them (the box wraps long lines, so a line may end mid-sentence),
// runs of blanks as one. A label without any text is "etiqueta vacía".
std::string SpokenLabel(const std::vector<LabelRecord>& records, const LabelBlock& block);

// The labels of one day one after another, each closed by a full stop
// unless it already ends with a mark that closes a sentence; empty for a
// day without labels.
std::string SpokenLabels(const std::vector<LabelRecord>& records, const DayBand& day);
