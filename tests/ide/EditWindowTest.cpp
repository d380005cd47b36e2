// The IDE's editor windows: how they are put together, and the editor control typed into
// through the real message loop.
#include "support/IdeFixture.h"
#include "platform/vcl/TypInfo.h"

namespace {

using EditWindowTest = TIdeFixture;

int CountOfClass(TComponent* owner, const char* className) {
  int n = 0;
  for (Integer i = 0; i < owner->GetComponentCount(); ++i) n += SameText(owner->GetComponent(i)->ClassName(), className);
  return n;
}

TEST_F(EditWindowTest, WindowsCanBeBuiltWithPartsMissingDoubledOrOddlyNamed) {
  struct {
    const char* Name;
    TEditWindowLayout Layout;
    int Editors, Tabs, StatusBars, MessageViews;
  } rows[] = {
      {"complete", {}, 1, 1, 1, 1},
      {"no status bar", {.StatusBar = false}, 1, 1, 0, 1},
      {"no tab control", {.TabControl = false}, 1, 0, 1, 1},
      {"no editor control", {.EditControls = 0}, 0, 1, 1, 1},
      {"two editor controls", {.EditControls = 2}, 2, 1, 1, 1},
      {"local menu named in other letter case", {.LocalMenuName = "editorLOCALmenu"}, 1, 1, 1, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    TEditWindow* w = CreateEditWindow(Application, row.Layout);
    EXPECT_EQ(w->ClassName(), "TEditWindow");
    EXPECT_EQ(CountOfClass(w, "TEditControl"), row.Editors);
    EXPECT_EQ(CountOfClass(w, "TXTabControl"), row.Tabs);
    EXPECT_EQ(CountOfClass(w, "TStatusbar"), row.StatusBars);
    EXPECT_EQ(CountOfClass(w, "TMessageViewForm"), row.MessageViews);
    for (const String& menu : {row.Layout.LocalMenuName, row.Layout.MsgViewMenuName}) {
      auto* popup = As<TPopupMenu>(w->FindComponent(menu));
      ASSERT_NE(popup, nullptr) << menu;
      EXPECT_EQ(popup->GetName(), menu);
    }
    // The editor the window hands out is the last one in component order.
    TEditControl* last = nullptr;
    for (Integer i = 0; i < w->GetComponentCount(); ++i)
      if (auto* e = As<TEditControl>(w->GetComponent(i))) last = e;
    EXPECT_EQ(w->GetEditControl(), last);
    w->Free();
  }
}

TEST_F(EditWindowTest, AShownEditorWindowIsATopLevelWindowOfItsClassHoldingTheEditor) {
  TEditWindow* older = CreateEditWindow(Application);
  older->Show();
  TEditWindow* w = CreateEditWindow(Application);
  w->Show();
  EXPECT_EQ(FindWindow("teditwindow", nullptr), w->GetHandle()) << "the most recently shown is on top";
  TEditControl* e = w->GetEditControl();
  ASSERT_TRUE(e->HandleAllocated());
  EXPECT_EQ(GetWindowClassName(e->GetHandle()), "TEditControl");
  EXPECT_EQ(GetParent(e->GetHandle()), w->GetHandle());
  EXPECT_EQ(Screen->GetActiveForm(), w);
  EXPECT_EQ(w->GetActiveControl(), e);
}

class EditorTyping : public TIdeFixture {
 protected:
  void SetUp() override {
    TIdeFixture::SetUp();
    TEditWindow* w = CreateEditWindow(Application);
    w->Show();
    editor = w->GetEditControl();
    Application->ProcessMessages();
  }

  // Types a script: letters and spaces as keys (capitals with Shift held), <Name> for the
  // named keys. Each key goes through the queue and the message loop.
  void Type(const std::string& script) {
    static const std::pair<const char*, WORD> named[] = {
        {"Enter", VK_RETURN}, {"Back", VK_BACK}, {"Del", VK_DELETE}, {"Left", VK_LEFT}, {"Right", VK_RIGHT},
        {"Up", VK_UP},        {"Down", VK_DOWN}, {"Home", VK_HOME},  {"End", VK_END},     {"Tab", VK_TAB}};
    HWND h = editor->GetHandle();
    for (size_t i = 0; i < script.size(); ++i) {
      char c = script[i];
      if (c == '<') {
        size_t close = script.find('>', i);
        std::string name = script.substr(i + 1, close - i - 1);
        i = close;
        WORD vk = 0;
        for (const auto& [n, code] : named)
          if (name == n) vk = code;
        ASSERT_NE(vk, 0) << "unknown key " << name;
        TypeKey(h, vk);
      } else if (c >= 'A' && c <= 'Z') {
        PostKey(h, WM_KEYDOWN, VK_SHIFT);
        TypeKey(h, static_cast<WORD>(c));
        PostKey(h, WM_KEYUP, VK_SHIFT);
        Application->ProcessMessages();
      } else {
        TypeKey(h, c == ' ' ? VK_SPACE : static_cast<WORD>(c - 'a' + 'A'));
      }
    }
  }

  // A published integer of the editor, looked up by name as the framework does.
  Int64 Figure(const char* name) {
    PPropInfo info = GetPropInfo(editor, name);
    EXPECT_NE(info, nullptr) << name;
    return info ? GetOrdProp(editor, info) : -1;
  }

  TEditControl* editor = nullptr;
};

TEST_F(EditorTyping, KeysEditTheTextAndMoveTheCaret) {
  struct {
    const char* Script;
    const char* Text;
    Integer CaretX, CaretY;
  } rows[] = {
      {"Hi there", "Hi there", 9, 1},
      {"ab<Enter>", "ab\r\n", 1, 2},
      {"abcd<Left><Left><Enter>", "ab\r\ncd", 1, 2},          // Enter splits the line at the caret
      {"ab<Enter>cd<Home><Back>", "abcd", 3, 1},              // Backspace at a line start joins
      {"ab<Enter>cd<Up><End><Del>", "abcd", 3, 1},            // Delete at a line end joins
      {"abc<Left><Back>", "ac", 2, 1},
      {"<Back><Del><End>", "", 1, 1},                         // nothing to delete: nothing changes
      {"<Tab>x<Left><Left>", "\tx", 1, 1},                    // over a tab a step is a tab stop
      {"a<Tab>b<Home><Right><Right>", "a\tb", 9, 1},
      {"ab<Tab><Left><Back>", "a\t", 2, 1},                   // Left from after a tab to its start
      {"ab<Right><Right><Back>", "ab", 4, 1},                  // past the end Backspace only steps back
      {"ab<Right><Right>c", "abc", 4, 1},                      // typing past the end types at the end
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Script);
    editor->SetText("");
    Type(row.Script);
    EXPECT_EQ(editor->GetText(), row.Text);
    EXPECT_EQ(editor->GetCaretX(), row.CaretX);
    EXPECT_EQ(Figure("CaretY"), row.CaretY);
    TPoint caret;
    GetCaretPos(&caret);
    EXPECT_EQ(caret, Point((row.CaretX - 1) * TEditControl::CharWidth, (row.CaretY - 1) * TEditControl::LineHeight));
  }
}

TEST_F(EditorTyping, LineFiguresFollowTheCaretAndScrolling) {
  const Int64 inWindow = Figure("LinesInWindow");
  ASSERT_EQ(inWindow, editor->GetClientHeight() / TEditControl::LineHeight) << "whole lines of the client area";
  for (int i = 0; i < 30; ++i) Type("<Enter>");
  EXPECT_EQ(Figure("lineCount"), 31);
  EXPECT_EQ(Figure("CARETY"), 31);
  EXPECT_EQ(Figure("TopLine"), 31 - inWindow + 1) << "the caret's line is the last one in the window";
  TPoint caret;
  GetCaretPos(&caret);
  EXPECT_EQ(caret.Y, (inWindow - 1) * TEditControl::LineHeight);

  for (int i = 0; i < 30; ++i) Type("<Up>");
  EXPECT_EQ(Figure("CaretY"), 1);
  EXPECT_EQ(Figure("TopLine"), 1);
  EXPECT_EQ(Figure("LinesInWindow"), inWindow);
}

// The window system has one caret, the focused editor's: it stands where that editor's
// cursor is, in the editor's client pixels, and follows the view as it scrolls.
TEST_F(EditorTyping, TheSystemCaretIsTheFocusedEditorsCursor) {
  auto caretAt = [] {
    TPoint p{-1, -1};
    GetCaretPos(&p);
    return p;
  };
  const Integer w = TEditControl::CharWidth, h = TEditControl::LineHeight;
  editor->SetText("\tx\r\n" + String(200, 'y'));
  editor->SetCaretY(1);
  editor->SetCaretX(10);  // after the tab and the x
  EXPECT_EQ(caretAt(), Point(9 * w, 0));

  editor->SetCaretY(2);
  editor->SetCaretX(201);  // far right: the view scrolls to keep the cursor in it
  EXPECT_EQ(editor->GetLeftCol(), 201 - editor->GetColsInWindow() + 1);
  EXPECT_EQ(caretAt(), Point((editor->GetColsInWindow() - 1) * w, h));
  editor->SetLeftCol(1);
  EXPECT_EQ(caretAt(), Point(200 * w, h)) << "scrolling the view moves the caret with the text";

  // Another editor moving its cursor leaves the caret alone until it gets the focus.
  TEditWindow* other = CreateEditWindow(Application);
  other->Show();
  TEditControl* second = other->GetEditControl();
  Application->ProcessMessages();
  ASSERT_EQ(GetFocus(), second->GetHandle());
  EXPECT_EQ(caretAt(), Point(0, 0));
  editor->SetCaretX(3);
  EXPECT_EQ(caretAt(), Point(0, 0));
  editor->GetParent()->SetFocus();
  Application->ProcessMessages();
  ASSERT_EQ(GetFocus(), editor->GetHandle());
  EXPECT_EQ(caretAt(), Point(2 * w, h));
}

}  // namespace
