// The non-client area: classic frames, captions with their buttons and the menu bar drawn,
// hit testing, and DefWindowProc's handling of presses on them and of the system keys (Alt
// and F10 to the menu bar, Alt+F4).
#include <algorithm>
#include <cstdio>

#include "DeviceContext.h"
#include "MenuTable.h"

namespace {

TRect WholeRect(const TWindow* w) { return {0, 0, w->Bounds.Width(), w->Bounds.Height()}; }

int32_t FrameWidth(const TWindow* w) {
  if (w->Style & WS_THICKFRAME) return GetSystemMetrics(SM_CXFRAME);
  if ((w->Style & WS_DLGFRAME) || (w->ExStyle & WS_EX_DLGMODALFRAME)) return GetSystemMetrics(SM_CXDLGFRAME);
  return (w->Style & WS_BORDER) ? 1 : 0;
}

bool HasCaption(const TWindow* w) { return (w->Style & WS_CAPTION) == WS_CAPTION; }
bool IsToolWindow(const TWindow* w) { return (w->ExStyle & WS_EX_TOOLWINDOW) != 0; }

void CaptionButton(HDC dc, TRect r, char kind, bool pushed) {
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  HBRUSH ink = static_cast<HBRUSH>(COLOR_BTNTEXT + 1);
  // A pushed button's glyph moves down and right by a pixel, as its face does.
  const int32_t shift = pushed ? 1 : 0;
  const int32_t cx = r.Left + (r.Width() - 8) / 2 + shift, cy = r.Top + (r.Height() - 7) / 2 + shift;
  if (kind == 'x') {
    for (int i = 0; i < 7; ++i) {
      TRect a{cx + i, cy + i, cx + i + 2, cy + i + 1}, b{cx + 6 - i, cy + i, cx + 8 - i, cy + i + 1};
      FillRect(dc, &a, ink);
      FillRect(dc, &b, ink);
    }
  } else if (kind == '_') {
    TRect bar{cx, cy + 5, cx + 6, cy + 7};
    FillRect(dc, &bar, ink);
  } else {
    TRect box{cx, cy - 1, cx + 9, cy + 8};
    FrameRect(dc, &box, ink);
    TRect top{cx, cy, cx + 9, cy + 1};
    FillRect(dc, &top, ink);
  }
}

// The classic gradient, one column at a time.
void DrawCaptionBar(HDC dc, const TRect& bar, bool active) {
  const COLORREF from = GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
  const COLORREF to = GetSysColor(active ? COLOR_GRADIENTACTIVECAPTION : COLOR_GRADIENTINACTIVECAPTION);
  const int32_t n = std::max(1, bar.Width());
  for (int32_t i = 0; i < bar.Width(); ++i) {
    auto mix = [&](int shift) {
      int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
      return static_cast<COLORREF>((a + (b - a) * i / n) & 0xFF) << shift;
    };
    HBRUSH b = CreateSolidBrush(mix(0) | mix(8) | mix(16));
    TRect col{bar.Left + i, bar.Top, bar.Left + i + 1, bar.Bottom};
    FillRect(dc, &col, b);
    DeleteObject(b);
  }
}

void RedrawFrame(HWND h) { DrawNonClient(h, nullptr); }

// A press on the close box: the box is drawn pushed while the mouse, captured, stays over
// it, and a release over it closes the window. Other queued input waits meanwhile.
void TrackCloseBox(HWND h, LPARAM point) {
  TWindow* w = LookupWindow(h);
  if (!w) return;
  SetCapture(h);
  bool pressed = true;
  w->PushedButton = HTCLOSE;
  RedrawFrame(h);
  for (;;) {
    MSG msg;
    if (!PeekMessage(&msg, 0, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
      if (WaitMessage()) continue;
      pressed = false;  // nobody there to let go of the button
      break;
    }
    if (!(w = LookupWindow(h)) || GetCapture() != h) {
      pressed = false;
      break;
    }
    if (msg.message == WM_LBUTTONUP) break;
    if (msg.message != WM_MOUSEMOVE) continue;
    const bool over = NonClientHitTest(w, msg.pt) == HTCLOSE;
    if (over != pressed) {
      pressed = over;
      w->PushedButton = pressed ? HTCLOSE : HTNOWHERE;
      RedrawFrame(h);
    }
  }
  if (!(w = LookupWindow(h))) return;
  w->PushedButton = HTNOWHERE;
  RedrawFrame(h);
  if (GetCapture() == h) ReleaseCapture();
  if (pressed) SendMessage(h, WM_SYSCOMMAND, SC_CLOSE, point);
}

// Alt pressed and released with nothing between, or F10 the same: the menu bar.
struct TMenuKeys {
  bool AltAlone = false;
  bool F10 = false;
};
TMenuKeys gMenuKeys;

constexpr WORD KF_ALTDOWN = 0x2000, KF_REPEAT = 0x4000;

HWND RootOf(HWND h) {
  for (TWindow* w = LookupWindow(h); w && (w->Style & WS_CHILD) && w->Parent; w = LookupWindow(h)) h = w->Parent;
  return h;
}

}  // namespace

HFONT CaptionFont(bool bold) {
  static HFONT fonts[2] = {};
  HFONT& f = fonts[bold ? 1 : 0];
  if (!f) {
    LOGFONTA lf;
    lf.lfHeight = -11;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "MS Sans Serif");
    f = CreateFontIndirectA(&lf);
    // Kept for the process, like the system's own fonts: not an application object.
    MarkStock(f);
  }
  return f;
}

