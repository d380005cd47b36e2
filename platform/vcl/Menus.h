// Menus: menu items as named components in a tree, main menus and popup menus.
#pragma once

#include "Classes.h"

using TShortCut = Word;

class TMenuItem : public TComponent {
  DECLARE_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}
  void Destroy() override;

  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& s) { FCaption = s; }
  const String& GetHint() const { return FHint; }
  void SetHint(const String& s) { FHint = s; }
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut s) { FShortCut = s; }
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v) { FEnabled = v; }
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool v) { FVisible = v; }
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool v) { FChecked = v; }
  Integer GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(Integer v) { FGroupIndex = v; }
  Integer GetHelpContext() const { return FHelpContext; }
  void SetHelpContext(Integer v) { FHelpContext = v; }

  Integer GetCount() const { return static_cast<Integer>(FItems.size()); }
  TMenuItem* GetItem(Integer index) const;
  TMenuItem* GetParentItem() const { return FParent; }
  Integer IndexOf(const TMenuItem* item) const;
  Integer GetMenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
  void Add(TMenuItem* item) { Insert(GetCount(), item); }
  void Insert(Integer index, TMenuItem* item);
  void Delete(Integer index);
  void Remove(TMenuItem* item);
  void Clear();  // frees the sub-items
  // The item with this component name in this item's subtree, or null.
  TMenuItem* FindByName(const String& name);
  virtual void Click();

  TNotifyEvent OnClick;

 private:
  String FCaption, FHint;
  TShortCut FShortCut = 0;
  bool FEnabled = true, FVisible = true, FChecked = false;
  Integer FGroupIndex = 0, FHelpContext = 0;
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
};

class TMenu : public TComponent {
  DECLARE_CLASS(TMenu, TComponent)
 public:
  explicit TMenu(TComponent* AOwner);
  void Destroy() override;
  TMenuItem* GetItems() const { return FItems; }

 private:
  TMenuItem* FItems;
};

class TMainMenu : public TMenu {
  DECLARE_CLASS(TMainMenu, TMenu)
 public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
};

class TPopupMenu : public TMenu {
  DECLARE_CLASS(TPopupMenu, TMenu)
 public:
  explicit TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}
  virtual void Popup(Integer X, Integer Y);
  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;
  TPoint GetPopupPoint() const { return FPopupPoint; }

 private:
  TPoint FPopupPoint;
};

TShortCut ShortCut(Word Key, uint8_t Shift /* TShiftState bits */);
