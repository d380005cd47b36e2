// The package's controls: bitmap buttons closing a modal form, the file-name box and its
// dialog, the hot link and its opener, the scrolling label.
#include <cstdlib>
#include <optional>

#include "platform/vellumkit/ZKBitBtn.h"
#include "platform/vellumkit/ZKFilenameBox.h"
#include "platform/vellumkit/ZKHotLink.h"
#include "platform/vellumkit/ZKScrollingLabel.h"
#include "support/IdeFixture.h"

namespace {

LPARAM At(int x, int y) { return static_cast<LPARAM>(x | (y << 16)); }

void PostClick(TWinControl* c) {
  PostMessage(c->GetHandle(), WM_LBUTTONDOWN, 1, At(3, 3));
  PostMessage(c->GetHandle(), WM_LBUTTONUP, 0, At(3, 3));
}

struct TClickLog {
  std::vector<std::string> Names;
  void Clicked(TObject* Sender) { Names.push_back(static_cast<TComponent*>(Sender)->GetName()); }
  TNotifyEvent Handler() { return MethodOf<&TClickLog::Clicked>(this); }
};

class ZKControlsTest : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    Form = new TForm(Application);
  }
  void TearDown() override {
    SetModalHandler(nullptr);
    SetOpenDialogAnswerer(nullptr);
    SetHotLinkOpener(nullptr);
    TIdeFixture::TearDown();
  }
  TForm* Form = nullptr;
  TClickLog Clicks;
};

// A dialog like the configuration box: an edit with the focus, OK and (unless left out, as
// in the About box) Cancel. The modal handler plays one user action per idle turn.
TEST_F(ZKControlsTest, KindOKAndCancelButtonsCloseTheirModalFormByMouseAndByKey) {
  enum TAction { Click_OK, Click_Cancel, Enter, Escape };
  struct Row {
    const char* Name;
    bool WithCancel;
    std::vector<TAction> Actions;
    TModalResult Result;
    std::vector<std::string> Clicked;
  } rows[] = {
      {"click OK", true, {Click_OK}, mrOk, {"zkbtnOk"}},
      {"click Cancel", true, {Click_Cancel}, mrCancel, {"zkbtnCancel"}},
      {"Enter", true, {Enter}, mrOk, {"zkbtnOk"}},
      {"Escape", true, {Escape}, mrCancel, {"zkbtnCancel"}},
      {"Escape without a Cancel button does nothing", false, {Escape, Click_OK}, mrOk, {"zkbtnOk"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    auto* form = new TForm(Application);
    auto* edit = MakeChild<TEdit>(form, "edit");
    auto* ok = MakeChild<TZKBitBtn>(form, "zkbtnOk");
    ok->SetKind(bkOK);
    ok->OnClick = Clicks.Handler();
    TZKBitBtn* cancel = nullptr;
    if (row.WithCancel) {
      cancel = MakeChild<TZKBitBtn>(form, "zkbtnCancel");
      cancel->SetKind(bkCancel);
      cancel->OnClick = Clicks.Handler();
    }
    form->SetActiveControl(edit);
    Clicks.Names.clear();
    size_t turn = 0;
    SetModalHandler([&](TCustomForm&) {
      if (turn == row.Actions.size()) return;
      switch (row.Actions[turn++]) {
        case Click_OK: PostClick(ok); break;
        case Click_Cancel: PostClick(cancel); break;
        case Enter: TypeKey(GetFocus(), VK_RETURN); break;
        case Escape: TypeKey(GetFocus(), VK_ESCAPE); break;
      }
    });
    EXPECT_EQ(form->ShowModal(), row.Result);
    EXPECT_EQ(turn, row.Actions.size()) << "the form stayed open until the last action";
    EXPECT_EQ(Clicks.Names, row.Clicked);
    EXPECT_FALSE(form->GetVisible());
    form->Free();
  }
}

class FilenameBoxTest : public ZKControlsTest {
 protected:
  void SetUp() override {
    ZKControlsTest::SetUp();
    Box = MakeChild<TZKFilenameBox>(Form, "zkflnboxWaveKey");
    Box->SetBounds(136, 48, 209, 20);
    Box->SetFilename("keys/old.wav");
    Box->SetDefault("wav");
    Box->SetFilter("*.wav");
    Box->SetDialogOptions({ofHideReadOnly, ofPathMustExist, ofEnableSizing});
    Form->Show();
  }
  // Answers the next dialog with `choice` (nullopt: Cancel) and keeps what it was asked.
  void Answer(std::optional<String> choice) {
    SetOpenDialogAnswerer([this, choice](TOpenDialogRequest& r) {
      Asked.push_back(r);
      if (!choice) return false;
      r.FileName = *choice;
      return true;
    });
  }
  void ClickBrowse() {
    PostClick(Box->GetButton());
    Application->ProcessMessages();
  }
  TZKFilenameBox* Box = nullptr;
  std::vector<TOpenDialogRequest> Asked;
};

TEST_F(FilenameBoxTest, BrowsingPutsTheChosenNameInTheEditAndCancellingLeavesIt) {
  EXPECT_EQ(Box->GetEdit()->GetBoundsRect(), Rect(0, 0, 189, 20));
  EXPECT_EQ(Box->GetButton()->GetBoundsRect(), Rect(189, 0, 209, 20));

  Answer("/tmp/new");
  ClickBrowse();
  EXPECT_EQ(Box->GetFilename(), "/tmp/new.wav") << "the dialog adds the default extension";
  ASSERT_EQ(Asked.size(), 1u);
  EXPECT_EQ(Asked[0].FileName, "keys/old.wav");
  EXPECT_EQ(Asked[0].InitialDir, "keys/");
  EXPECT_EQ(Asked[0].Filter, "*.wav|*.wav");
  EXPECT_EQ(Asked[0].DefaultExt, "wav");
  EXPECT_EQ(Asked[0].Options, (TOpenOptions{ofHideReadOnly, ofPathMustExist, ofEnableSizing}));

  Answer(std::nullopt);
  ClickBrowse();
  EXPECT_EQ(Asked.size(), 2u);
  EXPECT_EQ(Box->GetFilename(), "/tmp/new.wav");
  EXPECT_EQ(Form->GetModalResult(), mrNone);
}

TEST_F(FilenameBoxTest, FilterAndDefaultExtensionBecomeTheDialogsSettings) {
  struct Row {
    const char* Filter;
    const char* Default;
    const char* DialogFilter;
    const char* DialogExt;
  } rows[] = {
      {"*.wav", "wav", "*.wav|*.wav", "wav"},
      {"Wave files (*.wav)|*.wav|All files|*.*", ".wav", "Wave files (*.wav)|*.wav|All files|*.*", "wav"},
      {"", "", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Filter);
    Box->SetFilter(row.Filter);
    Box->SetDefault(row.Default);
    Asked.clear();
    Answer(std::nullopt);
    ClickBrowse();
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0].Filter, row.DialogFilter);
    EXPECT_EQ(Asked[0].DefaultExt, row.DialogExt);
  }
}

