// Small helpers shared by the Windows tests.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/label_file.h"
#include "render/gdi_util.h"

// A fresh folder under %TEMP%, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    path_ = std::string(base) + "tarvina-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + "\\";
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path_ + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string f = path_ + fd.cFileName;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
          SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileA(f.c_str());
        }
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) bytes.append(buf, n);
  CloseHandle(h);
  return bytes;
}

// Rows [top, top + rows) of what `dc` shows, x 0 .. width, as 0x00RRGGBB
// values row by row (read through a copy, so the dc is left as it is).
inline std::vector<uint32_t> RowsOf(HDC dc, int top, int width, int rows) {
  std::vector<uint32_t> pixels;
  uint32_t* bits = nullptr;
  HBITMAP copy = CreateTopDownDib(width, rows, &bits);
  HDC copyDc = CreateCompatibleDC(dc);
  if (copy && copyDc) {
    HGDIOBJ old = SelectObject(copyDc, copy);
    BitBlt(copyDc, 0, 0, width, rows, dc, 0, top, SRCCOPY);
    GdiFlush();
    pixels.assign(bits, bits + size_t(width) * size_t(rows));
    for (uint32_t& px : pixels) px &= 0x00FFFFFF;
    SelectObject(copyDc, old);
  }
  if (copyDc) DeleteDC(copyDc);
  if (copy) DeleteObject(copy);
  return pixels;
}

// Writes the label file of an almanac of `count` + 1 days from the start
// date holding `lines`, their almanac fields filled in; without lines, one
// dated the day before the start (which is not drawn) says what it covers.
inline bool WriteAlmanacFile(const std::string& path, int16_t day, int16_t month, int16_t year,
                             int16_t count, std::vector<LabelRecord> lines) {
  if (lines.empty()) {
    LabelRecord before;
    before.day = int16_t(day > 1 ? day - 1 : 28);
    before.month = int16_t(day > 1 ? month : month > 1 ? month - 1 : 12);
    before.year = int16_t(day > 1 || month > 1 ? year : year - 1);
    before.isLastLine = 1;
    lines.push_back(before);
  }
  for (LabelRecord& r : lines) {
    r.almanacStartDay = day;
    r.almanacStartMonth = month;
    r.almanacStartYear = year;
    r.almanacDayCount = count;
  }
  DeleteFileA(path.c_str());
  return AppendLabel(path, lines) == FileError::None;
}

// GDI objects of this process: GetGuiResources where it works. Under Wine,
// where it is a stub, the live entries of the process's GDI handle table,
// which Wine keeps as Windows does, reachable from the PEB.
int CountGdiObjects();
// USER objects of this process: GetGuiResources where it works. Under Wine
// the windows of this thread (top-level, message-only and every child) and
// the menus, found by trying each user handle index (Wine takes a handle
// without its upper word as any generation of that index); icons and
// cursors are not counted there.
int CountUserObjects();

// Collects what the program would have shown in message boxes.
std::vector<std::string>& ObservedMessages();
void ObserveMessages();  // starts collecting, clears earlier ones
