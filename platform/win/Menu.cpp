// Menus behind handles: making and destroying them, their items, the window's menu bar.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "MenuTable.h"
#include "HandleSlots.h"

namespace {

// Slot index in the low 16 bits, a generation above: a destroyed menu's handle stays dead.
constexpr uint32_t kIndexBits = 16;
constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;

struct TMenuSlot {
  uint32_t Generation = 1;
  std::unique_ptr<TMenuObject> Menu;
};

struct TMenuTable {
  std::vector<TMenuSlot> Slots = std::vector<TMenuSlot>(1);  // slot 0 unused: handle 0 is no menu
  std::vector<uint32_t> Free;
  int Live = 0;
};

TMenuTable& Table() {
  static TMenuTable t;
  return t;
}

HMENU NewMenu(bool popup) {
  TMenuTable& t = Table();
  if (t.Free.empty() && t.Slots.size() > kIndexMask) return 0;  // every index is in use
  const uint32_t index = TakeSlot(t.Slots, t.Free);
  TMenuSlot& s = t.Slots[index];
  const uint32_t gen = (s.Generation & 0xFFFF) ? (s.Generation & 0xFFFF) : 1;
  s.Menu = std::make_unique<TMenuObject>();
  s.Menu->Handle = (gen << kIndexBits) | index;
  s.Menu->Popup = popup;
  ++t.Live;
  return s.Menu->Handle;
}

TMenuObject* LookupOrFail(HMENU h) {
  TMenuObject* m = LookupMenu(h);
  if (!m) SetLastError(1401);  // ERROR_INVALID_MENU_HANDLE
  return m;
}

// The position of an item by position or by command; by command the search goes into the
// sub-menus, and `owner` gets the menu the item was found in.
int FindItem(TMenuObject* menu, UINT item, UINT flags, TMenuObject** owner) {
  *owner = menu;
  if (flags & MF_BYPOSITION) return item < menu->Items.size() ? static_cast<int>(item) : -1;
  for (size_t i = 0; i < menu->Items.size(); ++i) {
    const TMenuItemRec& r = menu->Items[i];
    if (!r.SubMenu && r.Id == item) return static_cast<int>(i);
  }
  for (TMenuItemRec& r : menu->Items) {
    TMenuObject* sub = r.SubMenu ? LookupMenu(r.SubMenu) : nullptr;
    if (!sub || sub == menu) continue;
    if (int i = FindItem(sub, item, flags, owner); i >= 0) return i;
  }
  *owner = menu;
  return -1;
}

// The bar of every window showing this menu is laid out again the next time it is drawn.
void MenuLayoutChanged(TMenuObject* menu) {
  menu->Width = menu->Height = 0;
  if (menu->Window) InvalidateRect(menu->Window, nullptr, TRUE);
}

// Sets the fields named by fMask.
void Assign(TMenuItemRec& r, const MENUITEMINFOA& info) {
  if (info.fMask & (MIIM_TYPE | MIIM_FTYPE)) r.Type = info.fType & MFT_SEPARATOR;
  if (info.fMask & (MIIM_TYPE | MIIM_STRING)) {
    if (!(r.Type & MFT_SEPARATOR) && info.dwTypeData) r.Text = info.dwTypeData;
    else if (info.fMask & MIIM_STRING) r.Text = info.dwTypeData ? info.dwTypeData : "";
  }
  if (info.fMask & MIIM_STATE) r.State = info.fState & (MFS_GRAYED | MFS_CHECKED | MFS_HILITE);
  if (info.fMask & MIIM_ID) r.Id = info.wID;
  if (info.fMask & MIIM_SUBMENU) r.SubMenu = LookupMenu(info.hSubMenu) ? info.hSubMenu : 0;
  if (info.fMask & MIIM_DATA) r.Data = info.dwItemData;
}

UINT MenuStateOf(const TMenuItemRec& r) {
  UINT state = r.State & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE);
  if (r.Type & MFT_SEPARATOR) state |= MF_SEPARATOR;
  if (TMenuObject* sub = r.SubMenu ? LookupMenu(r.SubMenu) : nullptr)
    state = MF_POPUP | (state & 0xFF) | (static_cast<UINT>(sub->Items.size()) << 8);
  return state;
}

}  // namespace

