// The IDE's tool services and main-menu interface objects, and the menu items add-ins insert.
#include "ToolIntf.h"

#include "AppBuilder.h"
#include "ComponentLink.h"
#include "EditIntf.h"

IMPLEMENT_CLASS(TIMenuItemIntf, TInterface)
IMPLEMENT_CLASS(TIMainMenuIntf, TInterface)
IMPLEMENT_CLASS(TIToolServices, TInterface)

TIToolServices* ToolServices = nullptr;

namespace {

// A menu item inserted by an add-in: its click goes to the add-in's handler, and it keeps the
// flags the class library's item has no property for.
class TAddInMenuItem : public TMenuItem {
  DECLARE_CLASS(TAddInMenuItem, TMenuItem)
 public:
  explicit TAddInMenuItem(TComponent* AOwner) : TMenuItem(AOwner) {}

  // The handler gets an object of its own for the item, released after the call; nothing
  // here touches the item afterwards, so a handler may destroy the item it was called for.
  void Click() override {
    if (!GetEnabled() || !OnIDEClick) return;
    TIMenuClickEvent handler = OnIDEClick;
    TInterfaceGuard<TIMenuItemIntf> sender(NewMenuItemIntf(this));
    handler(sender.Get());
  }

  TIMenuClickEvent OnIDEClick;
  TIMenuFlags ExtraFlags;  // mfBreak, mfBarBreak, mfRadioItem
};
IMPLEMENT_COMPONENT_CLASS(TAddInMenuItem, TMenuItem)

constexpr TIMenuFlags ExtraFlagMask{mfBreak, mfBarBreak, mfRadioItem};

void FreeMenuTree(TMenuItem* item) {
  while (item->GetCount() > 0) FreeMenuTree(item->GetItem(item->GetCount() - 1));
  item->Free();
}

class TIDEMenuItemIntf : public TIMenuItemIntf {
 public:
  explicit TIDEMenuItemIntf(TMenuItem* item) : FLink(new TComponentLink(item)) {}
  void Destroy() override {
    FreeAndNil(FLink);
    TIMenuItemIntf::Destroy();
  }

  // Only items an add-in inserted can be destroyed, with everything inserted under them;
  // the IDE's own items stay.
  bool DestroyMenuItem() override {
    CheckInterfaceFault("TIMenuItemIntf.DestroyMenuItem");
    auto* item = FLink->GetAs<TAddInMenuItem>();
    if (!item) return false;
    FreeMenuTree(item);
    return true;
  }
  Integer GetIndex() override {
    CheckInterfaceFault("TIMenuItemIntf.GetIndex");
    return Item() ? Item()->GetMenuIndex() : -1;
  }
  Integer GetItemCount() override {
    CheckInterfaceFault("TIMenuItemIntf.GetItemCount");
    return Item() ? Item()->GetCount() : 0;
  }
  TIMenuItemIntf* GetItem(Integer Index) override {
    CheckInterfaceFault("TIMenuItemIntf.GetItem");
    if (!Item() || Index < 0 || Index >= Item()->GetCount()) return nullptr;
    return NewMenuItemIntf(Item()->GetItem(Index));
  }
  String GetName() override {
    CheckInterfaceFault("TIMenuItemIntf.GetName");
    return Item() ? Item()->GetName() : String();
  }
  TIMenuItemIntf* GetParent() override {
    CheckInterfaceFault("TIMenuItemIntf.GetParent");
    return Item() && Item()->GetParentItem() ? NewMenuItemIntf(Item()->GetParentItem()) : nullptr;
  }
  String GetCaption() override {
    CheckInterfaceFault("TIMenuItemIntf.GetCaption");
    return Item() ? Item()->GetCaption() : String();
  }
  bool SetCaption(const String& Caption) override {
    CheckInterfaceFault("TIMenuItemIntf.SetCaption");
    if (!Item()) return false;
    Item()->SetCaption(Caption);
    return true;
  }
  TShortCut GetShortCut() override {
    CheckInterfaceFault("TIMenuItemIntf.GetShortCut");
    return Item() ? Item()->GetShortCut() : 0;
  }
  bool SetShortCut(TShortCut ShortCut) override {
    CheckInterfaceFault("TIMenuItemIntf.SetShortCut");
    if (!Item()) return false;
    Item()->SetShortCut(ShortCut);
    return true;
  }
  TIMenuFlags GetFlags() override {
    CheckInterfaceFault("TIMenuItemIntf.GetFlags");
    TMenuItem* item = Item();
    if (!item) return {mfInvalid};
    TIMenuFlags flags;
    if (item->GetEnabled()) flags.Include(mfEnabled);
    if (item->GetVisible()) flags.Include(mfVisible);
    if (item->GetChecked()) flags.Include(mfChecked);
    if (auto* addIn = As<TAddInMenuItem>(item)) flags = flags + addIn->ExtraFlags;
    return flags;
  }
  // Sets the flags named in Mask to their state in Flags. The IDE's own items have no
  // break or radio-item state to change.
  bool SetFlags(TIMenuFlags Mask, TIMenuFlags Flags) override {
    CheckInterfaceFault("TIMenuItemIntf.SetFlags");
    TMenuItem* item = Item();
    if (!item) return false;
    if (Mask.Contains(mfEnabled)) item->SetEnabled(Flags.Contains(mfEnabled));
    if (Mask.Contains(mfVisible)) item->SetVisible(Flags.Contains(mfVisible));
    if (Mask.Contains(mfChecked)) item->SetChecked(Flags.Contains(mfChecked));
    if (auto* addIn = As<TAddInMenuItem>(item))
      addIn->ExtraFlags = (addIn->ExtraFlags - (Mask * ExtraFlagMask)) + (Flags * Mask * ExtraFlagMask);
    return true;
  }
  Integer GetGroupIndex() override {
    CheckInterfaceFault("TIMenuItemIntf.GetGroupIndex");
    return Item() ? Item()->GetGroupIndex() : 0;
  }
  bool SetGroupIndex(Integer GroupIndex) override {
    CheckInterfaceFault("TIMenuItemIntf.SetGroupIndex");
    if (!Item()) return false;
    Item()->SetGroupIndex(GroupIndex);
    return true;
  }
  String GetHint() override {
    CheckInterfaceFault("TIMenuItemIntf.GetHint");
    return Item() ? Item()->GetHint() : String();
  }
  bool SetHint(const String& Hint) override {
    CheckInterfaceFault("TIMenuItemIntf.SetHint");
    if (!Item()) return false;
    Item()->SetHint(Hint);
    return true;
  }
  Integer GetContext() override {
    CheckInterfaceFault("TIMenuItemIntf.GetContext");
    return Item() ? Item()->GetHelpContext() : 0;
  }
  bool SetContext(Integer Context) override {
    CheckInterfaceFault("TIMenuItemIntf.SetContext");
    if (!Item()) return false;
    Item()->SetHelpContext(Context);
    return true;
  }

