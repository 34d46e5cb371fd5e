// "Elige tiempo": start date, day count and name of a new almanac.
#pragma once
#include <windows.h>

// Shows the dialog; returns when it has closed. On "Aceptar" with valid
// values, gAlmanac holds the new almanac, isReady is 1 and the main
// window's title is set; returns 1 then, 0 when cancelled.
INT_PTR NewAlmanacDialog(HWND owner);
