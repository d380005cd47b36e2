// Receivers that free the editor window, its manager, its control or only its window while
// one of its messages is under way: the hook and the broadcast end without touching what
// is gone, and no procedure runs on a destroyed window.
#include "FrameworkFixture.h"

namespace {

constexpr UINT WM_PROBE = WM_USER + 11;

enum TVictim { vkForm, vkManager, vkControl, vkWindow };

void FreeVictim(TEIManager* m, TVictim victim) {
  switch (victim) {
    case vkForm:
      m->GetEditorForm()->Free();
      break;
    case vkManager:
      m->Free();
      break;
    case vkControl:
      m->GetEditControl()->Free();
      break;
    case vkWindow:
      m->GetEditControl()->DestroyHandle();
      break;
  }
}

// Frees its victim when it sees the probe, after leaving `Result` in the live record.
class TFreeingNotifier : public TEIMessageNotifier {
 public:
  bool Armed = false;
  TVictim Victim = vkForm;
  int32_t Result = 0;
  void BeforeEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) override {
    if (o.Msg != WM_PROBE || !Armed) return;
    Armed = false;
    mod.Result = Result;
    FreeVictim(m, Victim);
  }
};

// Takes the editor control's own procedure over: logs the probe, answers it with 42 and,
// when armed, frees the editor window from inside the control.
struct TControlProbe {
  std::vector<std::string>* Log;
  TWndMethod ControlProc;
  TEIManager* FreeFormOf = nullptr;
  void Control(TMessage& m) {
    if (m.Msg != WM_PROBE) return ControlProc(m);
    Log->push_back("control");
    m.Result = 42;
    if (TEIManager* manager = FreeFormOf) {
      FreeFormOf = nullptr;
      manager->GetEditorForm()->Free();
    }
  }
};

class FreedMidMessageTest : public TFrameworkFixture {
 protected:
  void SetUp() override {
    TFrameworkFixture::SetUp();
    IDE = InstallIDEIntegrationManager("Test");
    IDE->AddNotifier(&Freeing);
    Later.Only = WM_PROBE;
    IDE->AddNotifier(&Later);
  }
  void TearDown() override {
    IDE->RemoveNotifier(&Freeing);
    IDE->RemoveNotifier(&Later);
    TFrameworkFixture::TearDown();
  }
  TIDEManager* IDE = nullptr;
  TFreeingNotifier Freeing;
  TRecordingNotifier Later{"Later", &Log};
};

}  // namespace

TEST_F(FreedMidMessageTest, TheHookAndTheBroadcastEndWithWhatWasFreed) {
  struct Case {
    const char* what;
    TVictim victim;
    bool byTheControl;  // freed by the control's own procedure instead of a before notifier
    int32_t result;
    std::vector<std::string> log;
    LRESULT windowsGets;
    Integer managersLeft;
  };
  // The freed editor window was the active one: the main form becomes active meanwhile.
  const std::vector<std::string> formGone{"Later.ActiveFormChanged Main", "Later.ManagerDestroying"};
  const Case cases[] = {
      {"the editor window", vkForm, false, 0, formGone, 0, 2},
      {"the editor window, vetoed", vkForm, false, 1, formGone, 1, 2},
      {"its manager", vkManager, false, 0, {"Later.ManagerDestroying", "control"}, 42, 2},
      {"its manager, vetoed", vkManager, false, 1, {"Later.ManagerDestroying"}, 1, 2},
      // The manager lives on: the notifiers after the freeing one are still called.
      {"its editor control", vkControl, false, 0, {"Later.before 40B"}, 0, 3},
      {"its editor control, vetoed", vkControl, false, 1, {"Later.before 40B"}, 1, 3},
      // The hook lives on without a window: later notifiers and the after callback still run.
      {"the control's window", vkWindow, false, 0, {"Later.before 40B", "Later.after 40B"}, 0, 3},
      {"the control's window, vetoed", vkWindow, false, 1, {"Later.before 40B", "Later.after 40B"}, 1, 3},
      {"the editor window, by the control",
       vkForm,
       true,
       0,
       {"Later.before 40B", "control", "Later.ActiveFormChanged Main", "Later.ManagerDestroying"},
       42,
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TEditWindow* w = OpenLater("Victim.pas");
    TEIManager* m = IDE->GetManagerByEditor(w);
    ASSERT_NE(m, nullptr);
    TEditControl* editor = w->GetEditControl();
    TControlProbe probe{&Log, editor->WindowProc};
    editor->WindowProc = MethodOf<&TControlProbe::Control>(&probe);
    if (c.byTheControl) {
      probe.FreeFormOf = m;
    } else {
      Freeing.Armed = true;
      Freeing.Victim = c.victim;
      Freeing.Result = c.result;
    }
    const HWND h = editor->GetHandle();
    Log.clear();
    EXPECT_EQ(SendMessage(h, WM_PROBE, 1, 2), c.windowsGets);
    EXPECT_EQ(Log, c.log);
    EXPECT_EQ(IDE->GetEIManagerCount(), c.managersLeft);
    // Whatever survived answers the next message without the hook's help.
    if (c.victim == vkWindow) {
      EXPECT_FALSE(IsWindow(h));
      Log.clear();
      EXPECT_EQ(SendMessage(editor->GetHandle(), WM_PROBE, 1, 2), 42);
      EXPECT_EQ(Log, std::vector<std::string>{"control"});
    }
    if (c.victim == vkManager && !c.byTheControl) {
      Log.clear();
      EXPECT_EQ(SendMessage(h, WM_PROBE, 1, 2), 42);
      EXPECT_EQ(Log, std::vector<std::string>{"control"});
    }
    if (IDE->GetManagerByEditor(w) || c.victim == vkManager) w->Free();
  }
}
