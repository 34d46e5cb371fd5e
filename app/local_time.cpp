#include "local_time.h"

#include <windows.h>

WallTime LocalFromUtc(const WallTime& utc) {
  SYSTEMTIME in = {};
  in.wYear = WORD(utc.year);
  in.wMonth = WORD(utc.month);
  in.wDay = WORD(utc.day);
  in.wHour = WORD(utc.hour);
  in.wMinute = WORD(utc.minute);
  in.wSecond = WORD(utc.second);
  SYSTEMTIME out = {};
  if (utc.year < 1601 || utc.year > 30827) return utc;
  // The zone's rules for that year where Windows keeps them (dynamic
  // daylight saving), otherwise its current rules.
  DYNAMIC_TIME_ZONE_INFORMATION zone = {};
  TIME_ZONE_INFORMATION year = {};
  const bool haveYear = GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID &&
                        GetTimeZoneInformationForYear(USHORT(utc.year), &zone, &year);
  if (!SystemTimeToTzSpecificLocalTime(haveYear ? &year : nullptr, &in, &out)) return utc;
  WallTime local;
  local.year = int16_t(out.wYear);
  local.month = int16_t(out.wMonth);
  local.day = int16_t(out.wDay);
  local.hour = int16_t(out.wHour);
  local.minute = int16_t(out.wMinute);
  local.second = int16_t(out.wSecond);
  return local;
}
