// The editor-window manager (one per IDE editor window), the IDE-wide manager that finds
// editor windows and broadcasts their messages, and the notifier base class and list.
#pragma once

#include "EIEditWrapper.h"
#include "EIExtension.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

class TEIManager;
class TIDEManager;
class TEIPanel;

DECLARE_EXCEPTION(EEIException, Exception)

enum TEIMessageFlag : uint8_t { eimfEditorMessages, eimfManagerMessages };
using TEIMessageFlags = TSet<TEIMessageFlag>;

using TEIManagerDestroyNotify = TMethod<void(TEIManager* Sender)>;
using TEIManagerEditorControlMessage = TMethod<void(TEIManager* Sender, TMessage& Msg)>;

// Sees the messages of every managed editor control and the framework's life events;
// every operation does nothing here.
class TEIMessageNotifier : public TObject {
  DECLARE_CLASS(TEIMessageNotifier, TObject)
 public:
  virtual void BeforeEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage, TMessage& ModifiedMessage);
  virtual void AfterEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage, TMessage& ModifiedMessage);
  virtual void OnIDEManagerDestroy(TIDEManager* IDEManager);
  virtual void OnManagerMessage(TEIManager* Manager, Integer Value);
  virtual void OnManagerCreated(TEIManager* Manager);
  virtual void OnManagerDestroying(TEIManager* Manager);
  virtual void OnActiveFormChanged(TCustomForm* Form);
  virtual void OnApplicationActivate(bool Active);
};

// The notifiers in the order they were added; it refers to them and does not own them.
class TEIMessageNotifierList : public TObject {
  DECLARE_CLASS(TEIMessageNotifierList, TObject)
 public:
  TEIMessageNotifierList();
  void Destroy() override;

  Integer GetCount() const { return FList->GetCount(); }
  TEIMessageNotifier* GetNotifier(Integer Index) const { return FList->Get(Index); }
  void Add(TEIMessageNotifier* Notifier);
  void Remove(TEIMessageNotifier* Notifier);

  virtual void BroadcastBeforeEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage, TMessage& ModifiedMessage);
  virtual void BroadcastAfterEditorMessageProcess(TEIManager* Manager, TMessage OriginalMessage, TMessage& ModifiedMessage);
  // The two broadcasts of destruction tell every notifier, whatever one of them raises:
  // destruction must complete, and a notifier not told would call what is gone.
  void BroadcastIDEManagerDestroy(TIDEManager* IDEManager);
  void BroadcastManagerMessage(TEIManager* Manager, Integer Value);
  void BroadcastManagerCreated(TEIManager* Manager);
  void BroadcastManagerDestroying(TEIManager* Manager);
  void BroadCastOnActiveFormChanged(TCustomForm* Form);
  void BroadCastOnApplicationActivate(bool Active);
  // The manager goes while broadcasts of its messages run: they end at the notifier that
  // is running, and no later notifier is handed the dead manager.
  void EndBroadcastsOf(TEIManager* Manager) { TEIActivation::EndFor(FActivations, Manager); }

 private:
  TListOf<TEIMessageNotifier>* FList;
  TEIActivation* FActivations = nullptr;
};

class TEIManager : public TComponent {
  DECLARE_CLASS(TEIManager, TComponent)
 public:
  TEIManager(TForm* EditorForm, TIDEManager* IDEManager, TMessageProcessProc BeforeMessage,
             TMessageProcessProc AfterMessage);
  void Destroy() override;

  void DoBeforeEditorControlMessageProcess(TObject* Sender, TMessage OriginalMessage, TMessage& ModifiedMessage);
  void DoAfterEditorControlMessageProcess(TObject* Sender, TMessage OriginalMessage, TMessage& ModifiedMessage);
  void SetupEditor();
  void InstallEditControlHook();

  TIDEManager* GetIDEManager() const { return FIDEManager; }
  TForm* GetEditorForm() const { return FEditorForm; }
  TWinControl* GetEditControl() const { return FEditControl; }
  TWinControl* GetXTabControl() const { return FXTabControl; }
  TWinControl* GetMessageView() const { return FMessageView; }
  TPopupMenu* GetEditorLocalMenu() const { return FEditorLocalMenu; }
  TPopupMenu* GetMsgViewPopupMenu() const { return FMsgViewPopupMenu; }
  TWinControl* GetStatusBar() const { return FStatusBar; }
  TEIEditWrapper* GetEditWrapper() const { return FEditWrapper; }
  TEIManagerDestroyNotify GetOnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(TEIManagerDestroyNotify Value) { FOnDestroy = Value; }
  Integer GetAttachedCount() const { return FAttached->GetCount(); }
  TComponent* GetAttached(Integer Index) const { return FAttached->Get(Index); }

  // Components integrated into this editor window. These check this window only; the
  // IDE-wide manager's operations check the other windows first.
  bool CheckIntegrated(TComponent* Component) const;
  // Attaches the component and makes an invisible, left-aligned panel on the editor form
  // for it; putting the component in and showing the panel are the caller's business.
  TEIPanel* RequestIntegration(TComponent* Component);
  void AttachComponent(TComponent* Component);
  void UnAttachComponent(TComponent* Component);  // silent when not attached
  // A form into a new top panel as high as the form's client area plus the title bar,
  // still invisible; Float turns it back into a sizeable tool window where the panel was.
  TEIPanel* Dock(TForm* Form);
  void Float(TForm* Form);

