// Editor-window discovery and the two managers' lifecycles.
#include "FrameworkFixture.h"

namespace {

class ManagerTest : public TFrameworkFixture {
 protected:
  void TearDown() override {
    if (Notifier) {
      if (TIDEManager* ide = FindIDEIntegrationManager()) ide->RemoveNotifier(Notifier);
      Notifier->Free();
    }
    TFrameworkFixture::TearDown();
  }
  TIDEManager* InstallWithRecorder() {
    TIDEManager* ide = InstallIDEIntegrationManager("Test");
    Notifier = new TRecordingNotifier("N", &Log);
    Notifier->Only = 0xFFFFFFFF;  // no editor messages in the log
    ide->AddNotifier(Notifier);
    return ide;
  }
  static TComponent* FindByClass(TComponent* owner, const char* cls) {
    for (Integer i = 0; i < owner->GetComponentCount(); ++i)
      if (owner->GetComponent(i)->ClassName() == cls) return owner->GetComponent(i);
    return nullptr;
  }
  static WNDPROC ProcOf(TWinControl* c) { return reinterpret_cast<WNDPROC>(GetWindowLongPtr(c->GetHandle(), GWL_WNDPROC)); }
  TRecordingNotifier* Notifier = nullptr;
};

// Records like its base, then raises from the two notifications of destruction.
class TRaisingNotifier : public TRecordingNotifier {
 public:
  using TRecordingNotifier::TRecordingNotifier;
  void OnIDEManagerDestroy(TIDEManager* m) override {
    TRecordingNotifier::OnIDEManagerDestroy(m);
    throw Exception("refused");
  }
  void OnManagerDestroying(TEIManager* m) override {
    TRecordingNotifier::OnManagerDestroying(m);
    throw Exception("refused");
  }
};

// Counts calls of the handlers the manager chains behind.
// Installed in Screen and Application for the life of a test, before the manager comes.
struct THandlerLog {
  explicit THandlerLog(std::vector<std::string>* log) : log(log) {
    Screen->OnActiveFormChange = MethodOf<&THandlerLog::ActiveFormChange>(this);
    Application->OnActivate = MethodOf<&THandlerLog::Activate>(this);
    Application->OnDeactivate = MethodOf<&THandlerLog::Deactivate>(this);
  }
  ~THandlerLog() {
    Screen->OnActiveFormChange = nullptr;
    Application->OnActivate = nullptr;
    Application->OnDeactivate = nullptr;
  }
  // All three are these handlers (again).
  bool Installed() {
    return Screen->OnActiveFormChange == MethodOf<&THandlerLog::ActiveFormChange>(this) &&
           Application->OnActivate == MethodOf<&THandlerLog::Activate>(this) &&
           Application->OnDeactivate == MethodOf<&THandlerLog::Deactivate>(this);
  }
  std::vector<std::string>* log;
  void ActiveFormChange(TObject*) { log->push_back("old.ActiveFormChange"); }
  void Activate(TObject*) { log->push_back("old.Activate"); }
  void Deactivate(TObject*) { log->push_back("old.Deactivate"); }
};

}  // namespace

TEST_F(ManagerTest, ExistingEditorWindowsAreManagedAtInstallation) {
  TIDEManager* ide = InstallIDEIntegrationManager("Test");
  ASSERT_EQ(ide->GetEIManagerCount(), 2);
  for (TEditWindow* w : Editors) {
    TEIManager* m = ide->GetManagerByEditor(w);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetOwner(), w);
    EXPECT_EQ(m->GetName(), "EIManager");
    EXPECT_EQ(m->GetEditControl(), w->GetEditControl());
    EXPECT_EQ(m->GetStatusBar(), FindByClass(w, "TStatusbar"));
    EXPECT_EQ(m->GetXTabControl(), FindByClass(w, "TXTabControl"));
    EXPECT_NE(m->GetEditorLocalMenu(), nullptr);
    EXPECT_NE(m->GetMsgViewPopupMenu(), nullptr);
    EXPECT_EQ(ProcOf(w->GetEditControl()), m->GetEditWrapper()->GetObjectInstance());
  }
  // The malformed window stays unmanaged and unhooked.
  EXPECT_EQ(ide->GetManagerByEditor(Malformed), nullptr);
  EXPECT_EQ(Malformed->FindComponent("EIManager"), nullptr);
  EXPECT_EQ(Malformed->GetEditControl()->GetComponentCount(), 0);
  EXPECT_EQ(ide->GetName(), "IDEManager");
  EXPECT_EQ(ide->GetOwner(), Application);
}

