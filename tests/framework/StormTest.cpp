// A storm of mixed messages to several editor windows while notifiers raise, veto, rewrite,
// add and remove notifiers, send further messages and free windows, managers and editor
// controls mid-message: nothing escapes the hook, nothing is left behind.
#include <algorithm>
#include <random>

#include "FrameworkFixture.h"

namespace {

constexpr long kMessages = 1000000;
constexpr size_t kWindows = 4;
constexpr UINT WM_STORM = WM_USER + 0x100;  // the storm's probes: WM_STORM to WM_STORM + 15
constexpr UINT kProbes = 16;

struct TStormCounts {
  long Raised = 0, Vetoed = 0, Rewritten = 0, Added = 0, Removed = 0, Nested = 0;
  long FormsFreed = 0, ManagersFreed = 0, ControlsFreed = 0, WindowsDestroyed = 0;
  long Keys = 0, Escaped = 0;
};

long gPaints = 0;
void CountPaint(TEIManager*, TCanvas*) { ++gPaints; }

class TStorm;

class TStormNotifier : public TEIMessageNotifier {
 public:
  explicit TStormNotifier(TStorm* storm) : Storm(storm) {}
  void BeforeEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) override;
  void AfterEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) override;
  TStorm* Storm;
};

// The generator, the windows and the notifiers of one storm. Only messages the storm sends
// itself are disturbed, and only its probes free or send: the platform's own sequences
// (creation, activation, focus, destruction) are not the subject here.
class TStorm {
 public:
  explicit TStorm(TIDEManager* ide) : IDE(ide) {
    for (int i = 0; i < 10; ++i) Pool.push_back(new TStormNotifier(this));
    auto* keys = new TEIKeyboardNotifier();
    keys->FOnKeyDown = MethodOf<&TStorm::Key>(this);
    keys->FOnKeyUp = MethodOf<&TStorm::Key>(this);
    Pool.push_back(keys);
    auto* paint = new TEIPaintNotifier();
    paint->FOnPaint = &CountPaint;
    Pool.push_back(paint);
    for (TEIMessageNotifier* n : Pool) IDE->AddNotifier(n);
  }
  ~TStorm() {
    for (TEIMessageNotifier* n : Pool) {
      IDE->RemoveNotifier(n);
      n->Free();
    }
  }

  void Step() {
    while (Windows.size() < kWindows) Open();
    for (TEditWindow* w : Broken) w->Free();
    Broken.clear();
    if (IDE->GetNotifiers()->GetCount() < 3) IDE->AddNotifier(Pool[Pick(Pool.size())]);
    TEditWindow* w = Windows[Pick(Windows.size())];
    const HWND h = w->GetEditControl()->GetHandle();
    const uint32_t kind = Random() % 100;
    const WORD key = Keys[Pick(sizeof Keys / sizeof Keys[0])];
    try {
      if (kind < 50) {
        SendMessage(h, WM_STORM + Pick(kProbes), Random(), static_cast<LPARAM>(Random() & 0x7FFFFFFF));
      } else if (kind < 62) {
        SendMessage(h, WM_MOUSEMOVE, 0, static_cast<LPARAM>(Random() & 0x00FF00FF));
      } else if (kind < 77) {
        const UINT cn = Random() % 2 ? CN_KEYDOWN : CN_KEYUP;
        SendMessage(h, cn, key, MakeKeyData(cn - CN_BASE, key));
      } else if (kind < 89) {
        PostMessage(h, WM_KEYDOWN, key, MakeKeyData(WM_KEYDOWN, key));
        PostMessage(h, WM_KEYUP, key, MakeKeyData(WM_KEYUP, key));
      } else if (kind < 92) {
        SendMessage(h, WM_PAINT, 0, 0);
      } else if (kind < 94) {
        SendMessage(h, WM_DROPFILES, 0, 0);
      } else if (kind < 96) {
        w->SetFocus();  // a window whose manager was freed is discovered again
      } else {
        Application->ProcessMessages();
      }
    } catch (...) {
      ++Counts.Escaped;
    }
  }

  // What one storm notifier does with one message.
  void Act(TEIManager* m, const TMessage& o, TMessage& mod, bool before) {
    if (!Disturbs(o.Msg)) return;
    const uint32_t r = Random() % 10000;
    if (r < 40) {
      ++Counts.Raised;
      throw Exception("storm");
    }
    if (r < 70) {
      ++Counts.Added;
      IDE->AddNotifier(Pool[Pick(Pool.size())]);
    } else if (r < 100) {
      ++Counts.Removed;
      IDE->RemoveNotifier(Pool[Pick(Pool.size())]);
    } else if (r < 250 && before) {
      ++Counts.Vetoed;
      mod.Result = 1;
    } else if (r < 350) {
      ++Counts.Rewritten;
      mod.WParam ^= 1;
    } else if (o.Msg >= WM_STORM && o.Msg < WM_STORM + kProbes) {
      if (Windows.empty()) return;
      if (r < 400 && Depth < 3) {
        ++Counts.Nested;
        ++Depth;
        TEditWindow* w = Windows[Pick(Windows.size())];
        if (TEditControl* c = w->GetEditControl()) SendMessage(c->GetHandle(), WM_STORM + Pick(kProbes), 0, 0);
        --Depth;
      } else if (r < 403) {
        FreeSomething(m);
      }
    }
  }

