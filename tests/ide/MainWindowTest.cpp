// The IDE as a person uses it: the main window's File, Edit and Help menus, files in tabs of
// the editor window, and the status bar.
#include "IDEHostFixture.h"
#include "platform/vcl/Dialogs.h"
#include "platform/win/Surface.h"
#include "support/InputScript.h"

namespace {

class MainWindowTest : public TIDEHostFixture {
 protected:
  void SetUp() override {
    TIDEHostFixture::SetUp();
    FSavedAnswerer = SetOpenDialogAnswerer([this](TOpenDialogRequest& r) {
      Asked.push_back(r);
      if (Answers.empty()) return false;
      r.FileName = Answers.front();
      Answers.erase(Answers.begin());
      return true;
    });
    FSavedBoxes = SetMessageBoxAnswerer([this](const TMessageBoxRequest& box) {
      Boxes.push_back(box.Text);
      return IDOK;
    });
    Application->ProcessMessages();
  }
  void TearDown() override {
    SetOpenDialogAnswerer(FSavedAnswerer);
    SetMessageBoxAnswerer(FSavedBoxes);
    TIDEHostFixture::TearDown();
  }

  TAppBuilder* Main() const { return IDE->GetMainWindow(); }
  TMenuItem* Item(const char* name) const { return Main()->GetMainMenu()->GetItems()->FindByName(name); }
  TEditWindow* Editor() const { return Project()->GetEditWindow(); }
  TStatusbar* StatusBar() const {
    for (Integer i = 0; i < Editor()->GetComponentCount(); ++i)
      if (auto* bar = As<TStatusbar>(Editor()->GetComponent(i))) return bar;
    return nullptr;
  }
  HWND EditorHandle() const { return Editor()->GetEditControl()->GetHandle(); }
  // Alt and the letters, as a person chooses a menu item from the keyboard.
  static void ChooseByKeys(BYTE menu, BYTE item) {
    PressChord(VK_MENU, menu);
    PressKey(item);
    Application->ProcessMessages();
  }
  static void Type(HWND target, const char* text) {
    for (const char* c = text; *c; ++c) {
      PostMessage(target, WM_CHAR, static_cast<WPARAM>(*c), 1);
      Application->ProcessMessages();
    }
  }

  std::vector<TOpenDialogRequest> Asked;
  std::vector<String> Answers;
  std::vector<String> Boxes;

