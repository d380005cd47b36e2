// The host's script language: reading steps and key chords, and running them through the
// window system's queue into a booted IDE, from inside a modal dialog too.
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/IdeFixture.h"
#include "support/MessageLog.h"
#include "host/ScriptRunner.h"
#include "platform/ide/AppBuilder.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/MessageForm.h"
#include "platform/vcl/StdCtrls.h"

namespace fs = std::filesystem;

namespace {

// ---- reading ---------------------------------------------------------------------------------

TScript Parsed(const std::string& text) {
  TScript script;
  std::string error;
  EXPECT_TRUE(ParseScript(text, "s", script, error)) << error;
  return script;
}

TEST(ScriptParseTest, EachStepKindIsReadWithItsArguments) {
  const TScript s = Parsed(
      "# a comment, then a blank line\n"
      "\n"
      "type  two spaces\\n\n"
      "press Ctrl+Z Escape\n"
      "menu Tools > &QV Brisk ..\n"
      "click frmConfiguration.zkbtnOk\n"
      "double-click 10 20\n"
      "answer mrCancel\n"
      "answer button O&K\n"
      "wait 2s\n"
      "screenshot out dir/a.png\r\n"
      "  mouse down 1 2\n"
      "mouse move 3 4\n"
      "mouse up 5 6\n"
      "drag 1 2 300 400\n");
  ASSERT_EQ(s.Steps.size(), 13u);
  const TScriptStep* st = s.Steps.data();
  EXPECT_EQ(st[0].Kind, sskType);
  EXPECT_EQ(st[0].Line, 3);
  EXPECT_EQ(st[0].Text, " two spaces\n");
  EXPECT_EQ(st[1].Kind, sskPress);
  ASSERT_EQ(st[1].Chords.size(), 2u);
  EXPECT_EQ(st[1].Chords[0].Modifiers, std::vector<WORD>{VK_CONTROL});
  EXPECT_EQ(st[1].Chords[0].Key, 'Z');
  EXPECT_EQ(st[1].Chords[1].Key, VK_ESCAPE);
  EXPECT_EQ(st[2].Path, (std::vector<std::string>{"Tools", "&QV Brisk .."}));
  EXPECT_EQ(st[3].Path, (std::vector<std::string>{"frmConfiguration", "zkbtnOk"}));
  EXPECT_FALSE(st[3].AtPoint);
  EXPECT_EQ(st[4].Kind, sskDoubleClick);
  EXPECT_TRUE(st[4].AtPoint);
  EXPECT_EQ(st[4].From, (TPoint{10, 20}));
  EXPECT_EQ(st[5].Result, mrCancel);
  EXPECT_EQ(st[6].Path, std::vector<std::string>{"O&K"});
  EXPECT_EQ(st[7].Ms, 2000u);
  EXPECT_EQ(st[8].Text, "out dir/a.png");
  EXPECT_EQ(st[9].Kind, sskMouseDown);
  EXPECT_EQ(st[10].Kind, sskMouseMove);
  EXPECT_EQ(st[11].Kind, sskMouseUp);
  EXPECT_EQ(st[11].From, (TPoint{5, 6}));
  EXPECT_EQ(st[12].Kind, sskDrag);
  EXPECT_EQ(st[12].To, (TPoint{300, 400}));
}

TEST(ScriptParseTest, KeyChordsNameTheKeysAPersonPresses) {
  struct {
    const char* Text;
    std::vector<WORD> Modifiers;
    WORD Key;
  } rows[] = {
      {"Alt+F4", {VK_MENU}, VK_F4},
      {"ctrl+shift+s", {VK_CONTROL, VK_SHIFT}, 'S'},
      {"Shift+Tab", {VK_SHIFT}, VK_TAB},
      {"F12", {}, VK_F12},
      {";", {}, VK_OEM_1},
      {":", {VK_SHIFT}, VK_OEM_1},  // a shifted character brings its Shift
      {"Ctrl++", {VK_CONTROL, VK_SHIFT}, VK_OEM_PLUS},
      {"PgDn", {}, VK_NEXT},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    TKeyChord chord;
    std::string error;
    ASSERT_TRUE(ParseKeyChord(row.Text, chord, error)) << error;
    EXPECT_EQ(chord.Modifiers, row.Modifiers);
    EXPECT_EQ(chord.Key, row.Key);
  }
}

TEST(ScriptParseTest, ALineThatIsNotAStepIsReportedWithItsNumber) {
  struct {
    const char* Line;
    const char* Message;
  } rows[] = {
      {"jump 3", "s:2: unknown step 'jump'"},
      {"type", "s:2: type needs the text to type"},
      {"press Hyper+A", "s:2: 'Hyper' in 'Hyper+A' is not Ctrl, Shift or Alt"},
      {"press Ctrl+F13", "s:2: 'F13' in 'Ctrl+F13' is not a key"},
      {"menu Tools >", "s:2: menu needs the captions"},
      {"click zkbtnOk", "s:2: click needs a control as FORM.NAME"},
      {"click 10", "s:2: click needs a control as FORM.NAME"},
      {"answer Maybe", "s:2: answer needs a modal result"},
      {"wait 1h", "s:2: '1h' is not a time"},
      {"wait 3601s", "s:2: '3601s' is not a time"},
      {"screenshot", "s:2: screenshot needs the PNG file"},
      {"mouse click 1 2", "s:2: mouse needs down, move or up"},
      {"mouse down 1", "s:2: mouse down needs a screen point: X Y"},
      {"mouse up -1 5", "s:2: '-1 5' is not a screen point"},
      {"drag 1 2 3", "s:2: drag needs two screen points"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Line);
    TScript script;
    std::string error;
    EXPECT_FALSE(ParseScript(std::string("type ok\n") + row.Line + "\n", "s", script, error));
    EXPECT_EQ(error.rfind(row.Message, 0), 0u) << error;
  }
}

// ---- running ---------------------------------------------------------------------------------

// A plain dialog of the tools menu: OK and Cancel buttons and a panel that logs the mouse.
class TTestTools : public TComponent {
  DECLARE_CLASS(TTestTools, TComponent)
 public:
  using TComponent::TComponent;
  void OpenClick(TObject*) {
    auto* form = new TForm(Application);
    form->SetName("dlgTest");
    form->SetCaption("Test Dialog");
    form->SetBounds(200, 200, 300, 200);
    auto* ok = MakeChild<TButton>(form, "btnOk");
    ok->SetCaption("&OK");
    ok->SetModalResult(mrOk);
    ok->SetBounds(20, 130, 75, 25);
    auto* cancel = MakeChild<TButton>(form, "btnCancel");
    cancel->SetCaption("Cancel");
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    cancel->SetBounds(110, 130, 75, 25);
    Results.push_back(form->ShowModal());
    ClosedAt.push_back(GetMessageTime());
    form->Free();
  }
  void ClickedClick(TObject*) { ++Clicks; }
  std::vector<TModalResult> Results;
  std::vector<DWORD> ClosedAt;
  int Clicks = 0;
};
IMPLEMENT_COMPONENT_CLASS(TTestTools, TComponent)

class ScriptRunTest : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    SetModalHandler(nullptr);
    BootIDE();
    Tools = new TTestTools(Application);
    TMenuItem* toolsMenu = IDE->GetMainWindow()->GetToolsMenu();
    auto add = [&](const char* name, const char* caption, TNotifyEvent click) {
      auto* item = new TMenuItem(IDE->GetMainWindow());
      item->SetName(name);
      item->SetCaption(caption);
      item->OnClick = click;
      toolsMenu->Add(item);
      return item;
    };
    add("TestDialogItem", "&Test Dialog ..", MethodOf<&TTestTools::OpenClick>(Tools));
    add("CountItem", "Count", MethodOf<&TTestTools::ClickedClick>(Tools));
    add("OffItem", "Off", MethodOf<&TTestTools::ClickedClick>(Tools))->SetEnabled(false);
    TIDEModule* module = IDE->GetProject()->OpenBuffer("/tmp/Unit1.pas", "");
    Editor = module->GetEditControl();
    Editor->SetFocus();
    Application->ProcessMessages();
  }
  void TearDown() override {
    SetModalHandler(nullptr);
    TIdeFixture::TearDown();
  }

  // Runs a script; returns the runner's error, empty when it ran to its end.
  std::string Run(const std::string& text) {
    std::string error;
    TScript script;
    if (!ParseScript(text, "t.script", script, error)) return "parse: " + error;
    TScriptRunner::THooks hooks;
    hooks.AdvanceTo = [&](DWORD ms) { Clock.push_back(ms); };
    Runner = std::make_unique<TScriptRunner>(script, hooks);
    Runner->Run();
    return Runner->GetError();
  }

  TTestTools* Tools = nullptr;
  TEditControl* Editor = nullptr;
  std::unique_ptr<TScriptRunner> Runner;
  std::vector<DWORD> Clock;
  // Hooks outlive the windows they subclass: the fixture's teardown destroys those first.
  TMessageLog KeyLog;
  TLoggingProc KeyHook{"E", KeyLog};
  TMessageRecords KeyRecords;
};