TEST_F(FilenameBoxTest, AReadonlyBoxTakesNoTypingButStillBrowses) {
  Box->GetEdit()->SetFocus();
  TypeKey(GetFocus(), 'X');
  EXPECT_EQ(Box->GetFilename(), "keys/old.wavx");

  Box->SetReadonly(true);
  TypeKey(GetFocus(), VK_BACK);
  EXPECT_EQ(Box->GetFilename(), "keys/old.wavx");
  Answer("/tmp/picked.wav");
  ClickBrowse();
  EXPECT_EQ(Box->GetFilename(), "/tmp/picked.wav");
}

class HotLinkTest : public ZKControlsTest {
 protected:
  void SetUp() override {
    ZKControlsTest::SetUp();
    Link = new TZKHotLink(Form);
    Link->SetName("zkhotlnkWebPage");
    Link->SetParent(Form);
    Link->SetBounds(64, 80, 233, 13);
    Link->OnClick = Clicks.Handler();
    SetHotLinkOpener([this](const String& url) {
      Clicks.Names.push_back("open " + url);
      return true;
    });
  }
  // The mouse messages the form hands to the graphic control under the mouse.
  void ClickLink() {
    Link->Perform(WM_LBUTTONDOWN, 1, At(5, 5));
    Link->Perform(WM_LBUTTONUP, 0, At(5, 5));
  }
  TZKHotLink* Link = nullptr;
};

TEST_F(HotLinkTest, AClickFiresOnClickThenOpensTheUrl) {
  Link->Url = "http://www.example.com/brisk";
  ClickLink();
  EXPECT_EQ(Clicks.Names, (std::vector<std::string>{"zkhotlnkWebPage", "open http://www.example.com/brisk"}));
  EXPECT_EQ(Link->GetCursor(), crHandPoint);
}

TEST_F(HotLinkTest, ATargetWithControlCharactersOrALeadingDashIsNeverOpened) {
  struct Row {
    const char* Url;
    bool Opens;
  } rows[] = {
      {"mailto:author@example.com", true},
      {"http://example.com/a b?x=-1", true},
      {"http://example.com/\nrm -rf ~", false},
      {"http://example.com/\r", false},
      {"\x1b[2Jhttp://example.com", false},
      {"http://example.com/\x7f", false},
      {"--help", false},
      {"", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Url);
    Clicks.Names.clear();
    Link->Url = row.Url;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Link->Open(), row.Opens);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(Clicks.Names.size(), row.Opens ? 1u : 0u) << "the opener is asked only for a sound target";
  }
}

TEST_F(HotLinkTest, TheCaptionTakesColorOnEnterWhileTheMouseIsOver) {
  Link->GetFont()->SetColor(clBlack);
  Link->SetColorOnEnter(clRed);
  Link->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(Link->GetFont()->GetColor(), clRed);
  Link->Perform(CM_MOUSEENTER, 0, 0);
  Link->SetColorOnEnter(clBlue);
  EXPECT_EQ(Link->GetFont()->GetColor(), clBlue) << "a new colour shows at once while inside";
  Link->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Link->GetFont()->GetColor(), clBlack) << "a second enter must not save the highlight";
  Link->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Link->GetFont()->GetColor(), clBlack);
}

