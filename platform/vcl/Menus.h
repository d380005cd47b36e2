// Menus: menu items as named components in a tree, shown through the window system's menus
// (a main menu as its form's menu bar, a popup menu tracked at a screen point); item
// commands, popups and shortcuts dispatched to the items, and shortcut texts.
#pragma once

#include "Controls.h"

using TShortCut = Word;

class TMenu;

class TMenuItem : public TComponent {
  DECLARE_CLASS(TMenuItem, TComponent)
 public:
  explicit TMenuItem(TComponent* AOwner);
  void Destroy() override;

  // "-" makes the item a separator.
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& s);
  const String& GetHint() const { return FHint; }
  void SetHint(const String& s) { FHint = s; }
  TShortCut GetShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut s);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool v);
  // An invisible item is left out of the menu; its shortcut still runs it.
  bool GetVisible() const { return FVisible; }
  void SetVisible(bool v);
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool v);
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
  // Runs the item when it is enabled: OnClick. An item with sub-items is clicked as its
  // menu comes down, so its handler can set them up.
  virtual void Click();

  // The window system's menu of the sub-items, made on demand and kept up to date with them.
  HMENU GetHandle();
  // The identifier the item's WM_COMMAND carries.
  Word GetCommand() const { return FCommand; }
  // The menu whose item tree this item belongs to, or null.
  TMenu* GetParentMenu() const;

  TNotifyEvent OnClick;

 private:
  friend class TMenu;
  void Changed();
  void RebuildHandle();
  void AppendTo(HMENU menu);
  void DestroyHandle();
  String FCaption, FHint;
  TShortCut FShortCut = 0;
  bool FEnabled = true, FVisible = true, FChecked = false;
  Integer FGroupIndex = 0, FHelpContext = 0;
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
  HMENU FHandle = 0;
  Word FCommand = 0;
  TMenu* FMenu = nullptr;  // on the root item only
};

enum TFindItemKind : uint8_t { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
  DECLARE_CLASS(TMenu, TComponent)
 public:
  explicit TMenu(TComponent* AOwner);
  void Destroy() override;
  TMenuItem* GetItems() const { return FItems; }
  // The menu of the top items: a menu bar for a main menu, else a popup menu.
  HMENU GetHandle();
  // The window showing the menu as its bar (set by the form), 0 for none.
  HWND GetWindowHandle() const { return FWindowHandle; }
  void SetWindowHandle(HWND h) { FWindowHandle = h; }

  // Any item of the tree, visible or not, by command, by its sub-menu's handle or by shortcut.
  TMenuItem* FindItem(uint32_t Value, TFindItemKind Kind) const;
  // WM_COMMAND: clicks the item with the command; false when the menu has none.
  bool DispatchCommand(Word ACommand);
  // WM_INITMENUPOPUP: clicks the item whose sub-menu comes down.
  bool DispatchPopup(HMENU AMenu);
  // A key that is an item's shortcut (Shift and Ctrl as the queue last saw them, Alt from
  // the key data) clicks the item once its parent items were clicked, as their menus coming
  // down would; true when an item has the shortcut, enabled or not.
  bool IsShortCut(const TWMKey& Message);

 protected:
  virtual bool IsMenuBar() const { return false; }
  // The tree changed: a main menu's bar is drawn again.
  virtual void MenuChanged();
  friend class TMenuItem;

 private:
  static TMenuItem* FindIn(TMenuItem* item, uint32_t value, TFindItemKind kind);
  TMenuItem* FItems;
  HWND FWindowHandle = 0;
};

class TMainMenu : public TMenu {
  DECLARE_CLASS(TMainMenu, TMenu)
 public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

 protected:
  bool IsMenuBar() const override { return true; }
  void MenuChanged() override;
};

class TPopupMenu : public TMenu {
  DECLARE_CLASS(TPopupMenu, TMenu)
 public:
  explicit TPopupMenu(TComponent* AOwner);
  void Destroy() override;
  // Shows the menu with its top-left corner at a screen point and tracks it until it
  // closes; OnPopup runs first. The chosen item's OnClick runs after the menu has closed,
  // from the message loop.
  virtual void Popup(Integer X, Integer Y);
  TComponent* PopupComponent = nullptr;
  TNotifyEvent OnPopup;
  TPoint GetPopupPoint() const { return FPopupPoint; }

 private:
  TPoint FPopupPoint;
};

// A shortcut from a key and TShiftState bits (ssShift 1, ssAlt 2, ssCtrl 4).
TShortCut ShortCut(Word Key, uint8_t Shift);
// "Ctrl+Z", "Shift+Ctrl+F4", "Alt+BkSp": the text a menu shows beside the item.
String ShortCutToText(TShortCut ShortCut);
