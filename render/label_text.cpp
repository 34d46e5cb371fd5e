// PLACEHOLDER: replaced by the drawing work.
#include "label_text.h"

struct IconCache::Picture {};
IconCache::~IconCache() {}
void IconCache::Draw(HDC, int, int, int) {}
HFONT CreateLabelFont() { return nullptr; }
void DrawLabelLine(HDC, MarkupVariant, int, const char*, HFONT) {}
void DrawLineIcons(HDC, MarkupVariant, int, const char*, COLORREF, IconCache&) {}
void DrawIcon(int, HDC, int, int) {}
