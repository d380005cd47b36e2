// Editor-window manager, IDE-wide manager and the notifier list.
#include "EIManager.h"

#include "panel/EIPanel.h"

IMPLEMENT_CLASS(TEIMessageNotifier, TObject)
IMPLEMENT_CLASS(TEIMessageNotifierList, TObject)
IMPLEMENT_CLASS(TEIManager, TComponent)
IMPLEMENT_COMPONENT_CLASS(TIDEManager, TComponent)

// ---- TEIMessageNotifier ----------------------------------------------------------------------

void TEIMessageNotifier::BeforeEditorMessageProcess(TEIManager*, TMessage, TMessage&) {}
void TEIMessageNotifier::AfterEditorMessageProcess(TEIManager*, TMessage, TMessage&) {}
void TEIMessageNotifier::OnIDEManagerDestroy(TIDEManager*) {}
void TEIMessageNotifier::OnManagerMessage(TEIManager*, Integer) {}
void TEIMessageNotifier::OnManagerCreated(TEIManager*) {}
void TEIMessageNotifier::OnManagerDestroying(TEIManager*) {}
void TEIMessageNotifier::OnActiveFormChanged(TCustomForm*) {}
void TEIMessageNotifier::OnApplicationActivate(bool) {}

// ---- TEIMessageNotifierList ------------------------------------------------------------------

TEIMessageNotifierList::TEIMessageNotifierList() : FList(new TListOf<TEIMessageNotifier>()) {}

void TEIMessageNotifierList::Destroy() {
  TEIActivation::EndAll(FActivations);
  FList->Clear();
  FreeAndNil(FList);
  inherited::Destroy();
}

void TEIMessageNotifierList::Add(TEIMessageNotifier* Notifier) {
  if (FList->IndexOf(Notifier) < 0) FList->Add(Notifier);
}

void TEIMessageNotifierList::Remove(TEIMessageNotifier* Notifier) { FList->Remove(Notifier); }

// Every broadcast reads the count once: a notifier removed meanwhile makes a later index
// fetch raise the list's index error, which ends the broadcast.
template <class F>
static void ForEachNotifier(const TEIMessageNotifierList* list, F call) {
  const Integer count = list->GetCount();
  for (Integer i = 0; i < count; ++i) call(list->GetNotifier(i));
}

// An editor message's broadcast also ends when its manager or this list goes meanwhile.
template <class F>
static void ForEachNotifier(const TEIMessageNotifierList* list, const TEIActivation& broadcast, F call) {
  const Integer count = list->GetCount();
  for (Integer i = 0; i < count && !broadcast.Ended; ++i) call(list->GetNotifier(i));
}

// Destruction goes on past a raising notifier; the list's index error still ends it.
template <class F>
static void ForEachNotifierToTheEnd(const TEIMessageNotifierList* list, F call) {
  const Integer count = list->GetCount();
  for (Integer i = 0; i < count && i < list->GetCount(); ++i) {
    try {
      call(list->GetNotifier(i));
    } catch (...) {
    }
  }
}

// The by-value OriginalMessage is this hop's own copy; every notifier gets a copy of it.
void TEIMessageNotifierList::BroadcastBeforeEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage,
                                                                 TMessage& ModifiedMessage) {
  TEIActivation broadcast(FActivations, Manager);
  ForEachNotifier(this, broadcast, [&](TEIMessageNotifier* n) {
    n->BeforeEditorMessageProcess(Manager, OriginalMessage, ModifiedMessage);
  });
}

void TEIMessageNotifierList::BroadcastAfterEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage,
                                                                TMessage& ModifiedMessage) {
  TEIActivation broadcast(FActivations, Manager);
  ForEachNotifier(this, broadcast, [&](TEIMessageNotifier* n) {
    n->AfterEditorMessageProcess(Manager, OriginalMessage, ModifiedMessage);
  });
}

void TEIMessageNotifierList::BroadcastIDEManagerDestroy(TIDEManager* IDEManager) {
  ForEachNotifierToTheEnd(this, [&](TEIMessageNotifier* n) { n->OnIDEManagerDestroy(IDEManager); });
}