  std::mt19937 Random{20240917};
  TIDEManager* IDE;
  std::vector<TEditWindow*> Windows;  // live and well formed, each with its editor control
  std::vector<TEditWindow*> Broken;   // lost their editor control or its window: freed at the next step
  std::vector<TEIMessageNotifier*> Pool;
  TStormCounts Counts;

 private:
  static constexpr WORD Keys[] = {'A', 'B', 'Q', 'Z', '1', VK_SPACE, VK_RETURN, VK_BACK,
                                  VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_DELETE};

  uint32_t Pick(size_t n) { return Random() % static_cast<uint32_t>(n); }
  static bool Disturbs(UINT msg) {
    return (msg >= WM_STORM && msg < WM_STORM + kProbes) || msg == WM_MOUSEMOVE || msg == CN_KEYDOWN ||
           msg == CN_KEYUP || msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR || msg == WM_PAINT ||
           msg == WM_DROPFILES;
  }
  void Key(TEIManager*, Word&, TShiftState) { ++Counts.Keys; }

  void Open() {
    TEditWindowLayout layout;
    layout.Caption = "Storm" + std::to_string(++Opened) + ".pas";
    TEditWindow* w = CreateEditWindow(Application, layout);
    w->Show();
    Application->ProcessMessages();
    Windows.push_back(w);
  }

  // Frees the message's own editor window, its manager, its control or the control's
  // window, or the same of another window; never what is already on its way out.
  void FreeSomething(TEIManager* m) {
    TEditWindow* w = Random() % 2 ? nullptr : Windows[Pick(Windows.size())];
    if (!w) w = static_cast<TEditWindow*>(m->GetEditorForm());
    auto it = std::find(Windows.begin(), Windows.end(), w);
    if (it == Windows.end() || w->Destroying()) return;
    TEditControl* c = w->GetEditControl();
    switch (Random() % 4) {
      case 0:
        Windows.erase(it);
        ++Counts.FormsFreed;
        w->Free();
        break;
      case 1:
        if (TEIManager* own = IDE->GetManagerByEditor(w)) {
          ++Counts.ManagersFreed;
          own->Free();
        }
        break;
      case 2:
        Windows.erase(it);
        Broken.push_back(w);
        ++Counts.ControlsFreed;
        c->Free();
        break;
      default:
        // The control's next window is not hooked again: the window leaves the storm.
        if (c->HandleAllocated()) {
          Windows.erase(it);
          Broken.push_back(w);
          ++Counts.WindowsDestroyed;
          c->DestroyHandle();
        }
        break;
    }
  }

  int Depth = 0;
  int Opened = 0;
};

void TStormNotifier::BeforeEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) {
  Storm->Act(m, o, mod, true);
}

void TStormNotifier::AfterEditorMessageProcess(TEIManager* m, TMessage o, TMessage& mod) {
  Storm->Act(m, o, mod, false);
}

using StormTest = TFrameworkFixture;

}  // namespace

TEST_F(StormTest, AMillionMessagesWhileReceiversFreeWhatTheyGetLeaveNothingBehind) {
  for (TEditWindow*& w : Editors) FreeAndNil(w);
  TIDEManager* ide = InstallIDEIntegrationManager("Storm");
  Application->ProcessMessages();
  const int windows = GetWindowCount(), instances = GetObjectInstanceCount(), dcs = GetLiveDCCount();
  gPaints = 0;
  {
    TStorm storm(ide);
    for (long i = 0; i < kMessages; ++i) storm.Step();
    Application->ProcessMessages();

    const TStormCounts& n = storm.Counts;
    EXPECT_EQ(n.Escaped, 0);
    // The storm did what it claims, often.
    for (long count : {n.Raised, n.Vetoed, n.Rewritten, n.Added, n.Removed, n.Nested, n.Keys, gPaints})
      EXPECT_GT(count, 1000);
    for (long count : {n.FormsFreed, n.ManagersFreed, n.ControlsFreed, n.WindowsDestroyed}) EXPECT_GT(count, 100);

    // Every window left is managed once, and the managers are exactly those of these windows.
    for (TEditWindow* w : storm.Windows) w->SetFocus();
    ASSERT_EQ(static_cast<size_t>(ide->GetEIManagerCount()), storm.Windows.size());
    for (TEditWindow* w : storm.Windows) EXPECT_NE(ide->GetManagerByEditor(w), nullptr);

    // The hook still carries every window's messages to the notifiers.
    for (TEIMessageNotifier* n : storm.Pool) ide->RemoveNotifier(n);
    TRecordingNotifier probe("Probe", &Log);
    probe.Only = WM_STORM;
    ide->AddNotifier(&probe);
    for (TEditWindow* w : storm.Windows) SendMessage(w->GetEditControl()->GetHandle(), WM_STORM, 0, 0);
    EXPECT_EQ(Log.size(), 2 * storm.Windows.size());
    ide->RemoveNotifier(&probe);

    for (TEditWindow* w : storm.Windows) w->Free();
    for (TEditWindow* w : storm.Broken) w->Free();
    storm.Windows.clear();
    storm.Broken.clear();
    Application->ProcessMessages();
  }
  EXPECT_EQ(ide->GetEIManagerCount(), 0);
  EXPECT_EQ(ide->GetNotifiers()->GetCount(), 0);
  EXPECT_EQ(GetWindowCount(), windows);
  EXPECT_EQ(GetObjectInstanceCount(), instances);
  EXPECT_EQ(GetLiveDCCount(), dcs);
}
