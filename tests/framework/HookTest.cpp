// The window-procedure hook: veto protocol, message copies, exceptions, unhooking.
#include "FrameworkFixture.h"

// An editor control class whose name differs only in letter case.
class tEDITcontrol : public TEditControl {
  DECLARE_CLASS(tEDITcontrol, TEditControl)
 public:
  explicit tEDITcontrol(TComponent* AOwner) : TEditControl(AOwner) {}
};
IMPLEMENT_COMPONENT_CLASS(tEDITcontrol, TEditControl)

namespace {

constexpr UINT WM_PROBE = WM_USER + 7;

// Stands in for both callbacks and the control's own procedure, logging each call.
struct THookProbe {
  std::vector<std::string> log;
  TWndMethod controlProc;  // the control's WndProc before the probe took it over
  TMessage beforeOriginal, afterOriginal, afterModified, controlSaw;
  int32_t setResult = -1;
  int32_t setWParam = -1;
  bool throwInBefore = false;
  int32_t controlResult = 42;

  void Before(TObject*, TMessage original, TMessage& modified) {
    if (original.Msg != WM_PROBE && original.Msg != WM_DROPFILES && original.Msg != WM_KEYDOWN) return;
    log.push_back("before");
    beforeOriginal = original;
    if (throwInBefore) throw Exception("boom");
    if (setResult >= 0) modified.Result = setResult;
    if (setWParam >= 0) modified.WParam = setWParam;
  }
  void After(TObject*, TMessage original, TMessage& modified) {
    if (original.Msg != WM_PROBE && original.Msg != WM_DROPFILES && original.Msg != WM_KEYDOWN) return;
    log.push_back("after");
    afterOriginal = original;
    afterModified = modified;
  }
  void Control(TMessage& m) {
    if (m.Msg == WM_PROBE || m.Msg == WM_DROPFILES || m.Msg == WM_KEYDOWN) {
      log.push_back("control");
      controlSaw = m;
      if (m.Msg != WM_KEYDOWN) {
        m.Result = controlResult;
        return;
      }
    }
    controlProc(m);
  }
};

// A subclasser that hooks in after the wrapper.
int laterCalls = 0;
WNDPROC below = nullptr;
LRESULT LaterProc(HWND hw, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PROBE) ++laterCalls;
  return CallWindowProc(below, hw, m, wp, lp);
}

class HookTest : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    Window = CreateEditWindow(Application);
    Window->Show();
    Editor = Window->GetEditControl();
    Probe.controlProc = Editor->WindowProc;
    Editor->WindowProc = MethodOf<&THookProbe::Control>(&Probe);
  }
  TEIEditWrapper* Hook(bool before = true, bool after = true) {
    return new TEIEditWrapper(Editor, before ? MethodOf<&THookProbe::Before>(&Probe) : TMessageProcessProc(),
                              after ? MethodOf<&THookProbe::After>(&Probe) : TMessageProcessProc());
  }
  TEditWindow* Window = nullptr;
  TEditControl* Editor = nullptr;
  THookProbe Probe;
};

}  // namespace

// What Windows receives and who ran, for the values a before receiver can leave in Result.
TEST_F(HookTest, BeforeResultDecidesWhetherTheControlRuns) {
  struct Case {
    int32_t setResult;
    std::vector<std::string> calls;
    LRESULT windowsGets;
  };
  const Case cases[] = {
      {1, {"before", "after"}, 1},               // vetoed: the control never sees it
      {2, {"before", "control", "after"}, 42},   // any other value is overwritten by the control
      {0, {"before", "control", "after"}, 42},
      {-1, {"before", "control", "after"}, 42},  // untouched
  };
  Hook();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setResult);
    Probe.log.clear();
    Probe.setResult = c.setResult;
    EXPECT_EQ(SendMessage(Editor->GetHandle(), WM_PROBE, 5, 6), c.windowsGets);
    EXPECT_EQ(Probe.log, c.calls);
    EXPECT_EQ(Probe.afterModified.Result, c.windowsGets);
  }
}

TEST_F(HookTest, RewrittenMessageReachesTheControlWhileAfterSeesTheOriginal) {
  Hook();
  Probe.setWParam = 'B';
  SendMessage(Editor->GetHandle(), WM_PROBE, 'A', 0x1E0001);
  EXPECT_EQ(Probe.controlSaw.WParam, 'B');
  EXPECT_EQ(Probe.afterOriginal.WParam, 'A');
  EXPECT_EQ(Probe.afterModified.WParam, 'B');
  EXPECT_EQ(Probe.afterOriginal.LParam, 0x1E0001);
}

