// "Autor": the window, the credits picture pixel by pixel, how it closes and
// that the picture goes with the window.
#include "dialogs/about_dialog.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "render/label_text.h"
#include "resource.h"
#include "tests/win/dialog_driver.h"

using dialog_driver::PostStep;
using dialog_driver::WindowText;

namespace {

const COLORREF kFill = RGB(249, 220, 188);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const int kBlockTops[3] = {1, 74, 147};

struct Credit {
  int row;
  const char* text;
  int icon;  // 0: none
};
const Credit kCredits[] = {
    {2, "Este programa ha sido realizado por", 0},
    {3, "Velmar\\#09", 9},
    {4, "Visitame en www.tarvina.example\\#04", 4},
    {6, "Tarvina es un programa de \\#14", 14},
    {7, "etiquetas y almanaque\\#08", 8},
    {8, "Usalo para tus cosas del día a día\\#10", 10},
    {11, "Fechas de examen o acontecimientos \\#17", 17},
    {12, "Menús del día\\#02", 2},
    {13, "Diario almanaque o citas\\#11", 11},
};

std::function<void(HWND)> gDrive;
void DriveHook(HWND dialog) {
  if (gDrive) gDrive(dialog);
}

// The pixels of the bitmap selected into `dc`, top-down, as COLORREFs.
struct Picture {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

Picture ReadPicture(HDC dc) {
  Picture p;
  HBITMAP bitmap = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP bm = {};
  if (!GetObjectA(bitmap, sizeof bm, &bm)) return p;
  p.width = bm.bmWidth;
  p.height = bm.bmHeight;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = p.width;
  info.bmiHeader.biHeight = -p.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> raw(size_t(p.width) * p.height);
  // GetDIBits wants the bitmap out of any DC on Windows; a copy keeps the
  // surface as it is.
  HDC copyDc = CreateCompatibleDC(dc);
  HBITMAP copy = CreateCompatibleBitmap(dc, p.width, p.height);
  HGDIOBJ old = SelectObject(copyDc, copy);
  BitBlt(copyDc, 0, 0, p.width, p.height, dc, 0, 0, SRCCOPY);
  SelectObject(copyDc, old);
  GetDIBits(copyDc, copy, 0, p.height, raw.data(), &info, DIB_RGB_COLORS);
  DeleteDC(copyDc);
  DeleteObject(copy);
  p.pixels.resize(raw.size());
  for (size_t i = 0; i < raw.size(); ++i)
    p.pixels[i] = RGB(GetRValue(raw[i] >> 16), GetRValue(raw[i] >> 8), GetRValue(raw[i]));
  return p;
}

class AboutDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetAboutDialogHook(DriveHook); }
  void TearDown() override {
    SetAboutDialogHook(nullptr);
    gDrive = nullptr;
  }
};

