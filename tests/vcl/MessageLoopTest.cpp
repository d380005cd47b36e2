// The message loop: key messages offered to their control first, shift states, the screen's
// active form and the application's activation events.
#include "Recorder.h"

namespace {

class KeyRouting : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    TEditWindow* window = CreateEditWindow(Application);
    window->Show();
    editor = window->GetEditControl();
    Application->ProcessMessages();
    hook.Only = {CN_KEYDOWN, WM_KEYDOWN, CN_CHAR, WM_CHAR, CN_KEYUP, WM_KEYUP};
    hook.Subclass(editor->GetHandle());
  }

  TMessageLog log;
  TLoggingProc hook{"H", log};  // a subclass on the editor's window, as an add-in installs
  TEditControl* editor = nullptr;
};

TEST_F(KeyRouting, AHookOnTheTargetSeesEachControlNotificationBeforeItsKeyMessage) {
  TypeKey(editor->GetHandle(), 'A');
  EXPECT_EQ(log, (TMessageLog{"H:CN_KEYDOWN", "H:WM_KEYDOWN", "H:CN_CHAR", "H:WM_CHAR", "H:CN_KEYUP", "H:WM_KEYUP"}));
  EXPECT_EQ(editor->GetText(), "a");
}

// A non-zero answer to a control notification means handled: the key message is neither
// translated nor dispatched.
TEST_F(KeyRouting, ANonZeroNotificationResultDropsTheKeyMessage) {
  struct {
    UINT Answered;
    TMessageLog Seen;
    const char* Text;
  } rows[] = {
      {CN_KEYDOWN, {"H:CN_KEYDOWN", "H:CN_KEYUP", "H:WM_KEYUP"}, ""},
      {CN_CHAR, {"H:CN_KEYDOWN", "H:WM_KEYDOWN", "H:CN_CHAR", "H:CN_KEYUP", "H:WM_KEYUP"}, ""},
      {CN_KEYUP, {"H:CN_KEYDOWN", "H:WM_KEYDOWN", "H:CN_CHAR", "H:WM_CHAR", "H:CN_KEYUP"}, "a"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(MessageName(row.Answered));
    editor->SetText("");
    log.clear();
    hook.Answers = {{row.Answered, 1}};
    TypeKey(editor->GetHandle(), 'A');
    EXPECT_EQ(log, row.Seen);
    EXPECT_EQ(editor->GetText(), row.Text);
  }
}

TEST(ShiftStateTest, ShiftAndCtrlComeFromTheKeyStateAltFromTheKeyData) {
  constexpr int32_t kAltBit = 0x20000000;
  struct {
    const char* Name;
    std::vector<BYTE> Down;
    int32_t KeyData;
    TShiftState Expected;
  } rows[] = {
      {"nothing", {}, 0x001E0001, {}},
      {"Shift", {VK_SHIFT}, 0x001E0001, {ssShift}},
      {"left Shift only", {0xA0}, 0x001E0001, {ssShift}},
      {"right Ctrl only", {0xA3}, 0x001E0001, {ssCtrl}},
      {"Ctrl with the Alt bit", {VK_CONTROL}, 0x001E0001 | kAltBit, {ssCtrl, ssAlt}},
      {"Alt key down, no Alt bit", {VK_MENU}, 0x001E0001, {}},
      {"Alt bit alone", {}, kAltBit, {ssAlt}},
      {"mouse buttons never count", {VK_LBUTTON, VK_RBUTTON}, 0, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    BYTE state[256] = {};
    for (BYTE vk : row.Down) state[vk] = 0x80;
    SetKeyboardState(state);
    EXPECT_EQ(KeyDataToShiftState(row.KeyData).Bits(), row.Expected.Bits());
  }
  BYTE none[256] = {};
  SetKeyboardState(none);
}

struct TKeyEvents {
  TMessageLog Log;
  void Add(const char* what, Word key, TShiftState shift) {
    Log.push_back(std::string(what) + " " + std::to_string(key) + (shift.Contains(ssShift) ? " shift" : ""));
  }
  void Down(TObject*, Word& key, TShiftState shift) { Add("down", key, shift); }
  void Up(TObject*, Word& key, TShiftState shift) { Add("up", key, shift); }
};

// The shift state of a key event is the state as the queue handed the message out, so the
// release of Shift itself already reports Shift up.
TEST_F(KeyRouting, KeyEventsSeeTheShiftStateOfTheirMomentInTheQueue) {
  TKeyEvents events;
  editor->OnKeyDown = MethodOf<&TKeyEvents::Down>(&events);
  editor->OnKeyUp = MethodOf<&TKeyEvents::Up>(&events);
  HWND h = editor->GetHandle();
  PostKey(h, WM_KEYDOWN, VK_SHIFT);
  PostKey(h, WM_KEYDOWN, 'A');
  PostKey(h, WM_KEYUP, 'A');
  PostKey(h, WM_KEYUP, VK_SHIFT);
  PostKey(h, WM_KEYDOWN, 'B');
  PostKey(h, WM_KEYUP, 'B');
  Application->ProcessMessages();
  EXPECT_EQ(events.Log, (TMessageLog{"down 16 shift", "down 65 shift", "up 65 shift", "up 16", "down 66", "up 66"}));
  EXPECT_EQ(editor->GetText(), "Ab");
}

class ScreenTest : public TIdeFixture {
 public:
  void ActiveFormChanged(TObject*) {
    TForm* f = Screen->GetActiveForm();
    changes.push_back(f ? f->GetName() : "none");
  }

 protected:
  TForm* MakeForm(const char* name) {
    auto* f = new TForm(Application);
    f->SetName(name);
    return f;
  }
  std::vector<String> FormNames() {
    std::vector<String> names;
    for (Integer i = 0; i < Screen->GetFormCount(); ++i) names.push_back(Screen->GetForm(i)->GetName());
    return names;
  }
  TMessageLog changes;
};

TEST_F(ScreenTest, ActivationMovesAFormToTheFrontAndAnnouncesTheNewActiveForm) {
  Screen->OnActiveFormChange = MethodOf<&ScreenTest::ActiveFormChanged>(this);
  TForm* f1 = MakeForm("F1");
  TForm* f2 = MakeForm("F2");
  EXPECT_EQ(FormNames(), (std::vector<String>{"F1", "F2"})) << "a new form goes to the end";
  EXPECT_TRUE(changes.empty());

  f1->Show();
  f2->Show();
  EXPECT_EQ(FormNames(), (std::vector<String>{"F2", "F1"}));
  EXPECT_EQ(Screen->GetActiveForm(), f2);
  f1->SetFocus();
  f1->SetFocus();
  EXPECT_EQ(FormNames(), (std::vector<String>{"F1", "F2"}));
  EXPECT_EQ(changes, (TMessageLog{"F1", "F2", "F1"})) << "activating the active form again announces nothing";

  f1->Free();
  EXPECT_EQ(FormNames(), (std::vector<String>{"F2"}));
  EXPECT_NE(Screen->GetActiveForm(), f1);
  EXPECT_EQ(changes.size(), 4u) << "losing the active form is a change too";
}

class ApplicationTest : public TIdeFixture {
 public:
  void Activated(TObject*) { events.push_back("activate"); }
  void Deactivated(TObject*) { events.push_back("deactivate"); }

 protected:
  TMessageLog events;
};

// The application hears of activation at once but fires its events from posted messages,
// on a later pass of the loop.
TEST_F(ApplicationTest, ActivationEventsArriveOnlyWhenTheLoopRuns) {
  Application->OnActivate = MethodOf<&ApplicationTest::Activated>(this);
  Application->OnDeactivate = MethodOf<&ApplicationTest::Deactivated>(this);
  SetApplicationActive(true);
  EXPECT_TRUE(Application->GetActive());
  EXPECT_TRUE(events.empty());
  Application->ProcessMessages();
  EXPECT_EQ(events, (TMessageLog{"activate"}));

  SetApplicationActive(true);
  Application->ProcessMessages();
  EXPECT_EQ(events, (TMessageLog{"activate"})) << "no change, no event";

  SetApplicationActive(false);
  EXPECT_FALSE(Application->GetActive());
  EXPECT_EQ(events, (TMessageLog{"activate"}));
  Application->ProcessMessages();
  EXPECT_EQ(events, (TMessageLog{"activate", "deactivate"}));
}

TEST_F(ApplicationTest, TerminatedOnlyOnceTheQuitMessageIsTaken) {
  Application->Terminate();
  EXPECT_FALSE(Application->GetTerminated());
  Application->ProcessMessages();
  EXPECT_TRUE(Application->GetTerminated());
}

}  // namespace

namespace {

class CloseTest : public ApplicationTest {
 public:
  void Refuse(TObject*, TCloseAction& action) { action = caNone; }
};

// Closing the main form, by its close box or File | Exit, ends the application; closing any
// other form only hides it, and a form that refuses to close ends nothing.
TEST_F(CloseTest, ClosingTheMainFormEndsTheApplication) {
  auto* main = new TForm(Application);
  auto* other = new TForm(Application);
  Application->SetMainForm(main);
  main->Show();
  other->Show();
  other->Close();
  Application->ProcessMessages();
  EXPECT_FALSE(other->GetVisible());
  EXPECT_FALSE(Application->GetTerminated());

  main->OnClose = MethodOf<&CloseTest::Refuse>(this);
  PostMessage(main->GetHandle(), WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  EXPECT_FALSE(Application->GetTerminated());
  EXPECT_TRUE(main->GetVisible());

  main->OnClose = nullptr;
  PostMessage(main->GetHandle(), WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(Application->GetTerminated());
  Application->SetMainForm(nullptr);
}

}  // namespace
