#include "local_time.h"

#include <windows.h>

namespace {

WallTime WallTimeOf(const SYSTEMTIME& t) {
  WallTime w;
  w.year = int16_t(t.wYear);
  w.month = int16_t(t.wMonth);
  w.day = int16_t(t.wDay);
  w.hour = int16_t(t.wHour);
  w.minute = int16_t(t.wMinute);
  w.second = int16_t(t.wSecond);
  return w;
}

}  // namespace

WallTime UtcNow() {
  SYSTEMTIME now;
  GetSystemTime(&now);
  return WallTimeOf(now);
}

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
  return WallTimeOf(out);
}
