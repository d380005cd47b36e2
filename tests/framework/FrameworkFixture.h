// The IDE as it stands at start-up — main window, editor windows, a malformed window — and
// recording notifiers for the framework's tests.
#pragma once

#include <string>
#include <vector>

#include "framework/EINotifiers.h"
#include "support/IdeFixture.h"

// Records every notifier call as a line of text, in order, into a shared log.
class TRecordingNotifier : public TEIMessageNotifier {
 public:
  TRecordingNotifier(std::string name, std::vector<std::string>* log) : Name(std::move(name)), Log(log) {}
  void BeforeEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) override;
  void AfterEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) override;
  void OnIDEManagerDestroy(TIDEManager*) override { Log->push_back(Name + ".IDEManagerDestroy"); }
  void OnManagerMessage(TEIManager*, Integer v) override { Log->push_back(Name + ".ManagerMessage " + std::to_string(v)); }
  void OnManagerCreated(TEIManager*) override { Log->push_back(Name + ".ManagerCreated"); }
  void OnManagerDestroying(TEIManager*) override { Log->push_back(Name + ".ManagerDestroying"); }
  void OnActiveFormChanged(TCustomForm* f) override { Log->push_back(Name + ".ActiveFormChanged " + f->GetCaption()); }
  void OnApplicationActivate(bool a) override { Log->push_back(Name + ".ApplicationActivate " + (a ? "1" : "0")); }

  std::string Name;
  std::vector<std::string>* Log;
  uint32_t Only = 0;              // when set, message callbacks record only this message number
  int32_t BeforeResult = -1;      // when >= 0, written into ModifiedMessage.Result before the control
  TEIManager* LastManager = nullptr;
  TMessage LastOriginal;
  TMessage LastModified;
};

class TFrameworkFixture : public TIdeFixture {
 protected:
  void SetUp() override;
  // Editor windows: Editors[0..1] well formed, Malformed without a status bar.
  TForm* MainForm = nullptr;
  TEditWindow* Editors[2] = {};
  TEditWindow* Malformed = nullptr;
  std::vector<std::string> Log;

  static TEditControl* EditorOf(TEditWindow* w) { return w->GetEditControl(); }
  // An editor window that appears later and is discovered by its activation.
  static TEditWindow* OpenLater(const String& caption) {
    TEditWindowLayout layout;
    layout.Caption = caption;
    TEditWindow* w = CreateEditWindow(Application, layout);
    w->Show();
    Application->ProcessMessages();
    return w;
  }
 public:
  static std::string Hex(uint32_t v);
};