void TEIMessageNotifierList::BroadcastManagerMessage(TEIManager* Manager, Integer Value) {
  ForEachNotifier(this, [&](TEIMessageNotifier* n) { n->OnManagerMessage(Manager, Value); });
}

void TEIMessageNotifierList::BroadcastManagerCreated(TEIManager* Manager) {
  ForEachNotifier(this, [&](TEIMessageNotifier* n) { n->OnManagerCreated(Manager); });
}

void TEIMessageNotifierList::BroadcastManagerDestroying(TEIManager* Manager) {
  ForEachNotifierToTheEnd(this, [&](TEIMessageNotifier* n) { n->OnManagerDestroying(Manager); });
}

void TEIMessageNotifierList::BroadCastOnActiveFormChanged(TCustomForm* Form) {
  ForEachNotifier(this, [&](TEIMessageNotifier* n) { n->OnActiveFormChanged(Form); });
}

void TEIMessageNotifierList::BroadCastOnApplicationActivate(bool Active) {
  ForEachNotifier(this, [&](TEIMessageNotifier* n) { n->OnApplicationActivate(Active); });
}

// ---- TEIManager ------------------------------------------------------------------------------

TEIManager::TEIManager(TForm* EditorForm, TIDEManager* IDEManager, TMessageProcessProc BeforeMessage,
                       TMessageProcessProc AfterMessage)
    : TComponent(EditorForm) {
  FAttached = new TListOf<TComponent>();
  FBeforeMessage = BeforeMessage;
  FAfterMessage = AfterMessage;
  FIDEManager = IDEManager;
  FEditorForm = EditorForm;
  FExtensions = new TListOf<TEIExtension>();
  // The IDE-wide manager lives in another owner; this way its end is reported here.
  if (IDEManager) IDEManager->FreeNotification(this);
  try {
    SetupEditor();
    InstallEditControlHook();
    if (IDEManager) IDEManager->CreateExtensionsForEditor(this);
  } catch (...) {
    Destroy();
    throw;
  }
}

void TEIManager::Destroy() {
  // Destruction completes whatever the report raises.
  if (FOnDestroy) {
    try {
      FOnDestroy(this);
    } catch (...) {
    }
  }
  // The hook lives as long as the editor control; it must not call a manager that is gone,
  // and broadcasts still running for this window's message must not hand it on.
  if (FEditWrapper) FEditWrapper->DetachCallbacks();
  if (FIDEManager) FIDEManager->GetNotifiers()->EndBroadcastsOf(this);
  FreeAndNil(FAttached);
  FreeAndNil(FExtensions);
  inherited::Destroy();
}

void TEIManager::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent) {
    if (AComponent == FIDEManager) {
      // Its handlers are gone with it: nothing of this manager may reach it any more.
      if (FOnDestroy.Data == FIDEManager) FOnDestroy = nullptr;
      if (FBeforeMessage.Data == FIDEManager) FBeforeMessage = nullptr;
      if (FAfterMessage.Data == FIDEManager) FAfterMessage = nullptr;
      FIDEManager = nullptr;
    } else {
      if (FAttached) FAttached->Remove(AComponent);
      if (FExtensions) FExtensions->TList::Remove(AComponent);
      // The hook is forgotten only when it goes itself: an editor control that merely leaves
      // the form's components stays hooked, and this manager must still cut the hook off
      // when it goes. The control is forgotten when it is destroyed, or when it leaves and
      // no hook of it would tell of its end.
      if (AComponent == FEditWrapper) {
        FEditWrapper = nullptr;
        if (FEditControl && FEditControl->Destroying()) FEditControl = nullptr;
      }
      if (AComponent == FEditControl && (AComponent->Destroying() || !FEditWrapper)) FEditControl = nullptr;
      if (AComponent == FXTabControl) FXTabControl = nullptr;
      if (AComponent == FMessageView) FMessageView = nullptr;
      if (AComponent == FStatusBar) FStatusBar = nullptr;
      if (AComponent == FEditorLocalMenu) FEditorLocalMenu = nullptr;
      if (AComponent == FMsgViewPopupMenu) FMsgViewPopupMenu = nullptr;
    }
  }
  inherited::Notification(AComponent, Operation);
}

