// A client package: two extension classes, one for the IDE and one per editor window, that
// answer commands, with entries to register and unregister them.
#include "framework/EIManager.h"

namespace {

// Instances of this package alive now: the host must see none before it unloads the package.
int LiveInstances = 0;

// Appends "<class>@<where> <command>" to the command's Data when that is a string list.
void Answer(TEIExtension* ext, const TEIExtensionMessage* Message) {
  if (auto* lines = As<TStringList>(Message->Data)) {
    auto* m = As<TEIManager>(ext->GetOwner());
    lines->Add(ext->ClassName() + "@" + (m ? m->GetEditorForm()->GetCaption() : "IDE") + " " + Message->Command);
  }
}

// "Ask" is answered with 42 in Param.
class TClientIDEExtension : public TEIExtension {
  DECLARE_EXTENSION_CLASS(TClientIDEExtension, TEIExtension)
 public:
  explicit TClientIDEExtension(TComponent* AOwner) : TEIExtension(AOwner) { ++LiveInstances; }
  void Destroy() override {
    --LiveInstances;
    inherited::Destroy();
  }
  static TEIExtensionType ExtensionType() { return etIDE; }
  bool ExecuteCommand(TEIExtensionMessage*& Message) override {
    Answer(this, Message);
    if (Message->Command != "Ask") return false;
    Message->Param = 42;
    return true;
  }
};
IMPLEMENT_EXTENSION_CLASS(TClientIDEExtension, TEIExtension)

// "Lines" is answered with the window's line count in Param.
class TClientEditorExtension : public TEIExtension {
  DECLARE_EXTENSION_CLASS(TClientEditorExtension, TEIExtension)
 public:
  explicit TClientEditorExtension(TComponent* AOwner) : TEIExtension(AOwner) { ++LiveInstances; }
  void Destroy() override {
    --LiveInstances;
    inherited::Destroy();
  }
  static TEIExtensionType ExtensionType() { return etEditor; }
  bool ExecuteCommand(TEIExtensionMessage*& Message) override {
    Answer(this, Message);
    if (Message->Command != "Lines") return false;
    auto* m = static_cast<TEIManager*>(GetOwner());
    Message->Param += m->GetEditWrapper() ? m->GetEditWrapper()->GetLineCount() : 0;
    return true;
  }
};
IMPLEMENT_EXTENSION_CLASS(TClientEditorExtension, TEIExtension)

}  // namespace

extern "C" {

void BriskClient_Register() {
  RegisterEIExtensionClass(TClientIDEExtension::StaticClass());
  RegisterEIExtensionClass(TClientEditorExtension::StaticClass());
}

// Takes the classes out again and frees their instances: no code of this package may run
// once it is unloaded.
void BriskClient_Unregister() {
  if (TIDEManager* ide = FindIDEIntegrationManager()) {
    ide->RemoveExtensionClass(TClientEditorExtension::StaticClass());
    ide->RemoveExtensionClass(TClientIDEExtension::StaticClass());
  }
}

int BriskClient_LiveInstances() { return LiveInstances; }
}