TNonClientParts NonClientParts(const TWindow* w) {
  TNonClientParts parts;
  const int32_t b = FrameWidth(w);
  TRect r{b, b, w->Bounds.Width() - b, w->Bounds.Height() - b};
  if (HasCaption(w)) {
    const bool tool = IsToolWindow(w);
    const int32_t height = GetSystemMetrics(tool ? SM_CYSMCAPTION : SM_CYCAPTION) - 1;
    parts.Caption = {r.Left, r.Top, r.Right, r.Top + height};
    // Close at the right; minimise and maximise beside it on sizeable main windows.
    const int32_t bw = height - 2, bh = height - 4;
    const TRect& bar = parts.Caption;
    parts.Close = {bar.Right - 2 - bw, bar.Top + 2, bar.Right - 2, bar.Top + 2 + bh};
    if (!tool && (w->Style & WS_THICKFRAME)) {
      parts.Maximize = {parts.Close.Left - 2 - bw, bar.Top + 2, parts.Close.Left - 2, bar.Top + 2 + bh};
      parts.Minimize = {parts.Maximize.Left - bw, bar.Top + 2, parts.Maximize.Left, bar.Top + 2 + bh};
    }
    r.Top = bar.Bottom + 1;  // a line of face colour below the caption
  }
  if (WindowMenu(w)) parts.MenuBar = {r.Left, r.Top, r.Right, r.Top + GetSystemMetrics(SM_CYMENU)};
  return parts;
}

LRESULT NonClientHitTest(const TWindow* w, TPoint sp) {
  const TRect whole = WindowScreenRect(w);
  if (!PtInRect(whole, sp)) return HTNOWHERE;
  if (PtInRect(ClientScreenRect(w), sp)) return HTCLIENT;
  const TPoint p{sp.X - whole.Left, sp.Y - whole.Top};
  const TNonClientParts parts = NonClientParts(w);
  if (PtInRect(parts.Close, p)) return HTCLOSE;
  if (PtInRect(parts.Maximize, p)) return HTMAXBUTTON;
  if (PtInRect(parts.Minimize, p)) return HTMINBUTTON;
  if (PtInRect(parts.Caption, p)) return HTCAPTION;
  if (PtInRect(parts.MenuBar, p)) return HTMENU;
  const int32_t b = FrameWidth(w);
  if (!(w->Style & WS_THICKFRAME) || b == 0) return HTBORDER;
  // The sizing frame: its corners reach as far along each edge as a caption is high.
  const int32_t corner = GetSystemMetrics(SM_CYCAPTION) - 1, width = w->Bounds.Width(), height = w->Bounds.Height();
  const bool left = p.X < b, right = p.X >= width - b, top = p.Y < b, bottom = p.Y >= height - b;
  const bool nearLeft = p.X < corner, nearRight = p.X >= width - corner;
  const bool nearTop = p.Y < corner, nearBottom = p.Y >= height - corner;
  if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
  if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
  if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
  if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
  if (left) return HTLEFT;
  if (right) return HTRIGHT;
  if (top) return HTTOP;
  if (bottom) return HTBOTTOM;
  return HTBORDER;  // the client edge
}

