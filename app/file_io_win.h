// What the Windows file backend shares with other Windows file code.
#pragma once
#include <windows.h>

#include "../data/file_io.h"

// The file layer's reason for a Windows error code (GetLastError).
FileError FileErrorOf(DWORD error);
