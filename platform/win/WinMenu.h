// Menus of the window system: menu bars and popup menus behind handles, the menu bar in a
// window's non-client area, the menu loop that tracks them with the mouse and the keyboard,
// and the non-client hit test. Included by Windows.h.
#pragma once

#include <functional>

// Item flags of AppendMenu, GetMenuState and WM_MENUSELECT (real values).
constexpr UINT MF_BYCOMMAND = 0x0, MF_BYPOSITION = 0x400;
constexpr UINT MF_STRING = 0x0, MF_ENABLED = 0x0, MF_GRAYED = 0x1, MF_DISABLED = 0x2, MF_UNCHECKED = 0x0;
constexpr UINT MF_CHECKED = 0x8, MF_POPUP = 0x10, MF_HILITE = 0x80, MF_SEPARATOR = 0x800;
constexpr UINT MF_SYSMENU = 0x2000, MF_MOUSESELECT = 0x8000;
// MENUITEMINFO: what it carries (fMask), the item's type and state.
constexpr UINT MIIM_STATE = 0x1, MIIM_ID = 0x2, MIIM_SUBMENU = 0x4, MIIM_TYPE = 0x10, MIIM_DATA = 0x20;
constexpr UINT MIIM_STRING = 0x40, MIIM_FTYPE = 0x100;
constexpr UINT MFT_STRING = 0x0, MFT_SEPARATOR = 0x800;
constexpr UINT MFS_ENABLED = 0x0, MFS_GRAYED = 0x3, MFS_DISABLED = 0x3, MFS_CHECKED = 0x8, MFS_HILITE = 0x80;

// An item as InsertMenuItem takes it and GetMenuItemInfo gives it. dwTypeData is the text to
// set; to get it, a buffer of cch bytes (null: cch gets the text's length).
struct MENUITEMINFOA {
  UINT cbSize = sizeof(MENUITEMINFOA);
  UINT fMask = 0;
  UINT fType = MFT_STRING;
  UINT fState = MFS_ENABLED;
  UINT wID = 0;
  HMENU hSubMenu = 0;
  HBITMAP hbmpChecked = 0, hbmpUnchecked = 0;
  uintptr_t dwItemData = 0;
  char* dwTypeData = nullptr;
  UINT cch = 0;
};

HMENU CreateMenu();       // a menu bar
HMENU CreatePopupMenu();  // a drop-down or shortcut menu
// Destroys the menu and the sub-menus still attached to it.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
int GetLiveMenuCount();  // menus made and not yet destroyed, for leak checks
// uIDNewItem is the command, or the sub-menu's handle with MF_POPUP.
BOOL AppendMenuA(HMENU menu, UINT flags, uintptr_t idNewItem, const char* text);
BOOL InsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info);
BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
// RemoveMenu takes an item out and leaves its sub-menu alive; DeleteMenu destroys it too.
BOOL RemoveMenu(HMENU menu, UINT item, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);  // -1 for a bad handle
UINT GetMenuItemID(HMENU menu, int pos);  // 0xFFFFFFFF for a sub-menu or a bad position
HMENU GetSubMenu(HMENU menu, int pos);
// The item's MF_ flags (sub-menus: their item count in the high byte); 0xFFFFFFFF when missing.
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuStringA(HMENU menu, UINT item, char* buffer, int max, UINT flags);
// Both return the previous state, 0xFFFFFFFF when the item is missing.
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);

// The window's menu bar. SetMenu changes the non-client area (the old menu is not destroyed);
// DestroyWindow destroys the menu the window still has.
BOOL SetMenu(HWND hWnd, HMENU menu);
HMENU GetMenu(HWND hWnd);
BOOL DrawMenuBar(HWND hWnd);
// An item's rectangle on the screen: in the menu bar of hWnd, or in a popup menu while shown.
BOOL GetMenuItemRect(HWND hWnd, HMENU menu, UINT pos, TRect* rect);
// The position of the item at a screen point, -1 when none.
int MenuItemFromPoint(HWND hWnd, HMENU menu, TPoint screenPoint);

// The menu loop. TrackPopupMenu shows a popup menu at a screen point and tracks it until the
// user chooses an item or cancels: the mouse is captured meanwhile and the owner is sent
// WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP for each menu shown, WM_MENUSELECT as the
// selection moves, and WM_MENUSELECT(0xFFFF) and WM_EXITMENULOOP at the end. The chosen
// item's WM_COMMAND is posted, so it runs after the menu has closed; with TPM_RETURNCMD it is
// returned instead. The menu bar is tracked the same way, from DefWindowProc's WM_SYSCOMMAND
// (SC_MOUSEMENU, SC_KEYMENU).
constexpr UINT TPM_LEFTBUTTON = 0x0, TPM_RIGHTBUTTON = 0x2, TPM_LEFTALIGN = 0x0, TPM_CENTERALIGN = 0x4;
constexpr UINT TPM_RIGHTALIGN = 0x8, TPM_TOPALIGN = 0x0, TPM_VCENTERALIGN = 0x10, TPM_BOTTOMALIGN = 0x20;
constexpr UINT TPM_NONOTIFY = 0x80, TPM_RETURNCMD = 0x100;
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const TRect* ignored);
// Ends the menu loop that is running, as a cancel.
BOOL EndMenu();
// The window class of popup menus, and the message that asks one for its menu.
constexpr const char* kPopupMenuClass = "#32768";
constexpr UINT MN_GETHMENU = 0x01E1;

// WM_SYSCOMMAND commands (the low four bits are the system's own).
constexpr WPARAM SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060, SC_MOUSEMENU = 0xF090, SC_KEYMENU = 0xF100, SC_RESTORE = 0xF120;

// WM_NCHITTEST answers.
constexpr LRESULT HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2;
constexpr LRESULT HTSYSMENU = 3, HTMENU = 5, HTMINBUTTON = 8, HTMAXBUTTON = 9, HTLEFT = 10, HTRIGHT = 11;
constexpr LRESULT HTTOP = 12, HTTOPLEFT = 13, HTTOPRIGHT = 14, HTBOTTOM = 15, HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17, HTBORDER = 18, HTCLOSE = 20;

// Waiting for input. The stand-in's queue is filled only by whoever drives it, so a loop
// that finds its queue empty (the menu loop, a caption button held down, a modal form) calls
// WaitMessage, which asks the installed waiter for new input: the waiter posts the next
// input (a test's or a script's next step, a person's keys and clicks, the clock moved on)
// and returns true, or returns false when nobody is there. WaitMessage returns FALSE then,
// and the loop ends as if cancelled. The waiter outlives a fresh desktop.
using TInputWaiter = std::function<bool()>;
// Installs the waiter and returns the one it replaces.
TInputWaiter SetInputWaiter(TInputWaiter waiter);
BOOL WaitMessage();