TMenuObject* LookupMenu(HMENU h) {
  TMenuTable& t = Table();
  const uint32_t index = h & kIndexMask;
  if (h == 0 || index >= t.Slots.size()) return nullptr;
  TMenuObject* m = t.Slots[index].Menu.get();
  return m && m->Handle == h ? m : nullptr;
}

void ResetMenus() { Table() = TMenuTable{}; }

TMenuObject* WindowMenu(const TWindow* w) { return w && !(w->Style & WS_CHILD) ? LookupMenu(w->Menu) : nullptr; }

bool IsSeparator(const TMenuItemRec& item) { return (item.Type & MFT_SEPARATOR) != 0; }
bool IsGrayed(const TMenuItemRec& item) { return (item.State & MFS_GRAYED) != 0; }

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL IsMenu(HMENU menu) { return LookupMenu(menu) != nullptr; }
int GetLiveMenuCount() { return Table().Live; }

BOOL DestroyMenu(HMENU h) {
  TMenuObject* m = LookupOrFail(h);
  if (!m) return FALSE;
  // Taken out of the table first, so a menu that lists itself (or a parent) among its
  // sub-menus cannot be destroyed twice.
  TMenuTable& t = Table();
  TMenuSlot& slot = t.Slots[h & kIndexMask];
  std::unique_ptr<TMenuObject> gone = std::move(slot.Menu);
  ++slot.Generation;
  t.Free.push_back(h & kIndexMask);
  --t.Live;
  if (gone->Window) DestroyWindow(gone->Window);
  for (const TMenuItemRec& r : gone->Items)
    if (r.SubMenu) DestroyMenu(r.SubMenu);
  return TRUE;
}

BOOL InsertMenuItemA(HMENU h, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
  TMenuObject* m = LookupOrFail(h);
  if (!m || !info) return FALSE;
  size_t at = m->Items.size();
  if (byPosition) {
    at = std::min<size_t>(item, m->Items.size());
  } else {
    TMenuObject* owner;
    int i = FindItem(m, item, MF_BYCOMMAND, &owner);
    if (i >= 0) {
      m = owner;
      at = static_cast<size_t>(i);
    }
  }
  TMenuItemRec r;
  Assign(r, *info);
  m->Items.insert(m->Items.begin() + static_cast<std::ptrdiff_t>(at), std::move(r));
  if (m->Focused >= static_cast<int>(at)) ++m->Focused;
  MenuLayoutChanged(m);
  return TRUE;
}

BOOL AppendMenuA(HMENU h, UINT flags, uintptr_t idNewItem, const char* text) {
  MENUITEMINFOA info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
  info.fType = flags & MF_SEPARATOR;
  info.fState = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
  if (flags & MF_POPUP) {
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = static_cast<HMENU>(idNewItem);
  } else {
    info.wID = static_cast<UINT>(idNewItem);
  }
  info.dwTypeData = const_cast<char*>(text);
  return InsertMenuItemA(h, 0xFFFFFFFF, TRUE, &info);
}

