// The user's clock, from Windows' time zone settings.
#pragma once
#include "../share/wall_time.h"

// The local time of a UTC moment, with the daylight-saving rules Windows
// has for that moment's year. Outside the years Windows handles, or if it
// fails, the time is given back unchanged.
WallTime LocalFromUtc(const WallTime& utc);

// Now, in UTC (for the stamp of an exported calendar).
WallTime UtcNow();