 private:
  TOpenDialogAnswerer FSavedAnswerer;
  TMessageBoxAnswerer FSavedBoxes;
};

// The menus stay where the framework and the package look for them.
TEST_F(MainWindowTest, TheMainMenuHasTheIdesMenusUnderTheirNames) {
  TMenuItem* root = Main()->GetMainMenu()->GetItems();
  std::vector<String> captions;
  for (Integer i = 0; i < root->GetCount(); ++i) captions.push_back(root->GetItem(i)->GetCaption());
  EXPECT_EQ(captions, (std::vector<String>{"&File", "&Edit", "&View", "&Component", "&Tools", "&Help"}));
  EXPECT_EQ(Main()->GetToolsMenu(), Item("ToolsMenu"));
  for (const char* name : {"FileOpenItem", "FileSaveItem", "FileExitItem", "EditUndoItem", "ViewNewEditWindowItem",
                           "ComponentInstallPackagesItem", "HelpAboutItem"})
    EXPECT_NE(Item(name), nullptr) << name;
  EXPECT_EQ(::GetMenu(Main()->GetHandle()), Main()->GetMainMenu()->GetHandle()) << "the window shows it as its bar";
}

// File | Open... through the dialog: each file gets a tab; clicking a tab and Ctrl+Tab show
// another file, each keeping its own text, cursor, undo and modified state.
TEST_F(MainWindowTest, FilesOpenInTabsThatKeepTheirOwnBuffers) {
  const String a = WriteFile("A.pas", "unit A;\r\n");
  const String b = WriteFile("B.pas", "unit B;\r\nend.\r\n");
  Answers = {a, b};
  ChooseByKeys('F', 'O');
  ASSERT_EQ(Asked.size(), 1u);
  EXPECT_EQ(Asked[0].Title, "Open");
  EXPECT_TRUE(Asked[0].Options.Contains(ofFileMustExist));
  ChooseByKeys('F', 'O');
  ASSERT_EQ(Project()->GetModuleCount(), 2);
  TIDEModule* ma = Project()->FindModule(a);
  TIDEModule* mb = Project()->FindModule(b);
  ASSERT_TRUE(ma && mb);
  EXPECT_EQ(Asked[1].InitialDir, ExtractFilePath(a)) << "the dialog starts in the current file's folder";
  TXTabControl* tabs = Editor()->GetTabControl();
  EXPECT_EQ(tabs->GetTabCount(), 2);
  EXPECT_EQ(tabs->GetTab(1), "B.pas");
  EXPECT_EQ(Project()->GetCurrentModule(), mb);
  EXPECT_EQ(Editor()->GetCaption(), "B.pas");

  // Type in B: line 2, "x" before "end.".
  PressKey(VK_DOWN);
  Application->ProcessMessages();
  Type(EditorHandle(), "x");
  EXPECT_EQ(mb->GetText(), "unit B;\r\nxend.\r\n");
  EXPECT_EQ(StatusBar()->GetPanelText(0), "2: 2");
  EXPECT_EQ(StatusBar()->GetPanelText(1), "Modified");
  // The bar is painted again as the cursor moves.
  ValidateRect(StatusBar()->GetHandle(), nullptr);
  SendMessage(EditorHandle(), WM_KEYDOWN, VK_LEFT, MakeKeyData(WM_KEYDOWN, VK_LEFT));
  TRect dirty;
  EXPECT_TRUE(GetUpdateRect(StatusBar()->GetHandle(), &dirty, FALSE));
  EXPECT_EQ(StatusBar()->GetPanelText(0), "2: 1");
  PressKey(VK_RIGHT);
  Application->ProcessMessages();

  // A click on A's tab shows A, unmodified, its cursor at the top.
  const TRect tabA = tabs->GetTabRect(0);
  TPoint p = CenterOf(tabA);
  ClientToScreen(tabs->GetHandle(), &p);
  ClickAt(p);
  Application->ProcessMessages();
  EXPECT_EQ(Project()->GetCurrentModule(), ma);
  EXPECT_EQ(Editor()->GetEditControl()->GetBuffer(), ma->GetBuffer());
  EXPECT_EQ(Editor()->GetCaption(), "A.pas");
  EXPECT_EQ(StatusBar()->GetPanelText(0), "1: 1");
  EXPECT_EQ(StatusBar()->GetPanelText(1), "");
  EXPECT_EQ(mb->GetEditControl(), nullptr) << "B has no view while its tab is behind";
  Type(EditorHandle(), "A");
  EXPECT_EQ(ma->GetText(), "Aunit A;\r\n");

  // Ctrl+Tab back to B: its cursor where it was left; Undo takes back B's step, not A's.
  PressChord(VK_CONTROL, VK_TAB);
  Application->ProcessMessages();
  EXPECT_EQ(Project()->GetCurrentModule(), mb);
  EXPECT_EQ(StatusBar()->GetPanelText(0), "2: 2");
  EXPECT_EQ(mb->GetText(), "unit B;\r\nxend.\r\n") << "Ctrl+Tab typed nothing";
  PressChord(VK_CONTROL, 'Z');
  Application->ProcessMessages();
  EXPECT_EQ(mb->GetText(), "unit B;\r\nend.\r\n");
  EXPECT_EQ(ma->GetText(), "Aunit A;\r\n");
  EXPECT_EQ(StatusBar()->GetPanelText(0), "2: 1");

  // Closing the shown file shows its neighbour; closing the last closes the window.
  Project()->CloseFile(b);
  EXPECT_EQ(Project()->GetCurrentModule(), ma);
  EXPECT_EQ(tabs->GetTabCount(), 1);
  Project()->CloseFile(a);
  EXPECT_EQ(Project()->GetEditWindow(), nullptr);
}

// A tool's undoable edit to a file whose tab is behind lands in that file, and its cursor
// follows the text as the shown one would.
TEST_F(MainWindowTest, AnEditToAFileBehindItsTabKeepsItsCursorInItsText) {
  TIDEModule* a = Project()->OpenBuffer("A.pas", "one\r\ntwo\r\n");
  a->GetEditControl()->SetCaretY(2);
  a->GetEditControl()->SetCaretX(2);
  TIDEModule* b = Project()->OpenBuffer("B.pas", "b");
  ASSERT_EQ(Project()->GetCurrentModule(), b);
  EXPECT_TRUE(a->ApplyEdits({{0, 0, "zero\r\n"}}));
  EXPECT_EQ(a->GetPlace().CaretY, 3);
  EXPECT_EQ(a->GetPlace().CaretX, 2);
  EXPECT_TRUE(a->Undo());
  EXPECT_EQ(a->GetText(), "one\r\ntwo\r\n");
  a->ShowSource();
  EXPECT_EQ(Editor()->GetEditControl()->GetCaretY(), 2);
  EXPECT_EQ(b->GetText(), "b");
}

// File | Save writes the current file byte for byte and clears "Modified"; a file that
// cannot be written is reported with the system's reason and stays modified.
TEST_F(MainWindowTest, SaveWritesTheCurrentFileOrSaysWhyItCannot) {
  const String path = WriteFile("S.pas", "unit S;\n");
  TIDEModule* m = Project()->OpenFile(path);
  ASSERT_NE(m, nullptr);
  Type(EditorHandle(), "{x}");
  EXPECT_EQ(StatusBar()->GetPanelText(1), "Modified");
  PressChord(VK_CONTROL, 'S');
  Application->ProcessMessages();
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(String(std::istreambuf_iterator<char>(in), {}), "{x}unit S;\n");
  EXPECT_EQ(StatusBar()->GetPanelText(1), "");
  EXPECT_TRUE(Boxes.empty());

  Type(EditorHandle(), "y");
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);  // a folder where the file was: not writable
  Item("FileSaveItem")->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].find(path), String::npos);
  EXPECT_NE(Boxes[0].find("Is a directory"), String::npos) << Boxes[0];
  EXPECT_EQ(StatusBar()->GetPanelText(1), "Modified");
}

