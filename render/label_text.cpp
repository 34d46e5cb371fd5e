#include "label_text.h"

#include <cstring>

#include "../data/label_file.h"
#include "gdi_util.h"
#include "icon_markup.h"
#include "layout.h"
#include "stored_picture.h"

namespace {

constexpr int kIconSlot = 18;     // every picture fits an 18 x 18 slot of the atlas at 96 DPI
constexpr int kFirstObject = 27;  // icons 1..26 are faces and flags
constexpr uint32_t kMagenta = 0x00FF00FF;  // RGB(255,0,255) in a 32-bit DIB
constexpr size_t kPrintedCharacters = 118;

int GridX(int column, int dpi) { return Scaled(kGridColumnWidth * (column - 1), dpi); }
int GridY(int row, int dpi) { return Scaled(kGridRowHeight * (row - 1), dpi); }

// How pictures are scaled: at 96 DPI the default mode, where pixels dropped
// when shrinking are ANDed into their neighbours, as the pictures were
// designed for; at any other size a smoothing filter.
int PictureStretchMode(int dpi) { return dpi == kBaseDpi ? BLACKONWHITE : HALFTONE; }
int TextColumn(MarkupVariant variant) { return variant == MarkupVariant::LabelLine ? 18 : 3; }

// A memory DC that is deleted on scope exit.
class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

int IconWidth(int) { return 18; }
int IconHeight(int number) { return number == 9 || number == 22 ? 12 : 18; }

IconCache::IconCache(int dpi)
    : dpi_(dpi), slot_(Scaled(kIconSlot, dpi)), set_(PictureSetFor(dpi)) {}

IconCache::~IconCache() {
  if (imageDc_) {
    SelectObject(imageDc_, oldImage_);
    DeleteDC(imageDc_);
  }
  if (maskDc_) {
    SelectObject(maskDc_, oldMask_);
    DeleteDC(maskDc_);
  }
  if (imageBitmap_) DeleteObject(imageBitmap_);
  if (maskBitmap_) DeleteObject(maskBitmap_);
  if (strip_) DeleteObject(strip_);
}

bool IconCache::PrepareAtlas() {
  if (imageDc_ && maskDc_) return true;
  imageBitmap_ = CreateTopDownDib(slot_ * 99, slot_, &imageBits_);
  maskBitmap_ = CreateTopDownDib(slot_ * 99, slot_, &maskBits_);
  imageDc_ = CreateCompatibleDC(nullptr);
  maskDc_ = CreateCompatibleDC(nullptr);
  if (!imageBitmap_ || !maskBitmap_ || !imageDc_ || !maskDc_) {
    if (imageDc_) DeleteDC(imageDc_);
    if (maskDc_) DeleteDC(maskDc_);
    if (imageBitmap_) DeleteObject(imageBitmap_);
    if (maskBitmap_) DeleteObject(maskBitmap_);
    imageDc_ = maskDc_ = nullptr;
    imageBitmap_ = maskBitmap_ = nullptr;
    return false;
  }
  oldImage_ = SelectObject(imageDc_, imageBitmap_);
  oldMask_ = SelectObject(maskDc_, maskBitmap_);
  return true;
}

bool IconCache::Insert(int number, HBITMAP picture) {
  if (number < 1 || number > 99 || !picture || !PrepareAtlas()) return false;
  BITMAP info = {};
  if (!GetObjectA(picture, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
    return false;
  MemoryDc source;
  if (!source) return false;
  HGDIOBJ old = SelectObject(source, picture);
  if (!old) return false;
  const int w = Scaled(IconWidth(number), dpi_), h = Scaled(IconHeight(number), dpi_);
  const int left = (number - 1) * slot_;
  int oldMode = SetStretchBltMode(imageDc_, PictureStretchMode(dpi_));
  BOOL scaled =
      StretchBlt(imageDc_, left, 0, w, h, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  SetStretchBltMode(imageDc_, oldMode);
  SelectObject(source, old);
  if (!scaled) return false;
  FinishSlot(number, dpi_ != kBaseDpi);
  return true;
}

namespace {

// Whether a pixel of a picture scaled with a smoothing filter is of its
// magenta background: mostly magenta (a blend of magenta and the picture's
// edge counts as background, so no pink fringe is left).
bool NearMagenta(uint32_t pixel) {
  const int r = int(pixel >> 16 & 0xFF), g = int(pixel >> 8 & 0xFF), b = int(pixel & 0xFF);
  return r >= 160 && b >= 160 && g <= 96;
}

}  // namespace

void IconCache::FinishSlot(int number, bool smoothed) {
  const int w = Scaled(IconWidth(number), dpi_), h = Scaled(IconHeight(number), dpi_);
  const int left = (number - 1) * slot_;
  // Only the faces stand on magenta: a pink or purple object keeps its colour.
  smoothed = smoothed && number < kFirstObject;
  GdiFlush();  // the pixels are read and written directly below
  for (int y = 0; y < slot_; ++y) {
    for (int x = 0; x < slot_; ++x) {
      size_t at = size_t(y) * size_t(slot_ * 99) + size_t(left + x);
      uint32_t pixel = imageBits_[at] & 0x00FFFFFF;
      bool transparent = x >= w || y >= h || pixel == kMagenta || (smoothed && NearMagenta(pixel));
      imageBits_[at] = transparent ? 0 : pixel;
      maskBits_[at] = transparent ? 0xFFFFFFFF : 0;
    }
  }
  state_[size_t(number)] = kLoaded;
}

bool IconCache::LoadFromSet(int number) {
  if (!stripTried_) {
    stripTried_ = true;
    strip_ = DecodeStoredPicture(StoredPictureId(0, set_));
  }
  const int setDpi = kPictureDpis[set_];
  const int side = Scaled(kIconSlot, setDpi);
  BITMAP info = {};
  if (!strip_ || !GetObjectA(strip_, sizeof info, &info) || info.bmWidth < side * 99 ||
      info.bmHeight < side)
    return false;
  MemoryDc source;
  HGDIOBJ old = source ? SelectObject(source, strip_) : nullptr;
  if (!old) return false;
  const int fromW = Scaled(IconWidth(number), setDpi), fromH = Scaled(IconHeight(number), setDpi);
  const int w = Scaled(IconWidth(number), dpi_), h = Scaled(IconHeight(number), dpi_);
  const int left = (number - 1) * slot_, fromLeft = (number - 1) * side;
  const bool exact = fromW == w && fromH == h;
  BOOL done;
  if (exact) {
    done = BitBlt(imageDc_, left, 0, w, h, source, fromLeft, 0, SRCCOPY);
  } else {
    const int oldMode = SetStretchBltMode(imageDc_, HALFTONE);
    SetBrushOrgEx(imageDc_, 0, 0, nullptr);
    done = StretchBlt(imageDc_, left, 0, w, h, source, fromLeft, 0, fromW, fromH, SRCCOPY);
    SetStretchBltMode(imageDc_, oldMode);
  }
  SelectObject(source, old);
  if (!done) return false;
  FinishSlot(number, !exact);
  return true;
}

void IconCache::Load(int number) {
  state_[size_t(number)] = kMissing;
  if (!PrepareAtlas()) return;
  if (set_ > 0 && LoadFromSet(number)) return;
  // Scaled straight from the resource's own bits into the atlas: the same
  // pixels as loading it as a bitmap first, at a small part of the cost.
  HRSRC found =
      FindResourceA(nullptr, MAKEINTRESOURCEA(number), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const auto* info = static_cast<const BITMAPINFO*>(loaded ? LockResource(loaded) : nullptr);
  const DWORD size = found ? SizeofResource(nullptr, found) : 0;
  if (!info || size < sizeof(BITMAPINFOHEADER)) return;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0)
    return;
  size_t colors = 0;
  if (header.biBitCount <= 8)
    colors = header.biClrUsed ? header.biClrUsed : size_t(1) << header.biBitCount;
  else if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER))
    colors = 3;  // the three masks follow the header
  const size_t bitsOffset = header.biSize + colors * sizeof(RGBQUAD);
  const size_t stride = (size_t(header.biWidth) * header.biBitCount + 31) / 32 * 4;
  const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  if (bitsOffset + stride * size_t(height) > size) return;
  const int left = (number - 1) * slot_;
  int oldMode = SetStretchBltMode(imageDc_, PictureStretchMode(dpi_));
  int scaled = StretchDIBits(imageDc_, left, 0, Scaled(IconWidth(number), dpi_),
                             Scaled(IconHeight(number), dpi_), 0, 0, header.biWidth, height,
                             reinterpret_cast<const char*>(info) + bitsOffset, info, DIB_RGB_COLORS,
                             SRCCOPY);
  SetStretchBltMode(imageDc_, oldMode);
  if (scaled > 0) FinishSlot(number, dpi_ != kBaseDpi);
}

void IconCache::Draw(HDC dc, int number, int x, int y) {
  if (number < 1 || number > 99) return;
  if (state_[size_t(number)] == kNotTried) Load(number);
  if (state_[size_t(number)] != kLoaded) return;
  const int w = Scaled(IconWidth(number), dpi_), h = Scaled(IconHeight(number), dpi_);
  const int left = (number - 1) * slot_;
  // Keep the surface where the mask is white, then add the picture's pixels
  // where it is black: exactly the non-magenta pixels are set.
  BitBlt(dc, x, y, w, h, maskDc_, left, 0, SRCAND);
  BitBlt(dc, x, y, w, h, imageDc_, left, 0, SRCPAINT);
}

HFONT CreateLabelFont(int dpi) { return CreatePointFont("Courier New", 10, FW_NORMAL, dpi); }

void DrawLabelLine(HDC dc, MarkupVariant variant, int row, const char* text, HFONT labelFont,
                   int dpi) {
  DrawLabelLineAt(dc, variant, GridY(row, dpi), text, labelFont, dpi);
}

namespace {

// Prints `text` from grid column `column`: at 96 DPI as the font sets it
// (its cells are the grid's), at any other each character in its scaled
// grid cell, whatever width the font gives it there.
void PrintOnGrid(HDC dc, int column, int rowTop, const char* text, int length, int dpi) {
  if (dpi == kBaseDpi) {
    TextOutA(dc, GridX(column, dpi), rowTop, text, length);
    return;
  }
  int advances[kPrintedCharacters];
  for (int i = 0; i < length; ++i)
    advances[i] = GridX(column + i + 1, dpi) - GridX(column + i, dpi);
  ExtTextOutA(dc, GridX(column, dpi), rowTop, 0, nullptr, text, UINT(length), advances);
}

}  // namespace

void DrawLabelLineAt(HDC dc, MarkupVariant variant, int rowTop, const char* text, HFONT labelFont,
                     int dpi) {
  if (!text) return;
  // The fixed grid, not the font's measured cell, so that text, patches and
  // pictures line up whatever the font's metrics.
  const int column = TextColumn(variant);
  const int length = int(strnlen(text, kPrintedCharacters));
  // Selecting a font is costly (under Wine especially): a drawing selects
  // the label font once and every line uses it as it is.
  ScopedSelect font(dc, GetCurrentObject(dc, OBJ_FONT) == labelFont ? nullptr : labelFont);
  ScopedTextStyle style(dc, RGB(0, 0, 0), TRANSPARENT);
  UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  std::vector<IconHit> hits = FindIconCodes(text, kMaxLineBytes);
  if (hits.empty()) {
    PrintOnGrid(dc, column, rowTop, text, length, dpi);
  } else {
    // A code's characters are never printed: its patch does not reach the
    // row's top pixels, where tall glyphs of some fonts would still show.
    HRGN saved = CreateRectRgn(0, 0, 0, 0);
    int hadClip = saved ? GetClipRgn(dc, saved) : -1;
    for (const IconHit& hit : hits) {
      const int code = column + hit.position - 1;
      ExcludeClipRect(dc, GridX(code, dpi), rowTop, GridX(code + 4, dpi),
                      rowTop + Scaled(kGridRowHeight, dpi));
    }
    PrintOnGrid(dc, column, rowTop, text, length, dpi);
    SelectClipRgn(dc, hadClip == 1 ? saved : nullptr);
    if (saved) DeleteObject(saved);
  }
  SetTextAlign(dc, oldAlign);
}

void DrawLineIcons(HDC dc, MarkupVariant variant, int row, const char* text, COLORREF patchColor,
                   IconCache& icons) {
  DrawLineIconsAt(dc, variant, GridY(row, icons.dpi()), text, patchColor, icons);
}

void DrawLineIconsAt(HDC dc, MarkupVariant variant, int rowTop, const char* text,
                     COLORREF patchColor, IconCache& icons) {
  std::vector<IconHit> hits = FindIconCodes(text, kMaxLineBytes);
  if (hits.empty()) return;
  const bool label = variant == MarkupVariant::LabelLine;
  const int dpi = icons.dpi();
  auto down = [dpi](int px96) { return Scaled(px96, dpi); };
  OwnedBrush patch(CreateSolidBrush(patchColor & 0x00FFFFFF));
  for (const IconHit& hit : hits) {
    const int p = hit.position;
    // The patch covers the code's four cells; fill and outline share its colour.
    RECT area =
        label ? RECT{GridX(17 + p, dpi), rowTop + down(3), GridX(21 + p, dpi), rowTop + down(16)}
              : RECT{GridX(2 + p, dpi), rowTop, GridX(6 + p, dpi), rowTop + down(16)};
    FillRect(dc, &area, patch);
    icons.Draw(dc, hit.number, GridX(label ? 18 + p : 3 + p, dpi), rowTop + down(label ? 2 : 1));
  }
}

void DrawIcon(int number, HDC dc, int x, int y) {
  IconCache icons;
  icons.Draw(dc, number, x, y);
}