TEST_F(ScriptRunTest, TypedTextAndChordsArriveAsKeystrokesWithTheirKeyData) {
  TMessageRecords& records = KeyRecords;
  KeyHook.Only = {WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, WM_SYSKEYUP};
  KeyHook.Records = &records;
  KeyHook.Subclass(Editor->GetHandle());
  EXPECT_EQ(Run("type Ab;\n"
                "press Ctrl+Z\n"),
            "");
  // Ctrl+Z took back the last key, as a person's Ctrl+Z does.
  EXPECT_EQ(Editor->GetText(), "Ab");
  EXPECT_EQ(Runner->GetKeys(), 3);
  // A, with Shift held around it; the scan codes and the transition bits of a real keyboard.
  ASSERT_GE(records.size(), 4u);
  EXPECT_EQ(records[0].Message, WM_KEYDOWN);
  EXPECT_EQ(records[0].WParam, VK_SHIFT);
  EXPECT_EQ(records[1].WParam, 'A');
  EXPECT_EQ(static_cast<uint32_t>(records[1].LParam), 0x001E0001u);
  EXPECT_EQ(records[2].Message, WM_KEYUP);
  EXPECT_EQ(static_cast<uint32_t>(records[2].LParam), 0xC01E0001u);
  // Ctrl+Z is the main menu's shortcut for Edit | Undo, which takes the key down; the editor
  // sees Ctrl go down and Z come up.
  const TMessageRecord& z = records[records.size() - 2];
  EXPECT_EQ(z.WParam, 'Z');
  EXPECT_EQ(z.Message, WM_KEYUP);
  EXPECT_EQ(records[records.size() - 3].WParam, VK_CONTROL);
  EXPECT_EQ(records[records.size() - 3].Message, WM_KEYDOWN);
  // The session clock only goes forward, and every key went down and came up again.
  EXPECT_TRUE(std::is_sorted(Clock.begin(), Clock.end()));
  EXPECT_EQ(GetAsyncKeyState(VK_CONTROL), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
}

TEST_F(ScriptRunTest, StepsAfterOneThatOpensAModalDialogRunInsideItsLoop) {
  struct {
    const char* Answer;
    TModalResult Result;
  } rows[] = {
      {"click dlgTest.btnOk", mrOk},
      {"answer button Cancel", mrCancel},
      {"answer button btnOk", mrOk},
      {"answer Retry", mrRetry},
      {"press Alt+F4", mrCancel},
      {"press Escape", mrCancel},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Answer);
    Tools->Results.clear();
    Tools->ClosedAt.clear();
    const std::string error = Run(std::string("menu Tools > Test Dialog ..\n") + row.Answer +
                                  "\n"
                                  "wait 1s\n"
                                  "menu Tools > Count\n");
    EXPECT_EQ(error, "");
    EXPECT_EQ(Tools->Results, std::vector<TModalResult>{row.Result});
    // The steps after the answer ran once the dialog had closed, a second later.
    ASSERT_EQ(Tools->ClosedAt.size(), 1u);
    EXPECT_GE(Runner->GetNow(), Tools->ClosedAt[0] + 1000);
  }
  EXPECT_EQ(Tools->Clicks, static_cast<int>(std::size(rows)));
}

