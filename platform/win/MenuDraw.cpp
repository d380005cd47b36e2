// Menus drawn in the classic look: the menu bar with its selected item raised or pushed in,
// popup menus on the face colour in a raised 3-D frame, the selected item in the selection
// colours, etched separators, disabled items embossed, check marks, sub-menu arrows, the
// shortcut column, and '&' letters underlined.
#include <algorithm>

#include "MenuTable.h"

namespace {

constexpr int32_t kFrame = 3;         // raised edge (2) and a pixel of face inside it
constexpr int32_t kBarItemSpace = 14; // around a bar item's text
constexpr int32_t kShortcutGap = 12;  // between the longest caption and the shortcut column

int32_t CheckWidth() { return GetSystemMetrics(SM_CXMENUCHECK); }
// A popup item's text starts after the check-mark column and ends before the arrow column.
int32_t TextLeft() { return 4 + CheckWidth(); }
int32_t TextRightMargin() { return 4 + CheckWidth(); }

HBRUSH SysBrush(int index) { return static_cast<HBRUSH>(index + 1); }

// The caption and the shortcut, split at the tab.
std::string CaptionPart(const std::string& text) { return text.substr(0, text.find('\t')); }
std::string ShortcutPart(const std::string& text) {
  const size_t tab = text.find('\t');
  return tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

int32_t TextWidth(HDC dc, const std::string& text, UINT flags = 0) {
  if (text.empty()) return 0;
  TRect r{0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_CALCRECT | flags);
  return r.Width();
}

// A context to measure with: the screen's, with the menu font.
struct TMeasureDC {
  HDC DC = GetDC(0);
  HGDIOBJ Old = SelectObject(DC, CaptionFont(false));
  ~TMeasureDC() {
    SelectObject(DC, Old);
    ReleaseDC(0, DC);
  }
  TMeasureDC() = default;
  TMeasureDC(const TMeasureDC&) = delete;
  TMeasureDC& operator=(const TMeasureDC&) = delete;
};

// A small glyph from rows of '#', drawn with a system colour's brush.
void DrawGlyph(HDC dc, int32_t x, int32_t y, const char* const* rows, int count, int color) {
  for (int row = 0; row < count; ++row)
    for (int32_t col = 0; rows[row][col]; ++col)
      if (rows[row][col] == '#') {
        TRect px{x + col, y + row, x + col + 1, y + row + 1};
        FillRect(dc, &px, SysBrush(color));
      }
}

constexpr const char* kCheckMark[] = {"......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#...."};
constexpr const char* kArrow[] = {"#...", "##..", "###.", "####", "###.", "##..", "#..."};

// Text in a colour, or embossed (highlight a pixel down and right, shadow on top) as the
// classic look draws what is disabled.
void DrawMenuText(HDC dc, const std::string& text, TRect r, UINT flags, int color, bool embossed) {
  if (embossed) {
    TRect light{r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextA(dc, text.c_str(), -1, &light, flags);
    color = COLOR_3DSHADOW;
  }
  SetTextColor(dc, GetSysColor(color));
  DrawTextA(dc, text.c_str(), -1, &r, flags);
}

}  // namespace

void LayoutPopupMenu(TMenuObject* menu) {
  TMeasureDC m;
  TEXTMETRICA tm;
  GetTextMetricsA(m.DC, &tm);
  const int32_t itemHeight = tm.tmHeight + 4, separatorHeight = GetSystemMetrics(SM_CYMENU) / 2;
  int32_t caption = 0, shortcut = 0;
  for (const TMenuItemRec& item : menu->Items) {
    if (IsSeparator(item)) continue;
    caption = std::max(caption, TextWidth(m.DC, CaptionPart(item.Text)));
    shortcut = std::max(shortcut, TextWidth(m.DC, ShortcutPart(item.Text)));
  }
  const int32_t inner = TextLeft() + caption + (shortcut ? kShortcutGap + shortcut : 0) + TextRightMargin();
  menu->TabX = TextLeft() + caption + kShortcutGap;
  int32_t y = kFrame;
  for (TMenuItemRec& item : menu->Items) {
    const int32_t h = IsSeparator(item) ? separatorHeight : itemHeight;
    item.Rect = {kFrame, y, kFrame + inner, y + h};
    y += h;
  }
  menu->Width = inner + 2 * kFrame;
  menu->Height = y + kFrame;
}

void LayoutMenuBar(TMenuObject* menu, const TRect& bar) {
  TMeasureDC m;
  int32_t x = bar.Left;
  for (TMenuItemRec& item : menu->Items) {
    const int32_t w = TextWidth(m.DC, CaptionPart(item.Text)) + kBarItemSpace;
    item.Rect = {x, bar.Top, x + w, bar.Bottom};
    x += w;
  }
}

void DrawPopupItem(HDC dc, TMenuObject* menu, int index) {
  if (index < 0 || index >= static_cast<int>(menu->Items.size())) return;
  const TMenuItemRec& item = menu->Items[static_cast<size_t>(index)];
  TRect r = item.Rect;
  if (IsSeparator(item)) {
    FillRect(dc, &r, SysBrush(COLOR_MENU));
    TRect line{r.Left + 1, r.Top + r.Height() / 2 - 1, r.Right - 1, r.Top + r.Height() / 2 + 1};
    DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  const bool selected = menu->Focused == index, grayed = IsGrayed(item);
  FillRect(dc, &r, SysBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
  // A disabled item under the selection is grey on the selection colour, not embossed.
  const int color = selected ? (grayed ? COLOR_GRAYTEXT : COLOR_HIGHLIGHTTEXT) : COLOR_MENUTEXT;
  const bool embossed = grayed && !selected;
  const int glyphColor = embossed ? COLOR_3DSHADOW : color;
  const int32_t mid = r.Top + r.Height() / 2;
  if (item.State & MFS_CHECKED) {
    const int32_t x = r.Left + 4 + (CheckWidth() - 7) / 2;
    if (embossed) DrawGlyph(dc, x + 1, mid - 3 + 1, kCheckMark, 7, COLOR_3DHILIGHT);
    DrawGlyph(dc, x, mid - 3, kCheckMark, 7, glyphColor);
  }
  if (item.SubMenu) {
    const int32_t x = r.Right - 4 - (CheckWidth() + 4) / 2;
    if (embossed) DrawGlyph(dc, x + 1, mid - 3 + 1, kArrow, 7, COLOR_3DHILIGHT);
    DrawGlyph(dc, x, mid - 3, kArrow, 7, glyphColor);
  }
  SetBkMode(dc, TRANSPARENT);
  const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
  const std::string shortcut = ShortcutPart(item.Text);
  TRect text{r.Left + TextLeft(), r.Top, shortcut.empty() ? r.Right - TextRightMargin() : r.Left + menu->TabX, r.Bottom};
  DrawMenuText(dc, CaptionPart(item.Text), text, flags, color, embossed);
  if (!shortcut.empty()) {
    TRect column{r.Left + menu->TabX, r.Top, r.Right - TextRightMargin(), r.Bottom};
    DrawMenuText(dc, shortcut, column, flags, color, embossed);
  }
}

void DrawPopupMenu(HDC dc, TMenuObject* menu) {
  TRect r{0, 0, menu->Width, menu->Height};
  FillRect(dc, &r, SysBrush(COLOR_MENU));
  DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
  HGDIOBJ old = SelectObject(dc, CaptionFont(false));
  for (int i = 0; i < static_cast<int>(menu->Items.size()); ++i) DrawPopupItem(dc, menu, i);
  SelectObject(dc, old);
}

void DrawMenuBarItems(HDC dc, TMenuObject* menu, const TRect& bar) {
  LayoutMenuBar(menu, bar);
  TRect face = bar;
  FillRect(dc, &face, SysBrush(COLOR_MENU));
  HGDIOBJ old = SelectObject(dc, CaptionFont(false));
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < static_cast<int>(menu->Items.size()); ++i) {
    const TMenuItemRec& item = menu->Items[static_cast<size_t>(i)];
    TRect r = item.Rect;
    // The selected item stands out; pushed in while its menu is down, its text moving too.
    const bool selected = menu->Focused == i, pushed = selected && menu->BarOpen;
    if (selected) {
      TRect edge = r;
      DrawEdge(dc, &edge, pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }
    if (pushed) r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    DrawMenuText(dc, CaptionPart(item.Text), r, DT_SINGLELINE | DT_VCENTER | DT_CENTER, COLOR_MENUTEXT, IsGrayed(item));
  }
  SelectObject(dc, old);
}

void RedrawMenuBar(HWND hWnd) {
  TWindow* w = LookupWindow(hWnd);
  TMenuObject* menu = WindowMenu(w);
  if (!menu || !IsShowing(w)) return;
  const TNonClientParts parts = NonClientParts(w);
  HDC dc = GetDCEx(hWnd, 0, DCX_WINDOW | DCX_USESTYLE);
  DrawMenuBarItems(dc, menu, parts.MenuBar);
  ReleaseDC(hWnd, dc);
}
