// PLACEHOLDER: replaced by the dialog work.
#include "new_almanac_dialog.h"

INT_PTR NewAlmanacDialog(HWND) { return 0; }