void DrawNonClient(HWND h, const TRegion*) {
  TWindow* w = LookupWindow(h);
  if (!w) return;
  TRect in = NonClientInsets(w);
  if (in.Left == 0 && in.Top == 0 && in.Right == 0 && in.Bottom == 0) return;
  HDC dc = GetDCEx(h, 0, DCX_WINDOW | DCX_USESTYLE);
  const TRect client = ClientInWindow(w);
  ExcludeClipRect(dc, client.Left, client.Top, client.Right, client.Bottom);
  TRect r = WholeRect(w);
  if (w->Style & WS_THICKFRAME) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    for (int i = 0; i < GetSystemMetrics(SM_CXFRAME) - 2; ++i) {
      FrameRect(dc, &r, static_cast<HBRUSH>(COLOR_ACTIVEBORDER + 1));
      r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
    }
  } else if ((w->Style & WS_DLGFRAME) || (w->ExStyle & WS_EX_DLGMODALFRAME)) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    FrameRect(dc, &r, static_cast<HBRUSH>(COLOR_BTNFACE + 1));
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  } else if (w->Style & WS_BORDER) {
    FrameRect(dc, &r, static_cast<HBRUSH>(COLOR_WINDOWFRAME + 1));
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  const TNonClientParts parts = NonClientParts(w);
  if (HasCaption(w)) {
    const bool active = GetActiveWindow() == h;
    const TRect& bar = parts.Caption;
    DrawCaptionBar(dc, bar, active);
    TRect line{r.Left, bar.Bottom, r.Right, bar.Bottom + 1};
    FillRect(dc, &line, static_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CaptionButton(dc, parts.Close, 'x', w->PushedButton == HTCLOSE);
    int32_t textRight = parts.Close.Left - 2;
    if (!IsRectEmpty(parts.Maximize)) {
      CaptionButton(dc, parts.Maximize, 'o', false);
      CaptionButton(dc, parts.Minimize, '_', false);
      textRight = parts.Minimize.Left - 2;
    }
    HGDIOBJ old = SelectObject(dc, CaptionFont(true));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    TRect text{bar.Left + 3, bar.Top, textRight, bar.Bottom};
    DrawTextA(dc, w->Text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    r.Top = bar.Bottom + 1;
  }
  if (TMenuObject* menu = IsRectEmpty(parts.MenuBar) ? nullptr : WindowMenu(w)) {
    DrawMenuBarItems(dc, menu, parts.MenuBar);
    r.Top = parts.MenuBar.Bottom;
  }
  if (w->ExStyle & WS_EX_CLIENTEDGE) DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  ReleaseDC(h, dc);
}

bool DefNonClientProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  *result = 0;
  switch (msg) {
    case WM_NCHITTEST: {
      TWindow* w = LookupWindow(h);
      *result = w ? NonClientHitTest(w, ParamToPoint(lParam)) : HTNOWHERE;
      return true;
    }
    case WM_NCPAINT:
      DrawNonClient(h, nullptr);
      return true;
    case WM_NCLBUTTONDOWN:
      if (wParam == static_cast<WPARAM>(HTMENU))
        SendMessage(h, WM_SYSCOMMAND, SC_MOUSEMENU + HTMENU, lParam);
      else if (wParam == static_cast<WPARAM>(HTCLOSE))
        TrackCloseBox(h, lParam);
      return true;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE:
          SendMessage(h, WM_CLOSE, 0, 0);
          break;
        case SC_MOUSEMENU:
          TrackMouseMenuBar(h, ParamToPoint(lParam));
          break;
        case SC_KEYMENU:
          TrackKeyboardMenuBar(h, static_cast<char>(lParam & 0xFF));
          break;
        default:
          break;
      }
      return true;
    case WM_SYSKEYDOWN:
      if (HIWORD(static_cast<uint32_t>(lParam)) & KF_ALTDOWN) {
        // Alt's own press starts a tap (its repeats keep it); any other key ends it.
        if (wParam != VK_MENU)
          gMenuKeys.AltAlone = false;
        else if (!(HIWORD(static_cast<uint32_t>(lParam)) & KF_REPEAT))
          gMenuKeys.AltAlone = true;
        gMenuKeys.F10 = false;
        if (wParam == VK_F4) SendMessage(RootOf(h), WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (wParam == VK_F10) {
        gMenuKeys.F10 = true;
      }
      return true;
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      const bool menuKey = ((wParam == VK_MENU || wParam == VK_LMENU || wParam == VK_RMENU) && gMenuKeys.AltAlone) ||
                           (wParam == VK_F10 && gMenuKeys.F10);
      gMenuKeys = TMenuKeys{};
      if (menuKey) SendMessage(RootOf(h), WM_SYSCOMMAND, SC_KEYMENU, 0);
      return true;
    }
    case WM_SYSCHAR:
      gMenuKeys.AltAlone = false;
      if ((HIWORD(static_cast<uint32_t>(lParam)) & KF_ALTDOWN) && wParam) {
        if (wParam == '\t' || wParam == 0x1B) return true;
        SendMessage(h, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      } else if (wParam != 0x1B) {
        MessageBeep(0);
      }
      return true;
    default:
      return false;
  }
}
