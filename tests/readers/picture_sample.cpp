// Opens a 366-day almanac with 2,000 label lines in the main window, saves
// its picture through "Guardar imagen" (after the file dialog), and writes
// beside it what the view shows at several scroll positions. Then saves it
// again and clicks "Cancelar" in the progress window: the picture saved
// first must stay as it was, with nothing left beside it.
// tests/readers/check_picture.py reads the picture with PIL and compares.
//
//   picture_sample FOLDER    writes FOLDER\almanac.png, FOLDER\size.txt
//                            ("width height") and FOLDER\view-<top>.bgrx
//                            (the view's 1134 x 771 pixels, blue, green,
//                            red and a spare byte each, from picture row <top>)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/share_commands.h"
#include "data/calendar.h"
#include "data/label_file.h"
#include "data/label_palette.h"
#include "dialogs/progress_dialog.h"
#include "resource.h"
#include "tests/win/win_test_util.h"

namespace {

// The window the program drives, and what it shows.
HWND gWindow = nullptr;
MainWindowState& State() { return *MainWindowStateOf(gWindow); }
AlmanacView& View() { return State().view; }
AlmanacDocument& Doc() { return State().document; }

std::wstring gMessage;

// Labels of one to three lines, each line with a picture code, in every
// colour, about three a day.
std::vector<LabelRecord> Lines() {
  std::vector<LabelRecord> records;
  for (int label = 0; records.size() < 2000; ++label) {
    CivilDate date{2024, 1, 1, 0};
    AddDays(date, label * 7 % 366);
    const int lines = 1 + label % 3;
    for (int k = 0; k < lines && records.size() < 2000; ++k) {
      LabelRecord r;
      r.day = date.day, r.month = date.month, r.year = date.year;
      char text[80];
      snprintf(text, sizeof text, "Etiqueta %d, l\xEDnea %d \\#%02d y m\xE1s", label, k + 1,
               1 + (label + k) % 99);
      SetRecordText(r, text);
      r.color = kLabelPalette[label % kLabelPaletteSize];
      r.isLastLine = k + 1 == lines || records.size() + 1 == 2000;
      r.almanacStartDay = 1, r.almanacStartMonth = 1, r.almanacStartYear = 2024;
      r.almanacDayCount = 365;
      records.push_back(r);
    }
  }
  return records;
}

// A person's click on "Cancelar", as soon as the progress window shows.
bool gMainDisabled = false;
void ClickCancel(HWND window) {
  gMainDisabled = !IsWindowEnabled(gWindow);
  PostMessageA(GetDlgItem(window, IDC_PROGRESS_CANCEL), BM_CLICK, 0, 0);
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = fwrite(data, 1, size, file) == size;
  return fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: picture_sample FOLDER\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "\\";
  const std::string almanac = folder + "Casa.zanual";
  DeleteFileA(almanac.c_str());
  if (AppendLabel(almanac, Lines()) != FileError::None) return 1;
  SetMessageObserver([](const std::wstring& shown) { gMessage = shown; });
  gWindow = BuildMainWindow(almanac.c_str());
  if (!gWindow) return 1;
  SendMessageA(gWindow, WM_INITDIALOG, 0, 0);
  const AlmanacLayout& layout = Doc().layout;
  if (layout.days.size() != 366) return 1;

  // A file named as the picture's scratch file once was is someone's: it stays.
  const std::string beside = folder + "almanac.png.tmp";
  if (!WriteBytes(beside, "ajeno", 5)) return 1;
  SavePictureTo(State(), folder + "almanac.png");
  fprintf(stderr, "%ls\n", gMessage.c_str());
  if (ReadFileBytes(beside) != "ajeno") {
    fprintf(stderr, "the picture wrote over %s\n", beside.c_str());
    return 1;
  }
  if (gMessage.rfind(L"Se guardó la imagen", 0) != 0) return 1;
  const std::string size = std::to_string(kStripWidth) + " " + std::to_string(layout.height);
  if (!WriteBytes(folder + "size.txt", size.data(), size.size())) return 1;

  // The top, across a band's edge, the middle, the last full view and End
  // (the last day at the top, white below).
  const int64_t height = layout.height;
  for (int64_t top : {int64_t(0), int64_t(1000), height / 2 + 37, height - View().surface.height,
                      layout.endScrollTop}) {
    View().offset = -top;
    RefreshView(View(), Doc());
    std::vector<uint32_t> pixels(size_t(View().surface.width) * View().surface.height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = View().surface.width;
    info.bmiHeader.biHeight = -View().surface.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    // The view's bitmap is selected in its DC: read it through a copy.
    HDC copy = CreateCompatibleDC(View().surface.dc);
    HBITMAP bitmap =
        CreateCompatibleBitmap(View().surface.dc, View().surface.width, View().surface.height);
    HGDIOBJ old = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, View().surface.width, View().surface.height, View().surface.dc, 0, 0,
           SRCCOPY);
    SelectObject(copy, old);
    const int got =
        GetDIBits(copy, bitmap, 0, View().surface.height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteDC(copy);
    DeleteObject(bitmap);
    if (got != View().surface.height) return 1;
    if (!WriteBytes(folder + "view-" + std::to_string(top) + ".bgrx", pixels.data(),
                    pixels.size() * 4))
      return 1;
  }

  const std::string saved = ReadFileBytes(folder + "almanac.png");
  if (saved.empty()) return 1;
  gMessage.clear();
  SetPictureProgressDelay(0);
  SetProgressWindowHook(ClickCancel);
  SavePictureTo(State(), folder + "almanac.png");
  if (!gMainDisabled) {
    fprintf(stderr, "the main window was not disabled while the progress window showed\n");
    return 1;
  }
  if (!IsWindowEnabled(gWindow) || !gMessage.empty()) {
    fprintf(stderr, "after Cancelar: main window %s, message \"%ls\"\n",
            IsWindowEnabled(gWindow) ? "enabled" : "disabled", gMessage.c_str());
    return 1;
  }
  std::vector<std::string> names;
  ListFiles(folder, names);
  if (ReadFileBytes(folder + "almanac.png") != saved ||
      std::count_if(names.begin(), names.end(), IsScratchName) != 0) {
    fprintf(stderr, "a cancelled picture changed the saved one or left a file beside it\n");
    return 1;
  }
  DestroyWindow(gWindow);
  return 0;
}