  TIMenuClickEvent GetMenuClickEvent() override {
    CheckInterfaceFault("TIMenuItemIntf.GetMenuClickEvent");
    auto* item = FLink->GetAs<TAddInMenuItem>();
    return item ? item->OnIDEClick : TIMenuClickEvent();
  }
  bool SetMenuClickEvent(TIMenuClickEvent EventHandler) override {
    CheckInterfaceFault("TIMenuItemIntf.SetMenuClickEvent");
    auto* item = FLink->GetAs<TAddInMenuItem>();
    if (!item) return false;
    item->OnIDEClick = EventHandler;
    return true;
  }

  // An Index outside 0..count appends. A name that is not an identifier or that another
  // component of the menu's form already has gives null, the menu unchanged.
  TIMenuItemIntf* InsertItem(Integer Index, const String& Caption, const String& Name, const String& Hint,
                             TShortCut ShortCut, Integer Context, Integer GroupIndex, TIMenuFlags Flags,
                             TIMenuClickEvent EventHandler) override {
    CheckInterfaceFault("TIMenuItemIntf.InsertItem");
    TMenuItem* parent = Item();
    if (!parent) return nullptr;
    TComponent* owner = parent->GetOwner();
    if (!owner && IDE) owner = IDE->GetMainWindow();
    auto* item = new TAddInMenuItem(owner);
    try {
      item->SetName(Name);
    } catch (const EComponentError&) {
      item->Free();
      return nullptr;
    }
    item->SetCaption(Caption);
    item->SetHint(Hint);
    item->SetShortCut(ShortCut);
    item->SetHelpContext(Context);
    item->SetGroupIndex(GroupIndex);
    item->SetEnabled(Flags.Contains(mfEnabled));
    item->SetVisible(Flags.Contains(mfVisible));
    item->SetChecked(Flags.Contains(mfChecked));
    item->ExtraFlags = Flags * ExtraFlagMask;
    item->OnIDEClick = EventHandler;
    Integer count = parent->GetCount();
    parent->Insert(Index < 0 || Index > count ? count : Index, item);
    return NewMenuItemIntf(item);
  }