TEST_F(AboutDialogTest, WindowAndPictureControl) {
  gDrive = [](HWND dialog) {
    EXPECT_EQ(WindowText(dialog), "Autor");
    DWORD style = DWORD(GetWindowLongA(dialog, GWL_STYLE));
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    DWORD ex = DWORD(GetWindowLongA(dialog, GWL_EXSTYLE));
    EXPECT_EQ(ex & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT),
              DWORD(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    RECT client, window;
    GetClientRect(dialog, &client);
    GetWindowRect(dialog, &window);
    EXPECT_EQ(client.right, 350);
    EXPECT_EQ(client.bottom, 364);
    EXPECT_EQ(window.left, 254);
    EXPECT_EQ(window.top, 158);

    HWND picture = GetWindow(dialog, GW_CHILD);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(GetDlgCtrlID(picture), IDC_ABOUT_PICTURE);
    EXPECT_EQ(GetWindow(picture, GW_HWNDNEXT), nullptr) << "one control only";
    char cls[32] = "";
    GetClassNameA(picture, cls, sizeof cls);
    EXPECT_EQ(lstrcmpiA(cls, "Static"), 0) << cls;
    DWORD ps = DWORD(GetWindowLongA(picture, GWL_STYLE));
    EXPECT_EQ(ps & SS_TYPEMASK, DWORD(SS_OWNERDRAW));
    EXPECT_TRUE(ps & WS_BORDER);
    EXPECT_TRUE(ps & WS_VISIBLE);
    RECT r;
    GetWindowRect(picture, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 8);
    EXPECT_EQ(r.top, 8);
    EXPECT_EQ(r.right - r.left, 336);
    EXPECT_EQ(r.bottom - r.top, 344);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(AboutDialog(nullptr), 0);
}

TEST_F(AboutDialogTest, CreditsPictureHasThreeBlocks) {
  Picture p;
  gDrive = [&](HWND dialog) {
    ASSERT_NE(AboutSurface.dc, nullptr);
    p = ReadPicture(AboutSurface.dc);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(AboutDialog(nullptr), 0);
  ASSERT_EQ(p.width, 337);
  ASSERT_EQ(p.height, 345);

  for (int top : kBlockTops) {
    SCOPED_TRACE(top);
    int bottom = top + 71;  // last row of the block
    for (int x = 1; x <= 332; ++x) {
      ASSERT_EQ(p.At(x, top), kBlack) << "top edge x " << x;
      ASSERT_EQ(p.At(x, bottom), kBlack) << "bottom edge x " << x;
    }
    for (int y = top; y <= bottom; ++y) {
      ASSERT_EQ(p.At(1, y), kBlack) << "left edge y " << y;
      ASSERT_EQ(p.At(332, y), kBlack) << "right edge y " << y;
      // Left of the text column and at the far right: only the fill.
      if (y > top && y < bottom) {
        for (int x = 2; x < 16; ++x) ASSERT_EQ(p.At(x, y), kFill) << x << "," << y;
        for (int x = 328; x < 332; ++x) ASSERT_EQ(p.At(x, y), kFill) << x << "," << y;
      }
    }
    for (int x = 2; x < 332; ++x) ASSERT_EQ(p.At(x, top + 1), kFill) << "first inner row x " << x;
  }
  // White around and between the blocks.
  for (int x = 0; x < p.width; ++x) {
    for (int y : {0, 73, 146, 219, 300, 344}) ASSERT_EQ(p.At(x, y), kWhite) << x << "," << y;
  }
  for (int y = 0; y < p.height; ++y) {
    for (int x : {0, 333, 336}) ASSERT_EQ(p.At(x, y), kWhite) << x << "," << y;
  }
}

TEST_F(AboutDialogTest, CreditLinesAndTheirIcons) {
  HFONT probe = CreateLabelFont();
  if (!probe) GTEST_SKIP() << "the label text drawing is not in yet";
  DeleteObject(probe);
  Picture p;
  gDrive = [&](HWND dialog) {
    p = ReadPicture(AboutSurface.dc);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  };
  AboutDialog(nullptr);
  ASSERT_EQ(p.width, 337);

  auto dark = [](COLORREF c) {
    return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
  };
  for (const Credit& c : kCredits) {
    SCOPED_TRACE(c.text);
    int rowTop = 16 * (c.row - 1);
    const char* code = std::strstr(c.text, "\\#");
    int textEnd = code ? int(code - c.text) : int(std::strlen(c.text));
    // Text: dark pixels in the cells of the characters before the code,
    // from column 3 (x = 16).
    int darkCount = 0;
    for (int y = rowTop; y < rowTop + 16; ++y)
      for (int x = 16; x < 16 + 8 * textEnd; ++x) darkCount += dark(p.At(x, y));
    EXPECT_GT(darkCount, 3 * textEnd) << "the line's text";
    // Nothing printed right of the line's end (below the reach of the icon
    // of the row above, which stands 18 pixels tall from one below its top).
    int end = 16 + 8 * (code ? textEnd + 4 : textEnd);
    for (int y = rowTop + 3; y < rowTop + 16; ++y)
      for (int x = end; x < 328; ++x) ASSERT_EQ(p.At(x, y), kFill) << x << "," << y;
    if (!code) continue;

    // The code's four cells are covered by a patch of the block colour with
    // the icon one cell in, one pixel below the row's top.
    int codeColumn = textEnd + 1;  // 1-based position of the backslash
    int patchLeft = 8 * (2 + codeColumn - 1), patchRight = 8 * (6 + codeColumn - 1);
    int iconX = 8 * (3 + codeColumn - 1), iconY = rowTop + 1;
    int iconH = (c.icon == 9 || c.icon == 22) ? 12 : 18;
    int coloured = 0;
    for (int y = iconY; y < iconY + iconH; ++y)
      for (int x = iconX; x < iconX + 18; ++x) {
        COLORREF px = p.At(x, y);
        coloured += px != kFill && px != kBlack && px != kWhite;
      }
    EXPECT_GT(coloured, 40) << "icon " << c.icon << " at " << iconX << "," << iconY;
    for (int y = rowTop; y < rowTop + 16; ++y)
      for (int x = patchLeft; x < patchRight; ++x) {
        bool inIcon = x >= iconX && x < iconX + 18 && y >= iconY && y < iconY + iconH;
        if (inIcon) continue;
        ASSERT_EQ(p.At(x, y), kFill) << "code not hidden at " << x << "," << y;
      }
  }
}

TEST_F(AboutDialogTest, ControlRepaintsFromThePictureAndTheSecondOpeningDrawsTheSame) {
  std::vector<Picture> openings;
  Picture painted;
  HBITMAP surfaceBitmap = nullptr;
  HDC surfaceDc = nullptr;
  gDrive = [&](HWND dialog) {
    openings.push_back(ReadPicture(AboutSurface.dc));
    surfaceBitmap = AboutSurface.bitmap;
    surfaceDc = AboutSurface.dc;
    // What the control paints: its face holds the picture from (0, 0).
    HWND picture = GetDlgItem(dialog, IDC_ABOUT_PICTURE);
    RECT face;
    GetClientRect(picture, &face);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, face.right, face.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, face.right, face.bottom, BLACKNESS);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_STATIC;
    item.CtlID = IDC_ABOUT_PICTURE;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = picture;
    item.hDC = dc;
    item.rcItem = face;
    SendMessageA(dialog, WM_DRAWITEM, IDC_ABOUT_PICTURE, reinterpret_cast<LPARAM>(&item));
    painted = ReadPicture(dc);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  };
  EXPECT_EQ(AboutDialog(nullptr), 0);
  // Released with the window.
  EXPECT_EQ(AboutSurface.dc, nullptr);
  EXPECT_EQ(GetObjectType(surfaceBitmap), 0u);
  EXPECT_EQ(GetObjectType(surfaceDc), 0u);

  EXPECT_EQ(AboutDialog(nullptr), 0);
  ASSERT_EQ(openings.size(), 2u);
  EXPECT_EQ(openings[0].width, 337);
  EXPECT_TRUE(openings[0].pixels == openings[1].pixels) << "the second picture differs";

  ASSERT_EQ(painted.width, 334);  // 336 x 344 less the border
  ASSERT_EQ(painted.height, 342);
  for (int y = 0; y < painted.height; ++y)
    for (int x = 0; x < painted.width; ++x)
      ASSERT_EQ(painted.At(x, y), openings[0].At(x, y)) << x << "," << y;
}

TEST_F(AboutDialogTest, OnlyTheCloseBoxOrSystemMenuCloses) {
  bool aliveAfterKeys = false;
  HWND focusAfter = nullptr, picture = nullptr;
  gDrive = [&](HWND dialog) {
    picture = GetDlgItem(dialog, IDC_ABOUT_PICTURE);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    PostStep([&, dialog] {
      for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        PostMessageA(dialog, WM_KEYDOWN, key, 1);
        PostMessageA(dialog, WM_KEYUP, key, 0xC0000001);
      }
      PostStep([&, dialog] {
        aliveAfterKeys = IsWindow(dialog) && IsWindowVisible(dialog) && AboutSurface.dc;
        // The focus comes back after another window was active.
        SetFocus(picture);
        SendMessageA(dialog, WM_NCACTIVATE, FALSE, 0);
        SetFocus(dialog);
        SendMessageA(dialog, WM_NCACTIVATE, TRUE, 0);
        focusAfter = GetFocus();
        PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
      });
    });
  };
  EXPECT_EQ(AboutDialog(nullptr), 0);
  EXPECT_TRUE(aliveAfterKeys);
  EXPECT_EQ(focusAfter, picture);
  EXPECT_EQ(AboutSurface.dc, nullptr);
}

}  // namespace
