// Menus as a person uses them: the main menu's bar and drop-downs with the mouse and the
// keyboard, shortcuts, popup menus at a screen point, and the caption's close box.
#include "platform/vcl/Menus.h"
#include "support/IdeFixture.h"
#include "support/InputScript.h"
#include "support/MessageLog.h"

namespace {

// A logging subclass on a window for the test's length.
struct TScopedSpy : TLoggingProc {
  TScopedSpy(HWND h, TMessageLog& log) : TLoggingProc("F", log), Window(h) { Subclass(h); }
  ~TScopedSpy() {
    if (IsWindow(Window)) SetWindowLongPtr(Window, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(Next));
  }
  HWND Window;
};

class MenuTest : public TIdeFixture {
 public:
  void SetUp() override {
    TIdeFixture::SetUp();
    FMenus = GetLiveMenuCount();
    Form = new TForm(Application);
    Form->SetBounds(20, 20, 400, 300);
    Menu = new TMainMenu(Form);
    Form->SetMenu(Menu);
    TMenuItem* root = Menu->GetItems();
    File = Add(root, "&File");
    Add(File, "&Open...");
    Add(File, "&Save");
    Add(File, "-");
    Add(File, "&Print")->SetEnabled(false);
    Add(File, "&Hidden")->SetVisible(false);
    Add(File, "E&xit");
    Edit = Add(root, "&Edit");
    Add(Edit, "&Undo")->SetShortCut(ShortCut('Z', 4));
    More = Add(Edit, "&More");
    Add(More, "&First");
    Add(More, "&Second");
    Add(root, "&Help");
    Add(Find("&Help"), "&About...");
    Form->Show();
    ::SetFocus(Form->GetHandle());
    Application->ProcessMessages();
    Clicks.clear();
  }
  void TearDown() override {
    Form->Free();
    Application->ProcessMessages();
    EXPECT_EQ(GetLiveMenuCount(), FMenus) << "a menu outlived its form";
    TIdeFixture::TearDown();
  }

  TMenuItem* Add(TMenuItem* parent, const char* caption) {
    auto* item = new TMenuItem(Form);
    item->SetCaption(caption);
    item->OnClick = MethodOf<&MenuTest::ItemClick>(this);
    parent->Add(item);
    return item;
  }
  TMenuItem* Find(const String& caption, TMenuItem* in = nullptr) {
    if (!in) in = Menu->GetItems();
    for (Integer i = 0; i < in->GetCount(); ++i) {
      if (in->GetItem(i)->GetCaption() == caption) return in->GetItem(i);
      if (TMenuItem* found = Find(caption, in->GetItem(i))) return found;
    }
    return nullptr;
  }
  // Items with sub-items are clicked as their menus come down; only commands are logged.
  void ItemClick(TObject* sender) {
    auto* item = As<TMenuItem>(sender);
    if (item->GetCount() > 0) return;
    // What the user sees when the item runs: the menu should be gone.
    Clicks.push_back(item->GetCaption() + (MenuIsOpen() ? " (menu open)" : ""));
  }

  void Count(TObject*) { ++Counted; }
  void Closing(TObject*, TCloseAction&) { ++Counted; }

  // A menu is up while the loop holds the capture or a drop-down window lives.
  static bool MenuIsOpen() { return GetCapture() != 0 || FindWindow(kPopupMenuClass, nullptr) != 0; }
  TPoint BarItem(int pos) const {
    TRect r;
    EXPECT_TRUE(GetMenuItemRect(Form->GetHandle(), ::GetMenu(Form->GetHandle()), static_cast<UINT>(pos), &r));
    return CenterOf(r);
  }
  // An item of a drop-down that is showing, by its position among the shown items.
  static TPoint DropDownItem(TMenuItem* parent, int pos) {
    TRect r;
    EXPECT_TRUE(GetMenuItemRect(0, parent->GetHandle(), static_cast<UINT>(pos), &r)) << "the drop-down is not shown";
    return CenterOf(r);
  }
  static bool IsShown(TMenuItem* parent) {
    TRect r;
    return GetMenuItemRect(0, parent->GetHandle(), 0, &r) != FALSE;
  }

  TForm* Form = nullptr;
  TMainMenu* Menu = nullptr;
  TMenuItem *File = nullptr, *Edit = nullptr, *More = nullptr;
  std::vector<String> Clicks;
  int Counted = 0;