// View | New Edit Window: a second window on the current file, beside the first and in front,
// showing the same text; an edit in either is painted in both; closing it keeps the file, and
// closing the file closes it. Without a file it opens nothing.
TEST_F(MainWindowTest, NewEditWindowShowsTheCurrentFileBesideTheFirst) {
  ChooseByKeys('V', 'E');
  EXPECT_EQ(Project()->GetViewCount(), 0) << "no file, no window";

  TIDEModule* m = Project()->OpenBuffer("A.pas", "one\r\ntwo\r\n");
  m->GetEditControl()->SetCaretY(2);
  ChooseByKeys('V', 'E');
  ASSERT_EQ(Project()->GetViewCount(), 1);
  TEditWindow* view = Project()->GetView(0);
  EXPECT_EQ(view->GetCaption(), "A.pas");
  EXPECT_EQ(view->GetTabControl()->GetTab(0), "A.pas");
  EXPECT_TRUE(view->GetVisible());
  EXPECT_EQ(Screen->GetActiveForm(), view);
  EXPECT_EQ(view->GetEditControl()->GetBuffer(), m->GetBuffer());
  EXPECT_EQ(view->GetEditControl()->GetCaretY(), 2) << "it opens where the file's cursor is";
  // Both can be seen: the new one beside the first, narrowed to the screen's room.
  EXPECT_EQ(view->GetLeft(), Editor()->GetLeft() + Editor()->GetWidth());
  EXPECT_EQ(view->GetLeft() + view->GetWidth(), Screen->GetWidth());
  EXPECT_EQ(view->GetTop(), Editor()->GetTop());

  // Sent, not posted: the pump would paint it before the check.
  ValidateRect(EditorHandle(), nullptr);
  SendMessage(view->GetEditControl()->GetHandle(), WM_CHAR, 'x', 1);
  EXPECT_EQ(m->GetText(), "one\r\nxtwo\r\n");
  TRect dirty;
  EXPECT_TRUE(GetUpdateRect(EditorHandle(), &dirty, FALSE)) << "the first window paints the edit too";
  ValidateRect(view->GetEditControl()->GetHandle(), nullptr);
  EXPECT_TRUE(m->Undo());
  EXPECT_TRUE(GetUpdateRect(view->GetEditControl()->GetHandle(), &dirty, FALSE)) << "and the second the undo";

  view->Close();
  Application->ProcessMessages();
  EXPECT_EQ(Project()->GetViewCount(), 0);
  EXPECT_EQ(Project()->GetModuleCount(), 1) << "the file stays open";

  ChooseByKeys('V', 'E');
  ChooseByKeys('V', 'E');
  ASSERT_EQ(Project()->GetViewCount(), 2);
  EXPECT_EQ(Project()->GetView(1)->GetLeft() + Project()->GetView(1)->GetWidth(), Screen->GetWidth())
      << "without room beside, at the screen's edge";
  EXPECT_EQ(Project()->GetView(1)->GetWidth(), Editor()->GetWidth());
  EXPECT_EQ(Project()->GetView(1)->GetTop(), Project()->GetView(0)->GetTop() + 24) << "the other's caption in sight";
  Project()->CloseFile("A.pas");
  EXPECT_EQ(Project()->GetViewCount(), 0) << "its windows go with the file";
  for (Integer i = 0; i < Screen->GetFormCount(); ++i) EXPECT_EQ(As<TEditWindow>(Screen->GetForm(i)), nullptr);
}

