// Notifier list broadcasts and the keyboard and paint notifiers, driven through real editors.
#include "FrameworkFixture.h"

namespace {

constexpr UINT WM_PROBE = WM_USER + 9;

class NotifierTest : public TFrameworkFixture {
 protected:
  void SetUp() override {
    TFrameworkFixture::SetUp();
    IDE = InstallIDEIntegrationManager("Test");
    Manager = IDE->GetManagerByEditor(Editors[0]);
    ASSERT_NE(Manager, nullptr);
    Editor = EditorOf(Editors[0]);
  }
  void TearDown() override {
    for (TEIMessageNotifier* n : Owned) {
      if (IDE) IDE->RemoveNotifier(n);
      n->Free();
    }
    TFrameworkFixture::TearDown();
  }
  template <class T, class... A>
  T* Add(A&&... args) {
    T* n = new T(std::forward<A>(args)...);
    Owned.push_back(n);
    IDE->AddNotifier(n);
    return n;
  }
  TIDEManager* IDE = nullptr;
  TEIManager* Manager = nullptr;
  TEditControl* Editor = nullptr;
  std::vector<TEIMessageNotifier*> Owned;
};

// Raises from its before operation.
class TThrowingNotifier : public TEIMessageNotifier {
 public:
  void BeforeEditorMessageProcess(TEIManager*, TMessage o, TMessage&) override {
    if (o.Msg == WM_PROBE) throw Exception("notifier failed");
  }
};

// Removes another notifier from the IDE-wide manager while a broadcast runs.
class TRemovingNotifier : public TEIMessageNotifier {
 public:
  TIDEManager* IDE = nullptr;
  TEIMessageNotifier* Victim = nullptr;
  void BeforeEditorMessageProcess(TEIManager*, TMessage o, TMessage&) override {
    if (o.Msg == WM_PROBE) IDE->RemoveNotifier(Victim);
  }
};

}  // namespace

TEST_F(NotifierTest, EveryNotifierSeesBeforeAndAfterInTheOrderAdded) {
  auto* a = Add<TRecordingNotifier>("A", &Log);
  auto* b = Add<TRecordingNotifier>("B", &Log);
  a->Only = b->Only = WM_PROBE;
  IDE->AddNotifier(a);  // a second add changes nothing
  IDE->RemoveNotifier(reinterpret_cast<TEIMessageNotifier*>(&Log));  // an absent one: nothing happens
  SendMessage(Editor->GetHandle(), WM_PROBE, 1, 2);
  EXPECT_EQ(Log, (std::vector<std::string>{"A.before 409", "B.before 409", "A.after 409", "B.after 409"}));
  EXPECT_EQ(a->LastManager, Manager);  // the manager, not the hook, is the sender
  EXPECT_EQ(IDE->GetNotifiers()->GetCount(), 2);
}

