// A label line as the tests store it: 5 March 2025 in one colour, in a
// 120-day almanac from 1 January 2025 unless told otherwise.
#pragma once
#include "data/label_file.h"

inline LabelRecord TestLine(const char* text, int isLast, int day = 5, int month = 3) {
  LabelRecord r;
  r.day = int16_t(day);
  r.month = int16_t(month);
  r.year = 2025;
  SetRecordText(r, text);
  r.color = 0x006666FF;
  r.isLastLine = isLast;
  r.almanacStartDay = 1;
  r.almanacStartMonth = 1;
  r.almanacStartYear = 2025;
  r.almanacDayCount = 120;
  return r;
}
