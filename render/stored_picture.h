// The pictures the program carries: bitmaps drawn for 96 DPI, and the same
// pictures drawn again for larger screens (the sets of kPictureDpis), kept
// as PNG and read with the system's decoder (WIC).
#pragma once
#include <windows.h>

// The resource id of what bitmap `id96` is in picture set `set` (1 or
// more); `id96` 0 stands for the strip of the 99 icons, side by side.
int StoredPictureId(int id96, int set);

// The PNG resource `id` as a 32-bit top-down DIB section, opaque; null when
// it is missing or cannot be read. The caller deletes it.
HBITMAP DecodeStoredPicture(int id);

// Bitmap resource `id` for a screen of `dpi`: at 96 DPI as it is stored;
// at another, its size scaled to `dpi`, taken from the picture set drawn
// nearest that size (PictureSetFor) and scaled to it only where the set is
// not exactly that size. The caller deletes it.
HBITMAP LoadPicture(int id, int dpi);
