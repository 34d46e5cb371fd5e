#include "stored_picture.h"

#include <wincodec.h>

#include <cstdint>

#include "com_util.h"
#include "gdi_util.h"
#include "resource.h"
#include "scale.h"

namespace {

// A decoded picture larger than this is not one of ours.
constexpr UINT kLargestSide = 8192;

// The width and height of bitmap resource `id`, from its header alone.
bool StoredBitmapSize(int id, int& width, int& height) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  const auto* header =
      static_cast<const BITMAPINFOHEADER*>(loaded ? LockResource(loaded) : nullptr);
  if (!header || SizeofResource(nullptr, found) < sizeof *header) return false;
  width = int(header->biWidth);
  height = header->biHeight < 0 ? -int(header->biHeight) : int(header->biHeight);
  return width > 0 && height > 0;
}

// `picture` (selected in no DC) scaled to width x height with a smoothing
// filter, as a new bitmap; null when it could not be made.
HBITMAP SmoothlyScaled(HBITMAP picture, int width, int height) {
  BITMAP info = {};
  if (!picture || width <= 0 || height <= 0 || !GetObjectA(picture, sizeof info, &info))
    return nullptr;
  HDC screen = GetDC(nullptr);
  HDC from = CreateCompatibleDC(screen);
  HDC to = CreateCompatibleDC(screen);
  HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
  if (screen) ReleaseDC(nullptr, screen);
  bool done = false;
  if (from && to && scaled) {
    HGDIOBJ oldFrom = SelectObject(from, picture);
    HGDIOBJ oldTo = SelectObject(to, scaled);
    const int oldMode = SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    done = StretchBlt(to, 0, 0, width, height, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    SetStretchBltMode(to, oldMode);
    SelectObject(to, oldTo);
    SelectObject(from, oldFrom);
  }
  if (from) DeleteDC(from);
  if (to) DeleteDC(to);
  if (!done && scaled) {
    DeleteObject(scaled);
    scaled = nullptr;
  }
  return scaled;
}

}  // namespace

int StoredPictureId(int id96, int set) {
  const int base = IDP_PICTURES + 10 * set;
  return id96 == 0 ? base : base + 1 + (id96 - IDB_LEGEND_FACES_1);
}

HBITMAP DecodeStoredPicture(int id) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
  void* data = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = found ? SizeofResource(nullptr, found) : 0;
  if (!data || size == 0) return nullptr;

  ComApartment apartment;
  ComRef<IWICImagingFactory> factory;
  ComRef<IWICStream> stream;
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  ComRef<IWICFormatConverter> opaque;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.p));
  if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream.p);
  // The decoder only reads the resource's bytes.
  if (SUCCEEDED(hr)) hr = stream->InitializeFromMemory(static_cast<BYTE*>(data), size);
  if (SUCCEEDED(hr))
    hr = factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                          &decoder.p);
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame.p);
  if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(&opaque.p);
  // The pictures have no alpha: BGRA gives each pixel an alpha of 255, so a
  // control that blends 32-bit bitmaps shows them as they are.
  if (SUCCEEDED(hr))
    hr = opaque->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                            0.0, WICBitmapPaletteTypeCustom);
  UINT width = 0, height = 0;
  if (SUCCEEDED(hr)) hr = opaque->GetSize(&width, &height);
  if (FAILED(hr) || width == 0 || height == 0 || width > kLargestSide || height > kLargestSide)
    return nullptr;
  uint32_t* bits = nullptr;
  HBITMAP picture = CreateTopDownDib(int(width), int(height), &bits);
  if (!picture) return nullptr;
  hr = opaque->CopyPixels(nullptr, width * 4, width * height * 4, reinterpret_cast<BYTE*>(bits));
  if (FAILED(hr)) {
    DeleteObject(picture);
    return nullptr;
  }
  return picture;
}

HBITMAP LoadPicture(int id, int dpi) {
  auto bitmap96 = [id] {
    return static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                           IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  };
  if (dpi == kBaseDpi) return bitmap96();
  int width96 = 0, height96 = 0;
  if (!StoredBitmapSize(id, width96, height96)) return nullptr;
  const int width = Scaled(width96, dpi), height = Scaled(height96, dpi);
  const int set = PictureSetFor(dpi);
  HBITMAP picture = set > 0 ? DecodeStoredPicture(StoredPictureId(id, set)) : nullptr;
  if (!picture) picture = bitmap96();  // the bitmap of 96 DPI, rather than none
  BITMAP info = {};
  if (!picture || !GetObjectA(picture, sizeof info, &info)) return picture;
  if (info.bmWidth == width && info.bmHeight == height) return picture;  // drawn at this size
  HBITMAP scaled = SmoothlyScaled(picture, width, height);
  if (!scaled) return picture;  // unscaled rather than none
  DeleteObject(picture);
  return scaled;
}