TEST_F(ManagerTest, SetupFindsPartsByClassAndNameWithTheLastOneWinning) {
  TEditWindowLayout twoEditors;
  twoEditors.EditControls = 2;
  twoEditors.LocalMenuName = "EDITORLOCALMENU";
  TEditWindow* w = CreateEditWindow(Application, twoEditors);
  TIDEManager* ide = InstallIDEIntegrationManager("Test");
  w->Show();
  TEIManager* m = ide->GetManagerByEditor(w);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->GetEditControl(), w->GetEditControl());  // the later of the two
  EXPECT_EQ(m->GetEditorLocalMenu(), w->FindComponent("EditorLocalMenu"));
  // Only the later control is hooked.
  for (Integer i = 0; i < w->GetComponentCount(); ++i) {
    if (auto* e = As<TEditControl>(w->GetComponent(i))) {
      EXPECT_EQ(e->GetComponentCount(), e == m->GetEditControl() ? 1 : 0);
    }
  }
}

TEST_F(ManagerTest, InstallingTwiceGivesOneManagerWithSortedNames) {
  TIDEManager* a = InstallIDEIntegrationManager("Zeta");
  TIDEManager* b = InstallIDEIntegrationManager("alpha");
  InstallIDEIntegrationManager("ZETA");
  EXPECT_EQ(a, b);
  ASSERT_EQ(a->GetEIIExpertCount(), 2);
  EXPECT_EQ(a->GetEIIExpertNames(0), "alpha");
  EXPECT_EQ(a->GetEIIExpertNames(1), "Zeta");
  EXPECT_THROW(a->GetEIManager(2), EListError);
}

// Another package's own copy of the framework: a different class with the same name.
class TIDEManagerCopy : public TComponent {
 public:
  static const TClass ClassInfo;
  const TClass* ClassType() const override { return &ClassInfo; }
  explicit TIDEManagerCopy(TComponent* o) : TComponent(o) {}
};
const TClass TIDEManagerCopy::ClassInfo{"TIDEMANAGER", &TComponent::ClassInfo, nullptr, nullptr, 0};

TEST_F(ManagerTest, AnotherCopyOfTheManagerClassIsFoundByName) {
  new TComponent(Application);
  auto* copy = new TIDEManagerCopy(Application);
  EXPECT_EQ(static_cast<TComponent*>(FindIDEIntegrationManager()), copy);
}

TEST_F(ManagerTest, ActivationDiscoversNewWindowsAndAnnouncesEveryForm) {
  TIDEManager* ide = InstallWithRecorder();
  TEditWindowLayout layout;
  layout.Caption = "Later.pas";
  TEditWindow* later = CreateEditWindow(Application, layout);
  later->Show();
  Editors[0]->SetFocus();  // already managed: no second manager
  MainForm->SetFocus();    // no editor window: announced only
  Malformed->SetFocus();   // tried again, still unmanageable
  EXPECT_EQ(Log, (std::vector<std::string>{"N.ManagerCreated", "N.ActiveFormChanged Later.pas",
                                           "N.ActiveFormChanged Unit1.pas", "N.ActiveFormChanged Main",
                                           "N.ActiveFormChanged Broken.pas"}));
  EXPECT_EQ(ide->GetEIManagerCount(), 3);
  EXPECT_EQ(ide->GetEIManager(2)->GetEditorForm(), later);
}