// Open... cancelled opens nothing.
TEST_F(MainWindowTest, OpenCancelledOpensNothing) {
  Item("FileOpenItem")->Click();
  EXPECT_EQ(Asked.size(), 1u);
  EXPECT_EQ(Project()->GetModuleCount(), 0);
  EXPECT_TRUE(Boxes.empty());
}

// File | Exit, the close box and Alt+F4 all end the application's loop the same way: each
// is queued as a person's input and the loop runs until it ends.
class ExitTest : public MainWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(ExitTest, EndsTheApplicationsLoopLikeClosingTheMainWindow) {
  ::SetFocus(Main()->GetHandle());
  switch (GetParam()) {
    case 0:
      PressChord(VK_MENU, 'F');
      PressKey('X');
      break;
    case 1: {
      TRect whole;
      GetWindowRect(Main()->GetHandle(), &whole);
      const TPoint box{whole.Right - 4 - 8, whole.Top + 4 + 8};
      ASSERT_EQ(SendMessage(Main()->GetHandle(), WM_NCHITTEST, 0, PointToParam(box)), HTCLOSE);
      ClickAt(box);
      break;
    }
    default:
      PressChord(VK_MENU, VK_F4);
      break;
  }
  Application->Run();
  EXPECT_TRUE(Application->GetTerminated());
}

INSTANTIATE_TEST_SUITE_P(MenuCloseBoxAndAltF4, ExitTest, ::testing::Values(0, 1, 2));

// Help | About says what the program is.
TEST_F(MainWindowTest, AboutSaysWhatTheProgramIs) {
  Item("HelpAboutItem")->Click();
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].find("Brisk IDE"), String::npos);
}

}  // namespace

namespace {

COLORREF ScreenPixel(TPoint p) { return PixelToColor(ScreenSurface().Row(p.Y)[p.X] & 0xFFFFFF); }

// A drop-down menu open over the editor, drawn in the classic look: the face colour inside a
// raised frame, the selected item in the selection colours, the bar item pushed in. With
// BRISK_TEST_SCREENSHOTS set to a folder, the screen is kept there as a PNG to look at.
TEST_F(MainWindowTest, ADropDownMenuIsDrawnOverTheEditorInTheClassicLook) {
  Project()->OpenBuffer("Shot.pas", "unit Shot;\r\n\r\ninterface\r\n\r\nimplementation\r\n\r\nend.\r\n");
  Editor()->SetBounds(20, 70, 500, 300);  // just under the menu bar, as a person may place it
  Application->ProcessMessages();
  TMenuItem* file = Item("FileMenu");
  bool looked = false;
  TInputScript script;
  script.Then([&] {
    looked = true;
    TRect menu, open, save;
    ASSERT_TRUE(GetMenuItemRect(0, file->GetHandle(), 0, &open));
    ASSERT_TRUE(GetMenuItemRect(0, file->GetHandle(), 1, &save));
    GetWindowRect(FindWindow(kPopupMenuClass, nullptr), &menu);
    // Over the editor window, which is below the main window.
    TRect editor;
    GetWindowRect(Editor()->GetHandle(), &editor);
    EXPECT_GT(menu.Bottom, editor.Top);
    // Raised frame: light top-left, dark bottom-right; the face inside.
    EXPECT_EQ(ScreenPixel({menu.Left + 1, menu.Top + 5}), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(ScreenPixel({menu.Right - 1, menu.Top + 5}), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(ScreenPixel({save.Left + 2, save.Top + 2}), GetSysColor(COLOR_HIGHLIGHT)) << "Save is selected";
    EXPECT_EQ(ScreenPixel({open.Left + 2, open.Top + 2}), GetSysColor(COLOR_MENU));
    // The selected item's text is in the selection text colour.
    int light = 0;
    for (int32_t y = save.Top; y < save.Bottom; ++y)
      for (int32_t x = save.Left; x < save.Right; ++x) light += ScreenPixel({x, y}) == GetSysColor(COLOR_HIGHLIGHTTEXT);
    EXPECT_GT(light, 20);
    if (const char* dir = std::getenv("BRISK_TEST_SCREENSHOTS")) {
      EXPECT_TRUE(SaveScreenPNG(0, String(dir) + "/drop-down-menu.png"));
    }
    PressKey(VK_ESCAPE);
    PressKey(VK_ESCAPE);
  });
  ::SetFocus(EditorHandle());
  PressChord(VK_MENU, 'F');
  PressKey(VK_DOWN);
  Application->ProcessMessages();
  EXPECT_TRUE(looked);
  EXPECT_EQ(FindWindow(kPopupMenuClass, nullptr), 0u);
  EXPECT_EQ(GetFocus(), EditorHandle()) << "the editor has the focus back";
}

}  // namespace