BOOL GetMenuItemInfoA(HMENU h, UINT item, BOOL byPosition, MENUITEMINFOA* info) {
  TMenuObject* m = LookupOrFail(h);
  if (!m || !info) return FALSE;
  TMenuObject* owner;
  const int i = FindItem(m, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &owner);
  if (i < 0) return FALSE;
  const TMenuItemRec& r = owner->Items[static_cast<size_t>(i)];
  if (info->fMask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = r.Type;
  if (info->fMask & MIIM_STATE) info->fState = r.State;
  if (info->fMask & MIIM_ID) info->wID = r.Id;
  if (info->fMask & MIIM_SUBMENU) info->hSubMenu = r.SubMenu;
  if (info->fMask & MIIM_DATA) info->dwItemData = r.Data;
  if (info->fMask & (MIIM_TYPE | MIIM_STRING)) {
    if (info->dwTypeData && info->cch > 0) {
      const size_t n = std::min<size_t>(r.Text.size(), info->cch - 1);
      std::memcpy(info->dwTypeData, r.Text.data(), n);
      info->dwTypeData[n] = '\0';
      info->cch = static_cast<UINT>(n);
    } else {
      info->cch = static_cast<UINT>(r.Text.size());
    }
  }
  return TRUE;
}

BOOL SetMenuItemInfoA(HMENU h, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
  TMenuObject* m = LookupOrFail(h);
  if (!m || !info) return FALSE;
  TMenuObject* owner;
  const int i = FindItem(m, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &owner);
  if (i < 0) return FALSE;
  Assign(owner->Items[static_cast<size_t>(i)], *info);
  MenuLayoutChanged(owner);
  return TRUE;
}

namespace {
BOOL TakeOut(HMENU h, UINT item, UINT flags, bool destroySubMenu) {
  TMenuObject* m = LookupOrFail(h);
  if (!m) return FALSE;
  TMenuObject* owner;
  const int i = FindItem(m, item, flags, &owner);
  if (i < 0) return FALSE;
  const HMENU sub = owner->Items[static_cast<size_t>(i)].SubMenu;
  owner->Items.erase(owner->Items.begin() + i);
  if (owner->Focused == i) owner->Focused = -1;
  else if (owner->Focused > i) --owner->Focused;
  MenuLayoutChanged(owner);
  if (destroySubMenu && sub) DestroyMenu(sub);
  return TRUE;
}
}  // namespace

BOOL RemoveMenu(HMENU h, UINT item, UINT flags) { return TakeOut(h, item, flags, false); }
BOOL DeleteMenu(HMENU h, UINT item, UINT flags) { return TakeOut(h, item, flags, true); }

int GetMenuItemCount(HMENU h) {
  TMenuObject* m = LookupOrFail(h);
  return m ? static_cast<int>(m->Items.size()) : -1;
}

UINT GetMenuItemID(HMENU h, int pos) {
  TMenuObject* m = LookupMenu(h);
  if (!m || pos < 0 || pos >= static_cast<int>(m->Items.size())) return 0xFFFFFFFF;
  const TMenuItemRec& r = m->Items[static_cast<size_t>(pos)];
  return r.SubMenu ? 0xFFFFFFFF : r.Id;
}

HMENU GetSubMenu(HMENU h, int pos) {
  TMenuObject* m = LookupMenu(h);
  if (!m || pos < 0 || pos >= static_cast<int>(m->Items.size())) return 0;
  return m->Items[static_cast<size_t>(pos)].SubMenu;
}

UINT GetMenuState(HMENU h, UINT item, UINT flags) {
  TMenuObject* m = LookupOrFail(h);
  if (!m) return 0xFFFFFFFF;
  TMenuObject* owner;
  const int i = FindItem(m, item, flags, &owner);
  return i < 0 ? 0xFFFFFFFF : MenuStateOf(owner->Items[static_cast<size_t>(i)]);
}

int GetMenuStringA(HMENU h, UINT item, char* buffer, int max, UINT flags) {
  TMenuObject* m = LookupOrFail(h);
  if (!m) return 0;
  TMenuObject* owner;
  const int i = FindItem(m, item, flags, &owner);
  if (i < 0) return 0;
  const std::string& text = owner->Items[static_cast<size_t>(i)].Text;
  if (!buffer || max <= 0) return static_cast<int>(text.size());
  const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(max - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

namespace {
UINT ChangeState(HMENU h, UINT item, UINT flags, UINT mask, UINT value) {
  TMenuObject* m = LookupOrFail(h);
  if (!m) return 0xFFFFFFFF;
  TMenuObject* owner;
  const int i = FindItem(m, item, flags, &owner);
  if (i < 0) return 0xFFFFFFFF;
  TMenuItemRec& r = owner->Items[static_cast<size_t>(i)];
  const UINT old = r.State & mask;
  r.State = (r.State & ~mask) | (value & mask);
  if (owner->Window) InvalidateRect(owner->Window, nullptr, TRUE);
  return old;
}
}  // namespace

UINT EnableMenuItem(HMENU h, UINT item, UINT enable) {
  return ChangeState(h, item, enable & MF_BYPOSITION, MF_GRAYED | MF_DISABLED, enable);
}

DWORD CheckMenuItem(HMENU h, UINT item, UINT check) {
  return ChangeState(h, item, check & MF_BYPOSITION, MF_CHECKED, check);
}

int FindItemByKey(const TMenuObject* menu, char key) {
  const int k = std::toupper(static_cast<unsigned char>(key));
  for (size_t i = 0; i < menu->Items.size(); ++i) {
    const std::string& text = menu->Items[i].Text;
    // The letter after a single '&'; "&&" is an ampersand of the text.
    for (size_t p = text.find('&'); p != std::string::npos && p + 1 < text.size(); p = text.find('&', p + 2)) {
      if (text[p + 1] == '&') continue;
      if (std::toupper(static_cast<unsigned char>(text[p + 1])) == k) return static_cast<int>(i);
      break;
    }
  }
  return -1;
}

// ---- the menu bar --------------------------------------------------------------------------

BOOL SetMenu(HWND hWnd, HMENU menu) {
  TWindow* w = LookupWindow(hWnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if ((w->Style & WS_CHILD) || (menu && !LookupOrFail(menu))) return FALSE;
  if (w->Menu == menu) return TRUE;
  // The bar's height changes the client area: the whole window is laid out and painted again.
  TRegion old = VisibleRegion(hWnd, DCX_WINDOW);
  const TRect before = ClientScreenRect(w);
  w->Menu = menu;
  if (TMenuObject* m = LookupMenu(menu)) MenuLayoutChanged(m);
  const TRect client = ClientScreenRect(w);
  ExposeAfterChange(hWnd, old);
  if (client.Height() != before.Height())
    SendMessage(hWnd, WM_SIZE, 0, MAKELPARAM(static_cast<uint32_t>(client.Width()), static_cast<uint32_t>(client.Height())));
  return TRUE;
}

HMENU GetMenu(HWND hWnd) {
  TWindow* w = LookupWindow(hWnd);
  return w && !(w->Style & WS_CHILD) ? w->Menu : 0;
}

BOOL DrawMenuBar(HWND hWnd) {
  TWindow* w = LookupWindow(hWnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (TMenuObject* m = WindowMenu(w)) MenuLayoutChanged(m);
  RedrawMenuBar(hWnd);
  return TRUE;
}

BOOL GetMenuItemRect(HWND hWnd, HMENU h, UINT pos, TRect* rect) {
  TMenuObject* m = LookupOrFail(h);
  if (!m || !rect || pos >= m->Items.size()) return FALSE;
  TRect origin;
  if (m->Window) {
    TWindow* pw = LookupWindow(m->Window);
    if (!pw) return FALSE;
    LayoutPopupMenu(m);
    origin = WindowScreenRect(pw);
  } else {
    TWindow* w = LookupWindow(hWnd);
    if (!w || WindowMenu(w) != m) return FALSE;
    LayoutMenuBar(m, NonClientParts(w).MenuBar);
    origin = WindowScreenRect(w);
  }
  const TRect& r = m->Items[pos].Rect;
  *rect = {r.Left + origin.Left, r.Top + origin.Top, r.Right + origin.Left, r.Bottom + origin.Top};
  return TRUE;
}

int MenuItemFromPoint(HWND hWnd, HMENU h, TPoint sp) {
  TMenuObject* m = LookupMenu(h);
  if (!m) return -1;
  for (UINT i = 0; i < m->Items.size(); ++i) {
    TRect r;
    if (GetMenuItemRect(hWnd, h, i, &r) && PtInRect(r, sp)) return static_cast<int>(i);
  }
  return -1;
}
