// "Autor": the credits picture.
#pragma once
#include <windows.h>

INT_PTR AboutDialog(HWND owner);
