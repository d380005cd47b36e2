// The IDE's tool services and main-menu interfaces, as add-ins see them: abstract classes
// the running IDE implements, reached through the global ToolServices.
#pragma once

#include "VirtIntf.h"
#include "platform/vcl/Menus.h"
#include "platform/win/Windows.h"

class TIModuleInterface;
class TIMenuItemIntf;

enum TIMenuFlag : uint8_t { mfInvalid, mfEnabled, mfVisible, mfChecked, mfBreak, mfBarBreak, mfRadioItem };
using TIMenuFlags = TSet<TIMenuFlag>;

// Called with an interface object of the clicked item; the IDE releases that object after
// the call, so a handler that wants to keep it adds a reference.
using TIMenuClickEvent = TMethod<void(TIMenuItemIntf* Sender)>;

// One item of the IDE's main menu. Every object returned is the caller's to release; an
// item that has been destroyed answers with empty results and the flag mfInvalid.
class TIMenuItemIntf : public TInterface {
  DECLARE_CLASS(TIMenuItemIntf, TInterface)
 public:
  virtual bool DestroyMenuItem() = 0;
  virtual Integer GetIndex() = 0;
  virtual Integer GetItemCount() = 0;
  virtual TIMenuItemIntf* GetItem(Integer Index) = 0;
  virtual String GetName() = 0;
  virtual TIMenuItemIntf* GetParent() = 0;
  virtual String GetCaption() = 0;
  virtual bool SetCaption(const String& Caption) = 0;
  virtual TShortCut GetShortCut() = 0;
  virtual bool SetShortCut(TShortCut ShortCut) = 0;
  virtual TIMenuFlags GetFlags() = 0;
  virtual bool SetFlags(TIMenuFlags Mask, TIMenuFlags Flags) = 0;
  virtual Integer GetGroupIndex() = 0;
  virtual bool SetGroupIndex(Integer GroupIndex) = 0;
  virtual String GetHint() = 0;
  virtual bool SetHint(const String& Hint) = 0;
  virtual Integer GetContext() = 0;
  virtual bool SetContext(Integer Context) = 0;
  // The click handler of an item an add-in inserted (unassigned for the IDE's own items);
  // setting it is false for the IDE's items, which keep their own.
  virtual TIMenuClickEvent GetMenuClickEvent() = 0;
  virtual bool SetMenuClickEvent(TIMenuClickEvent EventHandler) = 0;
  virtual TIMenuItemIntf* InsertItem(Integer Index, const String& Caption, const String& Name, const String& Hint,
                                     TShortCut ShortCut, Integer Context, Integer GroupIndex, TIMenuFlags Flags,
                                     TIMenuClickEvent EventHandler) = 0;
};

class TIMainMenuIntf : public TInterface {
  DECLARE_CLASS(TIMainMenuIntf, TInterface)
 public:
  virtual TIMenuItemIntf* GetMenuItems() = 0;
  // The item with that component name anywhere in the menu, or null.
  virtual TIMenuItemIntf* FindMenuItem(const String& Name) = 0;
};

class TIToolServices : public TInterface {
  DECLARE_CLASS(TIToolServices, TInterface)
 public:
  virtual HWND GetParentHandle() = 0;
  virtual TIMainMenuIntf* GetMainMenu() = 0;
  // The IDE reports the message to the user as it reports any exception.
  virtual void RaiseException(const String& Message) = 0;

  virtual String GetProjectName() = 0;
  virtual Integer GetUnitCount() = 0;
  virtual String GetUnitName(Integer Index) = 0;
  // The project's form files.
  virtual Integer GetFormCount() = 0;
  virtual String GetFormName(Integer Index) = 0;

  virtual String GetCurrentFile() = 0;
  virtual bool IsFileOpen(const String& FileName) = 0;
  virtual bool OpenFile(const String& FileName) = 0;
  virtual bool CloseFile(const String& FileName) = 0;
  virtual TIModuleInterface* GetModuleInterface(const String& FileName) = 0;
  virtual TIModuleInterface* GetFormModuleInterface(const String& FormName) = 0;
};

// The running IDE's tool services; null when not running inside the IDE.
extern TIToolServices* ToolServices;

// ---- the IDE side ------------------------------------------------------------------------
class TIDEHost;
TIToolServices* NewToolServices(TIDEHost* Host);
TIMenuItemIntf* NewMenuItemIntf(TMenuItem* Item);
