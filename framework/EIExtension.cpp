// Extensions: the class registry, instance lists and command routing of both managers.
#include "EIExtension.h"

#include "EIManager.h"

IMPLEMENT_CLASS(TEIExtensionMessage, TObject)
IMPLEMENT_EXTENSION_CLASS(TEIExtension, TComponent)

bool TEIExtension::ExecuteCommand(TEIExtensionMessage*&) { return false; }

TEIExtensionClass AsExtensionClass(const TClass* cls) {
  if (!cls || cls->DescriptorKind != dkEIExtension || !cls->InheritsFrom(TEIExtension::StaticClass())) return nullptr;
  return static_cast<TEIExtensionClass>(cls);
}

void RegisterEIExtensionClass(const TClass* ExtensionClass) {
  InstallIDEIntegrationManager("RegisterEIExtensionClass")->AddExtensionClass(ExtensionClass);
}

// ---- routing -------------------------------------------------------------------------------
// A routing call works on its own reference to the message, which extensions may replace
// with another object for the rest of that call. Substitutes belong to whoever made them:
// routing never frees a message, and never changes the caller's reference.

namespace {

bool Offer(TEIExtension* ext, TEIExtensionMessage*& msg) {
  TEIExtensionMessage* before = msg;
  const bool handled = ext->ExecuteCommand(msg);
  if (!msg) msg = before;  // nothing to route with: keep the message we had
  return handled;
}

// Addressed ("Name.Command") to the extension `find` returns, else offered in list order
// until one handles it.
template <class Find, class List>
bool Route(TEIExtensionMessage*& msg, Find find, const List& list) {
  const String::size_type dot = msg->Command.find('.');
  if (dot != String::npos) {
    TEIExtension* ext = find(msg->Command.substr(0, dot));
    msg->Command = msg->Command.substr(dot + 1);
    return ext ? Offer(ext, msg) : false;
  }
  for (Integer i = 0; i < list->GetCount(); ++i)
    if (Offer(list->Get(i), msg)) return true;
  return false;
}

// Component names are unique per owner without regard to case, and two registered classes
// can share a name once the first letter is gone (TFoo, XFoo) or differ only in case; and a
// class name without its first letter need not be an identifier (T, T1Foo). Such an instance
// stays unnamed instead of failing its registration or its window, and is reached by its
// class name.
void NameAfterClass(TEIExtension* ext, TEIExtensionClass cls) {
  const String name = String(cls->Name).substr(1);
  if (!IsValidIdent(name) || (ext->GetOwner() && ext->GetOwner()->FindComponent(name))) return;
  ext->SetName(name);
}

}  // namespace

// ---- TEIManager ------------------------------------------------------------------------------

void TEIManager::AddExtension(TEIExtension* Extension) { FExtensions->Add(Extension); }

void TEIManager::RemoveExtension(TEIExtension* Extension) { FExtensions->Remove(Extension); }

TEIExtension* TEIManager::GetExtensions(Integer Index) const {
  return Index >= FExtensions->GetCount() ? nullptr : FExtensions->Get(Index);
}

TEIExtension* TEIManager::GetExtensionByName(const String& Name) const {
  if (Name.empty()) return nullptr;
  for (Integer i = 0; i < FExtensions->GetCount(); ++i)
    if (FExtensions->Get(i)->ClassName() == Name) return FExtensions->Get(i);
  return nullptr;
}

bool TEIManager::ExecuteCommand(TEIExtensionMessage* Message) {
  if (!Message) return false;
  return Route(
      Message, [this](const String& name) { return GetExtensionByName(name); }, FExtensions);
}

// ---- TIDEManager ----------------------------------------------------------------------------