TEST_F(NotifierTest, ResultsAccumulateAcrossBeforeNotifiers) {
  struct Case {
    int32_t first, second;
    bool controlRuns;
  };
  for (const Case& c : {Case{1, 0, true}, Case{0, 1, false}, Case{1, -1, false}, Case{2, -1, true}}) {
    SCOPED_TRACE(std::to_string(c.first) + "/" + std::to_string(c.second));
    for (TEIMessageNotifier* n : Owned) IDE->RemoveNotifier(n);
    auto* a = Add<TRecordingNotifier>("A", &Log);
    auto* b = Add<TRecordingNotifier>("B", &Log);
    a->Only = b->Only = WM_KEYDOWN;
    a->BeforeResult = c.first;
    b->BeforeResult = c.second;
    Editor->SetText("");
    SendMessage(Editor->GetHandle(), WM_KEYDOWN, VK_DELETE, 0);  // counted by the editor when it runs
    const int before = Editor->GetKeysHandled();
    SendMessage(Editor->GetHandle(), WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(Editor->GetKeysHandled() - before, c.controlRuns ? 1 : 0);
  }
}

TEST_F(NotifierTest, AnExceptionEndsTheBroadcastAndStopsAtTheHook) {
  Add<TThrowingNotifier>();
  auto* later = Add<TRecordingNotifier>("Later", &Log);
  later->Only = WM_PROBE;
  EXPECT_NO_THROW(SendMessage(Editor->GetHandle(), WM_PROBE, 0, 0));
  EXPECT_TRUE(Log.empty());  // neither its before nor, since processing ended, its after
}

TEST_F(NotifierTest, RemovalDuringABroadcastEndsItAtTheShortenedList) {
  auto* remover = Add<TRemovingNotifier>();
  auto* victim = Add<TRecordingNotifier>("Victim", &Log);
  auto* last = Add<TRecordingNotifier>("Last", &Log);
  remover->IDE = IDE;
  remover->Victim = victim;
  victim->Only = last->Only = WM_PROBE;
  SendMessage(Editor->GetHandle(), WM_PROBE, 0, 0);
  // "Last" moved to index 1 and was called there; index 2 is past the end and ends it.
  EXPECT_EQ(Log, (std::vector<std::string>{"Last.before 409"}));
}

TEST_F(NotifierTest, NonEditorBroadcastsReachEveryNotifier) {
  Add<TRecordingNotifier>("A", &Log);
  Add<TRecordingNotifier>("B", &Log);
  IDE->GetNotifiers()->BroadcastManagerMessage(Manager, 7);
  EXPECT_EQ(Log, (std::vector<std::string>{"A.ManagerMessage 7", "B.ManagerMessage 7"}));
}

namespace {
struct TKeyLog {
  std::vector<std::string> events;
  bool zeroKey = false;
  void Down(TEIManager*, Word& key, TShiftState shift) {
    events.push_back("down " + std::to_string(key) + " shift " + std::to_string(shift.Bits()));
    if (zeroKey) key = 0;
  }
  void Up(TEIManager*, Word& key, TShiftState shift) {
    events.push_back("up " + std::to_string(key) + " shift " + std::to_string(shift.Bits()));
  }
};

// Renumbers key-up notifications to a message that is no key notification.
class TRenumberingNotifier : public TEIMessageNotifier {
 public:
  void BeforeEditorMessageProcess(TEIManager*, TMessage o, TMessage& m) override {
    if (o.Msg == CN_KEYUP) m.Msg = WM_NULL;
  }
};
}  // namespace

TEST_F(NotifierTest, KeyboardNotifierFiresKeyEventsThatCannotStopTheKey) {
  TKeyLog keys;
  keys.zeroKey = true;
  auto* kb = Add<TEIKeyboardNotifier>();
  kb->FOnKeyDown = MethodOf<&TKeyLog::Down>(&keys);
  kb->FOnKeyUp = MethodOf<&TKeyLog::Up>(&keys);
  Editors[0]->SetFocus();
  TypeKey(Editor->GetHandle(), 'Q');
  EXPECT_EQ(keys.events, (std::vector<std::string>{"down 81 shift 0", "up 81 shift 0"}));
  EXPECT_EQ(Editor->GetText(), "q");  // Key = 0 in the handler did not reach the editor

  // Alt comes from the key data, Shift from the key state as the queue handed it out.
  keys.events.clear();
  PostKey(Editor->GetHandle(), WM_KEYDOWN, VK_SHIFT);
  PostKey(Editor->GetHandle(), WM_SYSKEYDOWN, VK_MENU);
  PostKey(Editor->GetHandle(), WM_SYSKEYDOWN, 'F');
  Application->ProcessMessages();
  SendMessage(Editor->GetHandle(), CN_KEYUP, 'F', MakeKeyData(WM_SYSKEYUP, 'F'));
  EXPECT_EQ(keys.events.back(), "up 70 shift 3");
}

TEST_F(NotifierTest, KeyboardNotifierChoosesTheEventByTheLiveNumber) {
  TKeyLog keys;
  Add<TRenumberingNotifier>();
  auto* kb = Add<TEIKeyboardNotifier>();
  kb->FOnKeyDown = MethodOf<&TKeyLog::Down>(&keys);
  kb->FOnKeyUp = MethodOf<&TKeyLog::Up>(&keys);
  SendMessage(Editor->GetHandle(), CN_KEYUP, 'A', 0);
  EXPECT_TRUE(keys.events.empty());
}

namespace {
int gPaints = 0;
HDC gPaintDC = 0;
void CountPaint(TEIManager*, TCanvas* c) {
  ++gPaints;
  gPaintDC = c->GetHandle();
}
void FailPaint(TEIManager*, TCanvas*) { throw Exception("paint failed"); }
}  // namespace

TEST_F(NotifierTest, PaintNotifierDrawsOnALiveContextAndGivesItBack) {
  auto* paint = Add<TEIPaintNotifier>();
  gPaints = 0;
  gPaintDC = 0;
  SendMessage(Editor->GetHandle(), WM_PAINT, 0, 0);
  EXPECT_EQ(gPaints, 0);  // no paint procedure: nothing happens

  paint->FOnPaint = &CountPaint;
  const int liveBefore = GetLiveDCCount();
  Editor->Invalidate();
  Application->ProcessMessages();
  EXPECT_EQ(gPaints, 1);
  EXPECT_EQ(WindowFromDC(gPaintDC), 0);  // released: the context is gone again
  EXPECT_EQ(GetLiveDCCount(), liveBefore);

  paint->FOnPaint = &FailPaint;
  EXPECT_NO_THROW(SendMessage(Editor->GetHandle(), WM_PAINT, 0, 0));
  EXPECT_EQ(GetLiveDCCount(), liveBefore);
}