  // Editor-level extensions of this window.
  void AddExtension(TEIExtension* Extension);
  void RemoveExtension(TEIExtension* Extension);
  Integer GetExtensionCount() const { return FExtensions->GetCount(); }
  TEIExtension* GetExtensions(Integer Index) const;
  TEIExtension* GetExtensionByName(const String& Name) const;
  bool ExecuteCommand(TEIExtensionMessage* Message);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TIDEManager* FIDEManager = nullptr;
  TForm* FEditorForm = nullptr;
  TWinControl* FEditControl = nullptr;
  TWinControl* FXTabControl = nullptr;
  TWinControl* FMessageView = nullptr;
  TPopupMenu* FEditorLocalMenu = nullptr;
  TPopupMenu* FMsgViewPopupMenu = nullptr;
  TWinControl* FStatusBar = nullptr;
  TEIEditWrapper* FEditWrapper = nullptr;
  TListOf<TComponent>* FAttached = nullptr;
  TListOf<TEIExtension>* FExtensions = nullptr;
  TEIManagerDestroyNotify FOnDestroy;
  TMessageProcessProc FBeforeMessage;
  TMessageProcessProc FAfterMessage;
};

class TIDEManager : public TComponent {
  DECLARE_CLASS(TIDEManager, TComponent)
 public:
  explicit TIDEManager(TComponent* AOwner);
  void Destroy() override;

  Integer GetEIManagerCount() const { return FManagers->GetCount(); }
  TEIManager* GetEIManager(Integer Index) const { return FManagers->Get(Index); }
  void AddEIManager(TEIManager* Manager) { FManagers->Add(Manager); }
  TEIManager* GetManagerByEditor(TForm* Form) const;

  // Integration with the rule that a component lives in one editor window at a time.
  TEIPanel* RequestIntegration(TEIManager* Manager, TComponent* Component);
  void AttachComponent(TEIManager* Manager, TComponent* Component);
  void UnattachComponent(TComponent* Component);
  // Moves the panel holding Control into EditorForm with the alignment; gives the window's
  // index, or -1 (and changes nothing) for a form without manager or a control in no panel.
  Integer MovePanel(TForm* EditorForm, TWinControl* Control, TAlign Align);
  void DetectExistingEditorWindows();
  void DetectNewEditorWindow(TForm* Form);

  void OnActiveFormChange(TObject* Sender);
  void OnApplicationActivate(TObject* Sender);
  void OnApplicationDeActivate(TObject* Sender);
  void OnManagerDestroy(TEIManager* Manager);
  void DoBeforeEditorControlMessageProcess(TObject* Sender, TMessage OriginalMessage, TMessage& ModifiedMessage);
  void DoAfterEditorControlMessageProcess(TObject* Sender, TMessage OriginalMessage, TMessage& ModifiedMessage);

  void AddNotifier(TEIMessageNotifier* Notifier) { FNotifiers->Add(Notifier); }
  void RemoveNotifier(TEIMessageNotifier* Notifier) { FNotifiers->Remove(Notifier); }
  TEIMessageNotifierList* GetNotifiers() const { return FNotifiers; }

  Integer GetEIIExpertCount() const { return FExpertNames->GetCount(); }
  String GetEIIExpertNames(Integer Index) const { return FExpertNames->Get(Index); }
  void AddEIIExpertname(const String& Name) { FExpertNames->Add(Name); }

  // The extension-class registry and the IDE-level extensions.
  void AddExtensionClass(const TClass* ExtensionClass);
  void RemoveExtensionClass(const TClass* ExtensionClass);
  void CreateExtensionsForEditor(TEIManager* Manager);
  Integer GetExtensionClassCount() const { return static_cast<Integer>(FExtensionClasses->GetCount()); }
  TEIExtensionClass GetExtensionClasses(Integer Index) const;
  void AddExtension(TEIExtension* Extension) { FExtensions->Add(Extension); }
  void RemoveExtension(TEIExtension* Extension) { FExtensions->Remove(Extension); }
  Integer GetExtensionCount() const { return FExtensions->GetCount(); }
  TEIExtension* GetExtensions(Integer Index) const;
  TEIExtension* GetExtensionByName(const String& Name) const;
  bool ExecuteCommand(TEIExtensionMessage* Message);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void CheckNotAttachedElsewhere(TEIManager* Manager, TComponent* Component) const;
  TListOf<TEIManager>* FManagers;
  TEIMessageNotifierList* FNotifiers;
  TStringList* FExpertNames;
  TListOf<TEIExtensionClassInfo>* FExtensionClasses;  // descriptors are constant; the list only refers
  TListOf<TEIExtension>* FExtensions;
  TNotifyEvent FOldActiveFormChange;
  TNotifyEvent FOldApplicationActivate;
  TNotifyEvent FOldApplicationDeactivate;
};

// The IDE-wide manager among Application's components, found by class name so another
// package's own copy of this class is found too; null when there is none.
TIDEManager* FindIDEIntegrationManager();
// Finds the IDE-wide manager or creates it, and records the client's name.
TIDEManager* InstallIDEIntegrationManager(const String& ExpertName);