void TEIManager::DoBeforeEditorControlMessageProcess(TObject*, TMessage OriginalMessage, TMessage& ModifiedMessage) {
  if (FBeforeMessage) FBeforeMessage(this, OriginalMessage, ModifiedMessage);
}

void TEIManager::DoAfterEditorControlMessageProcess(TObject*, TMessage OriginalMessage, TMessage& ModifiedMessage) {
  if (FAfterMessage) FAfterMessage(this, OriginalMessage, ModifiedMessage);
}

void TEIManager::SetupEditor() {
  for (Integer i = 0; i < FEditorForm->GetComponentCount(); ++i) {
    TComponent* c = FEditorForm->GetComponent(i);
    const String name = c->ClassName();
    if (SameText(name, "TXTabControl")) {
      if (auto* w = As<TWinControl>(c)) FXTabControl = w;
    } else if (SameText(name, "TMessageViewForm")) {
      if (auto* w = As<TWinControl>(c)) FMessageView = w;
    } else if (SameText(name, "TStatusbar")) {
      if (auto* w = As<TWinControl>(c)) FStatusBar = w;
    } else if (SameText(name, "TPopupMenu")) {
      if (auto* m = As<TPopupMenu>(c)) {
        if (SameText(m->GetName(), "EditorLocalMenu"))
          FEditorLocalMenu = m;
        else if (SameText(m->GetName(), "MsgViewPopupMenu"))
          FMsgViewPopupMenu = m;
      }
    } else if (SameText(name, "TEditControl")) {
      if (auto* w = As<TWinControl>(c)) FEditControl = w;
    }
  }
  if (!FXTabControl || !FEditControl || !FStatusBar) throw EAbort("Could not set up editor for integration!");
}

void TEIManager::InstallEditControlHook() {
  if (!FEditControl) return;
  FEditWrapper = new TEIEditWrapper(FEditControl, MethodOf<&TEIManager::DoBeforeEditorControlMessageProcess>(this),
                                    MethodOf<&TEIManager::DoAfterEditorControlMessageProcess>(this));
  // The hook belongs to the editor control, which may leave the form: its own end is told here.
  FEditWrapper->FreeNotification(this);
}

// ---- TIDEManager ----------------------------------------------------------------------------

TIDEManager::TIDEManager(TComponent* AOwner) : TComponent(AOwner) {
  FManagers = new TListOf<TEIManager>();
  FNotifiers = new TEIMessageNotifierList();
  FExpertNames = new TStringList();
  FExpertNames->SetSorted(true);
  FExpertNames->SetDuplicates(dupIgnore);
  FExtensionClasses = new TListOf<TEIExtensionClassInfo>();
  FExtensions = new TListOf<TEIExtension>();
  FOldActiveFormChange = Screen->OnActiveFormChange;
  Screen->OnActiveFormChange = MethodOf<&TIDEManager::OnActiveFormChange>(this);
  FOldApplicationActivate = Application->OnActivate;
  Application->OnActivate = MethodOf<&TIDEManager::OnApplicationActivate>(this);
  FOldApplicationDeactivate = Application->OnDeactivate;
  Application->OnDeactivate = MethodOf<&TIDEManager::OnApplicationDeActivate>(this);
  DetectExistingEditorWindows();
}

void TIDEManager::Destroy() {
  FNotifiers->BroadcastIDEManagerDestroy(this);
  if (Screen) Screen->OnActiveFormChange = FOldActiveFormChange;
  if (Application) {
    Application->OnActivate = FOldApplicationActivate;
    Application->OnDeactivate = FOldApplicationDeactivate;
  }
  // Editor windows that outlive this manager must not report to it.
  for (Integer i = 0; i < FManagers->GetCount(); ++i) FManagers->Get(i)->SetOnDestroy(nullptr);
  FreeAndNil(FExpertNames);
  FreeAndNil(FNotifiers);
  FreeAndNil(FManagers);
  FreeAndNil(FExtensionClasses);
  FreeAndNil(FExtensions);
  inherited::Destroy();
}

// An IDE-level extension freed by someone else leaves the list instead of dangling in it.
void TIDEManager::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && FExtensions) FExtensions->TList::Remove(AComponent);
  inherited::Notification(AComponent, Operation);
}