 private:
  TMenuItem* Item() const { return FLink->GetAs<TMenuItem>(); }
  TComponentLink* FLink;
};

class TIDEMainMenuIntf : public TIMainMenuIntf {
 public:
  explicit TIDEMainMenuIntf(TMainMenu* menu) : FLink(new TComponentLink(menu)) {}
  void Destroy() override {
    FreeAndNil(FLink);
    TIMainMenuIntf::Destroy();
  }
  TIMenuItemIntf* GetMenuItems() override {
    CheckInterfaceFault("TIMainMenuIntf.GetMenuItems");
    TMainMenu* menu = FLink->GetAs<TMainMenu>();
    return menu ? NewMenuItemIntf(menu->GetItems()) : nullptr;
  }
  TIMenuItemIntf* FindMenuItem(const String& Name) override {
    CheckInterfaceFault("TIMainMenuIntf.FindMenuItem");
    TMainMenu* menu = FLink->GetAs<TMainMenu>();
    if (!menu || Name.empty()) return nullptr;
    TMenuItem* item = menu->GetItems()->FindByName(Name);
    return item ? NewMenuItemIntf(item) : nullptr;
  }

 private:
  TComponentLink* FLink;
};

// Answers from the host while it runs; once the IDE has shut down, every call gives its
// empty result.
class TIDEToolServices : public TIToolServices {
 public:
  explicit TIDEToolServices(TIDEHost* host) : FLink(new TComponentLink(host)) {}
  void Destroy() override {
    FreeAndNil(FLink);
    TIToolServices::Destroy();
  }

  HWND GetParentHandle() override {
    CheckInterfaceFault("TIToolServices.GetParentHandle");
    TAppBuilder* main = Host() ? Host()->GetMainWindow() : nullptr;
    return main ? main->GetHandle() : 0;
  }
  TIMainMenuIntf* GetMainMenu() override {
    CheckInterfaceFault("TIToolServices.GetMainMenu");
    TAppBuilder* main = Host() ? Host()->GetMainWindow() : nullptr;
    TMainMenu* menu = main ? main->GetMenu() : nullptr;
    return menu ? new TIDEMainMenuIntf(menu) : nullptr;
  }
  void RaiseException(const String& Message) override {
    CheckInterfaceFault("TIToolServices.RaiseException");
    if (Host()) Host()->ReportException(Message);
  }
  String GetProjectName() override {
    CheckInterfaceFault("TIToolServices.GetProjectName");
    return Project() ? Project()->GetFileName() : String();
  }
  Integer GetUnitCount() override {
    CheckInterfaceFault("TIToolServices.GetUnitCount");
    return Project() ? Project()->GetUnitCount() : 0;
  }
  String GetUnitName(Integer Index) override {
    CheckInterfaceFault("TIToolServices.GetUnitName");
    return Project() ? Project()->GetUnitName(Index) : String();
  }
  Integer GetFormCount() override {
    CheckInterfaceFault("TIToolServices.GetFormCount");
    return Project() ? Project()->GetFormCount() : 0;
  }
  String GetFormName(Integer Index) override {
    CheckInterfaceFault("TIToolServices.GetFormName");
    return Project() ? Project()->GetFormName(Index) : String();
  }
  String GetCurrentFile() override {
    CheckInterfaceFault("TIToolServices.GetCurrentFile");
    TIDEModule* m = Project() ? Project()->GetCurrentModule() : nullptr;
    return m ? m->GetFileName() : String();
  }
  bool IsFileOpen(const String& FileName) override {
    CheckInterfaceFault("TIToolServices.IsFileOpen");
    return Project() && Project()->FindModule(FileName);
  }
  bool OpenFile(const String& FileName) override {
    CheckInterfaceFault("TIToolServices.OpenFile");
    return Project() && Project()->OpenFile(FileName);
  }
  bool CloseFile(const String& FileName) override {
    CheckInterfaceFault("TIToolServices.CloseFile");
    return Project() && Project()->CloseFile(FileName);
  }
  TIModuleInterface* GetModuleInterface(const String& FileName) override {
    CheckInterfaceFault("TIToolServices.GetModuleInterface");
    TIDEModule* m = Project() ? Project()->FindModule(FileName) : nullptr;
    return m ? NewModuleInterface(m) : nullptr;
  }
  TIModuleInterface* GetFormModuleInterface(const String& FormName) override {
    CheckInterfaceFault("TIToolServices.GetFormModuleInterface");
    TIDEModule* m = Project() ? Project()->FindFormModule(FormName) : nullptr;
    return m ? NewModuleInterface(m) : nullptr;
  }

 private:
  TIDEHost* Host() const { return FLink->GetAs<TIDEHost>(); }
  TIDEProject* Project() const { return Host() ? Host()->GetProject() : nullptr; }
  TComponentLink* FLink;
};

}  // namespace

TIToolServices* NewToolServices(TIDEHost* Host) { return new TIDEToolServices(Host); }

TIMenuItemIntf* NewMenuItemIntf(TMenuItem* Item) { return Item ? new TIDEMenuItemIntf(Item) : nullptr; }
