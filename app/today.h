// Today's date, from the system clock: the one place the program asks for
// it, so tests can fix it.
#pragma once
#include "../data/calendar.h"

CivilDate Today();

// While `date` is not nullptr, Today() gives it instead of the clock's date.
void SetTodayForTests(const CivilDate* date);
