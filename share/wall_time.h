// A calendar date and time of day, as iCalendar files and Windows both
// count it (no zone of its own: the user says whether it is UTC or local).
#pragma once
#include <cstdint>

struct WallTime {
  int16_t year = 0;
  int16_t month = 0;
  int16_t day = 0;
  int16_t hour = 0;
  int16_t minute = 0;
  int16_t second = 0;
};

// The local time of a moment given in UTC. The program's answer comes from
// Windows (LocalFromUtc in app/local_time.h); tests pass a fixed zone.
using LocalFromUtcFn = WallTime (*)(const WallTime& utc);
