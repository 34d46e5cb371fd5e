#include "almanac_picture.h"

#include <wincodec.h>

#include <algorithm>
#include <new>

#include "../render/almanac_page.h"
#include "../render/com_util.h"

namespace {

// What the encoder writes to: a stream over the file layer, so that a
// failure there reaches the user in its own words (a full disk, a file in
// use) and tests can inject one.
class FileStream final : public IStream {
 public:
  explicit FileStream(ExclusiveFile& file) : file_(file) {}
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;
  // The first failure of the file, if any.
  FileError error() const { return error_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_ISequentialStream) ||
        IsEqualIID(iid, IID_IStream)) {
      *out = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  // It lives on its writer's stack, which outlasts the encoder holding it.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override {
    size_t got = 0;
    FileError error = file_.ReadAt(position_, buffer, count, got);
    if (read) *read = ULONG(got);
    if (error != FileError::None) return Fail(error);
    position_ += int64_t(got);
    return got == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Write(const void* data, ULONG count, ULONG* written) override {
    if (written) *written = 0;
    FileError error = file_.WriteAt(position_, data, count);
    if (error != FileError::None) return Fail(error);
    position_ += count;
    size_ = std::max(size_, position_);
    if (written) *written = count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* at) override {
    int64_t base = 0;
    if (origin == STREAM_SEEK_CUR)
      base = position_;
    else if (origin == STREAM_SEEK_END)
      base = size_;
    else if (origin != STREAM_SEEK_SET)
      return STG_E_INVALIDFUNCTION;
    if (base + move.QuadPart < 0) return STG_E_INVALIDFUNCTION;
    position_ = base + move.QuadPart;
    if (at) at->QuadPart = uint64_t(position_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override {
    FileError error = file_.Truncate(int64_t(size.QuadPart));
    if (error != FileError::None) return Fail(error);
    size_ = int64_t(size.QuadPart);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  // The writer flushes the file itself, once the picture is whole.
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    if (!stat) return E_POINTER;
    *stat = STATSTG();
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = uint64_t(size_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  HRESULT Fail(FileError error) {
    if (error_ == FileError::None) error_ = error;
    return error == FileError::DiskFull ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
  }

  ExclusiveFile& file_;
  FileError error_ = FileError::None;
  int64_t position_ = 0;
  int64_t size_ = 0;
  ULONG references_ = 1;
};

// One band's drawing surface: 32 bits a pixel as the tiles are, so the
// picture is drawn exactly as the view shows it, with its bits at hand.
struct Band {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  const uint8_t* bits = nullptr;

  Band() {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kStripWidth;
    info.bmiHeader.biHeight = -kPictureBandRows;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    if (!bitmap || !dc) return;
    bits = static_cast<const uint8_t*>(pixels);
    old = SelectObject(dc, bitmap);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
  }
  ~Band() {
    if (dc && old) SelectObject(dc, old);
    if (dc) DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
  }
  Band(const Band&) = delete;
  Band& operator=(const Band&) = delete;
};

// The encoder's rows: 24-bit blue, green, red, each row padded to 4 bytes.
constexpr UINT kRowBytes = (kStripWidth * 3 + 3) & ~3u;

HRESULT Encode(IStream* stream, const AlmanacLayout& layout,
               const std::vector<LabelRecord>& records, Band& band, std::vector<uint8_t>& rows,
               const PictureProgress& progress) {
  ComRef<IWICImagingFactory> factory;
  ComRef<IWICBitmapEncoder> encoder;
  ComRef<IWICBitmapFrameEncode> frame;
  ComRef<IPropertyBag2> options;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory.p));
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame.p, &options.p);
  if (SUCCEEDED(hr)) hr = frame->Initialize(options.p);
  if (SUCCEEDED(hr)) hr = frame->SetSize(kStripWidth, UINT(layout.height));
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
    hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  if (FAILED(hr)) return hr;

  AlmanacTools tools(layout.dpi);
  for (int64_t top = 0; top < layout.height && SUCCEEDED(hr); top += kPictureBandRows) {
    const int count = int(std::min<int64_t>(kPictureBandRows, layout.height - top));
    DrawAlmanacRows(band.dc, layout, records, top, top + count, tools);
    GdiFlush();
    for (int r = 0; r < count; ++r) {
      const uint8_t* from = band.bits + size_t(r) * kStripWidth * 4;
      uint8_t* to = rows.data() + size_t(r) * kRowBytes;
      for (int x = 0; x < kStripWidth; ++x, from += 4, to += 3) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
      }
    }
    hr = frame->WritePixels(UINT(count), kRowBytes, kRowBytes * UINT(count), rows.data());
    if (SUCCEEDED(hr) && progress && !progress(top + count, layout.height)) hr = E_ABORT;
  }
  if (SUCCEEDED(hr)) hr = frame->Commit();
  if (SUCCEEDED(hr)) hr = encoder->Commit();
  return hr;
}

}  // namespace

PictureResult WriteAlmanacPicture(const std::string& path, const AlmanacLayout& layout,
                                  const std::vector<LabelRecord>& records,
                                  const PictureProgress& progress) {
  PictureResult result;
  // A PNG's height is a signed 32-bit number.
  if (layout.days.empty() || layout.height <= 0 || layout.height > INT32_MAX) {
    result.error = PictureError::Encoder;
    return result;
  }
  Band band;
  std::vector<uint8_t> rows;
  try {
    rows.resize(size_t(kRowBytes) * kPictureBandRows);
  } catch (const std::bad_alloc&) {
    rows.clear();
  }
  if (!band.bits || rows.empty()) {
    result.error = PictureError::NoMemory;
    return result;
  }

  // The picture grows beside its place and takes it only when whole, so
  // the file chosen never holds half a picture, even after a crash.
  // Its scratch file is one of this run's own, made anew: a file of that
  // name already there (someone's "foto.png.tmp") is never written over.
  std::string temporary;
  ExclusiveFile file;
  FileError error = OpenScratchBeside(path, file, temporary);
  HRESULT hr = S_OK;
  if (error == FileError::None) {
    ComApartment com;
    FileStream stream(file);
    try {
      hr = SUCCEEDED(com.hr) || com.hr == RPC_E_CHANGED_MODE
               ? Encode(&stream, layout, records, band, rows, progress)
               : com.hr;
      error = stream.error();
    } catch (const std::bad_alloc&) {
      error = FileError::NoMemory;  // the file is removed below, as after any failure
    }
  }
  if (error == FileError::None && SUCCEEDED(hr)) error = file.Flush();
  const bool opened = file.isOpen();
  const FileError closed = file.Close();
  if (error == FileError::None && SUCCEEDED(hr)) error = closed;
  if (error == FileError::None && SUCCEEDED(hr)) error = PutFileInPlace(temporary, path);
  if (error != FileError::None || FAILED(hr)) {
    if (opened) RemoveFile(temporary);
    result.error = error != FileError::None ? PictureError::File
                   : hr == E_ABORT          ? PictureError::Stopped
                                            : PictureError::Encoder;
    result.file = error;
  }
  return result;
}
