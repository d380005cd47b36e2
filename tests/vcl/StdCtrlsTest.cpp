// Standard and bitmap buttons, edits and labels: modal results, the dialog keys Enter and
// Escape, button kinds, typing and label sizes.
#include "platform/vcl/Buttons.h"
#include "support/IdeFixture.h"

namespace {

LPARAM At(int x, int y) { return static_cast<LPARAM>(x | (y << 16)); }

void PostClick(TWinControl* c) {
  PostMessage(c->GetHandle(), WM_LBUTTONDOWN, 1, At(3, 3));
  PostMessage(c->GetHandle(), WM_LBUTTONUP, 0, At(3, 3));
}

// Logs each click with the form's modal result as the click handler sees it, and each
// character an edit receives.
struct TEventLog {
  TCustomForm* Form = nullptr;
  std::vector<std::string> Lines;
  void Clicked(TObject* Sender) {
    Lines.push_back(static_cast<TComponent*>(Sender)->GetName() + " " + std::to_string(Form->GetModalResult()));
  }
  void KeyPressed(TObject*, char& Key) { Lines.push_back("edit gets " + std::to_string(Key)); }
  TNotifyEvent OnClick() { return MethodOf<&TEventLog::Clicked>(this); }
};

class StdCtrlsTest : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    Form = new TForm(Application);
    Log.Form = Form;
  }
  TForm* Form = nullptr;
  TEventLog Log;
};

TEST_F(StdCtrlsTest, AClickSetsTheOutermostFormsModalResultEvenToNoneBeforeOnClick) {
  auto* panel = MakeChild<TWinControl>(Form, "Panel");
  auto* retry = MakeChild<TButton>(panel, "Retry");
  retry->SetModalResult(mrRetry);
  auto* plain = MakeChild<TButton>(panel, "Plain");
  retry->OnClick = plain->OnClick = Log.OnClick();
  Form->Show();

  PostClick(retry);
  Application->ProcessMessages();
  EXPECT_EQ(Form->GetModalResult(), mrRetry);
  PostClick(plain);
  Application->ProcessMessages();
  EXPECT_EQ(Form->GetModalResult(), mrNone) << "a button without a modal result resets the form's";
  EXPECT_EQ(Log.Lines, (std::vector<std::string>{"Retry 4", "Plain 0"}));
}