 private:
  int FMenus = 0;
};

// The whole conversation of a mouse-chosen command, in the real platform's order: the loop
// announces itself, each menu coming down is initialised, the selection is reported as it
// moves, and the command arrives after the loop has ended; OnClick runs from it.
TEST_F(MenuTest, AClickOnTheBarThenOnAnItemRunsItAfterTheMenuHasClosed) {
  TMessageLog log;
  TMessageRecords records;
  TScopedSpy spy(Form->GetHandle(), log);
  spy.Only = {WM_ENTERMENULOOP, WM_INITMENU, WM_INITMENUPOPUP, WM_MENUSELECT, WM_EXITMENULOOP, WM_COMMAND};
  spy.Records = &records;
  spy.OnMessage = [&](HWND, UINT msg) {
    if (msg == WM_COMMAND) log.push_back(MenuIsOpen() ? "command while open" : "command after close");
  };

  TInputScript script;
  script.Then([&] { ClickAt(DropDownItem(File, 0)); });
  ClickAt(BarItem(0));
  Application->ProcessMessages();

  EXPECT_EQ(Clicks, std::vector<String>{"&Open..."});
  EXPECT_FALSE(MenuIsOpen());
  const TMessageLog expected = {"F:WM_ENTERMENULOOP", "F:WM_INITMENU",    "F:WM_MENUSELECT",
                                "F:WM_INITMENUPOPUP",  "F:WM_MENUSELECT",  "F:WM_MENUSELECT",
                                "F:WM_EXITMENULOOP",   "F:WM_COMMAND",     "command after close"};
  EXPECT_EQ(log, expected);
  // The selection reports: the bar's File (by position, a sub-menu), then Open (by command),
  // then the loop's end (0xFFFF, no menu).
  ASSERT_EQ(records.size(), 8u);
  EXPECT_EQ(records[2].WParam, MAKEWPARAM(0, MF_HILITE | MF_POPUP | MF_MOUSESELECT));
  EXPECT_EQ(records[4].WParam, MAKEWPARAM(Find("&Open...")->GetCommand(), MF_HILITE | MF_MOUSESELECT));
  EXPECT_EQ(records[5].WParam, MAKEWPARAM(0, 0xFFFF));
  EXPECT_EQ(records[3].WParam, static_cast<WPARAM>(File->GetHandle()));
  EXPECT_EQ(records[7].WParam, MAKEWPARAM(Find("&Open...")->GetCommand(), 0));
}

// With a menu down, moving across the bar brings the other menus down; a disabled item and a
// separator keep the menu open; a press outside every menu closes it and still reaches the
// window it landed on.
TEST_F(MenuTest, HoverSwitchesMenusDisabledItemsDoNothingAndAClickOutsideCloses) {
  std::vector<String> seen;
  auto look = [&] {
    seen.push_back(String(IsShown(File) ? "File" : "") + (IsShown(Edit) ? "Edit" : "") + (IsShown(More) ? "More" : ""));
  };
  TMessageLog log;
  TScopedSpy spy(Form->GetHandle(), log);
  spy.Only = {WM_LBUTTONDOWN};

  TInputScript script;
  script.Then([&] { MouseInput(WM_MOUSEMOVE, BarItem(1), 0); })
      .Then(look)
      .Then([&] { MouseInput(WM_MOUSEMOVE, DropDownItem(Edit, 1), 0); })  // More opens on hover
      .Then(look)
      .Then([&] { MouseInput(WM_MOUSEMOVE, BarItem(0), 0); })
      .Then(look)
      .Then([&] { ClickAt(DropDownItem(File, 3)); })  // Print, disabled
      .Then([&] { ClickAt(DropDownItem(File, 2)); })  // the separator
      .Then(look)
      .Then([&] { ClickAt({200, 250}); });  // the form's client area
  ClickAt(BarItem(0));
  Application->ProcessMessages();

  EXPECT_EQ(seen, (std::vector<String>{"Edit", "EditMore", "File", "File"}));
  EXPECT_TRUE(Clicks.empty());
  EXPECT_FALSE(MenuIsOpen());
  EXPECT_EQ(script.GetPending(), 0u);
  EXPECT_EQ(log, TMessageLog{"F:WM_LBUTTONDOWN"}) << "the press that closed the menu goes on to the form";
}

// A press on the bar item whose menu is down closes it; nobody at the screen cancels the loop.
TEST_F(MenuTest, ThePressThatOpenedAMenuClosesItOnTheSecondClick) {
  bool openBetween = false;
  TInputScript script;
  script.Then([&] { openBetween = IsShown(File); }).Then([&] { ClickAt(BarItem(0)); });
  ClickAt(BarItem(0));
  Application->ProcessMessages();
  EXPECT_TRUE(openBetween);
  EXPECT_FALSE(MenuIsOpen());
  EXPECT_TRUE(Clicks.empty());
}

struct TKeyRow {
  const char* Keys;  // A Alt tap, F F10, a letter with Alt: "!x"; D U L R arrows, E Enter, X Escape
  const char* Runs;  // the caption that ran, or "" for none
};

void PostKeys(const char* keys) {
  for (const char* k = keys; *k; ++k) {
    switch (*k) {
      case 'A': PressKey(VK_MENU); break;
      case 'F': PressKey(VK_F10); break;
      case 'D': PressKey(VK_DOWN); break;
      case 'U': PressKey(VK_UP); break;
      case 'L': PressKey(VK_LEFT); break;
      case 'R': PressKey(VK_RIGHT); break;
      case 'E': PressKey(VK_RETURN); break;
      case 'X': PressKey(VK_ESCAPE); break;
      case '!': PressChord(VK_MENU, static_cast<BYTE>(std::toupper(*++k))); break;
      case ' ': break;
      default: PressKey(static_cast<BYTE>(std::toupper(*k))); break;
    }
  }
}

// Alt or F10 selects the bar; Left/Right move along it and wrap; Down and Enter open;
// Up/Down move and wrap past separators and hidden items; Enter runs; Escape closes a level;
// Alt and a letter open a bar item, a letter in an open menu runs its item.
TEST_F(MenuTest, TheKeyboardNavigatesTheMenusAndRunsTheChosenItem) {
  const TKeyRow rows[] = {
      {"A E E", "&Open..."},
      {"A D D E", "&Save"},
      {"A D U E", "E&xit"},          // up from the first wraps to the last shown item
      {"A D D D D E", "E&xit"},      // the separator and the hidden item are skipped
      {"A D D D E", ""},             // Print is disabled: Enter runs nothing and ends the menu
      {"A R D E", "&Undo"},
      {"A L E E", "&About..."},      // left from the first bar item wraps to the last
      {"F R R R E E", "&Open..."},   // right from the last wraps to the first
      {"!e m f", "&First"},
      {"!e m L U E", "&Undo"},       // Left closes the sub-menu; Up wraps within Edit
      {"!e R E", "&About..."},       // Right on an item without a sub-menu: the next bar menu
      {"!f x", "E&xit"},
      {"!f p", ""},                  // nor does the letter of a disabled item
      {"!e D R E", "&First"},        // Right opens a sub-menu
      {"A X", ""},
      {"!h X X", ""},
      {"A D X E E", "&Open..."},     // Escape closes the drop-down, the bar stays selected
  };
  for (const TKeyRow& row : rows) {
    SCOPED_TRACE(row.Keys);
    Clicks.clear();
    PostKeys(row.Keys);
    Application->ProcessMessages();
    EXPECT_EQ(Clicks, String(row.Runs).empty() ? std::vector<String>{} : std::vector<String>{row.Runs});
    EXPECT_FALSE(MenuIsOpen()) << "nothing stays open";
    EXPECT_EQ(GetFocus(), Form->GetHandle()) << "the focus comes back";
  }
}

// Escape takes one level at a time and the last one ends the loop, with nothing left selected.
TEST_F(MenuTest, EscapeLeavesNothingOpen) {
  std::vector<String> seen;
  auto look = [&] { seen.push_back(String(IsShown(Edit) ? "Edit" : "") + (IsShown(More) ? "More" : "")); };
  TInputScript script;
  script.Then(look)
      .Then([] { PressKey(VK_ESCAPE); })
      .Then(look)
      .Then([] { PressKey(VK_ESCAPE); })
      .Then(look)
      .Then([] { PressKey(VK_ESCAPE); });
  PostKeys("!e m");
  Application->ProcessMessages();
  EXPECT_EQ(seen, (std::vector<String>{"EditMore", "Edit", ""}));
  EXPECT_FALSE(MenuIsOpen());
  EXPECT_EQ(script.GetPending(), 0u) << "the last Escape ended the loop";
  for (Integer i = 0; i < GetMenuItemCount(::GetMenu(Form->GetHandle())); ++i)
    EXPECT_FALSE(GetMenuState(::GetMenu(Form->GetHandle()), static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE);
}

// A shortcut runs its item from anywhere in the application, the way IsShortCut finds it:
// from the main form, and from another form through the application; a disabled item's
// shortcut runs nothing; a hidden item's still runs it.
TEST_F(MenuTest, AShortcutRunsItsItemFromAnyForm) {
  Application->SetMainForm(Form);
  TMenuItem* undo = Find("&Undo");
  PressChord(VK_CONTROL, 'Z');
  Application->ProcessMessages();
  EXPECT_EQ(Clicks, std::vector<String>{"&Undo"});

  auto* other = new TForm(Application);
  other->SetBounds(300, 300, 200, 100);
  other->Show();
  ::SetFocus(other->GetHandle());
  PressChord(VK_CONTROL, 'Z');
  Application->ProcessMessages();
  EXPECT_EQ(Clicks, (std::vector<String>{"&Undo", "&Undo"}));

  undo->SetEnabled(false);
  PressChord(VK_CONTROL, 'Z');
  Application->ProcessMessages();
  EXPECT_EQ(Clicks.size(), 2u);

  undo->SetEnabled(true);
  undo->SetVisible(false);
  PressChord(VK_CONTROL, 'Z');
  PressKey('Z');  // without Ctrl it is no shortcut
  Application->ProcessMessages();
  EXPECT_EQ(Clicks, (std::vector<String>{"&Undo", "&Undo", "&Undo"}));
  other->Free();
}

// Shortcut texts as menus show them.
TEST_F(MenuTest, ShortcutTextsNameTheModifiersAndTheKey) {
  const std::pair<TShortCut, const char*> rows[] = {
      {ShortCut('Z', 4), "Ctrl+Z"},         {ShortCut(VK_F4, 2), "Alt+F4"},   {ShortCut(VK_DELETE, 1), "Shift+Del"},
      {ShortCut('S', 4 | 1), "Shift+Ctrl+S"}, {ShortCut(VK_F1 + 11, 0), "F12"}, {ShortCut(0xE5, 4), ""},
  };
  for (const auto& [shortCut, text] : rows) EXPECT_EQ(ShortCutToText(shortCut), text);
  // The drop-down shows it in its column, after a tab.
  char buffer[64];
  GetMenuStringA(Edit->GetHandle(), 0, buffer, sizeof buffer, MF_BYPOSITION);
  EXPECT_STREQ(buffer, "&Undo\tCtrl+Z");
}

// A popup menu opens at a screen point, runs the clicked item once it has closed, and its
// items' changes while it was not shown reach its next showing.
TEST_F(MenuTest, APopupMenuOpensAtAPointAndRunsTheClickedItemAfterClosing) {
  auto* popup = new TPopupMenu(Form);
  TMenuItem* items = popup->GetItems();
  Add(items, "&Dock");
  TMenuItem* flt = Add(items, "&Float");
  popup->OnPopup = MethodOf<&MenuTest::Count>(this);
  TPoint first{};
  TInputScript script;
  script.Then([&] { first = DropDownItem(items, 0); })
      .Then([&] { ClickAt(DropDownItem(items, 1)); });
  popup->Popup(100, 120);
  EXPECT_TRUE(Clicks.empty()) << "the command waits for the message loop";
  EXPECT_FALSE(MenuIsOpen());
  Application->ProcessMessages();
  EXPECT_EQ(Clicks, std::vector<String>{"&Float"});
  EXPECT_EQ(Counted, 1) << "OnPopup";
  // The first item just inside the menu's frame, whose corner is the point.
  EXPECT_TRUE(first.X > 100 && first.Y > 120 && first.Y < 120 + 20) << first.X << "," << first.Y;

  flt->SetEnabled(false);
  script.Then([&] { ClickAt(DropDownItem(items, 1)); }).Then([] { PressKey(VK_ESCAPE); });
  popup->Popup(100, 120);
  Application->ProcessMessages();
  EXPECT_EQ(Clicks.size(), 1u) << "disabled since";
}

// The close box closes the form on a release over it; sliding off it first cancels.
TEST_F(MenuTest, TheCloseBoxClosesTheFormOnlyWhenReleasedOverIt) {
  Form->SetMenu(nullptr);
  Form->OnClose = MethodOf<&MenuTest::Closing>(this);
  const TRect whole = [&] {
    TRect r;
    GetWindowRect(Form->GetHandle(), &r);
    return r;
  }();
  // The close box sits at the caption's right end.
  const TPoint box{whole.Right - 4 - 8, whole.Top + 4 + 8};
  ASSERT_EQ(SendMessage(Form->GetHandle(), WM_NCHITTEST, 0, PointToParam(box)), HTCLOSE);
  EXPECT_EQ(SendMessage(Form->GetHandle(), WM_NCHITTEST, 0, PointToParam({whole.Left + 40, whole.Top + 10})), HTCAPTION);
  EXPECT_EQ(SendMessage(Form->GetHandle(), WM_NCHITTEST, 0, PointToParam({whole.Left + 40, whole.Top + 80})), HTCLIENT);

  TInputScript script;
  script.Then([&] { MouseInput(WM_MOUSEMOVE, {whole.Left + 40, whole.Top + 10}, MK_LBUTTON); })
      .Then([&] { MouseInput(WM_LBUTTONUP, {whole.Left + 40, whole.Top + 10}, 0); });
  MouseInput(WM_LBUTTONDOWN, box, MK_LBUTTON);
  Application->ProcessMessages();
  EXPECT_EQ(Counted, 0);
  EXPECT_TRUE(Form->GetVisible());

  ClickAt(box);
  Application->ProcessMessages();
  EXPECT_EQ(Counted, 1);
  EXPECT_FALSE(Form->GetVisible());
  EXPECT_EQ(GetCapture(), 0u);
}

}  // namespace