// Without a desktop the default opener only says what it would open.
TEST_F(HotLinkTest, WithoutAnOpenerOrADesktopTheTargetIsPrinted) {
  SetHotLinkOpener(nullptr);
  struct TSavedEnv {
    const char* Name;
    std::optional<std::string> Value;
  } saved[] = {{"DISPLAY", {}}, {"WAYLAND_DISPLAY", {}}};
  for (TSavedEnv& s : saved) {
    if (const char* v = std::getenv(s.Name)) s.Value = v;
    unsetenv(s.Name);
  }
  Link->Url = "http://www.example.com/";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Link->Open());
  std::string printed = testing::internal::GetCapturedStderr();
  for (const TSavedEnv& s : saved)
    if (s.Value) setenv(s.Name, s.Value->c_str(), 1);
  EXPECT_EQ(printed, "open http://www.example.com/\n");
}

TEST_F(ZKControlsTest, TheScrollingTextStepsOneCharacterPerTickAndWraps) {
  auto* label = new TZKScrollingLabel(Form);
  label->SetParent(Form);
  label->FSetScrollText("abc");  // loops as "abc   "
  struct Row {
    TScrollDirection Direction;
    int Ticks;
    Integer Offset;
    const char* Visible;
  } rows[] = {
      {sdRightToLeft, 0, 0, "abc   "}, {sdRightToLeft, 1, 1, "bc   a"}, {sdRightToLeft, 5, 5, " abc  "},
      {sdRightToLeft, 6, 0, "abc   "}, {sdRightToLeft, 8, 2, "c   ab"}, {sdLeftToRight, 1, 5, " abc  "},
      {sdLeftToRight, 3, 3, "   abc"}, {sdLeftToRight, 6, 0, "abc   "}, {sdLeftToRight, 7, 5, " abc  "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << int(row.Direction) << " after " << row.Ticks);
    label->FSetScrollText("abc");
    EXPECT_EQ(label->GetScrollOffset(), 0) << "new text starts from the beginning";
    label->SetScrollDirection(row.Direction);
    for (int i = 0; i < row.Ticks; ++i) label->Tick();
    EXPECT_EQ(label->GetScrollOffset(), row.Offset);
    EXPECT_EQ(label->GetVisibleText(), row.Visible);
  }

  label->SetScrollDirection(sdRightToLeft);
  label->Tick();
  EXPECT_EQ(label->GetVisibleText(), "abc   ") << "turning back continues from where it was";
  label->FSetScrollText("");
  label->Tick();
  EXPECT_EQ(label->GetScrollOffset(), 0);
  EXPECT_EQ(label->GetVisibleText(), "");
}

// On a shown form the label steps by itself on its window timer, one step however many
// periods a busy thread missed; hidden or without text it stops, and freed it leaves no timer.
TEST_F(ZKControlsTest, TheScrollingLabelStepsByItselfOnTheClock) {
  Form->Show();
  const int windows = GetWindowCount();
  auto* label = new TZKScrollingLabel(Form);
  const DWORD start = GetTickCount();
  label->FSetScrollText("abc");
  EXPECT_FALSE(label->GetScrolling()) << "not yet on a form";
  label->SetParent(Form);
  EXPECT_TRUE(label->GetScrolling());
  struct Row {
    DWORD After;
    Integer Offset;
  } rows[] = {{149, 0}, {150, 1}, {299, 1}, {300, 2}, {800, 3}, {899, 3}, {900, 4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.After);
    SetMessageTime(start + row.After);
    Application->ProcessMessages();
    EXPECT_EQ(label->GetScrollOffset(), row.Offset);
  }
  label->SetVisible(false);
  EXPECT_FALSE(label->GetScrolling());
  SetMessageTime(start + 2000);
  Application->ProcessMessages();
  EXPECT_EQ(label->GetScrollOffset(), 4);
  label->SetVisible(true);
  label->FSetScrollText("");
  EXPECT_FALSE(label->GetScrolling()) << "nothing to scroll";
  label->FSetScrollText("abc");
  EXPECT_TRUE(label->GetScrolling());
  label->Free();
  EXPECT_EQ(GetWindowCount(), windows) << "the timer's window went with it";
  SetMessageTime(start + 5000);
  Application->ProcessMessages();  // and with the window its timer: nothing fires on freed memory
}

TEST_F(ZKControlsTest, AnAutosizedScrollingLabelTakesItsFontsHeightOnly) {
  auto* label = new TZKScrollingLabel(Form);
  label->SetParent(Form);
  label->SetAutosize(false);
  label->SetBounds(13, 112, 292, 40);
  label->GetFont()->SetHeight(-16);
  EXPECT_EQ(label->GetBoundsRect(), Rect(13, 112, 305, 152));
  label->SetAutosize(true);
  EXPECT_EQ(label->GetBoundsRect(), Rect(13, 112, 305, 112 + EstimateTextExtent(label->GetFont(), "x").Y));
}

}  // namespace
