// Menus.
#include "Menus.h"

#include <algorithm>

IMPLEMENT_COMPONENT_CLASS(TMenuItem, TComponent)
IMPLEMENT_COMPONENT_CLASS(TMenu, TComponent)
IMPLEMENT_COMPONENT_CLASS(TMainMenu, TMenu)
IMPLEMENT_COMPONENT_CLASS(TPopupMenu, TMenu)

void TMenuItem::Destroy() {
  if (FParent) FParent->Remove(this);
  // Sub-items belong to the item unless a component owner frees them first.
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    if (!item->GetOwner()) item->Free();
  }
  inherited::Destroy();
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
}

void TMenuItem::Delete(Integer index) {
  TMenuItem* item = GetItem(index);
  FItems.erase(FItems.begin() + index);
  item->FParent = nullptr;
}

void TMenuItem::Remove(TMenuItem* item) {
  Integer i = IndexOf(item);
  if (i < 0) throw EInvalidOperation("Sub-menu is not in menu");
  Delete(i);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    item->Free();
  }
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

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {}

void TMenu::Destroy() {
  FreeAndNil(FItems);
  inherited::Destroy();
}

void TPopupMenu::Popup(Integer X, Integer Y) {
  FPopupPoint = {X, Y};
  if (OnPopup) OnPopup(this);
}

TShortCut ShortCut(Word Key, uint8_t Shift) {
  TShortCut r = Key & 0xFF;
  if (Shift & 1) r |= 0x2000;  // scShift
  if (Shift & 4) r |= 0x4000;  // scCtrl
  if (Shift & 2) r |= 0x8000;  // scAlt
  return r;
}
