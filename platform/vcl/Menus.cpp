// Menus: the item tree, its window-system menus, commands, popups and shortcuts.
#include "Menus.h"

#include <algorithm>

#include "Forms.h"

IMPLEMENT_COMPONENT_CLASS(TMenuItem, TComponent)
IMPLEMENT_COMPONENT_CLASS(TMenu, TComponent)
IMPLEMENT_COMPONENT_CLASS(TMainMenu, TMenu)
IMPLEMENT_COMPONENT_CLASS(TPopupMenu, TMenu)

namespace {

// Command identifiers are shared by every menu of the process, so a WM_COMMAND names one
// item wherever it came from. The lowest free one is reused.
std::vector<bool>& CommandPool() {
  static std::vector<bool> pool(1, true);  // 0 is never an item's
  return pool;
}

Word UniqueCommand() {
  std::vector<bool>& pool = CommandPool();
  auto it = std::find(pool.begin(), pool.end(), false);
  if (it != pool.end()) {
    *it = true;
    return static_cast<Word>(it - pool.begin());
  }
  if (pool.size() > 0xFFFF) throw EOutOfResources("Out of menu commands");
  pool.push_back(true);
  return static_cast<Word>(pool.size() - 1);
}

void ReleaseCommand(Word command) {
  std::vector<bool>& pool = CommandPool();
  if (command && command < pool.size()) pool[command] = false;
}

// The popup menus of the process answer through one window, which the menu loop tells of
// the popup coming down and of the command chosen, as the class library's popup list does.
struct TPopupList {
  std::vector<TPopupMenu*> Menus;
  HWND Window = 0;
};

TPopupList& PopupList() {
  static TPopupList list;
  return list;
}

LRESULT PopupListProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  // A copy: a click may free menus.
  const std::vector<TPopupMenu*> menus = PopupList().Menus;
  try {
    switch (msg) {
      case WM_COMMAND:
        for (TPopupMenu* m : menus)
          if (m->DispatchCommand(LOWORD(wParam))) return 0;
        return 0;
      case WM_INITMENUPOPUP:
        for (TPopupMenu* m : menus)
          if (m->DispatchPopup(static_cast<HMENU>(wParam))) return 0;
        return 0;
      default:
        break;
    }
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
    return 0;
  }
  return DefWindowProc(h, msg, wParam, lParam);
}

HWND PopupListWindow() {
  TPopupList& list = PopupList();
  if (!IsWindow(list.Window)) {
    TCreateWindowParams p;
    p.ClassName = "TPUtilWindow";
    p.Style = WS_POPUP;
    p.WndProc = TStaticWndProc<&PopupListProc>::Value();
    list.Window = CreateWindowEx(p);
  }
  return list.Window;
}

String KeyName(Word key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return String(1, static_cast<char>(key));
  if (key >= VK_F1 && key < VK_F1 + 24) return Format("F%d", key - VK_F1 + 1);
  switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    default: return String();
  }
}

}  // namespace

// ---- TMenuItem ---------------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(UniqueCommand()) {}

void TMenuItem::Destroy() {
  if (FParent) FParent->Remove(this);
  // Sub-items belong to the item unless a component owner frees them first.
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    if (!item->GetOwner()) item->Free();
  }
  DestroyHandle();
  ReleaseCommand(FCommand);
  FCommand = 0;
  inherited::Destroy();
}

// The sub-menus are their items' to destroy, so they are taken out first.
void TMenuItem::DestroyHandle() {
  if (!FHandle) return;
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  DestroyMenu(FHandle);
  FHandle = 0;
}

void TMenuItem::SetCaption(const String& s) {
  if (FCaption == s) return;
  FCaption = s;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut s) {
  if (FShortCut == s) return;
  FShortCut = s;
  Changed();
}

void TMenuItem::SetEnabled(bool v) {
  if (FEnabled == v) return;
  FEnabled = v;
  Changed();
}

void TMenuItem::SetVisible(bool v) {
  if (FVisible == v) return;
  FVisible = v;
  Changed();
}

void TMenuItem::SetChecked(bool v) {
  if (FChecked == v) return;
  FChecked = v;
  Changed();
}

TMenuItem* TMenuItem::GetItem(Integer index) const {
  if (index < 0 || index >= GetCount()) TList::Error("List index out of bounds (%d)", index);
  return FItems[static_cast<size_t>(index)];
}

Integer TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

