// PLACEHOLDER: replaced by the dialog work.
#include "about_dialog.h"

INT_PTR AboutDialog(HWND) { return 0; }