void TIDEManager::AddExtensionClass(const TClass* ExtensionClass) {
  TEIExtensionClass cls = AsExtensionClass(ExtensionClass);
  if (!cls || cls->ExtensionType() == etNone) return;
  // Commands address an extension by its class name up to the first dot: a name that is no
  // identifier could not be addressed, or would be under a name that is not its own.
  if (!IsValidIdent(cls->Name)) throw EEIException(Format("Invalid extension class name '%s'", cls->Name));
  for (Integer i = 0; i < FExtensionClasses->GetCount(); ++i) {
    TEIExtensionClass known = FExtensionClasses->Get(i);
    if (known == cls || String(known->Name) == cls->Name) return;
  }
  FExtensionClasses->Add(const_cast<TEIExtensionClassInfo*>(cls));
  switch (cls->ExtensionType()) {
    case etIDE: {
      auto* ext = static_cast<TEIExtension*>(cls->Create(this));
      NameAfterClass(ext, cls);
      FExtensions->Add(ext);
      break;
    }
    case etEditor:
      // Windows managed before the class came are given unnamed instances.
      for (Integer i = 0; i < FManagers->GetCount(); ++i) {
        TEIManager* m = FManagers->Get(i);
        m->AddExtension(static_cast<TEIExtension*>(cls->Create(m)));
      }
      break;
    default:
      break;
  }
}

void TIDEManager::CreateExtensionsForEditor(TEIManager* Manager) {
  for (Integer i = 0; i < FExtensionClasses->GetCount(); ++i) {
    TEIExtensionClass cls = FExtensionClasses->Get(i);
    if (cls->ExtensionType() != etEditor) continue;
    auto* ext = static_cast<TEIExtension*>(cls->Create(Manager));
    NameAfterClass(ext, cls);
    Manager->AddExtension(ext);
  }
}

void TIDEManager::RemoveExtensionClass(const TClass* ExtensionClass) {
  TEIExtensionClass cls = AsExtensionClass(ExtensionClass);
  if (!cls || FExtensionClasses->IndexOf(cls) < 0) return;
  if (cls->ExtensionType() == etEditor) {
    for (Integer i = 0; i < FManagers->GetCount(); ++i) {
      TEIManager* m = FManagers->Get(i);
      if (TEIExtension* ext = m->GetExtensionByName(cls->Name)) {
        m->RemoveExtension(ext);
        ext->Free();
      }
    }
  }
  FExtensionClasses->Remove(const_cast<TEIExtensionClassInfo*>(cls));
  // The lookup falls back to component names, which may belong to another class's instance
  // (class TTFoo is named TFoo): only this class's own instance goes.
  TEIExtension* ext = GetExtensionByName(cls->Name);
  if (ext && ext->ClassType() == cls && cls->ExtensionType() == etIDE) {
    RemoveExtension(ext);
    ext->Free();
  }
}

TEIExtensionClass TIDEManager::GetExtensionClasses(Integer Index) const {
  return Index >= FExtensionClasses->GetCount() ? nullptr : FExtensionClasses->Get(Index);
}

TEIExtension* TIDEManager::GetExtensions(Integer Index) const {
  return Index >= FExtensions->GetCount() ? nullptr : FExtensions->Get(Index);
}

// An empty name matches nothing: unnamed instances are reached by their class names only.
TEIExtension* TIDEManager::GetExtensionByName(const String& Name) const {
  if (Name.empty()) return nullptr;
  for (Integer i = 0; i < FExtensions->GetCount(); ++i)
    if (FExtensions->Get(i)->ClassName() == Name) return FExtensions->Get(i);
  for (Integer i = 0; i < FExtensions->GetCount(); ++i)
    if (FExtensions->Get(i)->GetName() == Name) return FExtensions->Get(i);
  return nullptr;
}

// Every command reaches both levels: the IDE-level extensions first, then each editor
// window's, each window with the message as the IDE level left it and the command as it
// came in; a window's substitute serves that window only. The result tells of the IDE level.
bool TIDEManager::ExecuteCommand(TEIExtensionMessage* Message) {
  if (!Message) return false;
  const String command = Message->Command;
  const bool result = Route(
      Message, [this](const String& name) { return GetExtensionByName(name); }, FExtensions);
  for (Integer i = 0; i < FManagers->GetCount(); ++i) {
    Message->Command = command;
    FManagers->Get(i)->ExecuteCommand(Message);
  }
  return result;
}
