#include "about_dialog.h"

#include "../render/gdi_util.h"
#include "../render/label_text.h"
#include "dialog_kit.h"
#include "resource.h"

Surface AboutSurface;

namespace {

const COLORREF kBlockColor = RGB(249, 220, 188);
const int kSurfaceWidth = 337;
const int kSurfaceHeight = 345;
const int kBlockLeft = 1;
const int kBlockRight = 333;  // exclusive
const int kBlockHeight = 72;  // 18 pixels for each of three lines and 18 more
const int kBlockStep = 73;    // one blank row between blocks

struct CreditLine {
  int row;  // grid row of the 8 x 16 grid
  const char* text;
};

// Three blocks of three lines. The address is ours, under a reserved
// example domain, so it leads nowhere real.
const CreditLine kCredits[3][3] = {
    {{2, "Este programa ha sido realizado por"},
     {3, "Velmar\\#09"},
     {4, "Visitame en www.tarvina.example\\#04"}},
    {{6, "Tarvina es un programa de \\#14"},
     {7, "etiquetas y almanaque\\#08"},
     {8, "Usalo para tus cosas del día a día\\#10"}},
    {{11, "Fechas de examen o acontecimientos \\#17"},
     {12, "Menús del día\\#02"},
     {13, "Diario almanaque o citas\\#11"}},
};

HWND gSavedFocus = nullptr;
void (*gHook)(HWND) = nullptr;

BOOL OnInitDialog(HWND dialog) {
  gSavedFocus = nullptr;
  const int dpi = DialogDpi(dialog);
  if (CreateSurface(AboutSurface, Scaled(kSurfaceWidth, dpi), Scaled(kSurfaceHeight, dpi)))
    DrawCredits(AboutSurface.dc, dpi);
  InvalidateRect(GetDlgItem(dialog, IDC_ABOUT_PICTURE), nullptr, FALSE);
  if (gHook) gHook(dialog);  // may end the dialog: nothing after this touches it
  return TRUE;
}

BOOL OnDrawItem(const DRAWITEMSTRUCT* item) {
  if (item->CtlID != IDC_ABOUT_PICTURE) return FALSE;
  PaintSurface(item->hDC, item->rcItem, AboutSurface);
  return TRUE;
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog);
    case WM_DRAWITEM:
      return OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
      return TRUE;  // Escape and every other command do nothing
    case WM_NCACTIVATE:
      KeepFocusAcrossActivation(wParam, gSavedFocus);
      return FALSE;
    case WM_DESTROY:
      ReleaseSurface(AboutSurface);
      gSavedFocus = nullptr;
      return FALSE;
  }
  return FALSE;  // WM_CLOSE (close box, system menu, Alt+F4): the kit ends the dialog
}

}  // namespace

void DrawCredits(HDC dc, int dpi) {
  const int width = Scaled(1, dpi);  // the outline's, inside the block as a 1-pixel one is
  OwnedPen outline(CreatePen(width > 1 ? PS_INSIDEFRAME : PS_SOLID, width, RGB(0, 0, 0)));
  OwnedBrush fill(CreateSolidBrush(kBlockColor));
  OwnedFont font(CreateLabelFont(dpi));
  IconCache icons(dpi);
  int top = 1;
  for (const auto& block : kCredits) {
    {
      ScopedSelect pen(dc, outline);
      ScopedSelect brush(dc, fill);
      Rectangle(dc, Scaled(kBlockLeft, dpi), Scaled(top, dpi), Scaled(kBlockRight, dpi),
                Scaled(top + kBlockHeight, dpi));
    }
    for (const CreditLine& line : block) {
      DrawLabelLine(dc, MarkupVariant::AboutCredits, line.row, line.text, font, dpi);
      DrawLineIcons(dc, MarkupVariant::AboutCredits, line.row, line.text, kBlockColor, icons);
    }
    top += kBlockStep;
  }
}

void SetAboutDialogHook(void (*hook)(HWND)) { gHook = hook; }

INT_PTR AboutDialog(HWND) {
  DialogFrame frame;
  frame.title = "Autor";
  frame.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  frame.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_CONTROLPARENT;
  frame.position = {254, 158};
  frame.client = {350, 364};
  HWND dialog = CreateDialogWindow(frame, AboutProc);
  if (!dialog) return 0;
  ControlPlace picture;
  picture.id = IDC_ABOUT_PICTURE;
  picture.className = "STATIC";
  picture.x = 8, picture.y = 8, picture.width = 336, picture.height = 344;
  picture.style = SS_OWNERDRAW | WS_BORDER;
  AddControl(dialog, picture);
  RunDialog(dialog, 0);
  ReleaseSurface(AboutSurface);  // also when the window never got as far as WM_DESTROY
  return 0;
}
