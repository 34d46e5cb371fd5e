#include "today.h"

#include <windows.h>

namespace {
bool gFixed = false;
CivilDate gFixedDate;
}  // namespace

CivilDate Today() {
  if (gFixed) return gFixedDate;
  SYSTEMTIME now;
  GetLocalTime(&now);
  CivilDate today;
  today.year = int16_t(now.wYear);
  today.month = int16_t(now.wMonth);
  today.day = int16_t(now.wDay);
  return today;
}

void SetTodayForTests(const CivilDate* date) {
  gFixed = date != nullptr;
  if (date) gFixedDate = *date;
}