// With a person's answerer, a message box is a form on the screen, and a script answers it as
// it answers any modal form; the steps after it run once it has closed.
TEST_F(ScriptRunTest, AMessageBoxOnTheScreenIsAnsweredLikeAnyModalForm) {
  const TMessageBoxAnswerer saved = SetMessageBoxAnswerer(ShowMessageForm);
  for (const char* answer : {"answer button OK", "press Enter", "press Escape"}) {
    SCOPED_TRACE(answer);
    const int clicks = Tools->Clicks;
    EXPECT_EQ(Run(std::string("menu Help > About...\n") + answer + "\nmenu Tools > Count\n"), "");
    EXPECT_EQ(Tools->Clicks, clicks + 1) << "the step after the box ran";
  }
  SetMessageBoxAnswerer(saved);
}

TEST_F(ScriptRunTest, AFailingStepNamesItsLineAndEndsTheDialogsItRanIn) {
  struct {
    const char* Script;
    const char* Error;
  } rows[] = {
      {"menu Tools > Nothing\n", "t.script:1: no menu item \"Nothing\" in Tools (there are: "},
      {"menu Tools > Off\n", "t.script:1: menu item Tools > Off is disabled"},
      {"menu Tools\n", "t.script:1: Tools opens a menu; name one of its items"},
      {"answer OK\n", "t.script:1: no modal form is open to answer"},
      {"click frmNowhere.btnOk\n", "t.script:1: no form named frmNowhere is on the screen"},
      {"menu Tools > Test Dialog ..\nclick dlgTest.btnHelp\n", "t.script:2: dlgTest has no component named btnHelp"},
      {"menu Tools > Test Dialog ..\nmenu Tools > Count\n",
       "t.script:2: the main menu cannot be used while \"Test Dialog\" is open"},
      {"menu Tools > Test Dialog ..\nanswer button Help\n", "t.script:2: \"Test Dialog\" has no button \"Help\""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Script);
    Tools->Results.clear();
    EXPECT_EQ(Run(row.Script).rfind(row.Error, 0), 0u) << Runner->GetError();
    // A dialog the script had open was cancelled, not left waiting.
    for (TModalResult r : Tools->Results) EXPECT_EQ(r, mrCancel);
    EXPECT_EQ(Tools->Clicks, 0);
  }
}

