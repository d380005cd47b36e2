// The IDE as it stands at start-up, the manager installed, and real traffic through the loop.
#include "FrameworkFixture.h"
#include "support/AllocationCounter.h"

namespace {

// Swallows every key-down notification of one key: the editor must never see it.
class TKeyEater : public TEIMessageNotifier {
 public:
  WORD Key = 0;
  std::vector<std::string>* Log = nullptr;
  void BeforeEditorMessageProcess(TEIManager*, TMessage o, TMessage& m) override {
    if (o.Msg == CN_KEYDOWN || o.Msg == CN_KEYUP || o.Msg == WM_KEYDOWN || o.Msg == WM_KEYUP)
      Log->push_back("before " + TFrameworkFixture::Hex(o.Msg) + " " + std::to_string(o.WParam));
    if (o.Msg == CN_KEYDOWN && static_cast<WORD>(o.WParam) == Key) m.Result = 1;
  }
  void AfterEditorMessageProcess(TEIManager*, TMessage o, TMessage&) override {
    if (o.Msg == CN_KEYDOWN || o.Msg == CN_KEYUP || o.Msg == WM_KEYDOWN || o.Msg == WM_KEYUP)
      Log->push_back("after " + TFrameworkFixture::Hex(o.Msg) + " " + std::to_string(o.WParam));
  }
};

using EndToEndTest = TFrameworkFixture;

}  // namespace

TEST_F(EndToEndTest, KeysTravelTheLoopHookAndNotifiersAndCanBeSwallowed) {
  TIDEManager* ide = InstallIDEIntegrationManager("EndToEnd");
  auto* eater = new TKeyEater();
  eater->Key = 'B';
  eater->Log = &Log;
  ide->AddNotifier(eater);

  TEditControl* editor = EditorOf(Editors[1]);
  Editors[1]->SetFocus();
  TypeKey(editor->GetHandle(), 'A');
  EXPECT_EQ(Log, (std::vector<std::string>{"before BD00 65", "after BD00 65", "before 100 65", "after 100 65",
                                           "before BD01 65", "after BD01 65", "before 101 65", "after 101 65"}));
  Log.clear();
  TypeKey(editor->GetHandle(), 'B');  // its key-down notification is vetoed: no WM_KEYDOWN, no character
  EXPECT_EQ(Log, (std::vector<std::string>{"before BD00 66", "after BD00 66", "before BD01 66", "after BD01 66",
                                           "before 101 66", "after 101 66"}));
  TypeKey(editor->GetHandle(), 'C');
  EXPECT_EQ(editor->GetText(), "ac");

  // A window that appears later is discovered when it becomes active, and hooked.
  TEditWindowLayout layout;
  layout.Caption = "Later.pas";
  TEditWindow* later = CreateEditWindow(Application, layout);
  later->Show();
  ASSERT_NE(ide->GetManagerByEditor(later), nullptr);
  Log.clear();
  TypeKey(later->GetEditControl()->GetHandle(), 'B');
  EXPECT_EQ(later->GetEditControl()->GetText(), "");
  EXPECT_EQ(Log.front(), "before BD00 66");

  // Closing it unregisters its manager; destroying the application ends the IDE-wide
  // manager and writes the saved handlers back.
  later->Close();
  later->Release();
  Application->ProcessMessages();
  EXPECT_EQ(ide->GetEIManagerCount(), 2);

  ide->RemoveNotifier(eater);
  eater->Free();
  DoneApplication();
  EXPECT_EQ(GetObjectInstanceCount(), 0);
  InitApplication();  // for the fixture's teardown
}

TEST_F(EndToEndTest, TheMessagePathAllocatesNothing) {
  TIDEManager* ide = InstallIDEIntegrationManager("EndToEnd");
  std::vector<TRecordingNotifier*> notifiers;
  for (int i = 0; i < 8; ++i) {
    notifiers.push_back(new TRecordingNotifier("N", &Log));
    notifiers.back()->Only = 0xFFFFFFFF;
    ide->AddNotifier(notifiers.back());
  }
  HWND h = EditorOf(Editors[0])->GetHandle();
  SendMessage(h, WM_USER + 1, 0, 0);  // warm up
  ResetAllocationCount();
  CountAllocations(true);
  for (int i = 0; i < 1000; ++i) {
    SendMessage(h, WM_USER + 1, static_cast<WPARAM>(i), i);
    SendMessage(h, CN_KEYUP, 'A', MakeKeyData(WM_KEYUP, 'A'));
  }
  CountAllocations(false);
  EXPECT_EQ(CountedAllocations(), 0);
  // The counter does see allocations made inside the libraries.
  auto* probe = new TStringList();
  CountAllocations(true);
  probe->Add(std::string(64, 'x'));
  CountAllocations(false);
  probe->Free();
  EXPECT_GT(CountedAllocations(), 0);
  for (TRecordingNotifier* n : notifiers) {
    ide->RemoveNotifier(n);
    n->Free();
  }
}