TEST_F(ManagerTest, ChainedHandlersRunFirstAndAreRestoredAtTheEnd) {
  THandlerLog old(&Log);
  InstallWithRecorder();

  Editors[1]->SetFocus();
  SetApplicationActive(true);
  SetApplicationActive(false);
  EXPECT_EQ(Log.size(), 2u);  // activation events come from the queue, not at once
  Application->ProcessMessages();
  EXPECT_EQ(Log, (std::vector<std::string>{"old.ActiveFormChange", "N.ActiveFormChanged Unit2.pas", "old.Activate",
                                           "N.ApplicationActivate 1", "old.Deactivate", "N.ApplicationActivate 0"}));

  // While the application terminates only the previous handler runs.
  Log.clear();
  Application->Terminate();
  Application->ProcessMessages();
  Editors[0]->SetFocus();
  EXPECT_EQ(Log, (std::vector<std::string>{"old.ActiveFormChange"}));

  FindIDEIntegrationManager()->RemoveNotifier(Notifier);
  FindIDEIntegrationManager()->Free();
  EXPECT_TRUE(old.Installed());
}

TEST_F(ManagerTest, ClosingAnEditorWindowUnregistersItsManager) {
  TIDEManager* ide = InstallWithRecorder();
  Log.clear();
  Editors[1]->Free();
  Editors[1] = nullptr;
  EXPECT_EQ(Log, (std::vector<std::string>{"N.ManagerDestroying"}));
  ASSERT_EQ(ide->GetEIManagerCount(), 1);
  EXPECT_EQ(ide->GetEIManager(0)->GetEditorForm(), Editors[0]);
}

TEST_F(ManagerTest, AFailedSetupLeavesNothingBehind) {
  TIDEManager* ide = InstallIDEIntegrationManager("Test");
  const WNDPROC before = ProcOf(Malformed->GetEditControl());
  try {
    new TEIManager(Malformed, ide, nullptr, nullptr);
    FAIL() << "a window without a status bar was set up";
  } catch (const EAbort& e) {
    EXPECT_EQ(e.Message, "Could not set up editor for integration!");
  }
  EXPECT_EQ(Malformed->GetComponentCount(), 5);  // tab, editor, message view, two menus: no manager
  EXPECT_EQ(Malformed->FindComponent("EIManager"), nullptr);
  EXPECT_EQ(ProcOf(Malformed->GetEditControl()), before);
}

TEST_F(ManagerTest, AManagerThatCannotBeNamedStaysHookedButUnregistered) {
  TEditWindow* w = CreateEditWindow(Application);
  (new TComponent(w))->SetName("EIManager");
  TIDEManager* ide = InstallWithRecorder();
  Log.clear();
  w->Show();
  EXPECT_EQ(ide->GetManagerByEditor(w), nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"N.ActiveFormChanged Unit1.pas"}));
  MainForm->SetFocus();
  w->SetFocus();  // tried again on every activation
  EXPECT_EQ(w->GetEditControl()->GetComponentCount(), 3);  // a hook per attempt: installation, showing, refocusing

  // Reports of a manager that never registered change nothing.
  auto* stray = static_cast<TEIManager*>(w->GetComponent(w->GetComponentCount() - 1));
  Log.clear();
  ide->OnManagerDestroy(stray);
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(ide->GetEIManagerCount(), 2);
}

TEST_F(ManagerTest, AManagerFreedBeforeItsEditorIsNeverCalledAgain) {
  TIDEManager* ide = InstallWithRecorder();
  TEIManager* m = ide->GetManagerByEditor(Editors[0]);
  TEditControl* editor = EditorOf(Editors[0]);
  Notifier->Only = WM_KEYDOWN;
  m->Free();
  Log.clear();
  TypeKey(editor->GetHandle(), 'X');  // no activation: the window stays unmanaged meanwhile
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(editor->GetText(), "x");
}