TEST_F(ScriptRunTest, WaitsAndScreenshotsTakeTheSessionClockAndTheScreen) {
  const fs::path shot = fs::temp_directory_path() / ("brisk-script-" + std::to_string(getpid()) + ".png");
  const DWORD start = GetMessageTime();
  EXPECT_EQ(Run("wait 250ms\nscreenshot " + shot.string() + "\nwait 2s\n"), "");
  EXPECT_EQ(Runner->GetNow(), start + 2250);
  // Time passes in slices, so what runs on the clock meanwhile runs on time.
  EXPECT_GT(Clock.size(), 200u);
  SDL_Surface* png = IMG_Load(shot.c_str());
  ASSERT_NE(png, nullptr) << IMG_GetError();
  EXPECT_EQ(png->w, 1280);
  EXPECT_EQ(png->h, 1024);
  SDL_FreeSurface(png);
  fs::remove(shot);
  EXPECT_EQ(Runner->GetScreenshots(), std::vector<std::string>{shot.string()});
  EXPECT_NE(Run("screenshot /nonexistent-dir/a.png\n").find("t.script:1: cannot write the screenshot"),
            std::string::npos);
}

// The mouse steps, seen by a window as the window system delivers them.
class ScriptMouseTest : public ScriptRunTest {
 protected:
  void SetUp() override {
    ScriptRunTest::SetUp();
    Form = new TForm(Application);
    Form->SetName("frmMouse");
    Form->SetBounds(100, 100, 400, 300);
    Panel = MakeChild<TPanel>(Form, "pnlTarget");
    Panel->SetBounds(0, 0, 200, 100);
    Form->Show();
    Application->ProcessMessages();
    Hook.Only = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_MOUSEMOVE};
    Hook.Records = &Records;
    Hook.OnMessage = [this](HWND, UINT msg) {
      if (msg == WM_LBUTTONDOWN) SetCapture(Panel->GetHandle());
      if (msg == WM_LBUTTONUP) ReleaseCapture();
      if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) ButtonState.push_back(GetKeyState(VK_LBUTTON) < 0);
    };
    Hook.Subclass(Panel->GetHandle());
    Origin = Panel->ClientToScreen({0, 0});
  }
  std::vector<UINT> Messages(UINT only = 0) const {
    std::vector<UINT> out;
    for (const auto& r : Records)
      if (!only || r.Message == only) out.push_back(r.Message);
    return out;
  }
  static TPoint PointOf(const TMessageRecord& r) {
    return {static_cast<int16_t>(r.LParam & 0xFFFF), static_cast<int16_t>((r.LParam >> 16) & 0xFFFF)};
  }
  std::string At(int x, int y) const { return std::to_string(Origin.X + x) + " " + std::to_string(Origin.Y + y); }

  TForm* Form = nullptr;
  TPanel* Panel = nullptr;
  TMessageLog Log;
  TLoggingProc Hook{"P", Log};
  TMessageRecords Records;
  std::vector<bool> ButtonState;
  TPoint Origin;
};