TEIManager* TIDEManager::GetManagerByEditor(TForm* Form) const {
  for (Integer i = 0; i < FManagers->GetCount(); ++i)
    if (FManagers->Get(i)->GetEditorForm() == Form) return FManagers->Get(i);
  return nullptr;
}

void TIDEManager::DetectExistingEditorWindows() {
  const Integer count = Screen->GetFormCount();
  for (Integer i = 0; i < count; ++i) DetectNewEditorWindow(Screen->GetForm(i));
}

void TIDEManager::DetectNewEditorWindow(TForm* Form) {
  if (!Form) return;
  if (!SameText(Form->ClassName(), "TEditWindow")) return;
  if (GetManagerByEditor(Form)) return;
  try {
    auto* M = new TEIManager(Form, this, MethodOf<&TIDEManager::DoBeforeEditorControlMessageProcess>(this),
                             MethodOf<&TIDEManager::DoAfterEditorControlMessageProcess>(this));
    M->SetName("EIManager");
    AddEIManager(M);
    M->SetOnDestroy(MethodOf<&TIDEManager::OnManagerDestroy>(this));
    FNotifiers->BroadcastManagerCreated(M);
  } catch (...) {
    // A form that is no editor window after all stays unmanaged; activation never fails.
  }
}

void TIDEManager::OnActiveFormChange(TObject* Sender) {
  if (FOldActiveFormChange) FOldActiveFormChange(Sender);
  if (Application->GetTerminated() || Application->Destroying()) return;
  DetectNewEditorWindow(Screen->GetActiveForm());
  if (TForm* form = Screen->GetActiveForm()) FNotifiers->BroadCastOnActiveFormChanged(form);
}

void TIDEManager::OnApplicationActivate(TObject* Sender) {
  if (FOldApplicationActivate) FOldApplicationActivate(Sender);
  FNotifiers->BroadCastOnApplicationActivate(true);
}

void TIDEManager::OnApplicationDeActivate(TObject* Sender) {
  if (FOldApplicationDeactivate) FOldApplicationDeactivate(Sender);
  FNotifiers->BroadCastOnApplicationActivate(false);
}

void TIDEManager::OnManagerDestroy(TEIManager* Manager) {
  if (FManagers->IndexOf(Manager) < 0) return;
  FNotifiers->BroadcastManagerDestroying(Manager);
  FManagers->Remove(Manager);
}

void TIDEManager::DoBeforeEditorControlMessageProcess(TObject* Sender, TMessage OriginalMessage,
                                                      TMessage& ModifiedMessage) {
  FNotifiers->BroadcastBeforeEditorMessageProcess(static_cast<TEIManager*>(Sender), OriginalMessage, ModifiedMessage);
}

void TIDEManager::DoAfterEditorControlMessageProcess(TObject* Sender, TMessage OriginalMessage,
                                                     TMessage& ModifiedMessage) {
  FNotifiers->BroadcastAfterEditorMessageProcess(static_cast<TEIManager*>(Sender), OriginalMessage, ModifiedMessage);
}

// ---- component integration ------------------------------------------------------------------

bool TEIManager::CheckIntegrated(TComponent* Component) const { return FAttached->IndexOf(Component) >= 0; }

void TEIManager::AttachComponent(TComponent* Component) {
  if (!Component) throw EEIException("Invalid integration request!");
  if (CheckIntegrated(Component)) throw EEIException("Duplicate integration request!");
  FAttached->Add(Component);
  // An attached component that is freed leaves the list instead of dangling in it.
  Component->FreeNotification(this);
}

void TEIManager::UnAttachComponent(TComponent* Component) { FAttached->Remove(Component); }

TEIPanel* TEIManager::RequestIntegration(TComponent* Component) {
  if (!Component) throw EEIException("Invalid integration request!");
  if (CheckIntegrated(Component)) throw EEIException("Duplicate integration request!");
  auto* Panel = new TEIPanel(nullptr);
  FEditorForm->InsertControl(Panel);
  Panel->SetParent(FEditorForm);
  Panel->SetVisible(false);
  Panel->SetAlign(alLeft);
  AttachComponent(Component);
  return Panel;
}