// Enter clicks the active default (the focused button, else the Default button) and Escape
// the Cancel button, only without Shift, Ctrl or Alt and only when that button can take the
// focus. A key the buttons take never reaches the focused control as a character.
TEST_F(StdCtrlsTest, EnterAndEscapeReachTheDefaultAndCancelButtons) {
  auto* edit = MakeChild<TEdit>(Form, "Edit");
  auto* ok = MakeChild<TButton>(Form, "OK");
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* panel = MakeChild<TWinControl>(Form, "Panel");  // the broadcast reaches into containers
  auto* cancel = MakeChild<TButton>(panel, "Cancel");
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  auto* other = MakeChild<TButton>(Form, "Other");
  for (TButton* b : {ok, cancel, other}) b->OnClick = Log.OnClick();
  edit->OnKeyPress = MethodOf<&TEventLog::KeyPressed>(&Log);
  Form->Show();

  struct Row {
    const char* Name;
    TWinControl* Focus;
    WORD Key;
    bool Shift;
    TButton* Disabled;
    std::vector<std::string> Log;
  } rows[] = {
      {"Enter in the edit", edit, VK_RETURN, false, nullptr, {"OK 1"}},
      {"Escape in the edit", edit, VK_ESCAPE, false, nullptr, {"Cancel 2"}},
      {"Enter on the Cancel button", cancel, VK_RETURN, false, nullptr, {"Cancel 2"}},
      {"Enter on a plain button", other, VK_RETURN, false, nullptr, {"Other 0"}},
      {"Escape on the OK button", ok, VK_ESCAPE, false, nullptr, {"Cancel 2"}},
      {"Shift+Enter", edit, VK_RETURN, true, nullptr, {"edit gets 13"}},
      {"Enter with the default disabled", edit, VK_RETURN, false, ok, {"edit gets 13"}},
      {"Escape with the cancel button disabled", edit, VK_ESCAPE, false, cancel, {"edit gets 27"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    Log.Lines.clear();
    Form->SetModalResult(mrNone);
    if (row.Disabled) row.Disabled->SetEnabled(false);
    row.Focus->SetFocus();
    ASSERT_EQ(GetFocus(), row.Focus->GetHandle());
    if (row.Shift) PostKey(GetFocus(), WM_KEYDOWN, VK_SHIFT);
    TypeKey(GetFocus(), row.Key);
    if (row.Shift) PostKey(GetFocus(), WM_KEYUP, VK_SHIFT);
    Application->ProcessMessages();
    if (row.Disabled) row.Disabled->SetEnabled(true);
    EXPECT_EQ(Log.Lines, row.Log);
  }
}

TEST_F(StdCtrlsTest, ABitBtnKindPresetsCaptionModalResultRolesAndGlyph) {
  struct Row {
    TBitBtnKind Kind;
    const char* Caption;
    TModalResult Result;
    bool Default, Cancel;
    const char* Glyph;
  } rows[] = {
      {bkOK, "OK", mrOk, true, false, "BBOK"},
      {bkCancel, "Cancel", mrCancel, false, true, "BBCANCEL"},
      {bkYes, "&Yes", mrYes, true, false, "BBYES"},
      {bkNo, "&No", mrNo, false, true, "BBNO"},
      {bkHelp, "&Help", mrNone, false, false, "BBHELP"},
      {bkClose, "&Close", mrNone, false, false, "BBCLOSE"},
      {bkAbort, "Abort", mrAbort, false, false, "BBABORT"},
      {bkRetry, "&Retry", mrRetry, false, false, "BBRETRY"},
      {bkIgnore, "&Ignore", mrIgnore, false, false, "BBIGNORE"},
      {bkAll, "&All", mrAll, false, false, "BBALL"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Caption);
    auto* b = MakeChild<TBitBtn>(Form, "");
    b->SetCaption("before");
    b->SetDefault(!row.Default);
    b->SetCancel(!row.Cancel);
    b->SetKind(row.Kind);
    EXPECT_EQ(b->GetKind(), row.Kind);
    EXPECT_EQ(b->GetCaption(), row.Caption);
    EXPECT_EQ(b->GetModalResult(), row.Result);
    EXPECT_EQ(b->GetDefault(), row.Default);
    EXPECT_EQ(b->GetCancel(), row.Cancel);
    auto* stock = new TBitmap();
    stock->LoadFromResourceName(VclModule(), row.Glyph);
    TBitmap* glyph = b->GetGlyph();
    ASSERT_EQ(glyph->GetWidth(), stock->GetWidth());
    ASSERT_EQ(glyph->GetHeight(), stock->GetHeight());
    int differ = 0;
    for (Integer y = 0; y < glyph->GetHeight(); ++y)
      for (Integer x = 0; x < glyph->GetWidth(); ++x)
        differ += glyph->GetCanvas()->GetPixel(x, y) != stock->GetCanvas()->GetPixel(x, y);
    EXPECT_EQ(differ, 0) << "the kind's stock glyph";
    stock->Free();
    EXPECT_EQ(b->GetNumGlyphs(), 2);
  }
}

// A form being read keeps its stored caption; the other presets still apply.
TEST_F(StdCtrlsTest, AKindReadsCustomOnceAPresetChangesAndKeepsAStoredCaptionWhileLoading) {
  struct TLoadingBitBtn : TBitBtn {
    using TBitBtn::TBitBtn;
    using TComponent::SetComponentStateFlag;
  };
  auto* loaded = new TLoadingBitBtn(Form);
  loaded->SetCaption("about");
  loaded->SetComponentStateFlag(csLoading, true);
  loaded->SetKind(bkOK);
  EXPECT_EQ(loaded->GetCaption(), "about");
  EXPECT_EQ(loaded->GetModalResult(), mrOk);

  struct Row {
    const char* Change;
    void (*Apply)(TBitBtn*);
    TBitBtnKind Kind;
  } rows[] = {
      {"caption", [](TBitBtn* b) { b->SetCaption("Fine"); }, bkOK},
      {"two glyph cells again", [](TBitBtn* b) { b->SetNumGlyphs(2); }, bkOK},
      {"not default", [](TBitBtn* b) { b->SetDefault(false); }, bkCustom},
      {"cancel", [](TBitBtn* b) { b->SetCancel(true); }, bkCustom},
      {"modal result", [](TBitBtn* b) { b->SetModalResult(mrYes); }, bkCustom},
      {"glyph",
       [](TBitBtn* b) {
         auto* g = new TBitmap();
         g->SetSize(16, 16);
         b->SetGlyph(g);
         g->Free();
       },
       bkCustom},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Change);
    auto* b = new TBitBtn(Form);
    b->SetKind(bkOK);
    row.Apply(b);
    EXPECT_EQ(b->GetKind(), row.Kind);
  }
}

TEST_F(StdCtrlsTest, ACloseButtonClosesItsFormInsteadOfClicking) {
  auto* close = MakeChild<TBitBtn>(Form, "Close");
  close->SetKind(bkClose);
  close->OnClick = Log.OnClick();
  Form->Show();
  PostClick(close);
  Application->ProcessMessages();
  EXPECT_FALSE(Form->GetVisible());

  int asked = 0;
  SetModalHandler([&](TCustomForm&) {
    if (asked++ == 0) PostClick(close);
  });
  EXPECT_EQ(Form->ShowModal(), mrCancel);
  SetModalHandler(nullptr);
  EXPECT_EQ(asked, 1) << "the click closed the modal form, not the loop's give-up";
  EXPECT_TRUE(Log.Lines.empty());
}

// When a modal dialog closes, the form it came from is active again and its control that
// had the focus takes the keys again.
TEST_F(StdCtrlsTest, TheFocusComesBackToTheFormsControlWhenAModalDialogCloses) {
  auto* edit = MakeChild<TEdit>(Form, "Edit");
  Form->Show();
  edit->SetFocus();
  ASSERT_EQ(GetFocus(), edit->GetHandle());
  auto* dialog = new TForm(nullptr);
  auto* ok = MakeChild<TButton>(dialog, "Ok");
  ok->SetModalResult(mrOk);
  SetModalHandler([&](TCustomForm&) { PostClick(ok); });
  EXPECT_EQ(dialog->ShowModal(), mrOk);
  SetModalHandler(nullptr);
  dialog->Free();
  EXPECT_EQ(GetActiveWindow(), Form->GetHandle());
  EXPECT_EQ(GetFocus(), edit->GetHandle());
  TypeKey(GetFocus(), 'A');
  EXPECT_EQ(edit->GetText(), "a");
}

TEST_F(StdCtrlsTest, TypingEditsTheTextAndEveryChangeFiresOnChange) {
  auto* edit = MakeChild<TEdit>(Form, "Edit");
  int changes = 0;
  struct TCounter {
    int* Count;
    void Changed(TObject*) { ++*Count; }
  } counter{&changes};
  edit->OnChange = MethodOf<&TCounter::Changed>(&counter);
  Form->Show();
  edit->SetFocus();

  for (WORD vk : {WORD('A'), WORD('B'), VK_BACK, WORD('C')}) TypeKey(edit->GetHandle(), vk);
  EXPECT_EQ(edit->GetText(), "ac");
  EXPECT_EQ(changes, 4);

  edit->SetReadOnly(true);
  TypeKey(edit->GetHandle(), 'D');
  TypeKey(edit->GetHandle(), VK_BACK);
  EXPECT_EQ(edit->GetText(), "ac") << "typing into a read-only edit changes nothing";
  edit->SetText("x.wav");
  EXPECT_EQ(edit->GetText(), "x.wav");
  EXPECT_EQ(changes, 5);
  edit->SetText("x.wav");
  EXPECT_EQ(changes, 5) << "the same text is no change";
}

TEST_F(StdCtrlsTest, AnAutoSizedLabelTakesItsCaptionsSizeAndKeepsItsAnchorEdge) {
  auto* label = MakeChild<TLabel>(Form, "Label");
  label->SetBounds(100, 10, 65, 17);
  const TPoint key = EstimateTextExtent(label->GetFont(), "Wave Key");
  label->SetCaption("Wave &Key");
  EXPECT_EQ(label->GetDisplayText(), "Wave Key");
  EXPECT_EQ(label->GetBoundsRect(), Rect(100, 10, 100 + key.X, 10 + key.Y));

  label->SetAlignment(taRightJustify);
  const int right = label->GetBoundsRect().Right;
  label->SetCaption("A && B");
  EXPECT_EQ(label->GetDisplayText(), "A & B");
  EXPECT_EQ(label->GetBoundsRect().Right, right) << "a right-justified label grows to the left";
  EXPECT_EQ(label->GetWidth(), EstimateTextExtent(label->GetFont(), "A & B").X);

  label->GetFont()->SetHeight(-16);
  EXPECT_EQ(label->GetHeight(), EstimateTextExtent(label->GetFont(), "A & B").Y);
  EXPECT_GT(label->GetHeight(), key.Y);

  label->SetAutoSize(false);
  const TRect fixed = label->GetBoundsRect();
  label->SetCaption("a much longer caption than before");
  EXPECT_EQ(label->GetBoundsRect(), fixed);
}

// Pressing the left button on an edit, a button or a check box gives it the focus, as the
// system's own controls take it; a plain windowed control does not.
TEST_F(StdCtrlsTest, APressFocusesTheSystemsControls) {
  auto* edit = MakeChild<TEdit>(Form, "Edit");
  auto* button = MakeChild<TButton>(Form, "Button");
  auto* check = MakeChild<TCheckBox>(Form, "Check");
  auto* panel = MakeChild<TWinControl>(Form, "Panel");
  Form->Show();
  for (TWinControl* c : {static_cast<TWinControl*>(button), static_cast<TWinControl*>(check),
                         static_cast<TWinControl*>(edit)}) {
    SCOPED_TRACE(c->GetName());
    PostMessage(c->GetHandle(), WM_LBUTTONDOWN, 1, At(3, 3));
    Application->ProcessMessages();
    EXPECT_EQ(Form->GetActiveControl(), c);
    PostMessage(c->GetHandle(), WM_LBUTTONUP, 0, At(3, 3));
    Application->ProcessMessages();
  }
  PostClick(panel);
  Application->ProcessMessages();
  EXPECT_EQ(Form->GetActiveControl(), edit);
}

}  // namespace