TEST_F(ScriptMouseTest, PressMoveAndReleaseArriveInClientPointsWithTheButtonState) {
  EXPECT_EQ(Run("mouse down " + At(10, 20) + "\nmouse move " + At(15, 25) + "\nmouse move " + At(250, 150) +
                "\nmouse up " + At(250, 150) + "\n"),
            "");
  ASSERT_EQ(Records.size(), 4u);
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_MOUSEMOVE, WM_LBUTTONUP}));
  EXPECT_EQ(PointOf(Records[0]), (TPoint{10, 20}));
  EXPECT_EQ(Records[0].WParam, MK_LBUTTON);
  EXPECT_EQ(Records[1].WParam, MK_LBUTTON);
  // Outside the panel, the capture still brings the mouse to it.
  EXPECT_EQ(PointOf(Records[2]), (TPoint{250, 150}));
  EXPECT_EQ(Records[3].WParam, 0u);
  EXPECT_EQ(ButtonState, (std::vector<bool>{true, false}));
  EXPECT_EQ(GetAsyncKeyState(VK_LBUTTON), 0);
}

TEST_F(ScriptMouseTest, ADragMovesInSmallStepsAndReleasesAtItsEnd) {
  EXPECT_EQ(Run("drag " + At(10, 10) + " " + At(110, 60) + "\n"), "");
  const std::vector<UINT> downs = Messages(WM_LBUTTONDOWN), ups = Messages(WM_LBUTTONUP);
  ASSERT_EQ(downs.size(), 1u);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(Records.front().Message, WM_MOUSEMOVE);  // the mouse comes to the start first
  EXPECT_EQ(PointOf(Records[1]), (TPoint{10, 10}));
  EXPECT_EQ(PointOf(Records.back()), (TPoint{110, 60}));
  // 112 pixels in steps of at most 8, each nearer the end, the button held throughout.
  const size_t moves = Messages(WM_MOUSEMOVE).size() - 1;
  EXPECT_EQ(moves, 14u);
  for (size_t i = 2; i + 1 < Records.size(); ++i) {
    EXPECT_EQ(Records[i].WParam, MK_LBUTTON);
    EXPECT_GE(PointOf(Records[i]).X, PointOf(Records[i - 1]).X);
    EXPECT_LE(PointOf(Records[i]).X - PointOf(Records[i - 1]).X, 8);
  }
}

TEST_F(ScriptMouseTest, ADoubleClickIsOneButTwoClickStepsAreTwoClicks) {
  struct {
    std::string Script;
    std::vector<UINT> Presses;
  } rows[] = {
      {"double-click " + At(50, 50) + "\n", {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}},
      {"click " + At(50, 50) + "\nclick " + At(50, 50) + "\n", {WM_LBUTTONDOWN, WM_LBUTTONDOWN}},
      {"click frmMouse.pnlTarget\nclick frmMouse.pnlTarget\n", {WM_LBUTTONDOWN, WM_LBUTTONDOWN}},
      // Two presses a person makes quickly are a double-click whichever steps made them.
      {"mouse down " + At(5, 5) + "\nmouse up " + At(5, 5) + "\nmouse down " + At(6, 6) + "\nmouse up " + At(6, 6) +
           "\n",
       {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Script);
    Records.clear();
    EXPECT_EQ(Run(row.Script), "");
    std::vector<UINT> presses;
    for (const auto& r : Records)
      if (r.Message == WM_LBUTTONDOWN || r.Message == WM_LBUTTONDBLCLK) presses.push_back(r.Message);
    EXPECT_EQ(presses, row.Presses);
    // Steps apart from each other never pair with the next row's presses.
    ASSERT_EQ(Run("wait 1s\n"), "");
  }
}

TEST_F(ScriptMouseTest, AControlThatCannotBeClickedIsNamedWithTheReason) {
  Panel->SetEnabled(false);
  EXPECT_EQ(Run("click frmMouse.pnlTarget\n"), "t.script:1: frmMouse.pnlTarget is disabled");
  Panel->SetEnabled(true);
  // A form over the panel's middle hides it from the mouse.
  auto* cover = new TForm(Application);
  cover->SetBounds(Origin.X + 50, Origin.Y + 20, 100, 60);
  cover->Show();
  Application->ProcessMessages();
  EXPECT_EQ(Run("click frmMouse.pnlTarget\n").rfind("t.script:1: frmMouse.pnlTarget cannot be clicked: its middle", 0),
            0u)
      << Runner->GetError();
  EXPECT_TRUE(Records.empty());
}

}  // namespace