void TMenuItem::Insert(Integer index, TMenuItem* item) {
  if (!item) return;
  if (item->FParent) throw EInvalidOperation("Menu inserted twice");
  if (index < 0 || index > GetCount()) TList::Error("List index out of bounds (%d)", index);
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  // The item that gets its first sub-item becomes a sub-menu in its parent's menu.
  if (GetCount() == 1 && FParent) FParent->RebuildHandle();
  RebuildHandle();
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

void TMenuItem::Delete(Integer index) {
  TMenuItem* item = GetItem(index);
  FItems.erase(FItems.begin() + index);
  item->FParent = nullptr;
  if (FItems.empty() && FParent) FParent->RebuildHandle();
  RebuildHandle();
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

void TMenuItem::Remove(TMenuItem* item) {
  Integer i = IndexOf(item);
  if (i < 0) throw EInvalidOperation("Sub-menu is not in menu");
  Delete(i);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) FItems.back()->Free();
}

TMenuItem* TMenuItem::FindByName(const String& name) {
  for (TMenuItem* item : FItems) {
    if (SameText(item->GetName(), name)) return item;
    if (TMenuItem* found = item->FindByName(name)) return found;
  }
  return nullptr;
}

void TMenuItem::Click() {
  if (FEnabled && OnClick) OnClick(this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->FParent) root = root->FParent;
  return root->FMenu;
}

HMENU TMenuItem::GetHandle() {
  if (FHandle && IsMenu(FHandle)) return FHandle;
  if (FMenu) return FMenu->GetHandle();
  FHandle = CreatePopupMenu();
  RebuildHandle();
  return FHandle;
}

void TMenuItem::Changed() {
  if (FParent) FParent->RebuildHandle();
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

// The handle stays the same: a menu the loop is showing keeps working while its items change.
void TMenuItem::RebuildHandle() {
  if (!FHandle || !IsMenu(FHandle)) return;
  while (GetMenuItemCount(FHandle) > 0) RemoveMenu(FHandle, 0, MF_BYPOSITION);
  for (TMenuItem* item : FItems)
    if (item->FVisible) item->AppendTo(FHandle);
}

void TMenuItem::AppendTo(HMENU menu) {
  MENUITEMINFOA info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
  info.fType = FCaption == "-" ? MFT_SEPARATOR : MFT_STRING;
  info.fState = (FEnabled ? MFS_ENABLED : MFS_GRAYED) | (FChecked ? MFS_CHECKED : 0);
  info.wID = FCommand;
  String text = FCaption;
  if (FShortCut) text += "\t" + ShortCutToText(FShortCut);
  info.dwTypeData = text.data();
  if (GetCount() > 0) {
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = GetHandle();
  }
  InsertMenuItemA(menu, 0xFFFFFFFF, TRUE, &info);
}

// ---- TMenu -------------------------------------------------------------------------------

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) { FItems->FMenu = this; }

void TMenu::Destroy() {
  // A window still showing the menu as its bar lets go of it first.
  if (FWindowHandle && FItems->FHandle && ::GetMenu(FWindowHandle) == FItems->FHandle) ::SetMenu(FWindowHandle, 0);
  FItems->FMenu = nullptr;
  FreeAndNil(FItems);
  inherited::Destroy();
}

HMENU TMenu::GetHandle() {
  if (!FItems->FHandle || !IsMenu(FItems->FHandle)) {
    FItems->FHandle = IsMenuBar() ? CreateMenu() : CreatePopupMenu();
    FItems->RebuildHandle();
  }
  return FItems->FHandle;
}

void TMenu::MenuChanged() {}

void TMainMenu::MenuChanged() {
  if (const HWND h = GetWindowHandle(); h && IsWindow(h)) DrawMenuBar(h);
}

// The search reads the handles items have; it makes none.
TMenuItem* TMenu::FindIn(TMenuItem* item, uint32_t value, TFindItemKind kind) {
  for (TMenuItem* sub : item->FItems) {
    bool match = false;
    switch (kind) {
      case fkCommand: match = sub->FCommand == value; break;
      case fkHandle: match = sub->FHandle != 0 && sub->FHandle == value; break;
      case fkShortCut: match = sub->FShortCut != 0 && sub->FShortCut == value; break;
    }
    if (match) return sub;
    if (TMenuItem* found = FindIn(sub, value, kind)) return found;
  }
  return nullptr;
}

TMenuItem* TMenu::FindItem(uint32_t Value, TFindItemKind Kind) const {
  if (Kind == fkHandle && FItems->FHandle && FItems->FHandle == Value) return FItems;
  return FindIn(FItems, Value, Kind);
}

bool TMenu::DispatchCommand(Word ACommand) {
  TMenuItem* item = FindItem(ACommand, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU AMenu) {
  TMenuItem* item = FindItem(AMenu, fkHandle);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(const TWMKey& Message) {
  const TShiftState shift = KeyDataToShiftState(Message.KeyData);
  const TShortCut key = ShortCut(Message.CharCode, static_cast<uint8_t>(shift.Bits()));
  TMenuItem* item = FindItem(key, fkShortCut);
  if (!item) return false;
  // The parents first, from the top, each only while enabled: their handlers may set the
  // item up (or take it away: it is looked up again before its own click).
  std::vector<TMenuItem*> chain;
  for (TMenuItem* p = item->GetParentItem(); p && p != FItems; p = p->GetParentItem()) chain.push_back(p);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!(*it)->GetEnabled()) return true;
    (*it)->Click();
  }
  if ((item = FindItem(key, fkShortCut)) != nullptr) item->Click();
  return true;
}

// ---- TPopupMenu --------------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) { PopupList().Menus.push_back(this); }

void TPopupMenu::Destroy() {
  TPopupList& list = PopupList();
  list.Menus.erase(std::remove(list.Menus.begin(), list.Menus.end(), this), list.Menus.end());
  if (list.Menus.empty() && IsWindow(list.Window)) DestroyWindow(list.Window);
  if (list.Menus.empty()) list.Window = 0;
  inherited::Destroy();
}

void TPopupMenu::Popup(Integer X, Integer Y) {
  FPopupPoint = {X, Y};
  if (OnPopup) OnPopup(this);
  TrackPopupMenu(GetHandle(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, X, Y, 0, PopupListWindow(), nullptr);
}

// ---- shortcuts -----------------------------------------------------------------------------

TShortCut ShortCut(Word Key, uint8_t Shift) {
  TShortCut r = Key & 0xFF;
  if (Shift & 1) r |= 0x2000;  // scShift
  if (Shift & 4) r |= 0x4000;  // scCtrl
  if (Shift & 2) r |= 0x8000;  // scAlt
  return r;
}

String ShortCutToText(TShortCut ShortCut) {
  const String name = KeyName(ShortCut & 0xFF);
  if (name.empty()) return String();
  String text;
  if (ShortCut & 0x2000) text += "Shift+";
  if (ShortCut & 0x4000) text += "Ctrl+";
  if (ShortCut & 0x8000) text += "Alt+";
  return text + name;
}