TEIPanel* TEIManager::Dock(TForm* Form) {
  TEIPanel* Panel = RequestIntegration(Form);
  Panel->SetTitleBarCaption(Form->GetCaption());
  Panel->SetAlign(alTop);
  Panel->SetHeight(Form->GetClientHeight() + Panel->TitleBarHeight());
  Form->SetBorderStyle(bsNone);
  Form->SetParent(Panel);
  Form->SetAlign(alClient);
  return Panel;
}

// The panel's corner is taken in this manager's editor form, whichever form holds it.
void TEIManager::Float(TForm* Form) {
  auto* Panel = Form ? As<TEIPanel>(Form->GetParent()) : nullptr;
  if (!Panel) throw EEIException("Invalid float request!");
  UnAttachComponent(Form);
  const TPoint corner = FEditorForm->ClientToScreen({Panel->GetLeft(), Panel->GetTop()});
  const Integer width = Form->GetWidth(), height = Form->GetHeight();
  Form->Hide();
  Panel->Hide();
  Form->SetParent(nullptr);
  Form->SetAlign(alNone);
  Form->SetBorderStyle(bsSizeToolWin);
  Form->SetLeft(corner.X);
  Form->SetTop(corner.Y);
  // The client area counts the new border only once the window has it.
  Form->HandleNeeded();
  Form->SetClientWidth(width);
  Form->SetClientHeight(height);
  Form->Show();
  Panel->Free();
}

void TIDEManager::CheckNotAttachedElsewhere(TEIManager* Manager, TComponent* Component) const {
  for (Integer i = 0; i < FManagers->GetCount(); ++i) {
    TEIManager* other = FManagers->Get(i);
    if (other != Manager && other->CheckIntegrated(Component))
      throw EEIException("Component already attached to another editor");
  }
}

TEIPanel* TIDEManager::RequestIntegration(TEIManager* Manager, TComponent* Component) {
  CheckNotAttachedElsewhere(Manager, Component);
  return Manager->RequestIntegration(Component);
}

void TIDEManager::AttachComponent(TEIManager* Manager, TComponent* Component) {
  CheckNotAttachedElsewhere(Manager, Component);
  Manager->AttachComponent(Component);
}

void TIDEManager::UnattachComponent(TComponent* Component) {
  for (Integer i = 0; i < FManagers->GetCount(); ++i)
    if (FManagers->Get(i)->CheckIntegrated(Component)) FManagers->Get(i)->UnAttachComponent(Component);
}

// The panel's visibility is the caller's; the status bar goes back to the bottom edge,
// below the panel that may now be docked there.
Integer TIDEManager::MovePanel(TForm* EditorForm, TWinControl* Control, TAlign Align) {
  TEIManager* M = GetManagerByEditor(EditorForm);
  auto* Panel = Control ? As<TEIPanel>(Control->GetParent()) : nullptr;
  if (!M || !Panel) return -1;
  UnattachComponent(Control);
  if (TWinControl* old = Panel->GetParent()) old->RemoveControl(Panel);
  AttachComponent(M, Control);
  EditorForm->InsertControl(Panel);
  Panel->SetParent(EditorForm);
  Panel->SetAlign(Align);
  if (TWinControl* bar = M->GetStatusBar()) bar->SetTop(EditorForm->GetClientHeight());
  return FManagers->IndexOf(M);
}

// ---- global routines --------------------------------------------------------------------

TIDEManager* FindIDEIntegrationManager() {
  if (!Application) return nullptr;
  for (Integer i = 0; i < Application->GetComponentCount(); ++i) {
    TComponent* c = Application->GetComponent(i);
    // Another package's copy of this class has the same layout but is not the same type.
    if (SameText(c->ClassName(), TIDEManager::StaticClass()->ClassName())) return reinterpret_cast<TIDEManager*>(c);
  }
  return nullptr;
}

TIDEManager* InstallIDEIntegrationManager(const String& ExpertName) {
  TIDEManager* M = FindIDEIntegrationManager();
  if (!M) {
    M = new TIDEManager(Application);
    M->SetName("IDEManager");
  }
  M->AddEIIExpertname(ExpertName);
  return M;
}
