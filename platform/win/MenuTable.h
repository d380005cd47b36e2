// The menu table shared by the menu units (menus, their drawing, the menu loop) and the
// non-client area: what a menu and its items are, and where they lie when shown.
#pragma once

#include <string>
#include <vector>

#include "WindowTable.h"

struct TMenuItemRec {
  UINT Type = MFT_STRING;
  UINT State = MFS_ENABLED;  // MFS_GRAYED, MFS_CHECKED, MFS_HILITE (the selected item)
  UINT Id = 0;
  HMENU SubMenu = 0;
  uintptr_t Data = 0;
  std::string Text;  // "&Undo\tCtrl+Z": the part after the tab is the shortcut column
  TRect Rect;        // laid out: popup client coordinates, or the bar's window coordinates
};

struct TMenuObject {
  HMENU Handle = 0;
  bool Popup = false;
  std::vector<TMenuItemRec> Items;
  int Focused = -1;    // the selected item while the menu loop tracks it
  HWND Window = 0;     // the popup window while shown
  bool BarOpen = false;  // a menu bar whose selected item has its drop-down menu open
  int32_t Width = 0, Height = 0;  // a popup's size, once laid out
  int32_t TabX = 0;  // where a popup's shortcut column starts, from an item's left
};

TMenuObject* LookupMenu(HMENU h);
void ResetMenus();
// The menu of a window, when it has a menu bar (top-level windows only).
TMenuObject* WindowMenu(const TWindow* w);

bool IsSeparator(const TMenuItemRec& item);
bool IsGrayed(const TMenuItemRec& item);

// Drawing and layout (MenuDraw.cpp). Popups lay out in their client coordinates with the
// frame around the items; the bar lays out in `bar`, a rectangle in window coordinates.
void LayoutPopupMenu(TMenuObject* menu);
void LayoutMenuBar(TMenuObject* menu, const TRect& bar);
void DrawPopupMenu(HDC dc, TMenuObject* menu);
void DrawPopupItem(HDC dc, TMenuObject* menu, int index);
void DrawMenuBarItems(HDC dc, TMenuObject* menu, const TRect& bar);
// Draws the menu bar of a window now, on its window context.
void RedrawMenuBar(HWND hWnd);

// The window procedure of popup menu windows (MenuTrack.cpp), and the menu loop ending
// with its window (a menu owner being destroyed ends the loop).
WNDPROC PopupMenuWndProc();
// The menu loop from the non-client area: a press on the bar at a screen point, or a key
// (0 for Alt or F10 alone, else the character typed with Alt).
void TrackMouseMenuBar(HWND hWnd, TPoint screenPoint);
void TrackKeyboardMenuBar(HWND hWnd, char key);
// The index of the first item whose '&' letter is `key` (case-insensitive), -1 when none.
int FindItemByKey(const TMenuObject* menu, char key);