TEST_F(ManagerTest, EditorWindowsOutlivingTheIDEManagerNeverReachIt) {
  TIDEManager* ide = InstallWithRecorder();
  ide->RemoveNotifier(Notifier);
  ide->AddNotifier(Notifier);
  Log.clear();
  ide->Free();
  EXPECT_EQ(Log, (std::vector<std::string>{"N.IDEManagerDestroy"}));
  Notifier->Free();
  Notifier = nullptr;
  TEditControl* editor = EditorOf(Editors[0]);
  Editors[0]->SetFocus();
  TypeKey(editor->GetHandle(), 'Z');
  EXPECT_EQ(editor->GetText(), "z");
  Editors[0]->Free();  // its manager's report goes nowhere
  Editors[0] = nullptr;
}

// The editor control leaves the form's components but stays its child, hooked: the manager
// keeps its hook and cuts it off when it goes. Once the control dies elsewhere the manager
// forgets both.
TEST_F(ManagerTest, AnEditorControlLeavingTheFormKeepsItsHookKnownToTheManager) {
  TIDEManager* ide = InstallWithRecorder();
  Notifier->Only = WM_KEYDOWN;
  TEIManager* m = ide->GetManagerByEditor(Editors[0]);
  TEditControl* editor = EditorOf(Editors[0]);
  TEIEditWrapper* hook = m->GetEditWrapper();
  Editors[0]->RemoveComponent(editor);
  EXPECT_EQ(m->GetEditWrapper(), hook);
  EXPECT_EQ(m->GetEditControl(), editor);
  m->Free();
  Log.clear();
  TypeKey(editor->GetHandle(), 'X');
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(editor->GetText(), "x");

  TEIManager* other = ide->GetManagerByEditor(Editors[1]);
  TEditControl* moved = EditorOf(Editors[1]);
  auto* newOwner = new TComponent(nullptr);
  Editors[1]->RemoveComponent(moved);
  newOwner->InsertComponent(moved);
  newOwner->Free();
  EXPECT_EQ(other->GetEditWrapper(), nullptr);
  EXPECT_EQ(other->GetEditControl(), nullptr);
  Editors[1]->Free();  // its manager has nothing left to cut off
  Editors[1] = nullptr;
}

// A notifier that raises while it is told of a destruction stops neither the destruction
// nor the telling of the notifiers after it.
TEST_F(ManagerTest, DestructionCompletesWhateverANotifierRaises) {
  THandlerLog old(&Log);
  TIDEManager* ide = InstallIDEIntegrationManager("Test");
  TRaisingNotifier raising("R", &Log);
  raising.Only = WM_KEYDOWN;
  ide->AddNotifier(&raising);
  TRecordingNotifier later("N", &Log);
  later.Only = WM_KEYDOWN;
  ide->AddNotifier(&later);

  TEIManager* m = ide->GetManagerByEditor(Editors[0]);
  TEditControl* editor = EditorOf(Editors[0]);
  Log.clear();
  EXPECT_NO_THROW(m->Free());
  EXPECT_EQ(Log, (std::vector<std::string>{"R.ManagerDestroying", "N.ManagerDestroying"}));
  ASSERT_EQ(ide->GetEIManagerCount(), 1);
  EXPECT_EQ(ide->GetEIManager(0)->GetEditorForm(), Editors[1]);
  Log.clear();
  TypeKey(editor->GetHandle(), 'Q');  // no activation: the hook alone could reach the freed manager
  EXPECT_TRUE(Log.empty());
  EXPECT_EQ(editor->GetText(), "q");

  Log.clear();
  EXPECT_NO_THROW(ide->Free());
  EXPECT_EQ(Log, (std::vector<std::string>{"R.IDEManagerDestroy", "N.IDEManagerDestroy"}));
  EXPECT_EQ(FindIDEIntegrationManager(), nullptr);
  EXPECT_TRUE(old.Installed());
}
