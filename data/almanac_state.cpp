#include "almanac_state.h"

#include "calendar.h"

bool IsValidAlmanacSettings(int16_t day, int16_t month, int16_t year, int16_t dayCount) {
  if (dayCount < 15 || dayCount > 366) return false;
  // The last day must still be a date Windows can hold.
  return IsRealDate(year, month, day) && year <= kLastYear - 2;
}