TEST_F(HookTest, DropFilesSkipsTheAfterCallback) {
  Hook();
  SendMessage(Editor->GetHandle(), WM_DROPFILES, 0, 0);
  EXPECT_EQ(Probe.log, (std::vector<std::string>{"before", "control"}));
}

TEST_F(HookTest, UnassignedCallbacksPassEverythingThrough) {
  Hook(false, false);
  EXPECT_EQ(SendMessage(Editor->GetHandle(), WM_PROBE, 1, 2), 42);
  EXPECT_EQ(Probe.log, (std::vector<std::string>{"control"}));
  EXPECT_EQ(Probe.controlSaw.WParam, 1);
  EXPECT_EQ(Probe.controlSaw.LParam, 2);
}

TEST_F(HookTest, ExceptionInBeforeIsSwallowedAndTheControlSkipped) {
  Hook();
  Probe.throwInBefore = true;
  LRESULT r = -5;
  EXPECT_NO_THROW(r = SendMessage(Editor->GetHandle(), WM_PROBE, 0, 0));
  EXPECT_EQ(r, 0);  // what Result held when the exception came
  EXPECT_EQ(Probe.log, (std::vector<std::string>{"before"}));
}

TEST_F(HookTest, ClassNameIsTestedWithoutRegardToCase) {
  auto* odd = new tEDITcontrol(Window);
  odd->SetParent(Window);
  TEIEditWrapper* w = nullptr;
  EXPECT_NO_THROW(w = new TEIEditWrapper(odd, nullptr, nullptr));
  EXPECT_TRUE(w && w->GetHooked());
  try {
    new TEIEditWrapper(Window->FindComponent("EditorLocalMenu"), nullptr, nullptr);
    FAIL() << "a popup menu was hooked";
  } catch (const EEIException&) {
    FAIL() << "raised the framework's exception class";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "Exception");
    EXPECT_EQ(e.Message, "Invalid create class for TEIEditWrapper");
  }
}

TEST_F(HookTest, LineFiguresComeFromThePublishedProperties) {
  Editor->SetText("a\nb\nc\nd");
  Editor->SetCaretY(3);
  TEIEditWrapper* w = Hook();
  EXPECT_EQ(w->GetLineCount(), 4);
  EXPECT_EQ(w->GetCurrentLine(), 3);
  EXPECT_EQ(w->GetTopLine(), 1);
  EXPECT_EQ(w->GetLinesInWindow(), Editor->GetClientHeight() / TEditControl::LineHeight);
}

TEST_F(HookTest, ExplicitUnhookRestoresOnlyWhenStillOnTop) {
  HWND h = Editor->GetHandle();
  const LONG_PTR original = GetWindowLongPtr(h, GWL_WNDPROC);

  TEIEditWrapper* w = Hook();
  EXPECT_NE(GetWindowLongPtr(h, GWL_WNDPROC), original);
  w->Free();
  EXPECT_EQ(GetWindowLongPtr(h, GWL_WNDPROC), original);

  // A later subclasser keeps its place when the hook below it goes.
  w = Hook();
  laterCalls = 0;
  below = reinterpret_cast<WNDPROC>(GetWindowLongPtr(h, GWL_WNDPROC));
  SetWindowLongPtr(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(TStaticWndProc<&LaterProc>::Value()));
  w->Free();
  Probe.log.clear();
  EXPECT_EQ(SendMessage(h, WM_PROBE, 0, 0), 42);
  EXPECT_EQ(laterCalls, 1);
  EXPECT_EQ(Probe.log, (std::vector<std::string>{"control"}));  // the freed hook calls nobody
  // The window dies with the pass-through still in its chain: no leak, no dangling call.
  Window->Free();
}

TEST_F(HookTest, ReentrantMessagesKeepTheirOwnOriginal) {
  struct Reenter {
    TEditControl* editor;
    std::vector<uint32_t> afterSaw;
    void Before(TObject*, TMessage o, TMessage&) {
      if (o.Msg == WM_PROBE) SendMessage(editor->GetHandle(), WM_PROBE + 1, 0, 0);
    }
    void After(TObject*, TMessage o, TMessage&) {
      if (o.Msg == WM_PROBE || o.Msg == WM_PROBE + 1) afterSaw.push_back(o.Msg);
    }
  } r{Editor, {}};
  new TEIEditWrapper(Editor, MethodOf<&Reenter::Before>(&r), MethodOf<&Reenter::After>(&r));
  SendMessage(Editor->GetHandle(), WM_PROBE, 0, 0);
  EXPECT_EQ(r.afterSaw, (std::vector<uint32_t>{WM_PROBE + 1, WM_PROBE}));
}
